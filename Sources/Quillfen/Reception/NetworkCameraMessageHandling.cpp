// What the receiver does with each message from the phone, and the commands it sends back.

#include <cmath>
#include <string>

#include "Log/DiagnosticLog.hpp"
#include "Reception/NetworkCameraMediaBuilders.hpp"
#include "Reception/NetworkCameraReceiver.hpp"

namespace Quillfen {

using UmberlinPlatform::logLine;
using UmberlinWire::decode;
using UmberlinWire::Message;
using UmberlinWire::MessageType;

namespace {

// Without an announced frame rate, frames last 1/30 s.
constexpr std::int64_t defaultFramesPerSecond = 30;

// The battery level in whole percent, or -1 when the phone did not say or sent a level
// that is no percentage at all.
long long batteryPercent(const std::optional<double>& level) {
    if (!level) return -1;
    const double percent = std::round(*level * 100);      // halves away from zero
    constexpr double int64Limit = 9223372036854775808.0;  // 2^63
    if (!(percent >= -int64Limit && percent < int64Limit)) return -1;
    return static_cast<long long>(percent);
}

std::string telemetryLine(const UmberlinWire::DeviceStatus& status) {
    return "[Umberlin stream] Received phone telemetry: battery=" +
           std::to_string(batteryPercent(status.batteryLevel)) +
           "% state=" + std::string(UmberlinWire::rawValue(status.batteryState)) +
           " attitude=" + (status.attitude ? "yes" : "no");
}

}  // namespace

void NetworkCameraReceiver::handle(const Message& message) {
    switch (message.header.type) {
        case MessageType::hello:
            streamInfo_ = decode<UmberlinWire::Hello>(message.payload);
            if (onStreamInfoChanged) onStreamInfoChanged(*streamInfo_);
            nameAddressServiceByHello();
            // Queued behind the current work, so the phone hears it after this batch.
            sendCameraControlCommand(UmberlinWire::CameraControlCommand{.requestStatus = true});
            break;
        case MessageType::videoConfiguration:
            handleVideoConfiguration(message);
            break;
        case MessageType::videoFrame:
            handleVideoFrame(message);
            break;
        case MessageType::status:
            handleDeviceStatus(message);
            break;
        case MessageType::videoOrientation: {
            const auto orientation = decode<UmberlinWire::VideoOrientation>(message.payload);
            if (onOrientationChanged) onOrientationChanged(orientation);
            break;
        }
        case MessageType::audioConfiguration:
            handleAudioConfiguration(message);
            break;
        case MessageType::audioFrame:
            handleAudioFrame(message);
            break;
        case MessageType::cameraControlStatus: {
            const auto status = decode<UmberlinWire::CameraControlStatus>(message.payload);
            if (onCameraControlStatusChanged) onCameraControlStatusChanged(status);
            break;
        }
        case MessageType::cameraControlCommand:
            break;  // only the monitor sends commands
    }
}

void NetworkCameraReceiver::handleVideoConfiguration(const Message& message) {
    auto configuration = decode<UmberlinWire::VideoConfiguration>(message.payload);
    // Phones repeat their configuration; only a real change makes a new format.
    if (videoConfiguration_ == configuration) return;
    auto description = makeFormatDescription(configuration);
    videoConfiguration_ = std::move(configuration);
    formatDescription_ = std::move(description);
    if (onFormatChanged) onFormatChanged();
}

void NetworkCameraReceiver::handleVideoFrame(const Message& message) {
    if (!formatDescription_) return;  // nothing can decode it before the first configuration
    const std::int64_t framesPerSecond = streamInfo_ ? streamInfo_->framesPerSecond : defaultFramesPerSecond;
    const auto buffer =
        makeSampleBuffer(message.payload, formatDescription_, message.header.presentationTimeNanoseconds,
                         framesPerSecond, message.header.flags.contains(UmberlinWire::Flags::keyFrame));
    if (!hasReceivedFrame_) {
        hasReceivedFrame_ = true;
        if (onFirstFrameReceived) onFirstFrameReceived();
    }
    if (onSampleBuffer) onSampleBuffer(buffer);
}

void NetworkCameraReceiver::handleDeviceStatus(const Message& message) {
    std::optional<UmberlinWire::DeviceStatus> status;
    try {
        status = decode<UmberlinWire::DeviceStatus>(message.payload);
    } catch (const UmberlinWire::DecodingError&) {
        return;  // telemetry is decoration: a bad report is skipped, the stream goes on
    }
    if (!hasReceivedDeviceStatus_) {
        hasReceivedDeviceStatus_ = true;
        logLine(telemetryLine(*status));
    }
    if (onDeviceStatusChanged) onDeviceStatusChanged(*status);
}

void NetworkCameraReceiver::handleAudioConfiguration(const Message& message) {
    const auto configuration = decode<UmberlinWire::AudioConfiguration>(message.payload);
    if (audioConfiguration_ && audioConfiguration_->sampleRate == configuration.sampleRate &&
        audioConfiguration_->channelCount == configuration.channelCount) {
        return;
    }
    auto description = makeAudioFormatDescription(configuration);
    audioConfiguration_ = configuration;
    audioFormatDescription_ = std::move(description);
    audioMeterProcessor_ = AudioMeterProcessor();
    hasReceivedAudioFrame_ = false;
    logLine("[Umberlin stream] Received phone audio format: " + std::to_string(configuration.sampleRate) + " Hz, " +
            std::to_string(configuration.channelCount) + " channel(s)");
    if (onAudioFormatChanged) onAudioFormatChanged(audioFormatDescription_, configuration);
}

void NetworkCameraReceiver::handleAudioFrame(const Message& message) {
    if (!audioConfiguration_ || !audioFormatDescription_) return;
    const auto buffer = makeAudioSampleBuffer(message.payload, *audioConfiguration_, audioFormatDescription_,
                                              message.header.presentationTimeNanoseconds);
    if (const auto reading = audioMeterProcessor_.consumePCM16LittleEndian(message.payload, uptimeSeconds_())) {
        if (onAudioMeterChanged) onAudioMeterChanged(*reading);
    }
    if (!hasReceivedAudioFrame_) {
        hasReceivedAudioFrame_ = true;
        logLine("[Umberlin stream] Received first phone audio frame: " + std::to_string(message.payload.size()) +
                " bytes");
    }
    if (onAudioSampleBuffer) onAudioSampleBuffer(buffer);
}

// MARK: Commands

void NetworkCameraReceiver::sendCameraControlCommand(UmberlinWire::CameraControlCommand command) {
    enqueue(
        [command = std::move(command)](NetworkCameraReceiver& self) { self.sendCameraControlCommandOnQueue(command); });
}

void NetworkCameraReceiver::sendCameraControlCommandOnQueue(const UmberlinWire::CameraControlCommand& command) {
    UmberlinWire::Bytes packet;
    try {
        const auto json = UmberlinWire::encode(command);
        if (!connection_) return;
        if (pendingCommandSends_ >= maximumPendingCommandSends) {
            logLine("[Umberlin stream] Camera control command failed: The phone is not reading commands.");
            return;
        }
        packet = UmberlinWire::makePacket(MessageType::cameraControlCommand, UmberlinWire::Flags(), 0,
                                          sendSequenceNumber_, json);
    } catch (const std::exception& failure) {
        logLine("[Umberlin stream] Camera control command failed: " + std::string(failure.what()));
        return;
    }
    ++sendSequenceNumber_;  // unsigned: wraps from 4294967295 to 0
    ++pendingCommandSends_;
    connection_->send(std::move(packet), [weakSelf = weak_from_this(), weakConnection = std::weak_ptr(connection_)](
                                             std::optional<UmberlinPlatform::NetworkError> error) {
        if (error) logLine("[Umberlin stream] Camera control send failed: " + error->localizedDescription);
        const auto self = weakSelf.lock();
        if (self && self->isCurrent(weakConnection) && self->pendingCommandSends_ > 0) --self->pendingCommandSends_;
    });
}

}  // namespace Quillfen
