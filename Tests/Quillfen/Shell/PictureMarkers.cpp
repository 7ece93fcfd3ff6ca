// umberlin-picture-markers SCREENSHOT upright|turned|mirrored|guides
//
// Finds the phone simulator's red and blue corner squares (top left and top right of its
// upright scene) in a screenshot of the monitor and checks how the picture is shown:
//   upright   a landscape picture, red to the left of blue on one line;
//   turned    a portrait picture (the phone on its side, shown upright), red left of blue;
//   mirrored  that portrait picture flipped left to right: blue left of red.
// The squares' distance in square sizes tells landscape (about 13 for 16:9) from portrait
// (about 7). Other red or blue things on the screen (the Record button) are not square.
//
// guides takes the squares for the top corners of an upright 16:9 picture and checks the
// guides over it: light lines at its thirds that end at its edges (not across the black
// bars), and lit green meter segments in its bottom right corner. It prints the picture's
// rectangle as "picture LEFT TOP WIDTH HEIGHT".
// Prints what it found; exit status 0 when the picture matches, 1 when not, 2 on bad usage.

#include <QImage>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

struct Square {
    double centerX;
    double centerY;
    double size;
    QRect box;
};

// The largest nearly square patch of pixels that `matches`, solid enough to be a square
// that a guide drawn over the picture (the battery, the connection badge) covers in part.
template <typename Matches> std::optional<Square> findSquare(const QImage& image, Matches matches) {
    const int width = image.width();
    const int height = image.height();
    std::vector<char> seen(static_cast<std::size_t>(width) * height, 0);
    std::optional<Square> best;
    std::vector<std::pair<int, int>> stack;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (seen[y * width + x] || !matches(image.pixel(x, y))) continue;
            int left = x, right = x, top = y, bottom = y;
            long area = 0;
            stack.assign(1, {x, y});
            seen[y * width + x] = 1;
            while (!stack.empty()) {
                const auto [px, py] = stack.back();
                stack.pop_back();
                ++area;
                left = std::min(left, px), right = std::max(right, px);
                top = std::min(top, py), bottom = std::max(bottom, py);
                for (const auto [nx, ny] : {std::pair{px + 1, py}, {px - 1, py}, {px, py + 1}, {px, py - 1}}) {
                    if (nx < 0 || ny < 0 || nx >= width || ny >= height || seen[ny * width + nx]) continue;
                    if (!matches(image.pixel(nx, ny))) continue;
                    seen[ny * width + nx] = 1;
                    stack.push_back({nx, ny});
                }
            }
            const double boxWidth = right - left + 1;
            const double boxHeight = bottom - top + 1;
            const double aspect = boxWidth / boxHeight;
            if (area < 64 || aspect < 0.75 || aspect > 1.33 || area < 0.45 * boxWidth * boxHeight) continue;
            const double size = (boxWidth + boxHeight) / 2;
            if (!best || size > best->size)
                best = Square{(left + right) / 2.0, (top + bottom) / 2.0, size,
                              QRect(QPoint(left, top), QPoint(right, bottom))};
        }
    }
    return best;
}

// The scene's grey background is about 37; a line over it, split across two pixels, about 86.
bool isGuideLine(QRgb p) { return qRed(p) > 70 && qGreen(p) > 70 && qBlue(p) > 70; }
bool isBlack(QRgb p) { return qRed(p) < 12 && qGreen(p) < 12 && qBlue(p) < 12; }
bool isLitGreen(QRgb p) { return qGreen(p) > 170 && qRed(p) < 110 && qBlue(p) < 130; }

// Whether a light line (drawn soft, over two pixels) runs within 3 pixels of `at` along most
// of the picture, vertically or horizontally. The guides drawn over the grid cover some of it.
bool hasLineNear(const QImage& image, int at, bool vertical, const QRect& picture) {
    const int length = vertical ? picture.height() : picture.width();
    int light = 0;
    for (int step = 4; step < length - 4; ++step) {
        for (int offset = -3; offset <= 3; ++offset) {
            const QPoint point =
                vertical ? QPoint(at + offset, picture.top() + step) : QPoint(picture.left() + step, at + offset);
            if (isGuideLine(image.pixel(point))) {
                ++light;
                break;
            }
        }
    }
    return light > (length - 8) * 0.8;
}

