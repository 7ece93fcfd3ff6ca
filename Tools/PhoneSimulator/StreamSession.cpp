#include "StreamSession.hpp"

#include <algorithm>
#include <cstdio>
#include <thread>

extern "C" {
#include <libavutil/md5.h>
}

#include "EventLog.hpp"
#include "PreEncodedVideoStream.hpp"
#include "StopSignal.hpp"
#include "TelemetrySource.hpp"
#include "VideoStream.hpp"

namespace UmberlinTools {
namespace {

using namespace UmberlinWire;

constexpr auto telemetryPeriod = std::chrono::milliseconds(250);
constexpr auto cameraStatusPeriod = std::chrono::seconds(2);
constexpr auto skipReportPeriod = std::chrono::seconds(5);
constexpr auto idleWait = std::chrono::seconds(1);
// A flooding phone sends this many hellos (or of each telemetry message) every floodPeriod:
// about 2000 a second.
constexpr int floodBatch = 20;
constexpr auto floodPeriod = std::chrono::milliseconds(10);
constexpr std::size_t oversizedJsonSize = 2 * 1024 * 1024;

std::uint64_t nanosecondsOf(SteadyTime time) {
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count());
}

std::string secondsText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%g s", seconds);
    return text;
}

std::string audioFormatText(const AudioConfiguration& configuration) {
    return std::to_string(configuration.sampleRate) + " Hz, " + std::to_string(configuration.channelCount) +
           " channel(s)";
}

// A timestamp moved by a clock-jump fault; a jump back before zero stops at zero.
std::uint64_t shifted(std::uint64_t nanoseconds, std::int64_t shift) {
    if (shift < 0 && nanoseconds < static_cast<std::uint64_t>(-shift)) return 0;
    return nanoseconds + static_cast<std::uint64_t>(shift);
}

// The JSON of `record` with an unknown key in front that brings it to `size` bytes.
Bytes paddedTo(const Bytes& record, std::size_t size) {
    const std::string head = "{\"padding\":\"";
    const std::string tail = "\",";
    Bytes padded(head.begin(), head.end());
    padded.resize(size - (record.size() - 1) - tail.size(), 'x');
    padded.insert(padded.end(), tail.begin(), tail.end());
    padded.insert(padded.end(), record.begin() + 1, record.end());
    return padded;
}

// One line with the MD5 of `bytes`, as ffmpeg's framemd5 gives it for a movie's packet.
void appendChecksum(const std::string& file, UmberlinWire::ByteView bytes) {
    std::uint8_t digest[16];
    av_md5_sum(digest, bytes.data(), static_cast<int>(bytes.size()));
    if (std::FILE* out = std::fopen(file.c_str(), "a")) {
        for (const std::uint8_t byte : digest) std::fprintf(out, "%02x", byte);
        std::fputc('\n', out);
        std::fclose(out);
    }
}

}  // namespace

StreamSession::StreamSession(PeerConnection& connection, TcpListener& listener, const SimulatorOptions& options,
                             SimulatedCamera& camera, SteadyTime simulatorStart,
                             std::shared_ptr<const PreEncodedClip> clip)
    : connection_(connection),
      listener_(listener),
      options_(options),
      camera_(camera),
      simulatorStart_(simulatorStart),
      clip_(std::move(clip)),
      connectedAt_(std::chrono::steady_clock::now()),
      faults_(options.faults, connectedAt_),
      nextTelemetry_(connectedAt_ + telemetryPeriod),
      nextCameraStatus_(connectedAt_ + cameraStatusPeriod),
      nextSkipReport_(connectedAt_ + skipReportPeriod) {}

std::uint64_t StreamSession::nowNanoseconds() const { return nanosecondsOf(std::chrono::steady_clock::now()); }

std::optional<std::string> StreamSession::sendRaw(ByteView bytes) {
    switch (connection_.sendAll(bytes)) {
        case PeerConnection::SendResult::sent:
            return std::nullopt;
        case PeerConnection::SendResult::peerGone:
            return "client closed the connection";
        case PeerConnection::SendResult::peerNotReading:
            return "client stopped reading";
        case PeerConnection::SendResult::stopped:
            return "simulator stopping";
    }
    return std::nullopt;
}

std::optional<std::string> StreamSession::send(MessageType type, Flags flags, std::uint64_t presentationTimeNanoseconds,
                                               ByteView payload) {
    const Bytes packet = makePacket(type, flags, presentationTimeNanoseconds, sequenceNumber_++, payload);
    return sendRaw(packet);
}

