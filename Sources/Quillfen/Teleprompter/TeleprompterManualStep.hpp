#pragma once
// The arrow keys step the prompt by hand: the up arrow a step back towards the beginning, the
// down arrow a step on towards the end. Only in the prompt's own window, only while the
// prompt is shown, and never with Command/Ctrl, Option/Alt or Control held (Shift does not
// matter), so those combinations keep their meaning elsewhere in the window.

#include <qnamespace.h>

#include <optional>

namespace Quillfen {

inline constexpr double teleprompterManualStep = 72;  // points per arrow press

struct TeleprompterKeyPress {
    int key;  // Qt::Key
    Qt::KeyboardModifiers modifiers;
    bool isInPromptWindow;  // the key was typed in the prompt's window, not in a sheet or another window
    bool isPromptShown;
};

// The signed distance to scroll, or none when the key is not the prompt's.
std::optional<double> teleprompterStep(const TeleprompterKeyPress& press);

}  // namespace Quillfen
