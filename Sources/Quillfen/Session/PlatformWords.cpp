#include "Session/PlatformWords.hpp"

#include <QtGlobal>

#include <array>
#include <utility>

namespace Quillfen {

namespace {

#ifdef Q_OS_MACOS

constexpr PlatformWords words{
    .recordButtonTitle = "Record to Mac",
    .recordButtonHelp = "Record phone video and audio to a QuickTime movie on this Mac",
    .recordingModeLabel = "Recording to Mac \u00B7 video + phone audio",
    .connectionTimedOut =
        "The phone was discovered, but its connection timed out. macOS may be blocking Local Network access even "
        "when its switch appears on. Quit Umberlin Rezuvidodo, turn that switch off and back on, then reopen the app.",
    .localNetworkDenied =
        "macOS blocked Local Network access. Quit Umberlin Rezuvidodo, turn its access off and back "
        "on in System Settings \u203A Privacy & Security \u203A Local Network, then reopen it.",
    .localNetworkBlockedMarker = "Local Network",
    .localNetworkSettingsTitle = "Open Local Network Settings",
    .localNetworkSettingsHelp = "Open Local Network privacy settings",
    .localNetworkSettingsURL = "x-apple.systempreferences:com.apple.preference.security?Privacy_LocalNetwork",
    .revealRecordingHelp = "Show the last recording in Finder",
    .settingsWindowTitle = "Settings",
    .settingsMenuItem = "Settings\u2026",
};

// Control, Option, Shift, Command: the order of the system's menus.
constexpr std::array<std::pair<KeyboardShortcut::Modifier, std::string_view>, 4> modifierNames{{
    {KeyboardShortcut::control, "Control"},
    {KeyboardShortcut::option, "Option"},
    {KeyboardShortcut::shift, "Shift"},
    {KeyboardShortcut::command, "Command"},
}};
constexpr std::string_view separator = "-";
constexpr std::array<std::pair<std::string_view, std::string_view>, 1> keyNames{{{",", "Comma"}}};

#else

constexpr PlatformWords words{
    .recordButtonTitle = "Record to Computer",
    .recordButtonHelp = "Record phone video and audio to a QuickTime movie on this computer",
    .recordingModeLabel = "Recording to this computer \u00B7 video + phone audio",
    .connectionTimedOut =
        "The phone was discovered, but its connection timed out. A firewall on this computer may be "
        "blocking the connection. Allow Umberlin Rezuvidodo to reach the phone on the local network, "
        "then refresh the sources.",
    .localNetworkDenied =
        "A firewall on this computer blocked the connection to the phone. Allow Umberlin Rezuvidodo "
        "to reach the phone on the local network, then refresh the sources.",
    .localNetworkBlockedMarker = "firewall on this computer",
    .localNetworkSettingsTitle = "",
    .localNetworkSettingsHelp = "",
    .localNetworkSettingsURL = "",
    .revealRecordingHelp = "Show the last recording in the file manager",
    .settingsWindowTitle = "Preferences",
    .settingsMenuItem = "Preferences\u2026",
};

// Ctrl, Alt, Shift, Meta: the order in which Qt names a key sequence.
constexpr std::array<std::pair<KeyboardShortcut::Modifier, std::string_view>, 4> modifierNames{{
    {KeyboardShortcut::command, "Ctrl"},
    {KeyboardShortcut::option, "Alt"},
    {KeyboardShortcut::shift, "Shift"},
    {KeyboardShortcut::control, "Meta"},
}};
constexpr std::string_view separator = "+";
// The Mac's Delete key is the one Qt calls Backspace.
constexpr std::array<std::pair<std::string_view, std::string_view>, 4> keyNames{{
    {"Delete", "Backspace"},
    {"Escape", "Esc"},
    {"Up Arrow", "Up"},
    {"Down Arrow", "Down"},
}};

#endif

}  // namespace

const PlatformWords& platformWords() { return words; }

std::string shortcutName(const KeyboardShortcut& shortcut) {
    std::string name;
    for (const auto& [modifier, word] : modifierNames) {
        if ((shortcut.modifiers & modifier) == 0) continue;
        name += word;
        name += separator;
    }
    std::string_view key = shortcut.key;
    for (const auto& [given, named] : keyNames) {
        if (key == given) key = named;
    }
    return name += key;
}

std::string helpWithShortcut(std::string_view help, const KeyboardShortcut& shortcut) {
    return std::string(help) + " (" + shortcutName(shortcut) + ")";
}

std::string hintWithShortcut(std::string_view hint, const KeyboardShortcut& shortcut) {
    return std::string(hint) + ". Keyboard shortcut " + shortcutName(shortcut) + ".";
}

}  // namespace Quillfen