Hello StreamSession::hello() const {
    return Hello{
        .sourceID = options_.sourceID,
        .deviceName = options_.deviceName,
        .cameraName = options_.cameraName,
        .codec = Codec::hevc,
        .width = options_.width,
        .height = options_.height,
        .framesPerSecond = options_.framesPerSecond,
        .averageBitRate = options_.bitRate,
    };
}

std::optional<std::string> StreamSession::sendHelloFlood() {
    const Bytes payload = encode(hello());
    for (int index = 0; index < floodBatch; ++index)
        if (auto ended = send(MessageType::hello, {}, nowNanoseconds(), payload)) return ended;
    return std::nullopt;
}

// Each round turns the phone a little and changes its battery and exposure bias, so every
// message differs from the one before.
std::optional<std::string> StreamSession::sendTelemetryFlood() {
    const double uptime = std::chrono::duration<double>(std::chrono::steady_clock::now() - simulatorStart_).count();
    DeviceStatus status = simulatedDeviceStatus(uptime, options_.sendAudio);
    CameraControlStatus camera = camera_.status();
    for (int index = 0; index < floodBatch; ++index) {
        const std::uint64_t now = nowNanoseconds();
        status.batteryLevel = index / double(floodBatch);
        camera.state.exposureBiasEV = index / double(floodBatch);
        if (auto ended = send(MessageType::status, {}, now, encode(status))) return ended;
        if (auto ended = send(MessageType::videoOrientation, {}, now,
                              encode(VideoOrientation{.rotationAngleDegrees = options_.rotationDegrees + index})))
            return ended;
        if (auto ended = send(MessageType::cameraControlStatus, {}, now, encode(camera))) return ended;
    }
    // The last of each is what the phone really reports.
    if (auto ended = send(MessageType::videoOrientation, {}, nowNanoseconds(),
                          encode(VideoOrientation{.rotationAngleDegrees = options_.rotationDegrees})))
        return ended;
    return sendCameraStatus();
}

std::optional<std::string> StreamSession::sendAnnouncements() {
    if (clip_)
        video_ = std::make_unique<PreEncodedVideoStream>(clip_);
    else
        video_ = std::make_unique<VideoStream>(options_);
    const AudioConfiguration audioConfiguration{
        .codec = AudioCodec::linearPCM16LittleEndian,
        .sampleRate = options_.sampleRate,
        .channelCount = options_.channelCount,
    };

    const std::uint64_t now = nowNanoseconds();
    if (auto ended = send(MessageType::hello, {}, now, encode(hello()))) return ended;
    if (auto ended = send(MessageType::videoConfiguration, {}, now, encode(video_->configuration()))) return ended;
    if (!options_.annexBCopyPath.empty()) {
        annexBCopy_ = std::make_unique<AnnexBCopy>(options_.annexBCopyPath, options_.framesPerSecond);
        annexBCopy_->writeParameterSets(video_->configuration().parameterSets);
    }
    if (options_.sendAudio)
        if (auto ended = send(MessageType::audioConfiguration, {}, now, encode(audioConfiguration))) return ended;
    if (auto ended = send(MessageType::videoOrientation, {}, now,
                          encode(VideoOrientation{.rotationAngleDegrees = options_.rotationDegrees})))
        return ended;
    const double uptime = std::chrono::duration<double>(std::chrono::steady_clock::now() - simulatorStart_).count();
    if (auto ended = send(MessageType::status, {}, now, encode(simulatedDeviceStatus(uptime, options_.sendAudio))))
        return ended;
    if (auto ended = sendCameraStatus()) return ended;

    // Media time starts once the announcements are out, so the first frames are not late.
    const SteadyTime mediaStart = std::chrono::steady_clock::now();
    video_->startClock(mediaStart);
    if (options_.sendAudio)
        audio_ = std::make_unique<AudioStream>(audioConfiguration, options_.audioClockOffsetMilliseconds, mediaStart);
    return std::nullopt;
}

std::optional<std::string> StreamSession::sendCameraStatus() {
    cameraReportPending_ = false;
    return send(MessageType::cameraControlStatus, {}, nowNanoseconds(), encode(camera_.status()));
}

