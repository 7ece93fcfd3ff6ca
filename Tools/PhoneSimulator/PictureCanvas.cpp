#include "PictureCanvas.hpp"

#include <algorithm>
#include <cstring>

#include "BitmapFont.hpp"

namespace UmberlinTools {

void PictureCanvas::fillRect(int x, int y, int width, int height, YuvColor color) {
    const int sceneX0 = std::max(x, 0);
    const int sceneY0 = std::max(y, 0);
    const int sceneX1 = std::min(x + width, this->width());
    const int sceneY1 = std::min(y + height, this->height());
    if (sceneX0 >= sceneX1 || sceneY0 >= sceneY1) return;
    // A quarter turn maps a rectangle to a rectangle.
    const PixelRect frame = frameRectOf({sceneX0, sceneY0, sceneX1 - sceneX0, sceneY1 - sceneY0}, contentTurn_,
                                        this->width(), this->height());
    const int x0 = frame.x;
    const int y0 = frame.y;
    const int x1 = frame.x + frame.width;
    const int y1 = frame.y + frame.height;
    fillPlane(0, x0, y0, x1, y1, color.y);
    // Chroma covers every 2x2 block the rectangle touches.
    fillPlane(1, x0 / 2, y0 / 2, (x1 + 1) / 2, (y1 + 1) / 2, color.u);
    fillPlane(2, x0 / 2, y0 / 2, (x1 + 1) / 2, (y1 + 1) / 2, color.v);
}

void PictureCanvas::fillPlane(int plane, int x0, int y0, int x1, int y1, std::uint8_t value) {
    std::uint8_t* const base = picture_.planes[plane];
    const int stride = picture_.strides[plane];
    if (picture_.bytesPerSample == 1) {
        for (int row = y0; row < y1; ++row)
            std::memset(base + static_cast<std::ptrdiff_t>(row) * stride + x0, value,
                        static_cast<std::size_t>(x1 - x0));
        return;
    }
    const std::uint16_t sample = static_cast<std::uint16_t>(value) << 2;
    const std::uint8_t low = static_cast<std::uint8_t>(sample & 0xFF);
    const std::uint8_t high = static_cast<std::uint8_t>(sample >> 8);
    for (int row = y0; row < y1; ++row) {
        std::uint8_t* cursor = base + static_cast<std::ptrdiff_t>(row) * stride + static_cast<std::ptrdiff_t>(x0) * 2;
        for (int column = x0; column < x1; ++column) {
            *cursor++ = low;  // little-endian 16-bit samples
            *cursor++ = high;
        }
    }
}

int PictureCanvas::textWidth(int scale, std::string_view text) {
    if (text.empty()) return 0;
    return static_cast<int>(text.size()) * (glyphWidth + 1) * scale - scale;
}

int PictureCanvas::textHeight(int scale) { return glyphHeight * scale; }

int PictureCanvas::drawText(int x, int y, int scale, std::string_view text, YuvColor color) {
    int cursor = x;
    for (char character : text) {
        if (const auto glyph = glyphFor(character)) {
            for (int row = 0; row < glyphHeight; ++row) {
                // Runs of set bits become one rectangle each.
                int column = 0;
                while (column < glyphWidth) {
                    if (((*glyph)[row] >> (glyphWidth - 1 - column) & 1) == 0) {
                        ++column;
                        continue;
                    }
                    const int runStart = column;
                    while (column < glyphWidth && ((*glyph)[row] >> (glyphWidth - 1 - column) & 1) != 0) ++column;
                    fillRect(cursor + runStart * scale, y + row * scale, (column - runStart) * scale, scale, color);
                }
            }
        }
        cursor += (glyphWidth + 1) * scale;
    }
    return cursor - x - (text.empty() ? 0 : scale);
}

}  // namespace UmberlinTools
