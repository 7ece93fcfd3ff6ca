#include "Monitor/Assists/PictureAssistRaster.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "Monitor/Assists/FalseColorScale.hpp"
#include "Monitor/Assists/FocusPeaking.hpp"
#include "Monitor/Assists/LumaCoding.hpp"
#include "Monitor/Assists/ZebraPattern.hpp"

namespace Quillfen::Monitor {
namespace {

QRgb toRgb(const std::array<float, 3>& rgb) {
    return qRgb(static_cast<int>(rgb[0] * 255 + 0.5f), static_cast<int>(rgb[1] * 255 + 0.5f),
                static_cast<int>(rgb[2] * 255 + 0.5f));
}

// The picture's luma codes, one row at a time, read at clamped positions.
class LumaPlane {
public:
    explicit LumaPlane(const Video::DecodedVideoFrame& frame)
        : data_(frame.planeData(0)),
          stride_(frame.planeStride(0)),
          width_(frame.planeWidth(0)),
          height_(frame.planeHeight(0)),
          wide_(frame.bytesPerSample() == 2) {}

    int width() const { return width_; }
    int height() const { return height_; }

    int code(int x, int y) const {
        x = std::clamp(x, 0, width_ - 1);
        y = std::clamp(y, 0, height_ - 1);
        const std::uint8_t* row = data_ + static_cast<std::ptrdiff_t>(y) * stride_;
        if (!wide_) return row[x];
        std::uint16_t sample;
        std::memcpy(&sample, row + 2 * x, sizeof sample);
        return sample;
    }

private:
    const std::uint8_t* data_;
    int stride_;
    int width_;
    int height_;
    bool wide_;
};

// Picture columns (or rows) under each image column (or row), nearest sample.
std::vector<int> sourcePositions(int shown, int picture) {
    std::vector<int> positions(shown);
    for (int index = 0; index < shown; ++index) {
        positions[index] = std::min(picture - 1, static_cast<int>((index + 0.5) * picture / shown));
    }
    return positions;
}

// For each image column (or row), the picture columns (or rows) whose edges it shows.
std::vector<std::vector<int>> peakingPositions(int shown, int picture) {
    const double footprint = static_cast<double>(picture) / shown;
    const double stride = peakingStride(footprint);
    std::vector<std::vector<int>> positions(shown);
    for (int index = 0; index < shown; ++index) {
        for (int step = 0; step < peakingSamplesAcross && isPeakingStepInside(step, stride, footprint); ++step) {
            positions[index].push_back(std::min(picture - 1, peakingSampleIndex(index * footprint, step, stride)));
        }
    }
    return positions;
}

}  // namespace

void drawPictureAssists(const Video::DecodedVideoFrame& frame, const PictureAssistSettings& requested, double seconds,
                        QImage& image) {
    const PictureAssistSettings settings = requested.clamped();
    if (!settings.drawsOverThePicture() || image.isNull()) return;
    const LumaPlane luma(frame);
    const LumaCoding coding{frame.bitDepth(), frame.colorRange() == Video::ColorRange::full};
    const ZebraBands bands = zebraBands(settings, coding);
    const double peakingThreshold = focusPeakingThreshold(settings.peakingSensitivityPercent);
    const QRgb peakingRgb = toRgb(peakingColorInfo(settings.peakingColor).rgb);
    const int shade = static_cast<int>(zebraStripeShade * 255 + 0.5f);
    const QRgb stripeRgb = qRgb(shade, shade, shade);

    // Everything that depends on a code alone, looked up rather than worked out per pixel.
    const int codes = coding.largestCode() + 1;
    std::vector<double> levels(codes);
    std::vector<QRgb> falseColors(codes);
    std::vector<ZebraBand> zebras(codes);
    for (int code = 0; code < codes; ++code) {
        levels[code] = coding.level(code);
        falseColors[code] = toRgb(falseColorBand(levels[code]).rgb);
        zebras[code] = zebraBand(code, bands);
    }
    const auto codeAt = [&](int x, int y) { return std::min(luma.code(x, y), codes - 1); };

    const std::vector<int> columns = sourcePositions(image.width(), luma.width());
    const std::vector<int> rows = sourcePositions(image.height(), luma.height());
    const auto peakingColumns = peakingPositions(image.width(), luma.width());
    const auto peakingRows = peakingPositions(image.height(), luma.height());
    const auto level = [&](int x, int y) { return levels[codeAt(x, y)]; };
    const auto isOnSharpEdge = [&](int x, int y) {
        for (const int row : peakingRows[y]) {
            for (const int column : peakingColumns[x]) {
                if (focusEdgeStrength(level(column - 1, row), level(column + 1, row), level(column, row - 1),
                                      level(column, row + 1)) >= peakingThreshold)
                    return true;
            }
        }
        return false;
    };
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int code = codeAt(columns[x], rows[y]);
            QRgb& pixel = line[x];
            if (settings.showsFalseColor) pixel = falseColors[code];
            if (zebras[code] != ZebraBand::none && isOnZebraStripe(zebras[code], x + 0.5, y + 0.5, seconds))
                pixel = stripeRgb;
            if (settings.showsFocusPeaking && isOnSharpEdge(x, y)) pixel = peakingRgb;
        }
    }
}

}  // namespace Quillfen::Monitor
