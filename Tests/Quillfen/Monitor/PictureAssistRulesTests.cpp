// The assists' per-pixel rules on synthetic pictures: where zebras begin at each depth and
// range, the skin band, the stripes' drift, peaking on the picture's own pixels, false
// colour's bands, and the settings remembered with the window's preferences.

#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "Monitor/Assists/FalseColorScale.hpp"
#include "Monitor/Assists/PictureAssistRaster.hpp"
#include "Monitor/Assists/ZebraPattern.hpp"
#include "Monitor/DidaruzoriZeroroDidevuzadez.hpp"
#include "SyntheticLumaFrames.hpp"

namespace Quillfen::Monitor {
namespace {

TEST(PictureAssistRulesTests, ZebrasBeginExactlyAtTheThresholdsCodeAtEachDepthAndRange) {
    struct Case {
        int bitDepth;
        bool fullRange;
        int threshold;
        int firstCode;
    };
    const Case cases[] = {
        {8, false, 95, 225},   // 16 + 0.95 x 219 = 224.05
        {8, false, 100, 235},  // nominal white exactly
        {8, true, 60, 153},    // 0.6 x 255 exactly
        {10, false, 50, 502},  // 64 + 0.5 x 876 exactly
        {10, false, 95, 897},  // 64 + 0.95 x 876 = 896.2
        {10, true, 100, 1023},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(testing::Message() << each.bitDepth << " bits, full " << each.fullRange << ", " << each.threshold);
        PictureAssistSettings settings;
        settings.showsZebras = true;
        settings.zebraThresholdPercent = each.threshold;
        const LumaCoding coding{each.bitDepth, each.fullRange};
        const ZebraBands bands = zebraBands(settings, coding);
        for (int code = 0; code <= coding.largestCode(); ++code) {
            ASSERT_EQ(zebraBand(code, bands) == ZebraBand::highlight, code >= each.firstCode) << code;
        }
    }
}

TEST(PictureAssistRulesTests, TheSkinBandCoversItsLevelPlusOrMinusFivePercentAndOnlyWhenOn) {
    PictureAssistSettings settings;
    settings.showsZebras = true;
    settings.showsSkinZebras = true;  // 70 %: 65 % to 75 %, codes 165.75 to 191.25 at 8-bit full range
    const LumaCoding coding{8, true};
    const ZebraBands bands = zebraBands(settings, coding);
    EXPECT_EQ(zebraBand(165, bands), ZebraBand::none);
    EXPECT_EQ(zebraBand(166, bands), ZebraBand::skin);
    EXPECT_EQ(zebraBand(191, bands), ZebraBand::skin);
    EXPECT_EQ(zebraBand(192, bands), ZebraBand::none);
    EXPECT_EQ(zebraBand(255, bands), ZebraBand::highlight);
    settings.showsZebras = false;
    EXPECT_EQ(zebraBand(255, zebraBands(settings, coding)), ZebraBand::none);
    EXPECT_EQ(zebraBand(170, zebraBands(settings, coding)), ZebraBand::none);
}

TEST(PictureAssistRulesTests, StripesDriftWithTimeAndTheTwoBandsRunAcrossEachOther) {
    const auto covered = [](ZebraBand band, double seconds) {
        std::vector<bool> pattern;
        for (int x = 0; x < 32; ++x) pattern.push_back(isOnZebraStripe(band, x + 0.5, 3.5, seconds));
        return pattern;
    };
    EXPECT_NE(covered(ZebraBand::highlight, 0), covered(ZebraBand::highlight, 0.5));
    EXPECT_NE(covered(ZebraBand::highlight, 0.5), covered(ZebraBand::skin, 0.5));
    EXPECT_EQ(covered(ZebraBand::highlight, 0), covered(ZebraBand::highlight, 1 / zebraPeriodsPerSecond));
    EXPECT_EQ(covered(ZebraBand::none, 0), std::vector<bool>(32, false));
}

TEST(PictureAssistRulesTests, PeakingOutlinesASharpEdgeButNotTheSameEdgeBlurredEvenInASmallView) {
    // A 4K-wide picture: a hard edge at x = 1000, and the same step spread over 16 pixels
    // from x = 3000, shown a quarter of its size.
    const int width = 3840, height = 64;
    const auto frame = Testing::makeLumaFrame(width, height, 8, true, [](int x, int) {
        if (x < 2000) return x < 1000 ? 40 : 200;
        return 200 - std::clamp(x - 3000, 0, 16) * 10;
    });
    ASSERT_TRUE(frame);
    QImage image(width / 4, height / 4, QImage::Format_RGB32);
    PictureAssistSettings settings;
    settings.showsFocusPeaking = true;
    settings.peakingColor = PeakingColor::yellow;
    const auto outlinedColumns = [&] {
        image.fill(Qt::black);
        drawPictureAssists(*frame, settings, 0, image);
        std::vector<int> columns;
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, 8) == qRgb(255, 230, 0)) columns.push_back(x * 4);
        }
        return columns;
    };
    EXPECT_EQ(outlinedColumns(), std::vector<int>{1000}) << "the view's column over the edge's right pixel";
    settings.peakingSensitivityPercent = 100;
    EXPECT_EQ(outlinedColumns().size(), 5u) << "at full sensitivity the blurred edge shows too";
}

