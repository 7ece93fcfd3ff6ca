#pragma once
// The words that name the operating system's own places and keys. The macOS build speaks of
// the Mac, Finder and System Settings and names shortcuts "Shift-Command-R"; every other build
// speaks of "this computer" and the file manager, points at a firewall where macOS has its
// Local Network privacy switch, and names shortcuts as Qt does on that system ("Ctrl+Shift+R").
// Every other sentence of the application is the same on every system.

#include <string>
#include <string_view>

namespace Quillfen {

struct PlatformWords {
    std::string_view recordButtonTitle;
    // The Record button's help text, before its shortcut.
    std::string_view recordButtonHelp;
    std::string_view recordingModeLabel;
    // A connection that stays silent after the phone was discovered.
    std::string_view connectionTimedOut;
    // A connection the system refused because of its local-network protection.
    std::string_view localNetworkDenied;
    // Found in both sentences above: the controller offers the settings and refreshes on
    // activation while its failure sentence contains it.
    std::string_view localNetworkBlockedMarker;
    // The button that opens the system's local-network settings; all three are empty where
    // the system has no such page, and the window then shows no button.
    std::string_view localNetworkSettingsTitle;
    std::string_view localNetworkSettingsHelp;
    std::string_view localNetworkSettingsURL;
    // The reveal-the-last-recording button's help text, before its shortcut.
    std::string_view revealRecordingHelp;
    // The window with the application's settings (the default recording folder), and its
    // menu item.
    std::string_view settingsWindowTitle;
    std::string_view settingsMenuItem;
};

const PlatformWords& platformWords();

// A key with its modifiers, as a control declares it: key is "R", "1", "/", ",", "Delete"
// (the key left of the backspace position on a Mac, Backspace elsewhere), "Escape", "Space", "Home",
// "Return", "Up Arrow" or "Down Arrow".
struct KeyboardShortcut {
    enum Modifier : unsigned { shift = 1u << 0, command = 1u << 1, option = 1u << 2, control = 1u << 3 };

    unsigned modifiers = 0;
    std::string key;

    friend bool operator==(const KeyboardShortcut&, const KeyboardShortcut&) = default;
};

// "Shift-Command-R" on macOS; elsewhere Qt's own text, Command read as Ctrl, Option as Alt
// and Control as Meta: "Ctrl+Shift+R".
std::string shortcutName(const KeyboardShortcut& shortcut);
// "Flip the preview vertically (Shift-M)".
std::string helpWithShortcut(std::string_view help, const KeyboardShortcut& shortcut);
// "Flip the preview vertically. Keyboard shortcut Shift-M."
std::string hintWithShortcut(std::string_view hint, const KeyboardShortcut& shortcut);

}  // namespace Quillfen
