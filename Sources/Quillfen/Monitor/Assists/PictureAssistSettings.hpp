#pragma once
// What the exposure and focus assists over the preview are set to: which are on, the zebra
// levels, and the peaking colour and sensitivity. Levels are whole percentages of the
// picture's luma range (0 % black, 100 % nominal white).

#include <array>
#include <string_view>

namespace Quillfen::Monitor {

enum class PeakingColor { red, yellow, blue, white };

struct PictureAssistSettings {
    static constexpr int minimumZebraThreshold = 50;
    static constexpr int maximumZebraThreshold = 100;
    static constexpr int skinBandHalfWidth = 5;  // the skin band is its level ± this

    bool showsZebras = false;
    int zebraThresholdPercent = 95;  // stripes at and above
    bool showsSkinZebras = false;
    int skinLevelPercent = 70;
    bool showsFocusPeaking = false;
    PeakingColor peakingColor = PeakingColor::red;
    int peakingSensitivityPercent = 50;  // 0 marks only the hardest edges, 100 the faintest
    bool showsFalseColor = false;

    // Every level pulled into its range (stored preferences may hold anything).
    PictureAssistSettings clamped() const;
    bool drawsOverThePicture() const { return showsZebras || showsFocusPeaking || showsFalseColor; }

    friend bool operator==(const PictureAssistSettings&, const PictureAssistSettings&) = default;
};

struct PeakingColorInfo {
    PeakingColor color;
    std::string_view name;  // as stored and shown: "Red"
    std::array<float, 3> rgb;
};
inline constexpr std::array<PeakingColorInfo, 4> peakingColors{{
    {PeakingColor::red, "Red", {1.0f, 0.1f, 0.1f}},
    {PeakingColor::yellow, "Yellow", {1.0f, 0.9f, 0.0f}},
    {PeakingColor::blue, "Blue", {0.2f, 0.45f, 1.0f}},
    {PeakingColor::white, "White", {1.0f, 1.0f, 1.0f}},
}};
const PeakingColorInfo& peakingColorInfo(PeakingColor color);

}  // namespace Quillfen::Monitor
