#include "Shell/DarkAppearance.hpp"

#include <QApplication>
#include <QPalette>
#include <QStyleFactory>

namespace Quillfen {

void applyDarkAppearance() {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    const QColor window(37, 37, 38);
    const QColor base(24, 24, 25);
    const QColor text(230, 230, 230);
    const QColor secondaryText(150, 150, 152);
    const QColor accent(10, 132, 255);

    QPalette palette;
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Base, base);
    palette.setColor(QPalette::AlternateBase, window);
    palette.setColor(QPalette::ToolTipBase, base);
    palette.setColor(QPalette::ToolTipText, text);
    palette.setColor(QPalette::PlaceholderText, secondaryText);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::Button, QColor(58, 58, 60));
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, Qt::red);
    palette.setColor(QPalette::Link, accent);
    palette.setColor(QPalette::LinkVisited, accent.lighter(120));
    palette.setColor(QPalette::Highlight, accent);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::Light, QColor(80, 80, 82));
    palette.setColor(QPalette::Midlight, QColor(66, 66, 68));
    palette.setColor(QPalette::Mid, QColor(48, 48, 50));
    palette.setColor(QPalette::Dark, QColor(20, 20, 21));
    palette.setColor(QPalette::Shadow, Qt::black);
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, QColor(110, 110, 112));
    QApplication::setPalette(palette);
}

}  // namespace Quillfen
