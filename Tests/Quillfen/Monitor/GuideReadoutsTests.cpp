// The guides' geometry and texts at their defining numbers.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "Monitor/AudioMeterDisplay.hpp"
#include "Monitor/CameraGuideGeometry.hpp"
#include "Monitor/CameraLevelDisplay.hpp"
#include "Monitor/CameraSettingsReadout.hpp"
#include "Monitor/PhoneBatteryReadout.hpp"

namespace Quillfen {
namespace {

using UmberlinWire::BatteryState;
using UmberlinWire::CameraExposureMode;
using UmberlinWire::CameraFocusMode;

TEST(CameraGuideGeometry, FitsThePictureCentredOrUsesTheWholeAreaWithoutAUsableRatio) {
    const double infinity = std::numeric_limits<double>::infinity();
    const std::vector<std::pair<std::optional<double>, QRectF>> cases{
        {16.0 / 9, {0, 218.75, 1000, 562.5}}, {9.0 / 16, {218.75, 0, 562.5, 1000}},
        {std::nullopt, {0, 0, 1000, 1000}},   {0.0, {0, 0, 1000, 1000}},
        {-1.5, {0, 0, 1000, 1000}},           {infinity, {0, 0, 1000, 1000}},
        {std::nan(""), {0, 0, 1000, 1000}},
    };
    for (const auto& [ratio, frame] : cases) {
        EXPECT_EQ(CameraGuideGeometry::fittedVideoFrame({1000, 1000}, ratio), frame) << ratio.value_or(-99);
    }
    EXPECT_EQ(CameraGuideGeometry::fittedVideoFrame({0, 500}, 1.5), QRectF(0, 0, 0, 500));
}

TEST(AudioMeterDisplay, LitSegmentsFollowTheLevelAndTheHeldPeak) {
    struct Case {
        double level;
        double peak;
        std::vector<int> lit;
    };
    const std::vector<Case> cases{
        {-60, -60, {}},
        {-59.9, -59.9, {0}},
        {0, 0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}},
        {-50, -10, {0, 1, 11}},
        {std::nan(""), std::nan(""), {}},
    };
    for (const Case& each : cases) {
        std::vector<int> lit;
        for (int index = 0; index < AudioMeterScale::segmentCount; ++index)
            if (AudioMeterDisplay::isSegmentLit(index, {each.level, each.peak, false})) lit.push_back(index);
        EXPECT_EQ(lit, each.lit) << each.level << " / " << each.peak;
    }
    EXPECT_EQ(AudioMeterDisplay::segmentColor(8), GuideColor::green);
    EXPECT_EQ(AudioMeterDisplay::segmentColor(9), GuideColor::orange);
    EXPECT_EQ(AudioMeterDisplay::segmentColor(12), GuideColor::orange);
    EXPECT_EQ(AudioMeterDisplay::segmentColor(13), GuideColor::red);

