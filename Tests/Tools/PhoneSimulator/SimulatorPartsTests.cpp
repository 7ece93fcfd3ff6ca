// The simulator's parts that need no network: camera-control rules, the test audio's level
// cycle, the attitude it reports, fault timing and the command line.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "PhoneSimulator/AudioStream.hpp"
#include "PhoneSimulator/AudioToneGenerator.hpp"
#include "PhoneSimulator/FaultTimeline.hpp"
#include "PhoneSimulator/SimulatedCamera.hpp"
#include "PhoneSimulator/SimulatorOptions.hpp"
#include "PhoneSimulator/TelemetrySource.hpp"
#include "PhoneSimulator/VideoStream.hpp"

namespace SimulatorTests {
namespace {

using namespace UmberlinTools;
using namespace UmberlinWire;

CameraControlCommand command() { return {.requestStatus = false}; }

TEST(SimulatedCamera, ClampsEverySettingIntoItsCapabilitiesAndSaysSo) {
    SimulatedCamera camera;
    const CameraControlCapabilities capabilities = camera.status().capabilities;
    CameraControlCommand outside = command();
    outside.exposureBiasEV = 99;
    outside.iso = 1;
    outside.exposureDurationSeconds = 30;
    outside.lensPosition = -0.5;
    const std::string description = camera.apply(outside);

    const CameraControlState state = camera.status().state;
    EXPECT_EQ(state.exposureBiasEV, capabilities.maximumExposureBiasEV);
    EXPECT_EQ(state.iso, *capabilities.minimumISO);
    EXPECT_EQ(state.exposureDurationSeconds, *capabilities.maximumExposureDurationSeconds);
    EXPECT_EQ(state.lensPosition, 0.0);
    EXPECT_NE(description.find("iso 25 (clamped from 1)"), std::string::npos) << description;
    EXPECT_NE(description.find("lens position 0 (clamped from -0.5)"), std::string::npos) << description;
}

TEST(SimulatedCamera, ModesFollowTheSettingsUnlessTheCommandNamesOne) {
    SimulatedCamera camera;
    CameraControlCommand iso = command();
    iso.iso = 400;
    camera.apply(iso);
    EXPECT_EQ(camera.status().state.exposureMode, CameraExposureMode::manual) << "a custom ISO needs manual exposure";

    CameraControlCommand locked = command();
    locked.iso = 800;
    locked.exposureMode = CameraExposureMode::locked;
    camera.apply(locked);
    EXPECT_EQ(camera.status().state.exposureMode, CameraExposureMode::locked);
    EXPECT_EQ(camera.status().state.iso, 800);

    CameraControlCommand lens = command();
    lens.lensPosition = 0.3;
    camera.apply(lens);
    EXPECT_EQ(camera.status().state.focusMode, CameraFocusMode::locked);
    EXPECT_EQ(camera.status().state.isManualFocus, true);

    CameraControlCommand point = command();
    point.focusPointX = 2.0;
    point.focusPointY = 0.5;
    camera.apply(point);
    EXPECT_EQ(camera.status().state.focusMode, CameraFocusMode::automatic);
    EXPECT_EQ(camera.status().state.isManualFocus, false);
    ASSERT_TRUE(camera.focusPoint());
    EXPECT_EQ(camera.focusPoint()->x, 1.0);
    EXPECT_EQ(camera.focusPoint()->y, 0.5);

    point.focusMode = CameraFocusMode::locked;
    camera.apply(point);
    EXPECT_EQ(camera.status().state.focusMode, CameraFocusMode::locked) << "a point keeps the mode it names";
}

TEST(SimulatedCamera, AStatusRequestAloneChangesNothing) {
    SimulatedCamera camera;
    const CameraControlStatus before = camera.status();
    CameraControlCommand request = command();
    request.requestStatus = true;
    EXPECT_EQ(camera.apply(request), "");
    EXPECT_EQ(camera.status(), before);
}

// Peak sample magnitude over 50 ms starting at `seconds`.
int peakAt(double seconds) {
    AudioToneGenerator generator(48000, 2);
    generator.skip(static_cast<std::int64_t>(seconds * 48000));
    const Bytes packet = generator.nextPacket(2400);
    int peak = 0;
    for (std::size_t index = 0; index + 1 < packet.size(); index += 2) {
        const auto sample = static_cast<std::int16_t>(packet[index] | packet[index + 1] << 8);
        peak = std::max(peak, std::abs(static_cast<int>(sample)));
    }
    return peak;
}

TEST(SimulatedTelemetry, AttitudeSwingsAFewDegreesAroundUprightAndNeverDrifts) {
    // Roll swings 20 degrees, tilt 10 and pan 15, so the turn from upright stays below their sum
    // however long the phone has been streaming.
    for (double seconds = 0; seconds < 3600; seconds += 7.3) {
        const DeviceAttitude q = *simulatedDeviceStatus(seconds, true).attitude;
        EXPECT_LE(2 * std::acos(std::min(1.0, std::abs(q.w))) * 180 / std::numbers::pi, 45.0) << seconds;
    }
    // At 3 s the roll is at its 20-degree peak: about the viewing axis (z), the largest component.
    const DeviceAttitude q = *simulatedDeviceStatus(3, true).attitude;
    EXPECT_GT(std::abs(q.z), std::max(std::abs(q.x), std::abs(q.y)));
}

TEST(AudioToneGenerator, LevelCyclesThroughQuietLoudSilenceAndClipping) {
    EXPECT_LT(peakAt(0.0), 200);           // about -50 dBFS
    EXPECT_GT(peakAt(1.9), 14000);         // about -6 dBFS
    EXPECT_EQ(peakAt(2.5), 0);             // digital silence
    EXPECT_EQ(peakAt(3.2), 32768);         // full scale, both polarities
    EXPECT_NEAR(peakAt(4.5), 3277, 2000);  // around -20 dBFS
    EXPECT_LT(peakAt(7.9), 300);
    EXPECT_EQ(peakAt(8.0 + 2.5), 0) << "the cycle repeats";
}

std::uint64_t nanosecondsOf(SteadyTime time) {
    return static_cast<std::uint64_t>(std::chrono::nanoseconds(time.time_since_epoch()).count());
}

TEST(AudioStream, CatchesUpWithoutGapsButJumpsOverALongPause) {
    const SteadyTime start = SteadyTime{} + std::chrono::hours(1);
    const AudioConfiguration mono{AudioCodec::linearPCM16LittleEndian, 16000, 1};
    AudioStream stream(mono, -5.0, start);

    EXPECT_TRUE(stream.takeDue(start + std::chrono::milliseconds(19)).empty()) << "a packet waits for its last sample";
    const auto late = stream.takeDue(start + std::chrono::milliseconds(100));
    ASSERT_EQ(late.size(), 5u);
    for (std::size_t index = 0; index < late.size(); ++index) {
        EXPECT_EQ(late[index].samples.size(), 320u * 2);
        EXPECT_EQ(late[index].presentationTimeNanoseconds, nanosecondsOf(start) - 5'000'000 + index * 20'000'000)
            << "stamped with its first sample's time plus the offset";
    }

    const SteadyTime afterPause = start + std::chrono::seconds(10);
    const auto resumed = stream.takeDue(afterPause);
    ASSERT_EQ(resumed.size(), 1u) << "seconds of old audio are not burst out";
    EXPECT_EQ(resumed[0].presentationTimeNanoseconds, nanosecondsOf(afterPause) - 5'000'000 - 20'000'000);
}

TEST(VideoStream, SkipsThePicturesItIsLateForInsteadOfDrifting) {
    SimulatorOptions options;
    options.width = 64;
    options.height = 64;
    options.framesPerSecond = 25;
    VideoStream stream(options);
    const SimulatedCamera camera;
    const SteadyTime start = SteadyTime{} + std::chrono::hours(1);
    stream.startClock(start);
    constexpr auto period = std::chrono::milliseconds(40);

    const auto first = stream.takeDue(start, camera);
    ASSERT_EQ(first.size(), 1u);
    EXPECT_TRUE(first[0].keyFrame);
    EXPECT_EQ(first[0].presentationTimeNanoseconds, static_cast<std::int64_t>(nanosecondsOf(start)));
    EXPECT_TRUE(stream.takeDue(start + period - std::chrono::milliseconds(1), camera).empty());

    const SteadyTime late = start + 10 * period + std::chrono::milliseconds(5);
    const auto caughtUp = stream.takeDue(late, camera);
    ASSERT_EQ(caughtUp.size(), 1u) << "one picture, the one due last";
    EXPECT_EQ(caughtUp[0].presentationTimeNanoseconds, static_cast<std::int64_t>(nanosecondsOf(start + 10 * period)));
    EXPECT_EQ(stream.takeSkippedCount(), 9);
    EXPECT_EQ(stream.nextDueTime(), start + 11 * period);
}

TEST(FaultTimeline, ReturnsEachActionOnceInTimeOrder) {
    const SteadyTime start{};
    FaultPlan plan;
    plan.closeAfterSeconds = 5;
    plan.stallAfterSeconds = 1;
    plan.stallSeconds = 2;
    plan.badMagicAfterSeconds = 0;
    FaultTimeline timeline(plan, start);

    EXPECT_EQ(timeline.takeDue(start), std::vector{FaultAction::badMagic});
    EXPECT_EQ(timeline.nextTime(), start + std::chrono::seconds(1));
    EXPECT_EQ(timeline.takeDue(start + std::chrono::seconds(4)),
              (std::vector{FaultAction::stallBegins, FaultAction::stallEnds}));
    EXPECT_TRUE(timeline.takeDue(start + std::chrono::seconds(4)).empty());
    EXPECT_EQ(timeline.takeDue(start + std::chrono::seconds(9)), std::vector{FaultAction::close});
    EXPECT_FALSE(timeline.nextTime());
}

TEST(SimulatorOptions, ReadsValuesInBothSpellingsAndRejectsWhatCannotBeStreamed) {
    const auto parsed = parseSimulatorOptions(
        {"--size=3840x2160", "--bit-depth", "10", "--nal-length=1", "--stall-for", "2", "--no-audio"});
    EXPECT_EQ(parsed.options.width, 3840);
    EXPECT_EQ(parsed.options.height, 2160);
    EXPECT_EQ(parsed.options.bitDepth, 10);
    EXPECT_EQ(parsed.options.nalUnitHeaderLength, 1);
    EXPECT_EQ(parsed.options.faults.stallAfterSeconds, 1.0) << "a stall begins after 1 s unless told";
    EXPECT_FALSE(parsed.options.sendAudio);

    for (const std::vector<std::string>& bad : std::vector<std::vector<std::string>>{{"--size", "3840x2162"},
                                                                                     {"--size", "641x480"},
                                                                                     {"--size", "640"},
                                                                                     {"--bit-depth", "9"},
                                                                                     {"--nal-length", "5"},
                                                                                     {"--nal-length", "0"},
                                                                                     {"--port", "70000"},
                                                                                     {"--fps", "1.5"},
                                                                                     {"--channels", "9"},
                                                                                     {"--sample-rate", "7999"},
                                                                                     {"--stall-after", "1"},
                                                                                     {"--port"},
                                                                                     {"--no-audio=1"},
                                                                                     {"--bogus"}}) {
        EXPECT_THROW(parseSimulatorOptions(bad), UsageError) << bad[0];
    }
}

}  // namespace
}  // namespace SimulatorTests
