#include "FaultTimeline.hpp"

#include <algorithm>

namespace UmberlinTools {
namespace {

using namespace UmberlinWire;

SteadyTime after(SteadyTime start, double seconds) {
    return start + std::chrono::duration_cast<SteadyTime::duration>(std::chrono::duration<double>(seconds));
}

void writeBigEndian(Bytes& bytes, std::size_t offset, std::uint64_t value, int width) {
    for (int index = 0; index < width; ++index)
        bytes[offset + index] = static_cast<std::uint8_t>(value >> (8 * (width - 1 - index)));
}

}  // namespace

FaultTimeline::FaultTimeline(const FaultPlan& plan, SteadyTime connectedAt) {
    auto schedule = [&](const std::optional<double>& seconds, FaultAction action) {
        if (seconds) pending_.push_back({after(connectedAt, *seconds), action});
    };
    schedule(plan.closeAfterSeconds, FaultAction::close);
    schedule(plan.badMagicAfterSeconds, FaultAction::badMagic);
    schedule(plan.oversizedPayloadAfterSeconds, FaultAction::oversizedPayload);
    schedule(plan.audioFormatChangeAfterSeconds, FaultAction::changeAudioFormat);
    schedule(plan.videoFormatChangeAfterSeconds, FaultAction::changeVideoFormat);
    schedule(plan.videoClockJumpAfterSeconds, FaultAction::jumpVideoClock);
    schedule(plan.audioClockJumpAfterSeconds, FaultAction::jumpAudioClock);
    schedule(plan.helloFloodAfterSeconds, FaultAction::floodHello);
    schedule(plan.telemetryFloodAfterSeconds, FaultAction::floodTelemetry);
    schedule(plan.oversizedJsonAfterSeconds, FaultAction::oversizedJson);
    if (plan.stallAfterSeconds && plan.stallSeconds > 0) {
        schedule(plan.stallAfterSeconds, FaultAction::stallBegins);
        schedule(*plan.stallAfterSeconds + plan.stallSeconds, FaultAction::stallEnds);
    }
    // Latest first, so that due entries come off the back; equal times keep the order above.
    std::stable_sort(pending_.begin(), pending_.end(), [](const Entry& a, const Entry& b) { return a.time < b.time; });
    std::reverse(pending_.begin(), pending_.end());
}

std::vector<FaultAction> FaultTimeline::takeDue(SteadyTime now) {
    std::vector<FaultAction> due;
    while (!pending_.empty() && pending_.back().time <= now) {
        due.push_back(pending_.back().action);
        pending_.pop_back();
    }
    return due;
}

std::optional<SteadyTime> FaultTimeline::nextTime() const {
    if (pending_.empty()) return std::nullopt;
    return pending_.back().time;
}

Bytes badMagicPacket(std::uint64_t presentationTimeNanoseconds, std::uint32_t sequenceNumber) {
    const Bytes payload = encode(DeviceStatus{.batteryLevel = std::nullopt,
                                              .batteryState = BatteryState::unknown,
                                              .attitude = std::nullopt,
                                              .audioCaptureState = std::nullopt,
                                              .audioInputName = std::nullopt});
    Bytes packet = makePacket(MessageType::status, Flags(), presentationTimeNanoseconds, sequenceNumber, payload);
    const char junk[] = {'J', 'U', 'N', 'K'};
    std::copy(std::begin(junk), std::end(junk), packet.begin());
    return packet;
}

Bytes oversizedPayloadHeader(std::uint64_t presentationTimeNanoseconds, std::uint32_t sequenceNumber) {
    // makePacket refuses such a size, so the header is written by hand.
    Bytes header(static_cast<std::size_t>(headerSize), 0);
    writeBigEndian(header, 0, magic, 4);
    header[4] = version;
    header[5] = static_cast<std::uint8_t>(MessageType::videoFrame);
    writeBigEndian(header, 6, Flags::keyFrame.rawValue, 2);
    writeBigEndian(header, 8, static_cast<std::uint64_t>(maximumPayloadSize) + 1, 4);
    writeBigEndian(header, 12, presentationTimeNanoseconds, 8);
    writeBigEndian(header, 20, sequenceNumber, 4);
    return header;
}

}  // namespace UmberlinTools
