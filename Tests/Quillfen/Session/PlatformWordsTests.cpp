#include "Session/PlatformWords.hpp"

#include <gtest/gtest.h>

#include <QtGlobal>

namespace Quillfen {
namespace {

using Shortcut = KeyboardShortcut;

TEST(PlatformWords, ShortcutsAreNamedInTheSystemsOwnWords) {
    const struct {
        KeyboardShortcut shortcut;
        const char* mac;
        const char* qt;
    } cases[] = {
        {{0, "M"}, "M", "M"},
        {{Shortcut::shift, "M"}, "Shift-M", "Shift+M"},
        {{Shortcut::command, "1"}, "Command-1", "Ctrl+1"},
        {{Shortcut::shift | Shortcut::command, "R"}, "Shift-Command-R", "Ctrl+Shift+R"},
        {{Shortcut::shift | Shortcut::command, "/"}, "Shift-Command-/", "Ctrl+Shift+/"},
        {{Shortcut::option | Shortcut::command, ","}, "Option-Command-Comma", "Ctrl+Alt+,"},
        {{Shortcut::option | Shortcut::command, "Delete"}, "Option-Command-Delete", "Ctrl+Alt+Backspace"},
        {{Shortcut::control | Shortcut::shift | Shortcut::option | Shortcut::command, "Up Arrow"},
         "Control-Option-Shift-Command-Up Arrow",
         "Ctrl+Alt+Shift+Meta+Up"},
        {{0, "Escape"}, "Escape", "Esc"},
    };
    for (const auto& [shortcut, mac, qt] : cases) {
#ifdef Q_OS_MACOS
        EXPECT_EQ(shortcutName(shortcut), mac);
#else
        EXPECT_EQ(shortcutName(shortcut), qt);
#endif
    }
}

}  // namespace
}  // namespace Quillfen
