#include "RecordOptions.hpp"

#include <charconv>
#include <cmath>
#include <string_view>
#include <utility>

#include "Reception/CameraAddress.hpp"

namespace UmberlinRecord {

const char* const recordUsage =
    "usage: umberlin-record --list [--wait SECONDS]\n"
    "       umberlin-record --recover [--folder DIR]\n"
    "       umberlin-record [--source NAME | --address HOST:PORT] [--folder DIR] [--seconds N]\n"
    "                       [--wait SECONDS] [--space-margins WARNING_MB,STOP_MB]\n"
    "\n"
    "Records a phone running Umberlin Capture into a QuickTime movie without a window.\n"
    "\n"
    "  --list            browse the network for a few seconds (3 unless --wait says otherwise)\n"
    "                    and print one line per phone: its name, kind and link, then exit\n"
    "  --source NAME     record the phone advertised as NAME (default: the first free phone,\n"
    "                    preferring one on a USB link)\n"
    "  --address HOST:PORT\n"
    "                    record the phone at this address (IPv4, [IPv6] or a host name and its\n"
    "                    port) without looking for phones on the network, for where DNS-SD is\n"
    "                    blocked\n"
    "  --folder DIR      save the movie in DIR for this run (default: the recording folder\n"
    "                    chosen in Umberlin Rezuvidodo, the phone's own or the default one)\n"
    "  --seconds N       stop after N seconds of recording (default: until Ctrl-C, SIGTERM or\n"
    "                    SIGHUP)\n"
    "  --wait SECONDS    how long to wait for the phone's picture and sound before giving up\n"
    "                    (default: 30)\n"
    "  --space-margins WARNING_MB,STOP_MB\n"
    "                    the least free space on the recording's disk before a warning and\n"
    "                    before the recording is stopped cleanly; each grows with the data rate\n"
    "                    (5 minutes and 30 seconds of it). Default 2000,200; 0,0 turns both off,\n"
    "                    and a disk that fills up then fails the recording\n"
    "  --recover         only recover interrupted movies (below), then exit\n"
    "  --help            show this text\n"
    "\n"
    "Status sentences are printed as they change. A stop signal during a recording finishes\n"
    "the movie before exiting. When the phone ends a movie early (it changes its picture or\n"
    "sound format), the take goes on in a new movie with the next file name. Each movie's path\n"
    "is printed once it is saved; on success the last movie's path is the last line printed\n"
    "and the exit status is 0; any failure prints its sentence and exits with status 1.\n"
    "\n"
    "At start, movies that a crash, a kill or a power cut left unfinished in the recording\n"
    "folders (the one given with --folder, the default one and each phone's own) are rewritten\n"
    "in place as regular movies, each with a sentence saying so; one that cannot be recovered\n"
    "is left as it was, with the reason. With --recover that is all, and a movie that could\n"
    "not be recovered makes the exit status 1.\n";

namespace {

// "WARNING_MB,STOP_MB" in whole megabytes.
std::optional<std::pair<std::uintmax_t, std::uintmax_t>> megabytePair(std::string_view text) {
    const auto comma = text.find(',');
    if (comma == std::string_view::npos) return std::nullopt;
    std::uintmax_t values[2] = {};
    const std::string_view parts[2] = {text.substr(0, comma), text.substr(comma + 1)};
    for (int index = 0; index < 2; ++index) {
        const auto [end, error] =
            std::from_chars(parts[index].data(), parts[index].data() + parts[index].size(), values[index]);
        if (error != std::errc() || end != parts[index].data() + parts[index].size() || parts[index].empty() ||
            values[index] > 1'000'000'000)
            return std::nullopt;
    }
    return std::pair(values[0] * 1'000'000, values[1] * 1'000'000);
}

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
        if (argument == "--recover") {
            options.recoverOnly = true;
            continue;
        }
        if (argument != "--source" && argument != "--address" && argument != "--folder" && argument != "--seconds" &&
            argument != "--wait" && argument != "--space-margins")
            return UsageError{"Unknown option " + std::string(argument) + "."};
        if (i + 1 >= argc) return UsageError{"The option " + std::string(argument) + " needs a value."};
        const std::string_view value = argv[++i];
        if (argument == "--space-margins") {
            const auto margins = megabytePair(value);
            if (!margins)
                return UsageError{"The option --space-margins needs two whole numbers of megabytes, as 2000,200."};
            options.warningMarginBytes = margins->first;
            options.stopMarginBytes = margins->second;
        } else if (argument == "--source") {
            options.source = std::string(value);
        } else if (argument == "--address") {
            options.address = std::string(value);
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
    if (options.list && (options.source || options.address || options.folder || options.seconds))
        return UsageError{"--list cannot be combined with --source, --address, --folder or --seconds."};
    if (options.recoverOnly && (options.list || options.source || options.address || options.seconds))
        return UsageError{"--recover cannot be combined with --list, --source, --address or --seconds."};
    if (options.source && options.address) return UsageError{"--source cannot be combined with --address."};
    if (options.address && !Quillfen::parseCameraAddress(*options.address))
        return UsageError{Quillfen::cameraAddressFormatSentence};
    if (options.list && !waitGiven) options.waitSeconds = 3;
    return options;
}

}  // namespace UmberlinRecord
