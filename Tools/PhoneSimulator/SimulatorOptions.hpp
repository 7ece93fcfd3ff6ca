#pragma once
// The simulator's command line: what it streams, where it listens, and which faults it
// injects for tests.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace UmberlinTools {

// Faults happen on every connection, timed from the moment the client connected. A time of 0
// means right after the announcements.
struct FaultPlan {
    std::optional<double> closeAfterSeconds;
    std::optional<double> badMagicAfterSeconds;
    std::optional<double> oversizedPayloadAfterSeconds;
    std::optional<double> stallAfterSeconds;
    double stallSeconds = 0;
    std::optional<double> audioFormatChangeAfterSeconds;
    int changedSampleRate = 44100;
    int changedChannelCount = 1;
    std::optional<double> videoFormatChangeAfterSeconds;
    int changedWidth = 320;
    int changedHeight = 180;
    // The phone's clock jumps: every later timestamp of that medium is moved by clockJumpSeconds.
    std::optional<double> videoClockJumpAfterSeconds;
    std::optional<double> audioClockJumpAfterSeconds;
    double clockJumpSeconds = 94'608'000;  // three years
    // The phone stops reading the client's bytes and sends hello after hello.
    std::optional<double> helloFloodAfterSeconds;
    // The phone sends status, orientation and camera status thousands of times a second.
    std::optional<double> telemetryFloodAfterSeconds;
    std::optional<double> oversizedJsonAfterSeconds;
};

struct SimulatorOptions {
    // Network
    std::string listenAddress = "0.0.0.0";
    int port = 47810;  // 0 picks a free port
    bool advertise = true;
    std::string serviceName = "Umberlin Simulator";

    // Identity, as announced in hello
    std::string deviceName = "Simulated Phone";
    std::string sourceID = "umberlin-phone-sim";
    std::string cameraName = "Back Camera";

    // Video
    int width = 1280;
    int height = 720;
    int framesPerSecond = 30;
    int bitDepth = 8;
    int keyFrameInterval = 30;
    std::int64_t bitRate = 4'000'000;
    int nalUnitHeaderLength = 4;
    int rotationDegrees = 0;
    // A grey ramp, a clipped patch and a patch with soft sides in the test picture, for the
    // monitor's exposure and focus assists.
    bool exposureChart = false;
    // Seconds of video encoded once and then played in a loop; 0 encodes live.
    int preEncodedSeconds = 0;
    // For tests: a file that gets the MD5 of each video frame sent, one line each.
    std::string videoChecksumFile;
    // For measurements: a file or named pipe that gets the video sent as an Annex B stream.
    std::string annexBCopyPath;

    // Audio
    bool sendAudio = true;
    int sampleRate = 48000;
    int channelCount = 2;
    // Added to every audio timestamp, to exercise a monitor's audio/video alignment.
    double audioClockOffsetMilliseconds = 0;

    FaultPlan faults;
};

// A command line that cannot be used; what() says why, in one line.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ParsedCommandLine {
    SimulatorOptions options;
    bool helpRequested = false;
};

// Reads the arguments after the program name. Throws UsageError.
ParsedCommandLine parseSimulatorOptions(const std::vector<std::string>& arguments);

std::string simulatorHelpText();

}  // namespace UmberlinTools
