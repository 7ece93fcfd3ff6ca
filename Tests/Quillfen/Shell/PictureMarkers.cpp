// umberlin-picture-markers SCREENSHOT upright|turned|mirrored
//
// Finds the phone simulator's red and blue corner squares (top left and top right of its
// upright scene) in a screenshot of the monitor and checks how the picture is shown:
//   upright   a landscape picture, red to the left of blue on one line;
//   turned    a portrait picture (the phone on its side, shown upright), red left of blue;
//   mirrored  that portrait picture flipped left to right: blue left of red.
// The squares' distance in square sizes tells landscape (about 13 for 16:9) from portrait
// (about 7). Other red or blue things on the screen (the Record button) are not square.
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
};

// The largest solid, nearly square patch of pixels that `matches`.
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
            if (area < 64 || aspect < 0.75 || aspect > 1.33 || area < 0.85 * boxWidth * boxHeight) continue;
            const double size = std::sqrt(static_cast<double>(area));
            if (!best || size > best->size) best = Square{(left + right) / 2.0, (top + bottom) / 2.0, size};
        }
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 || (std::strcmp(argv[2], "upright") != 0 && std::strcmp(argv[2], "turned") != 0 &&
                      std::strcmp(argv[2], "mirrored") != 0)) {
        std::fprintf(stderr, "usage: umberlin-picture-markers SCREENSHOT upright|turned|mirrored\n");
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
