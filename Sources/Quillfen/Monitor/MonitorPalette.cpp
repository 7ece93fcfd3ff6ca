#include "Monitor/MonitorPalette.hpp"

namespace Quillfen {

QPalette monitorPalette() {
    QPalette palette;
    const QColor window(0x1C, 0x1C, 0x1E);
    const QColor base(0x2C, 0x2C, 0x2E);
    const QColor text(0xE5, 0xE5, 0xEA);
    const QColor dimmed(0x6E, 0x6E, 0x73);
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::ToolTipBase, base);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, dimmed);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, base);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, Qt::white);
    palette.setColor(QPalette::Highlight, QColor(0x0A, 0x64, 0xD6));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Link, QColor(0x64, 0xA8, 0xFF));
    palette.setColor(QPalette::Light, QColor(0x48, 0x48, 0x4A));
    palette.setColor(QPalette::Midlight, QColor(0x3A, 0x3A, 0x3C));
    palette.setColor(QPalette::Mid, QColor(0x30, 0x30, 0x32));
    palette.setColor(QPalette::Dark, QColor(0x12, 0x12, 0x14));
    palette.setColor(QPalette::Shadow, Qt::black);
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, dimmed);
    return palette;
}

}  // namespace Quillfen
