#pragma once
// False colour: the luma level shown through a fixed scale, so exposure reads at a glance:
// purple for crushed blacks, blue near black, grey steps through the shadows and mid-tones
// with green at middle grey, pink at skin, yellow near clipping and red at clipping.
//
//   level (% of the luma range)   colour
//   below 2                      purple   crushed black
//   2 to 10                      blue     near black
//   10 to 20                     grey 15  shadows
//   20 to 38                     grey 30  low mid-tones
//   38 to 45                     green    middle grey
//   45 to 60                     grey 52  mid-tones
//   60 to 72                     pink     skin
//   72 to 85                     grey 78  highlights
//   85 to 97                     yellow   near clipping
//   97 and above                 red      clipping

#include <array>
#include <string_view>

namespace Quillfen::Monitor {

struct FalseColorBand {
    double below;  // the band holds the levels under this (and at or above the band before)
    std::array<float, 3> rgb;
    std::string_view name;
};

inline constexpr std::array<FalseColorBand, 10> falseColorScale{{
    {0.02, {0.55f, 0.10f, 0.65f}, "Crushed"},
    {0.10, {0.10f, 0.30f, 0.95f}, "Near black"},
    {0.20, {0.15f, 0.15f, 0.15f}, "Shadows"},
    {0.38, {0.30f, 0.30f, 0.30f}, "Low mid"},
    {0.45, {0.15f, 0.75f, 0.25f}, "Middle grey"},
    {0.60, {0.52f, 0.52f, 0.52f}, "Mid"},
    {0.72, {1.00f, 0.55f, 0.75f}, "Skin"},
    {0.85, {0.78f, 0.78f, 0.78f}, "Highlights"},
    {0.97, {1.00f, 0.90f, 0.00f}, "Near clip"},
    {1e9, {1.00f, 0.05f, 0.05f}, "Clipped"},
}};

const FalseColorBand& falseColorBand(double level);

}  // namespace Quillfen::Monitor
