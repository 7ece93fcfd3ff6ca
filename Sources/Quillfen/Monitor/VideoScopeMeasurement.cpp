#include "Monitor/VideoScopeMeasurement.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "Monitor/YCbCrCoefficients.hpp"

namespace Quillfen::Monitor {
namespace {

constexpr int sampleBudget = 130'000;  // about 480 x 270

// One row of one plane: its code values, 8 bits or 16-bit little-endian.
class PlaneRow {
public:
    PlaneRow(const Video::DecodedVideoFrame& frame, int plane, int y)
        : data_(frame.planeData(plane) + static_cast<std::ptrdiff_t>(y) * frame.planeStride(plane)),
          wide_(frame.bytesPerSample() == 2) {}

    int at(int x) const {
        if (!wide_) return data_[x];
        std::uint16_t value;
        std::memcpy(&value, data_ + 2 * static_cast<std::ptrdiff_t>(x), sizeof value);
        return value;
    }

private:
    const std::uint8_t* data_;
    bool wide_;
};

// R'G'B' from 0 to 1 (beyond for colours outside the range) to the levels' scale.
class ColorLevels {
public:
    ColorLevels(const Video::DecodedVideoFrame& frame, int black, int white)
        : coefficients_(yCbCrCoefficients(frame.colorMatrix(), frame.colorRange(), frame.bitDepth())),
          black_(static_cast<float>(black)),
          span_(static_cast<float>(white - black)) {}

    std::array<int, 3> levels(int y, int cb, int cr) const {
        const auto& scale = coefficients_.scale;
        const auto& offset = coefficients_.offset;
        const auto& m = coefficients_.matrix;
        const float luma = y * scale[0] - offset[0];
        const float blue = cb * scale[1] - offset[1];
        const float red = cr * scale[2] - offset[2];
        std::array<int, 3> levels;
        for (int row = 0; row < 3; ++row) {
            const float value = m[3 * row] * luma + m[3 * row + 1] * blue + m[3 * row + 2] * red;
            levels[row] =
                std::clamp(static_cast<int>(std::lround(black_ + value * span_)), 0, videoScopeLevelCount - 1);
        }
        return levels;
    }

private:
    YCbCrCoefficients coefficients_;
    float black_;
    float span_;
};

}  // namespace

int videoScopeSampleStep(int width, int height) {
    int step = 1;
    while (static_cast<std::int64_t>((width + step - 1) / step) * ((height + step - 1) / step) > sampleBudget) ++step;
    return step;
}

VideoScopeReadings measureVideoScopes(const Video::DecodedVideoFrame& frame, const VideoScopeRequest& request) {
    VideoScopeReadings readings;
    const int shift = frame.bitDepth() - 8;
    if (frame.colorRange() == Video::ColorRange::full) {
        readings.black = 0;
        readings.white = videoScopeLevelCount - 1;
    }
    const int step = videoScopeSampleStep(frame.width(), frame.height());
    const int columnsMeasured = (frame.width() + step - 1) / step;
    const int rowsMeasured = (frame.height() + step - 1) / step;
    const int across = request.waveformAlongRows ? rowsMeasured : columnsMeasured;
    const int waveformColumns = std::min(across, VideoScopeReadings::maximumWaveformColumns);
    // Where a sample at a measured column and row lies across the waveform.
    const auto waveformColumn = [&](int column, int row) {
        const int position = request.waveformAlongRows ? row : column;
        const int shown = position * waveformColumns / across;
        return request.waveformReversed ? waveformColumns - 1 - shown : shown;
    };

    LevelCounts* luma = nullptr;
    std::array<LevelCounts, 3>* rgb = nullptr;
    if (request.histogram) luma = &readings.luma.emplace();
    if (request.histogram && request.colorHistogram) rgb = &readings.rgb.emplace();
    if (request.waveform) readings.waveform.resize(static_cast<std::size_t>(waveformColumns));
    if (!luma && readings.waveform.empty()) return readings;
    const ColorLevels colorLevels(frame, readings.black, readings.white);

    for (int y = 0, row = 0; y < frame.height(); y += step, ++row) {
        const PlaneRow lumaRow(frame, 0, y);
        const int chromaY = y >> frame.chromaShiftY();
        const PlaneRow blueRow(frame, 1, chromaY);
        const PlaneRow redRow(frame, 2, chromaY);
        for (int x = 0, column = 0; x < frame.width(); x += step, ++column) {
            const int code = lumaRow.at(x);
            const int level = std::min(code >> shift, videoScopeLevelCount - 1);
            if (luma) ++(*luma)[level];
            if (!readings.waveform.empty()) ++readings.waveform[waveformColumn(column, row)][level];
            if (rgb) {
                const int chromaX = x >> frame.chromaShiftX();
                const auto levels = colorLevels.levels(code, blueRow.at(chromaX), redRow.at(chromaX));
                for (int channel = 0; channel < 3; ++channel) ++(*rgb)[channel][levels[channel]];
            }
        }
    }
    return readings;
}

}  // namespace Quillfen::Monitor