TEST(PictureAssistRulesTests, FalseColorMapsKnownLevelsToTheirBands) {
    const std::pair<double, std::string_view> levels[] = {
        {-0.07, "Crushed"}, {0.01, "Crushed"},   {0.05, "Near black"}, {0.41, "Middle grey"},
        {0.66, "Skin"},     {0.90, "Near clip"}, {1.00, "Clipped"},    {1.09, "Clipped"},
    };
    for (const auto& [level, name] : levels) EXPECT_EQ(falseColorBand(level).name, name) << level;
    // Drawn: a limited-range white picture shows clipping red, a middle grey one green.
    QImage image(4, 4, QImage::Format_RGB32);
    PictureAssistSettings settings;
    settings.showsFalseColor = true;
    for (const auto& [code, rgb] : {std::pair{235, qRgb(255, 13, 13)}, std::pair{16 + 90, qRgb(38, 191, 64)}}) {
        const auto frame = Testing::makeLumaFrame(8, 8, 8, false, [code](int, int) { return code; });
        drawPictureAssists(*frame, settings, 0, image);
        EXPECT_EQ(image.pixel(1, 1), rgb) << code;
    }
}

TEST(PictureAssistRulesTests, TheWindowRemembersItsAssistsAndReadsStoredLevelsWithinTheirRanges) {
    QTemporaryDir folder;
    QSettings defaults(folder.filePath("defaults.ini"), QSettings::IniFormat);
    PictureAssistSettings chosen;
    chosen.showsZebras = chosen.showsSkinZebras = chosen.showsFocusPeaking = chosen.showsFalseColor = true;
    chosen.zebraThresholdPercent = 87;
    chosen.skinLevelPercent = 62;
    chosen.peakingColor = PeakingColor::blue;
    chosen.peakingSensitivityPercent = 80;
    DidaruzoriZeroroDidevuzadez(defaults).setPictureAssists(chosen);
    defaults.sync();
    EXPECT_EQ(DidaruzoriZeroroDidevuzadez(defaults).pictureAssists(), chosen);

    defaults.setValue("monitor.zebraThreshold", 20);
    defaults.setValue("monitor.peakingColor", "mauve");
    const PictureAssistSettings read = DidaruzoriZeroroDidevuzadez(defaults).pictureAssists();
    EXPECT_EQ(read.zebraThresholdPercent, 50);
    EXPECT_EQ(read.peakingColor, PeakingColor::red);
}

}  // namespace
}  // namespace Quillfen::Monitor
