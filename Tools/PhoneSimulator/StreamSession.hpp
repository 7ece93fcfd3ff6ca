#pragma once
// One client's connection, from the announcements to the end: streams video, audio,
// telemetry and camera-control status in real time, applies the client's camera-control
// commands, and injects the configured faults.

#include <memory>
#include <optional>
#include <string>

#include "AnnexBCopy.hpp"
#include "AudioStream.hpp"
#include "FaultTimeline.hpp"
#include "PeerConnection.hpp"
#include "PreEncodedClip.hpp"
#include "SimulatedCamera.hpp"
#include "SimulatorOptions.hpp"
#include "TcpListener.hpp"
#include "VideoSource.hpp"

namespace UmberlinTools {

class StreamSession {
public:
    // simulatorStart is when the simulator started: telemetry goes on across connections.
    // Clients that connect to `listener` meanwhile are turned away. The video is played from
    // `clip` when there is one, else encoded live.
    StreamSession(PeerConnection& connection, TcpListener& listener, const SimulatorOptions& options,
                  SimulatedCamera& camera, SteadyTime simulatorStart, std::shared_ptr<const PreEncodedClip> clip);

    // Serves until the client goes away, a fault ends the connection or a stop is requested;
    // returns why it ended, in a few words.
    std::string run();

private:
    // Each step returns a reason when the session has to end.
    std::optional<std::string> send(UmberlinWire::MessageType type, UmberlinWire::Flags flags,
                                    std::uint64_t presentationTimeNanoseconds, UmberlinWire::ByteView payload);
    std::optional<std::string> sendRaw(UmberlinWire::ByteView bytes);
    UmberlinWire::Hello hello() const;
    std::optional<std::string> sendAnnouncements();
    std::optional<std::string> sendHelloFlood();
    std::optional<std::string> sendTelemetryFlood();
    std::optional<std::string> sendDueMedia(SteadyTime now);
    std::optional<std::string> sendVideo(SteadyTime now);
    std::optional<std::string> sendCameraStatus();
    std::optional<std::string> injectFault(FaultAction action);
    std::optional<std::string> receiveCommands();
    std::optional<std::string> handleCommand(const UmberlinWire::Message& message);
    SteadyTime nextWakeTime() const;
    std::uint64_t nowNanoseconds() const;

    PeerConnection& connection_;
    TcpListener& listener_;
    const SimulatorOptions& options_;
    SimulatedCamera& camera_;
    SteadyTime simulatorStart_;
    std::shared_ptr<const PreEncodedClip> clip_;
    SteadyTime connectedAt_;
    std::uint32_t sequenceNumber_ = 0;

    std::unique_ptr<VideoSource> video_;
    std::unique_ptr<AnnexBCopy> annexBCopy_;
    std::unique_ptr<AudioStream> audio_;
    FaultTimeline faults_;
    UmberlinWire::UmberlinWireStreamParser parser_;

    SteadyTime nextTelemetry_;
    SteadyTime nextCameraStatus_;
    SteadyTime nextSkipReport_;
    bool stalled_ = false;
    bool silenced_ = false;  // after a broken header nothing more can follow
    bool cameraReportPending_ = false;
    bool audioAnnouncementPending_ = false;
    bool videoAnnouncementPending_ = false;
    bool floodingHello_ = false;  // and no longer reading the client's bytes
    std::optional<SteadyTime> nextTelemetryFlood_;
    // Added to every timestamp of that medium once its clock-jump fault has happened.
    std::int64_t videoClockShift_ = 0;
    std::int64_t audioClockShift_ = 0;
};

}  // namespace UmberlinTools
