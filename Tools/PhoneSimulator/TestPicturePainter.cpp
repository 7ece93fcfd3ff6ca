#include "TestPicturePainter.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "BitmapFont.hpp"
#include "PictureCanvas.hpp"

namespace UmberlinTools {
namespace {

constexpr YuvColor background{48, 128, 128};
constexpr YuvColor white{235, 128, 128};
constexpr YuvColor grey{150, 128, 128};
constexpr YuvColor red{81, 90, 240};
constexpr YuvColor blue{41, 240, 110};
constexpr YuvColor yellow{210, 16, 146};
constexpr YuvColor green{145, 54, 34};

constexpr double barSweepSeconds = 4.0;
// The text size keeps a line of this many characters inside the picture's width.
constexpr int bottomLineCharacters = 30;

void paintArrow(PictureCanvas& canvas, int centerX, int top, int height) {
    const int headHeight = height * 2 / 5;
    const int headHalfWidth = headHeight;
    for (int row = 0; row < headHeight; ++row) {
        const int halfWidth = headHalfWidth * (row + 1) / headHeight;
        canvas.fillRect(centerX - halfWidth, top + row, 2 * halfWidth, 1, white);
    }
    const int shaftHalfWidth = std::max(1, headHalfWidth / 3);
    canvas.fillRect(centerX - shaftHalfWidth, top + headHeight, 2 * shaftHalfWidth, height - headHeight, white);
}

void paintFocusMark(PictureCanvas& canvas, double fractionX, double fractionY, int unit) {
    const int x = static_cast<int>(std::lround(fractionX * canvas.width()));
    const int y = static_cast<int>(std::lround(fractionY * canvas.height()));
    const int arm = 6 * unit;
    canvas.fillRect(x - arm, y - unit / 2, 2 * arm, std::max(1, unit), green);
    canvas.fillRect(x - unit / 2, y - arm, std::max(1, unit), 2 * arm, green);
}

void paintExposureChart(PictureCanvas& canvas, int shortSide) {
    const int width = canvas.width();
    const int height = canvas.height();
    const int left = width * 5 / 100;
    const int right = width * 40 / 100;
    // Black (16) to past white (254), column by column.
    const int rampTop = height * 30 / 100;
    const int rampHeight = height * 7 / 100;
    for (int x = left; x < right; ++x) {
        const auto y = static_cast<std::uint8_t>(16 + (x - left) * (254 - 16) / std::max(1, right - left - 1));
        canvas.fillRect(x, rampTop, 1, rampHeight, {y, 128, 128});
    }
    const int patchTop = height * 40 / 100;
    const int patchHeight = height * 22 / 100;
    const int clippedRight = left + (right - left) / 4;
    canvas.fillRect(left, patchTop, clippedRight - left, patchHeight, {254, 128, 128});
    const int softLeft = clippedRight + (right - left) / 12;
    const int softness = std::max(2, shortSide / 12);
    for (int x = softLeft; x < right; ++x) {
        const double rise = std::min({1.0, (x - softLeft + 0.5) / softness, (right - x - 0.5) / softness});
        const auto y = static_cast<std::uint8_t>(std::lround(background.y + rise * (200 - background.y)));
        canvas.fillRect(x, patchTop, 1, patchHeight, {y, 128, 128});
    }
}

std::string clockText(double seconds) {
    const auto totalMilliseconds = static_cast<long long>(seconds * 1000.0);
    char text[32];
    std::snprintf(text, sizeof text, "T %02lld:%02lld.%03lld", totalMilliseconds / 60'000,
                  totalMilliseconds / 1000 % 60, totalMilliseconds % 1000);
    return text;
}

}  // namespace

void TestPicturePainter::paint(PlanarPicture& picture, const TestPictureContent& content) const {
    PictureCanvas canvas(picture, contentTurn_);
    const int width = canvas.width();
    const int height = canvas.height();
    // Sizes follow the shorter side, so a portrait scene looks like a landscape one.
    const int shortSide = std::min(width, height);
    const int unit = std::max(1, shortSide / 120);  // one "design pixel"

    canvas.fillRect(0, 0, width, height, background);

    // Corners and sides: orientation and mirroring.
    const int corner = shortSide / 8;
    canvas.fillRect(0, 0, corner, corner, red);
    canvas.fillRect(width - corner, 0, corner, corner, blue);
    const int sideScale = std::max(1, shortSide / 60);
    const int sideY = height / 2 - PictureCanvas::textHeight(sideScale) / 2;
    canvas.drawText(2 * unit, sideY, sideScale, "L", grey);
    canvas.drawText(width - 2 * unit - PictureCanvas::textWidth(sideScale, "R"), sideY, sideScale, "R", grey);

    // "TOP" at the top, the arrow beneath it.
    const int titleScale = std::max(1, shortSide / 50);
    canvas.drawText((width - PictureCanvas::textWidth(titleScale, "TOP")) / 2, 3 * unit, titleScale, "TOP", white);
    const int arrowTop = 3 * unit + PictureCanvas::textHeight(titleScale) + 4 * unit;
    paintArrow(canvas, width / 2, arrowTop, shortSide * 2 / 5);

    if (exposureChart_) paintExposureChart(canvas, shortSide);

    // A bar sweeping left to right.
    const double phase = std::fmod(content.secondsSinceStart, barSweepSeconds) / barSweepSeconds;
    const int barWidth = std::max(2, width / 24);
    const int barX = static_cast<int>(phase * (width - barWidth));
    canvas.fillRect(barX, height * 70 / 100, barWidth, height * 8 / 100, yellow);

    // Frame counter and clock on the bottom line, the camera settings on the line above.
    const int textScale = std::max(1, std::min(shortSide / 110, width / ((glyphWidth + 1) * bottomLineCharacters)));
    const int lineHeight = PictureCanvas::textHeight(textScale) + 2 * textScale;
    const int bottomY = height - PictureCanvas::textHeight(textScale) - 3 * unit;
    char frameText[48];
    std::snprintf(frameText, sizeof frameText, "F %06lld  %s", static_cast<long long>(content.frameNumber),
                  clockText(content.secondsSinceStart).c_str());
    canvas.drawText(3 * unit, bottomY, textScale, frameText, white);
    canvas.drawText(3 * unit, bottomY - lineHeight, textScale, content.cameraLine, grey);

    if (content.focusPointX && content.focusPointY) {
        const auto [sceneX, sceneY] = scenePointOf(std::clamp(*content.focusPointX, 0.0, 1.0),
                                                   std::clamp(*content.focusPointY, 0.0, 1.0), contentTurn_);
        paintFocusMark(canvas, sceneX, sceneY, unit);
    }
}

}  // namespace UmberlinTools
