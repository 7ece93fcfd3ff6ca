#include "RecordOptions.hpp"

#include <charconv>
#include <cmath>
#include <string_view>

namespace UmberlinRecord {

const char* const recordUsage =
    "usage: umberlin-record --list [--wait SECONDS]\n"
    "       umberlin-record [--source NAME] [--folder DIR] [--seconds N] [--wait SECONDS]\n"
    "\n"
    "Records a phone running Umberlin Capture into a QuickTime movie without a window.\n"
    "\n"
    "  --list            browse the network for a few seconds (3 unless --wait says otherwise)\n"
    "                    and print one line per phone: its name, kind and link, then exit\n"
    "  --source NAME     record the phone advertised as NAME (default: the first free phone,\n"
    "                    preferring one on a USB link)\n"
    "  --folder DIR      save the movie in DIR for this run (default: the recording folder\n"
    "                    chosen in Umberlin Rezuvidodo, the phone's own or the default one)\n"
    "  --seconds N       stop after N seconds of recording (default: until Ctrl-C, SIGTERM or\n"
    "                    SIGHUP)\n"
    "  --wait SECONDS    how long to wait for the phone's picture and sound before giving up\n"
    "                    (default: 30)\n"
    "  --help            show this text\n"
    "\n"
    "Status sentences are printed as they change. A stop signal during a recording finishes\n"
    "the movie before exiting. When the phone ends a movie early (it changes its picture or\n"
    "sound format), the take goes on in a new movie with the next file name. Each movie's path\n"
    "is printed once it is saved; on success the last movie's path is the last line printed\n"
    "and the exit status is 0; any failure prints its sentence and exits with status 1.\n";

namespace {

std::optional<double> positiveSeconds(std::string_view text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value) || value <= 0)
        return std::nullopt;
    return value;
}

}  // namespace

std::variant<RecordOptions, HelpRequested, UsageError> parseRecordOptions(int argc, const char* const* argv) {
    RecordOptions options;
    bool waitGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h") return HelpRequested{};
        if (argument == "--list") {
            options.list = true;
            continue;
        }
        if (argument != "--source" && argument != "--folder" && argument != "--seconds" && argument != "--wait")
            return UsageError{"Unknown option " + std::string(argument) + "."};
        if (i + 1 >= argc) return UsageError{"The option " + std::string(argument) + " needs a value."};
        const std::string_view value = argv[++i];
        if (argument == "--source") {
            options.source = std::string(value);
        } else if (argument == "--folder") {
            options.folder = std::filesystem::path(value);
        } else {
            const auto seconds = positiveSeconds(value);
            if (!seconds)
                return UsageError{"The option " + std::string(argument) + " needs a number of seconds above 0."};
            if (argument == "--seconds")
                options.seconds = seconds;
            else {
                options.waitSeconds = *seconds;
                waitGiven = true;
            }
        }
    }
    if (options.list && (options.source || options.folder || options.seconds))
        return UsageError{"--list cannot be combined with --source, --folder or --seconds."};
    if (options.list && !waitGiven) options.waitSeconds = 3;
    return options;
}

}  // namespace UmberlinRecord
