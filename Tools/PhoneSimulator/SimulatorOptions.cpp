#include "SimulatorOptions.hpp"

#include <charconv>
#include <cmath>
#include <functional>
#include <sstream>
#include <string_view>

namespace UmberlinTools {
namespace {

constexpr int maximumWidth = 3840;
constexpr int maximumHeight = 2160;

struct OptionSpec {
    std::string_view name;
    std::string_view valueName;  // empty for switches
    std::string_view help;
    std::function<void(SimulatorOptions&, const std::string& value)> apply;
};

std::int64_t integerValue(std::string_view option, const std::string& text, std::int64_t minimum,
                          std::int64_t maximum) {
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size())
        throw UsageError(std::string(option) + " needs a whole number, not \"" + text + "\"");
    if (value < minimum || value > maximum)
        throw UsageError(std::string(option) + " must be between " + std::to_string(minimum) + " and " +
                         std::to_string(maximum) + ", not " + text);
    return value;
}

int intValue(std::string_view option, const std::string& text, int minimum, int maximum) {
    return static_cast<int>(integerValue(option, text, minimum, maximum));
}

double numberValue(std::string_view option, const std::string& text, double minimum, double maximum) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        throw UsageError(std::string(option) + " needs a number, not \"" + text + "\"");
    if (value < minimum || value > maximum) {
        std::ostringstream range;
        range << option << " must be between " << minimum << " and " << maximum << ", not " << text;
        throw UsageError(range.str());
    }
    return value;
}

