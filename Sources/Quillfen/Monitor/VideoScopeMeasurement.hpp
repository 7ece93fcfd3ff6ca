#pragma once
// The histogram and the waveform of a picture, measured on a thinned-out grid of its samples
// (every n-th sample of every n-th row, at most about 130,000 samples whatever the size).
//
// Levels lie on one scale of 256 steps: a sample's code value at 8 bits (a 10-bit value over
// 4). A limited-range picture's black is step 16 and its white step 235, leaving room for
// what lies beyond them; a full-range picture's black is step 0 and its white step 255. The
// R, G and B levels, worked out through the picture's own matrix, are put on the same scale,
// so every curve of one picture shares its black and white.

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "Video/DecodedVideoFrame.hpp"

namespace Quillfen::Monitor {

inline constexpr int videoScopeLevelCount = 256;
using LevelCounts = std::array<std::uint32_t, videoScopeLevelCount>;

// Which scopes to measure.
struct VideoScopeRequest {
    bool histogram = false;
    bool colorHistogram = false;  // R, G and B beside the luma (with the histogram only)
    bool waveform = false;
    // The waveform goes across the picture as it is shown: along its rows where the display
    // turns it a quarter, and from the far end where it is turned or mirrored.
    bool waveformAlongRows = false;
    bool waveformReversed = false;

    bool measuresAnything() const { return histogram || waveform; }
    bool operator==(const VideoScopeRequest&) const = default;
};

struct VideoScopeReadings {
    static constexpr int maximumWaveformColumns = 256;

    int black = 16;  // the steps of 0 % and 100 %
    int white = 235;
    std::optional<LevelCounts> luma;                // samples per luma level
    std::optional<std::array<LevelCounts, 3>> rgb;  // samples per R, G and B level
    // Columns across the picture as shown, from left to right, each with its samples per luma level;
    // as many columns as samples were measured across, up to maximumWaveformColumns.
    std::vector<LevelCounts> waveform;
};

// The samples taken across and down: every `step`-th of each.
int videoScopeSampleStep(int width, int height);

VideoScopeReadings measureVideoScopes(const Video::DecodedVideoFrame& frame, const VideoScopeRequest& request);

}  // namespace Quillfen::Monitor