int checkGuides(const QImage& image, const char* name, const Square& red, const Square& blue) {
    const int width = blue.box.right() - red.box.left() + 1;
    const QRect picture(red.box.left(), red.box.top(), width, width * 9 / 16);
    std::printf("picture %d %d %d %d\n", picture.left(), picture.top(), picture.width(), picture.height());
    bool matches = true;
    for (int third : {1, 2}) {
        const int x = picture.left() + picture.width() * third / 3;
        const int y = picture.top() + picture.height() * third / 3;
        const bool vertical = hasLineNear(image, x, true, picture);
        const bool horizontal = hasLineNear(image, y, false, picture);
        std::printf("%s: thirds line at x %d %s, at y %d %s\n", name, x, vertical ? "found" : "missing", y,
                    horizontal ? "found" : "missing");
        matches = matches && vertical && horizontal;
    }
    // Where the picture has black bars beside it, the lines stop at its edges.
    const auto barCrossed = [&](QPoint beside, QPoint onLine) {
        return isBlack(image.pixel(beside)) && !isBlack(image.pixel(onLine));
    };
    const int above = picture.top() - 4;
    const int left = picture.left() - 4;
    if (above >= 0 &&
        barCrossed({picture.left() + picture.width() / 6, above}, {picture.left() + picture.width() / 3, above})) {
        std::printf("%s: a grid line runs over the bar above the picture\n", name);
        matches = false;
    }
    if (left >= 0 &&
        barCrossed({left, picture.top() + picture.height() / 6}, {left, picture.top() + picture.height() / 3})) {
        std::printf("%s: a grid line runs over the bar left of the picture\n", name);
        matches = false;
    }
    int litGreen = 0;
    const QRect corner(picture.right() - picture.width() / 3, picture.bottom() - picture.height() / 4,
                       picture.width() / 3, picture.height() / 4);
    for (int y = corner.top(); y <= corner.bottom(); ++y)
        for (int x = corner.left(); x <= corner.right(); ++x)
            if (isLitGreen(image.pixel(x, y))) ++litGreen;
    std::printf("%s: %d lit green meter pixels\n", name, litGreen);
    return matches && litGreen > 50 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || (std::strcmp(argv[2], "upright") != 0 && std::strcmp(argv[2], "turned") != 0 &&
                      std::strcmp(argv[2], "mirrored") != 0 && std::strcmp(argv[2], "guides") != 0)) {
        std::fprintf(stderr, "usage: umberlin-picture-markers SCREENSHOT upright|turned|mirrored|guides\n");
        return 2;
    }
    const QImage image = QImage(QString::fromLocal8Bit(argv[1])).convertToFormat(QImage::Format_RGB32);
    if (image.isNull()) {
        std::fprintf(stderr, "%s: not an image\n", argv[1]);
        return 2;
    }
    const auto red = findSquare(image, [](QRgb p) { return qRed(p) > 170 && qGreen(p) < 90 && qBlue(p) < 90; });
    const auto blue = findSquare(image, [](QRgb p) { return qBlue(p) > 170 && qRed(p) < 90 && qGreen(p) < 90; });
    if (!red || !blue) {
        std::printf("%s: no %s corner square\n", argv[1], red ? "blue" : "red");
        return 1;
    }
    if (std::strcmp(argv[2], "guides") == 0) return checkGuides(image, argv[1], *red, *blue);
    const double size = (red->size + blue->size) / 2;
    const double separation = (blue->centerX - red->centerX) / size;  // negative when mirrored
    const bool oneLine = std::abs(blue->centerY - red->centerY) < size / 2;
    std::printf("%s: red square at %.0f,%.0f, blue at %.0f,%.0f, size %.0f, %.1f sizes apart\n", argv[1], red->centerX,
                red->centerY, blue->centerX, blue->centerY, size, separation);

    const std::string expected = argv[2];
    bool matches = false;
    if (expected == "upright") matches = oneLine && separation > 10;
    if (expected == "turned") matches = oneLine && separation > 3 && separation < 10;
    if (expected == "mirrored") matches = oneLine && separation < -3 && separation > -10;
    return matches ? 0 : 1;
}