double secondsValue(std::string_view option, const std::string& text) { return numberValue(option, text, 0, 86'400); }

void applySize(std::string_view option, const std::string& text, int& width, int& height) {
    const auto cross = text.find('x');
    if (cross == std::string::npos) throw UsageError(std::string(option) + " needs WIDTHxHEIGHT, not \"" + text + "\"");
    width = intValue(std::string(option) + " width", text.substr(0, cross), 16, maximumWidth);
    height = intValue(std::string(option) + " height", text.substr(cross + 1), 16, maximumHeight);
    if (width % 2 != 0 || height % 2 != 0) throw UsageError(std::string(option) + " needs even numbers, not " + text);
}

const std::vector<OptionSpec>& optionSpecs() {
    static const std::vector<OptionSpec> options = {
        {"--address", "ADDRESS", "address to listen on (default 0.0.0.0, all IPv4 addresses)",
         [](auto& o, auto& v) { o.listenAddress = v; }},
        {"--port", "PORT", "TCP port (default 47810; 0 picks a free port and prints it)",
         [](auto& o, auto& v) { o.port = intValue("--port", v, 0, 65535); }},
        {"--name", "NAME", "DNS-SD service instance name (default \"Umberlin Simulator\")",
         [](auto& o, auto& v) {
             if (v.empty() || v.size() > 63) throw UsageError("--name must have 1 to 63 bytes");
             o.serviceName = v;
         }},
        {"--no-advertise", "", "do not advertise _umberlin-camera._tcp through DNS-SD",
         [](auto& o, auto&) { o.advertise = false; }},
        {"--device-name", "NAME", "phone name sent in hello (default \"Simulated Phone\")",
         [](auto& o, auto& v) { o.deviceName = v; }},
        {"--source-id", "ID", "stream source identifier sent in hello (default \"umberlin-phone-sim\")",
         [](auto& o, auto& v) { o.sourceID = v; }},
        {"--camera-name", "NAME", "camera name sent in hello (default \"Back Camera\")",
         [](auto& o, auto& v) { o.cameraName = v; }},
        {"--size", "WIDTHxHEIGHT", "picture size, even numbers up to 3840x2160 (default 1280x720)",
         [](auto& o, auto& v) { applySize("--size", v, o.width, o.height); }},
        {"--fps", "N", "frames per second, 1 to 120 (default 30)",
         [](auto& o, auto& v) { o.framesPerSecond = intValue("--fps", v, 1, 120); }},
        {"--bit-depth", "8|10", "luma and chroma bit depth (default 8)",
         [](auto& o, auto& v) {
             o.bitDepth = intValue("--bit-depth", v, 8, 10);
             if (o.bitDepth == 9) throw UsageError("--bit-depth must be 8 or 10, not 9");
         }},
        {"--keyframe-interval", "FRAMES", "frames from one key frame to the next (default 30)",
         [](auto& o, auto& v) { o.keyFrameInterval = intValue("--keyframe-interval", v, 1, 100'000); }},
        {"--bit-rate", "BITS", "average video bit rate in bits per second (default 4000000)",
         [](auto& o, auto& v) { o.bitRate = integerValue("--bit-rate", v, 50'000, 400'000'000); }},
        {"--nal-length", "1..4",
         "bytes of the length prefix before each NAL unit (default 4); 1 allows units of at "
         "most 255 bytes, less than any key frame needs, and is refused at start",
         [](auto& o, auto& v) { o.nalUnitHeaderLength = intValue("--nal-length", v, 1, 4); }},
        {"--rotation", "DEGREES",
         "rotation angle sent in videoOrientation; the scene lies turned in the picture to match, as from a "
         "phone held on its side (default 0)",
         [](auto& o, auto& v) { o.rotationDegrees = intValue("--rotation", v, -3600, 3600); }},
        {"--pre-encoded", "SECONDS",
         "encode SECONDS (1 to 600) of the test picture once, cached in $XDG_CACHE_HOME/umberlin-phone-sim "
         "(~/.cache/umberlin-phone-sim), and play them in a loop on their real timing: reaches sizes and rates "
         "that live encoding cannot (3840x2160 at 30 fps) with little CPU; camera commands do not show in the "
         "picture, and after --change-video-after the picture is encoded live",
         [](auto& o, auto& v) { o.preEncodedSeconds = intValue("--pre-encoded", v, 1, 600); }},
        {"--exposure-chart", "", "add a grey ramp, a clipped patch and a patch with soft sides to the picture",
         [](auto& o, auto&) { o.exposureChart = true; }},
        {"--video-checksums", "FILE", "append the MD5 of each video frame sent to FILE, one line each",
         [](auto& o, auto& v) { o.videoChecksumFile = v; }},
        {"--annexb-copy", "PATH",
         "write the video sent also to PATH as an Annex B HEVC stream, from the start at each connection: a "
         "file, or a named pipe for another player (ffplay -f hevc PATH); a named pipe waits for its reader, and "
         "a reader more than a second behind misses frames up to the next key frame",
         [](auto& o, auto& v) { o.annexBCopyPath = v; }},
        {"--sample-rate", "HZ", "audio sample rate, 8000 to 192000 (default 48000)",
         [](auto& o, auto& v) { o.sampleRate = intValue("--sample-rate", v, 8000, 192'000); }},
        {"--channels", "N", "audio channel count, 1 to 8 (default 2)",
         [](auto& o, auto& v) { o.channelCount = intValue("--channels", v, 1, 8); }},
        {"--audio-offset-ms", "MS", "added to every audio timestamp, may be negative (default 0)",
         [](auto& o, auto& v) {
             o.audioClockOffsetMilliseconds = numberValue("--audio-offset-ms", v, -60'000, 60'000);
         }},
        {"--no-audio", "", "send no audioConfiguration and no audio frames",
         [](auto& o, auto&) { o.sendAudio = false; }},
        {"--close-after", "SECONDS", "fault: close each connection after this long",
         [](auto& o, auto& v) { o.faults.closeAfterSeconds = secondsValue("--close-after", v); }},
        {"--bad-magic-after", "SECONDS",
         "fault: send a packet whose header has a wrong magic after this long (0: right after the "
         "announcements), then send nothing more",
         [](auto& o, auto& v) { o.faults.badMagicAfterSeconds = secondsValue("--bad-magic-after", v); }},
        {"--oversized-after", "SECONDS",
         "fault: send a videoFrame header announcing 67108865 payload bytes (more than 64 MiB) after "
         "this long (0: right after the announcements), then send nothing more",
         [](auto& o, auto& v) { o.faults.oversizedPayloadAfterSeconds = secondsValue("--oversized-after", v); }},
        {"--stall-for", "SECONDS", "fault: stop sending for this long, keeping the connection open",
         [](auto& o, auto& v) {
             o.faults.stallSeconds = secondsValue("--stall-for", v);
             if (!o.faults.stallAfterSeconds) o.faults.stallAfterSeconds = 1.0;
         }},
        {"--stall-after", "SECONDS", "when the stall of --stall-for begins (default 1)",
         [](auto& o, auto& v) { o.faults.stallAfterSeconds = secondsValue("--stall-after", v); }},
        {"--change-audio-after", "SECONDS",
         "fault: switch to another audio format (--changed-sample-rate, --changed-channels) after this long",
         [](auto& o, auto& v) { o.faults.audioFormatChangeAfterSeconds = secondsValue("--change-audio-after", v); }},
        {"--changed-sample-rate", "HZ", "sample rate after --change-audio-after (default 44100)",
         [](auto& o, auto& v) { o.faults.changedSampleRate = intValue("--changed-sample-rate", v, 8000, 192'000); }},
        {"--changed-channels", "N", "channel count after --change-audio-after (default 1)",
         [](auto& o, auto& v) { o.faults.changedChannelCount = intValue("--changed-channels", v, 1, 8); }},
        {"--change-video-after", "SECONDS",
         "fault: switch to another picture size (--changed-size) after this long: a new videoConfiguration, then "
         "a key frame",
         [](auto& o, auto& v) { o.faults.videoFormatChangeAfterSeconds = secondsValue("--change-video-after", v); }},
        {"--changed-size", "WIDTHxHEIGHT", "picture size after --change-video-after (default 320x180)",
         [](auto& o, auto& v) { applySize("--changed-size", v, o.faults.changedWidth, o.faults.changedHeight); }},
        {"--video-clock-jump-after", "SECONDS",
         "fault: after this long, move every later video timestamp by --clock-jump seconds",
         [](auto& o, auto& v) { o.faults.videoClockJumpAfterSeconds = secondsValue("--video-clock-jump-after", v); }},
        {"--audio-clock-jump-after", "SECONDS",
         "fault: after this long, move every later audio timestamp by --clock-jump seconds",
         [](auto& o, auto& v) { o.faults.audioClockJumpAfterSeconds = secondsValue("--audio-clock-jump-after", v); }},
        {"--clock-jump", "SECONDS",
         "how far the clock faults move timestamps, may be negative (default 94608000, three years)",
         [](auto& o, auto& v) { o.faults.clockJumpSeconds = numberValue("--clock-jump", v, -1e9, 1e10); }},
        {"--flood-hello-after", "SECONDS",
         "fault: after this long, stop reading the client's commands and send about 2000 hello messages a "
         "second besides the media",
         [](auto& o, auto& v) { o.faults.helloFloodAfterSeconds = secondsValue("--flood-hello-after", v); }},
        {"--flood-telemetry-after", "SECONDS",
         "fault: after this long, send about 2000 each of status, orientation and camera status messages a second "
         "besides the media",
         [](auto& o, auto& v) { o.faults.telemetryFloodAfterSeconds = secondsValue("--flood-telemetry-after", v); }},
        {"--oversized-json-after", "SECONDS",
         "fault: send a hello of 2 MiB (an unknown key holds the padding) after this long, then go on streaming",
         [](auto& o, auto& v) { o.faults.oversizedJsonAfterSeconds = secondsValue("--oversized-json-after", v); }},
    };
    return options;
}

}  // namespace

ParsedCommandLine parseSimulatorOptions(const std::vector<std::string>& arguments) {
    ParsedCommandLine parsed;
    for (std::size_t index = 0; index < arguments.size(); ++index) {
        const std::string& argument = arguments[index];
        if (argument == "--help" || argument == "-h") {
            parsed.helpRequested = true;
            continue;
        }
        std::string name = argument;
        std::optional<std::string> inlineValue;
        if (const auto equals = argument.find('='); argument.starts_with("--") && equals != std::string::npos) {
            name = argument.substr(0, equals);
            inlineValue = argument.substr(equals + 1);
        }
        const OptionSpec* option = nullptr;
        for (const OptionSpec& candidate : optionSpecs())
            if (candidate.name == name) option = &candidate;
        if (option == nullptr) throw UsageError("unknown option \"" + argument + "\" (see --help)");

        std::string value;
        if (!option->valueName.empty()) {
            if (inlineValue) {
                value = *inlineValue;
            } else if (index + 1 < arguments.size()) {
                value = arguments[++index];
            } else {
                throw UsageError(name + " needs a value (" + std::string(option->valueName) + ")");
            }
        } else if (inlineValue) {
            throw UsageError(name + " takes no value");
        }
        option->apply(parsed.options, value);
    }
    if (parsed.options.faults.stallAfterSeconds && parsed.options.faults.stallSeconds <= 0)
        throw UsageError("--stall-after needs --stall-for");
    return parsed;
}

std::string simulatorHelpText() {
    std::ostringstream text;
    text << "usage: umberlin-phone-sim [OPTIONS]\n"
            "Plays the phone for Umberlin Rezuvidodo: advertises _umberlin-camera._tcp through DNS-SD,\n"
            "serves one client at a time over TCP, streams a moving HEVC test picture, PCM audio whose\n"
            "level changes, telemetry and camera-control status, and applies camera-control commands.\n"
            "Prints one line per event. Stops on SIGINT or SIGTERM.\n\n"
            "options:\n";
    for (const OptionSpec& option : optionSpecs()) {
        std::string left = "  " + std::string(option.name);
        if (!option.valueName.empty()) left += " " + std::string(option.valueName);
        text << left;
        if (left.size() < 30)
            text << std::string(30 - left.size(), ' ');
        else
            text << "\n" << std::string(30, ' ');
        text << option.help << "\n";
    }
    text
        << "  --help                      this text\n"
           "\nexamples:\n"
           "  umberlin-phone-sim --name \"Desk Phone\" --size 1920x1080 --rotation 90\n"
           "  umberlin-phone-sim --no-advertise --address 127.0.0.1 --port 0 --size 640x360 --stall-for 3\n"
           "  umberlin-phone-sim --no-advertise --address 127.0.0.1 --size 3840x2160 --bit-depth 10 --pre-encoded 10\n";
    return text.str();
}

}  // namespace UmberlinTools