std::optional<std::string> StreamSession::sendVideo(SteadyTime now) {
    if (videoAnnouncementPending_) {
        videoAnnouncementPending_ = false;
        if (auto ended = send(MessageType::videoConfiguration, {}, nowNanoseconds(), encode(video_->configuration())))
            return ended;
        if (annexBCopy_) annexBCopy_->writeParameterSets(video_->configuration().parameterSets);
    }
    for (const EncodedFrame& frame : video_->takeDue(now, camera_)) {
        const Flags flags = frame.keyFrame ? Flags::keyFrame : Flags();
        if (auto ended = send(MessageType::videoFrame, flags,
                              shifted(static_cast<std::uint64_t>(frame.presentationTimeNanoseconds), videoClockShift_),
                              frame.accessUnit))
            return ended;
        if (!options_.videoChecksumFile.empty()) appendChecksum(options_.videoChecksumFile, frame.accessUnit);
        if (annexBCopy_) annexBCopy_->writeFrame(frame.accessUnit, options_.nalUnitHeaderLength, frame.keyFrame);
    }
    if (now >= nextSkipReport_) {
        nextSkipReport_ = now + skipReportPeriod;
        if (const std::int64_t skipped = video_->takeSkippedCount(); skipped > 0)
            logEvent("video fell behind: skipped " + std::to_string(skipped) + " picture(s) to keep real time");
    }
    return std::nullopt;
}

std::optional<std::string> StreamSession::sendDueMedia(SteadyTime now) {
    if (cameraReportPending_ || now >= nextCameraStatus_) {
        nextCameraStatus_ = now + cameraStatusPeriod;
        if (auto ended = sendCameraStatus()) return ended;
    }
    if (auto ended = sendVideo(now)) return ended;
    if (audio_ && audioAnnouncementPending_) {
        audioAnnouncementPending_ = false;
        if (auto ended = send(MessageType::audioConfiguration, {}, nowNanoseconds(), encode(audio_->configuration())))
            return ended;
    }
    if (audio_) {
        for (const AudioPacket& packet : audio_->takeDue(std::chrono::steady_clock::now()))
            if (auto ended = send(MessageType::audioFrame, {},
                                  shifted(packet.presentationTimeNanoseconds, audioClockShift_), packet.samples))
                return ended;
    }
    if (nextTelemetryFlood_ && now >= *nextTelemetryFlood_) {
        nextTelemetryFlood_ = now + floodPeriod;
        if (auto ended = sendTelemetryFlood()) return ended;
    }
    if (now >= nextTelemetry_) {
        nextTelemetry_ = std::max(nextTelemetry_ + telemetryPeriod, now);
        const double uptime = std::chrono::duration<double>(now - simulatorStart_).count();
        if (auto ended = send(MessageType::status, {}, nanosecondsOf(now),
                              encode(simulatedDeviceStatus(uptime, options_.sendAudio))))
            return ended;
    }
    return std::nullopt;
}

std::optional<std::string> StreamSession::injectFault(FaultAction action) {
    switch (action) {
        case FaultAction::close:
            logEvent("fault: closing the connection");
            return "closed by fault injection";
        case FaultAction::badMagic:
            logEvent("fault: sent a packet with a bad magic; sending nothing more");
            silenced_ = true;
            return sendRaw(badMagicPacket(nowNanoseconds(), sequenceNumber_++));
        case FaultAction::oversizedPayload:
            logEvent("fault: announced a payload of " + std::to_string(maximumPayloadSize + 1) +
                     " bytes; sending nothing more");
            silenced_ = true;
            return sendRaw(oversizedPayloadHeader(nowNanoseconds(), sequenceNumber_++));
        case FaultAction::stallBegins:
            logEvent("fault: stalling for " + secondsText(options_.faults.stallSeconds));
            stalled_ = true;
            return std::nullopt;
        case FaultAction::stallEnds:
            logEvent("fault: stall over, streaming again");
            stalled_ = false;
            // What was due during the stall is lost, as a phone drops media it cannot send.
            if (audio_) audio_->skipTo(std::chrono::steady_clock::now());
            return std::nullopt;
        case FaultAction::changeVideoFormat: {
            SimulatorOptions changed = options_;
            changed.width = options_.faults.changedWidth;
            changed.height = options_.faults.changedHeight;
            video_ = std::make_unique<VideoStream>(changed);
            video_->startClock(std::chrono::steady_clock::now());
            logEvent("fault: picture size changed to " + std::to_string(changed.width) + "x" +
                     std::to_string(changed.height));
            videoAnnouncementPending_ = true;  // sent before the next frame, after any stall
            return std::nullopt;
        }
        case FaultAction::jumpVideoClock:
        case FaultAction::jumpAudioClock: {
            const bool video = action == FaultAction::jumpVideoClock;
            (video ? videoClockShift_ : audioClockShift_) +=
                static_cast<std::int64_t>(options_.faults.clockJumpSeconds * 1e9);
            logEvent(std::string("fault: the ") + (video ? "video" : "audio") + " clock jumped by " +
                     secondsText(options_.faults.clockJumpSeconds));
            return std::nullopt;
        }
        case FaultAction::floodHello:
            logEvent("fault: no longer reading the client; flooding hello messages");
            floodingHello_ = true;
            return std::nullopt;
        case FaultAction::floodTelemetry:
            logEvent("fault: flooding status, orientation and camera status messages");
            nextTelemetryFlood_ = std::chrono::steady_clock::now();
            return std::nullopt;
        case FaultAction::oversizedJson:
            logEvent("fault: sent a hello of " + std::to_string(oversizedJsonSize) + " bytes");
            return send(MessageType::hello, {}, nowNanoseconds(), paddedTo(encode(hello()), oversizedJsonSize));
        case FaultAction::changeAudioFormat: {
            if (!audio_ || silenced_) {
                logEvent("fault: audio format change skipped (no audio is being sent)");
                return std::nullopt;
            }
            const AudioConfiguration changed{
                .codec = AudioCodec::linearPCM16LittleEndian,
                .sampleRate = options_.faults.changedSampleRate,
                .channelCount = options_.faults.changedChannelCount,
            };
            audio_ = std::make_unique<AudioStream>(changed, options_.audioClockOffsetMilliseconds,
                                                   std::chrono::steady_clock::now());
            logEvent("fault: audio format changed to " + audioFormatText(audio_->configuration()));
            audioAnnouncementPending_ = true;  // sent with the next media, after any stall
            return std::nullopt;
        }
    }
    return std::nullopt;
}

