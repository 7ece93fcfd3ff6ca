// umberlin-phone-sim: plays the phone for Umberlin Rezuvidodo. See --help.

#include <cstdio>
#include <exception>
#include <memory>

#include "ClipCache.hpp"
#include "DnsSdAdvertiser.hpp"
#include "EventLog.hpp"
#include "PeerConnection.hpp"
#include "SimulatedCamera.hpp"
#include "SimulatorOptions.hpp"
#include "StopSignal.hpp"
#include "StreamSession.hpp"
#include "TcpListener.hpp"
#include "VideoStream.hpp"

using namespace UmberlinTools;

namespace {

std::string describeStream(const SimulatorOptions& options) {
    std::string text = std::to_string(options.width) + "x" + std::to_string(options.height) + " " +
                       std::to_string(options.framesPerSecond) + " fps " + std::to_string(options.bitDepth) +
                       "-bit HEVC, key frame every " + std::to_string(options.keyFrameInterval) + " frames, " +
                       std::to_string(options.nalUnitHeaderLength) + "-byte NAL lengths, rotation " +
                       std::to_string(options.rotationDegrees);
    if (options.preEncodedSeconds > 0)
        text += ", a pre-encoded " + std::to_string(options.preEncodedSeconds) + " s loop";
    if (options.sendAudio)
        text += "; audio " + std::to_string(options.sampleRate) + " Hz, " + std::to_string(options.channelCount) +
                " channel(s)";
    else
        text += "; no audio";
    return text;
}

int serve(const SimulatorOptions& options) {
    // Settings the encoder cannot use (including NAL units too long for a short length
    // prefix) are reported now rather than at the first client.
    std::shared_ptr<const PreEncodedClip> clip;
    if (options.preEncodedSeconds > 0) {
        clip = loadOrEncodeClip(options);
    } else {
        VideoStream check(options);
        const SteadyTime now = std::chrono::steady_clock::now();
        check.startClock(now);
        check.takeDue(now, SimulatedCamera());
    }

    TcpListener listener(options.listenAddress, options.port);
    const bool isIPv6 = listener.address().find(':') != std::string::npos;
    logEvent("listening on " + (isIPv6 ? "[" + listener.address() + "]" : listener.address()) + ":" +
             std::to_string(listener.port()));
    logEvent("streaming " + describeStream(options));

    std::unique_ptr<DnsSdAdvertiser> advertiser;
    if (options.advertise)
        advertiser = std::make_unique<DnsSdAdvertiser>(options.serviceName, listener.port(), options.listenAddress);
    else
        logEvent("DNS-SD advertising off");

    SimulatedCamera camera;
    const SteadyTime simulatorStart = std::chrono::steady_clock::now();
    while (auto client = listener.accept(StopSignal::wakeDescriptor())) {
        logEvent("client connected from " + client->peer);
        PeerConnection connection(client->descriptor);
        const std::string reason = StreamSession(connection, listener, options, camera, simulatorStart, clip).run();
        logEvent("client " + client->peer + " gone: " + reason);
        if (StopSignal::requested()) break;
    }
    logEvent("stopping");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    ParsedCommandLine commandLine;
    try {
        commandLine = parseSimulatorOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const UsageError& error) {
        std::fprintf(stderr, "umberlin-phone-sim: %s\n", error.what());
        return 2;
    }
    if (commandLine.helpRequested) {
        std::fputs(simulatorHelpText().c_str(), stdout);
        return 0;
    }
    try {
        StopSignal::install();
        return serve(commandLine.options);
    } catch (const std::exception& error) {
        logEvent(std::string("cannot run: ") + error.what());
        return 1;
    }
}
