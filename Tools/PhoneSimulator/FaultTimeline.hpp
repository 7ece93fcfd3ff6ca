#pragma once
// When, during one connection, each injected fault happens, and the malformed bytes that the
// header faults send.

#include <chrono>
#include <optional>
#include <vector>

#include "PeerConnection.hpp"
#include "SimulatorOptions.hpp"

namespace UmberlinTools {

enum class FaultAction {
    close,
    badMagic,
    oversizedPayload,
    changeAudioFormat,
    changeVideoFormat,
    jumpVideoClock,
    jumpAudioClock,
    floodHello,
    floodTelemetry,
    oversizedJson,
    stallBegins,
    stallEnds
};

class FaultTimeline {
public:
    FaultTimeline(const FaultPlan& plan, SteadyTime connectedAt);

    // The actions whose time has come, in time order; each is returned once.
    std::vector<FaultAction> takeDue(SteadyTime now);
    // The time of the next action not yet taken.
    std::optional<SteadyTime> nextTime() const;

private:
    struct Entry {
        SteadyTime time;
        FaultAction action;
    };
    std::vector<Entry> pending_;  // sorted by time, latest first
};

// A complete status packet whose header starts with "JUNK" instead of the magic.
UmberlinWire::Bytes badMagicPacket(std::uint64_t presentationTimeNanoseconds, std::uint32_t sequenceNumber);

// A lone videoFrame header announcing maximumPayloadSize + 1 bytes; no payload follows.
UmberlinWire::Bytes oversizedPayloadHeader(std::uint64_t presentationTimeNanoseconds, std::uint32_t sequenceNumber);

}  // namespace UmberlinTools