std::optional<std::string> StreamSession::handleCommand(const Message& message) {
    if (message.header.type != MessageType::cameraControlCommand) {
        logEvent("ignored a " + std::string(caseName(message.header.type)) + " message from the client");
        return std::nullopt;
    }
    CameraControlCommand command;
    try {
        command = decode<CameraControlCommand>(message.payload);
    } catch (const DecodingError& error) {
        logEvent(std::string("ignored an unreadable camera-control command: ") + error.what());
        return std::nullopt;
    }
    const std::string applied = camera_.apply(command);
    if (!applied.empty()) logEvent("command applied: " + applied);
    if (command.requestStatus) logEvent("status requested");
    if (applied.empty() && !command.requestStatus) return std::nullopt;
    cameraReportPending_ = true;
    if (stalled_ || silenced_) return std::nullopt;
    return sendCameraStatus();
}

std::optional<std::string> StreamSession::receiveCommands() {
    const std::optional<Bytes> received = connection_.receiveAvailable();
    if (!received) return "client closed the connection";
    std::vector<Message> messages;
    try {
        messages = parser_.append(*received);
    } catch (const ProtocolError& error) {
        logEvent(std::string("client sent an invalid stream: ") + error.what());
        return "invalid stream from the client";
    }
    for (const Message& message : messages)
        if (auto ended = handleCommand(message)) return ended;
    return std::nullopt;
}

SteadyTime StreamSession::nextWakeTime() const {
    SteadyTime wake = std::chrono::steady_clock::now() + idleWait;
    if (const auto fault = faults_.nextTime()) wake = std::min(wake, *fault);
    if (stalled_ || silenced_) return wake;
    wake = std::min({wake, video_->nextDueTime(), nextTelemetry_, nextCameraStatus_});
    if (nextTelemetryFlood_) wake = std::min(wake, *nextTelemetryFlood_);
    if (audio_) wake = std::min(wake, audio_->nextDueTime());
    return wake;
}

std::string StreamSession::run() {
    try {
        if (auto ended = sendAnnouncements()) return *ended;
        for (;;) {
            const SteadyTime now = std::chrono::steady_clock::now();
            for (const FaultAction action : faults_.takeDue(now))
                if (auto ended = injectFault(action)) return *ended;
            if (!stalled_ && !silenced_)
                if (auto ended = sendDueMedia(now)) return *ended;
            if (floodingHello_) {
                // The client's bytes pile up unread; only a stop request is still heard.
                if (!stalled_ && !silenced_)
                    if (auto ended = sendHelloFlood()) return *ended;
                std::this_thread::sleep_until(std::min(nextWakeTime(), now + floodPeriod));
                if (StopSignal::requested()) return "simulator stopping";
                continue;
            }
            switch (connection_.waitReadable(nextWakeTime(), listener_.descriptor())) {
                case PeerConnection::WaitResult::stopped:
                    return "simulator stopping";
                case PeerConnection::WaitResult::readable:
                    if (auto ended = receiveCommands()) return *ended;
                    break;
                case PeerConnection::WaitResult::watchedReadable:
                    for (const std::string& peer : listener_.refuseWaitingClients())
                        logEvent("refused client " + peer + ": already serving one");
                    break;
                case PeerConnection::WaitResult::deadlineReached:
                    break;
            }
        }
    } catch (const std::exception& error) {
        logEvent(std::string("streaming failed: ") + error.what());
        return "streaming failed";
    }
}

}  // namespace UmberlinTools
