#include "Teleprompter/TeleprompterManualStep.hpp"

namespace Quillfen {

std::optional<double> teleprompterStep(const TeleprompterKeyPress& press) {
    if (!press.isPromptShown || !press.isInPromptWindow) return std::nullopt;
    // Qt's Control is the Mac's Command, Meta its Control.
    if (press.modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return std::nullopt;
    if (press.key == Qt::Key_Up) return -teleprompterManualStep;
    if (press.key == Qt::Key_Down) return teleprompterManualStep;
    return std::nullopt;
}

}  // namespace Quillfen
