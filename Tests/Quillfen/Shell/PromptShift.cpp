// umberlin-prompt-shift BEFORE AFTER RRGGBB
//
// How far the prompt's text moved between two screenshots of the monitor: the pixels in the
// text's colour (RRGGBB, a colour the phone simulator's picture does not use) make a mask per
// screenshot, and the vertical shift under which the two masks overlap most is the distance
// the text moved (negative: up). Whole masks, not row counts: lines of a similar length would
// make row counts repeat with the line pitch. Prints "shift N pixels, M text pixels"; exit status
// 0 when the text was found in both, 1 when not, 2 on bad usage.

#include <QColor>
#include <QImage>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int colourTolerance = 24;
constexpr int longestShift = 300;
constexpr long fewestTextPixels = 500;

// One byte per pixel: 1 where the pixel has the text's colour.
std::vector<unsigned char> textMask(const QImage& image, QColor text, long& total) {
    std::vector<unsigned char> mask(static_cast<std::size_t>(image.width()) * image.height(), 0);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            const bool isText = std::abs(qRed(pixel) - text.red()) + std::abs(qGreen(pixel) - text.green()) +
                                    std::abs(qBlue(pixel) - text.blue()) <=
                                colourTolerance;
            mask[static_cast<std::size_t>(y) * image.width() + x] = isText;
            total += isText;
        }
    }
    return mask;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: umberlin-prompt-shift BEFORE AFTER RRGGBB\n");
        return 2;
    }
    const QImage before(argv[1]);
    const QImage after(argv[2]);
    const QColor text(QString("#") + argv[3]);
    if (before.isNull() || after.isNull() || before.size() != after.size() || !text.isValid()) {
        std::fprintf(stderr, "unreadable screenshots or colour\n");
        return 2;
    }
    long beforeTotal = 0;
    long afterTotal = 0;
    const std::vector<unsigned char> first = textMask(before, text, beforeTotal);
    const std::vector<unsigned char> second = textMask(after, text, afterTotal);

    const int width = before.width();
    const int height = before.height();
    int bestShift = 0;
    long bestOverlap = -1;
    for (int shift = -longestShift; shift <= longestShift; ++shift) {
        long overlap = 0;
        for (int y = std::max(0, -shift); y < std::min(height, height - shift); ++y) {
            const unsigned char* row = first.data() + static_cast<std::size_t>(y) * width;
            const unsigned char* moved = second.data() + static_cast<std::size_t>(y + shift) * width;
            for (int x = 0; x < width; ++x) overlap += row[x] & moved[x];
        }
        if (overlap > bestOverlap) {
            bestOverlap = overlap;
            bestShift = shift;
        }
    }
    std::printf("shift %d pixels, %ld text pixels\n", bestShift, std::min(beforeTotal, afterTotal));
    return std::min(beforeTotal, afterTotal) >= fewestTextPixels ? 0 : 1;
}