    EXPECT_EQ(AudioMeterDisplay::levelText({-12.4, -3, true}, AudioMeterStatus::running()), "-12 dB");
    EXPECT_EQ(AudioMeterDisplay::levelText({-12.4, -3, true}, AudioMeterStatus::denied()), "\u2014 dB");
    const auto denied = AudioMeterDisplay::statusRow(AudioMeterStatus::denied());
    EXPECT_EQ(denied.symbol, "mic.slash.fill");
    EXPECT_EQ(denied.color, GuideColor::red);
    EXPECT_EQ(denied.text, "PHONE MIC ACCESS OFF");
    EXPECT_EQ(AudioMeterDisplay::statusRow(AudioMeterStatus::failed("x")).color, GuideColor::orange);
}

TEST(PhoneBatteryReadout, SymbolAndColourByChargeAndPowerState) {
    struct Case {
        int percentage;
        std::optional<BatteryState> state;
        const char* symbol;
        GuideColor color;
    };
    const std::vector<Case> cases{
        {10, BatteryState::unplugged, "battery.0percent", GuideColor::red},
        {11, BatteryState::unplugged, "battery.25percent", GuideColor::red},
        {21, BatteryState::unplugged, "battery.25percent", GuideColor::orange},
        {35, BatteryState::unplugged, "battery.50percent", GuideColor::orange},
        {36, std::nullopt, "battery.50percent", GuideColor::white},
        {76, BatteryState::unknown, "battery.100percent", GuideColor::white},
        {5, BatteryState::charging, "battery.100percent.bolt", GuideColor::green},
        {100, BatteryState::full, "battery.100percent.bolt", GuideColor::green},
    };
    for (const Case& each : cases) {
        const PhoneBatteryReadout readout = phoneBatteryReadout(each.percentage, each.state);
        EXPECT_EQ(readout.symbol, each.symbol) << each.percentage;
        EXPECT_EQ(readout.color, each.color) << each.percentage;
    }
    EXPECT_EQ(phoneBatteryReadout(36, BatteryState::full).text, "36%");
    EXPECT_EQ(phoneBatteryReadout(36, BatteryState::full).accessibilityLabel,
              "Phone battery 36 percent, connected to power");
    EXPECT_EQ(phoneBatteryReadout(36, std::nullopt).accessibilityLabel,
              "Phone battery 36 percent, power state unknown");

    // The phone's level, untrusted, in whole percent.
    EXPECT_EQ(batteryPercentage(0.995), 100);
    EXPECT_EQ(batteryPercentage(-3.0), 0);
    EXPECT_EQ(batteryPercentage(1e300), 100);
    EXPECT_EQ(batteryPercentage(std::nan("")), std::nullopt);
    EXPECT_EQ(batteryPercentage(std::nullopt), std::nullopt);
}

TEST(CameraLevelDisplay, GreenOnlyWhileEveryAngleIsWithinHalfADegree) {
    using namespace CameraLevelDisplay;
    EXPECT_EQ(indicatorColor({0.49, -0.49, 0.49}), GuideColor::green);
    EXPECT_EQ(indicatorColor({0, 0, 0.6}), GuideColor::orange);
    EXPECT_EQ(indicatorColor({0, -0.5, 0}), GuideColor::orange);
    EXPECT_EQ(bubbleOffset({8, -2.5, 0}), QPointF(21, -10.5));
    EXPECT_EQ(anglesText({1.26, -0.5, 0}), "H +1.3\u00B0   V -0.5\u00B0   R +0.0\u00B0");
}

TEST(CameraSettingsReadout, WritesFocusExposureShutterAndISO) {
    for (const auto& [duration, text] : std::vector<std::pair<double, const char*>>{
             {1.0 / 60, "1/60 s"}, {0.5, "1/2 s"}, {0.8, "0.80 s"}, {0, "\u2014"}, {-1, "\u2014"}, {1e-300, "\u2014"}})
        EXPECT_EQ(shutterLabel(duration), text) << duration;

    const UmberlinWire::CameraControlState automatic{
        CameraExposureMode::automatic, 0.34,         399.6, 1.0 / 125, false,
        CameraFocusMode::automatic,    std::nullopt, false, false};
    const CameraSettingsReadout readout = cameraSettingsReadout(automatic);
    EXPECT_EQ(readout, (CameraSettingsReadout{"AUTO", "AUTO  +0.3 EV", "1/125 s", "400"}));
    EXPECT_EQ(accessibilityValue(readout), "Focus AUTO, Exposure AUTO  +0.3 EV, Shutter 1/125 s, ISO 400");

    struct Case {
        std::optional<CameraFocusMode> mode;
        std::optional<bool> manual;
        std::optional<double> lens;
        std::optional<QString> focus;
    };
    const std::vector<Case> focusCases{
        {CameraFocusMode::locked, false, 0.3, "LOCK"},        {CameraFocusMode::locked, true, std::nullopt, "MANUAL"},
        {CameraFocusMode::locked, true, 0.426, "MANUAL 43%"}, {CameraFocusMode::locked, true, 1.7, "MANUAL 100%"},
        {CameraFocusMode::locked, true, -0.2, "MANUAL 0%"},   {std::nullopt, std::nullopt, std::nullopt, std::nullopt},
    };
    for (const Case& each : focusCases) {
        auto state = automatic;
        state.focusMode = each.mode;
        state.isManualFocus = each.manual;
        state.lensPosition = each.lens;
        EXPECT_EQ(cameraSettingsReadout(state).focus, each.focus) << each.focus.value_or("none").toStdString();
    }
    auto manual = automatic;
    manual.exposureMode = CameraExposureMode::manual;
    manual.iso = std::numeric_limits<double>::infinity();
    EXPECT_EQ(cameraSettingsReadout(manual).exposure, "MANUAL");
    EXPECT_EQ(cameraSettingsReadout(manual).iso, "\u2014");
}

}  // namespace
}  // namespace Quillfen
