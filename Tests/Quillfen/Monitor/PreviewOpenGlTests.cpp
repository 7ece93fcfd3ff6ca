// The preview drawn through OpenGL, under a real X server: it puts the picture's corner marks
// where the layout says in every orientation, at 8 and 10 bits, and shows the same colours as
// the CPU drawing; the assists' shader draws what their CPU reference draws. Left to itself the
// preview draws through the CPU there: Xvfb's OpenGL is Mesa's software rasteriser.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "PreviewTestPictures.hpp"
#include "SyntheticLumaFrames.hpp"

namespace Quillfen::Monitor {
namespace {

using Drawing = NetworkPreviewView::Drawing;
using Testing::isBlack;
using Testing::isBlue;
using Testing::isRed;

TEST(PreviewOpenGlTests, TheMarksLandWhereTheLayoutSaysAndTheColoursMatchTheCpuDrawing) {
    struct Case {
        int bitDepth;
        PreviewOrientation orientation;
    };
    using enum MonitorRotation;
    const std::vector<Case> cases{
        {8, {zero, false, false}},
        {8, {clockwise90, true, false}},
        {10, {upsideDown, false, true}},
        {10, {clockwise270, false, false}},
    };
    const QSize viewSize(400, 400);
    const QSize frameSize(320, 240);
    for (const auto& each : cases) {
        SCOPED_TRACE(::testing::Message() << each.bitDepth << " bits, " << rawValue(each.orientation.rotation));
        const SimulatorTests::SimulatorVideoSettings settings{
            .width = frameSize.width(), .height = frameSize.height(), .bitDepth = each.bitDepth};
        Testing::ShownPicture openGl(Drawing::openGl, settings, viewSize);
        Testing::ShownPicture cpu(Drawing::automatic, settings, viewSize);
        ASSERT_TRUE(openGl.view.drawsWithOpenGl());
        ASSERT_FALSE(cpu.view.drawsWithOpenGl());
        for (auto* shown : {&openGl, &cpu}) {
            shown->view.setRotation(each.orientation.rotation);
            shown->view.setHorizontallyMirrored(each.orientation.isHorizontallyMirrored);
            shown->view.setVerticallyMirrored(each.orientation.isVerticallyMirrored);
            ASSERT_TRUE(shown->waitForPicture());
        }
        const QImage drawnByOpenGl = openGl.grab();
        const QImage drawnByCpu = cpu.grab();

        // A point of the frame (in frame pixels) where the view shows it.
        const PreviewLayout layout = layoutPreview(QSizeF(viewSize), frameSize, each.orientation);
        const auto onScreen = [&](QPointF framePoint) {
            const double scale = layout.pictureSize.width() / frameSize.width();
            const QPointF inLayer =
                framePoint * scale - QPointF(layout.pictureSize.width() / 2, layout.pictureSize.height() / 2);
            return layout.layerToView.map(inLayer).toPoint();
        };
        // The marks are squares of a eighth of the short side in the frame's top corners.
        const QPoint red = onScreen({15, 15});
        const QPoint blue = onScreen({305, 15});
        const QPoint background = onScreen({100, 180});
        for (const QImage* image : {&drawnByOpenGl, &drawnByCpu}) {
            EXPECT_TRUE(isRed(image->pixelColor(red))) << image->pixelColor(red).name().toStdString();
            EXPECT_TRUE(isBlue(image->pixelColor(blue))) << image->pixelColor(blue).name().toStdString();
            EXPECT_TRUE(isBlack(image->pixelColor(2, 2))) << "the bars beside the picture are black";
        }
        for (const QPoint& point : {red, blue, background}) {
            const QColor left = drawnByOpenGl.pixelColor(point);
            const QColor right = drawnByCpu.pixelColor(point);
            EXPECT_NEAR(left.red(), right.red(), 6) << point.x() << "," << point.y();
            EXPECT_NEAR(left.green(), right.green(), 6) << point.x() << "," << point.y();
            EXPECT_NEAR(left.blue(), right.blue(), 6) << point.x() << "," << point.y();
        }
    }
}

TEST(PreviewOpenGlTests, EachAssistDrawsWhatTheCpuReferenceDraws) {
    struct Assist {
        const char* name;
        void (*turnOn)(PictureAssistSettings&);
    };
    const Assist assists[] = {
        {"zebras", [](PictureAssistSettings& s) { s.showsZebras = s.showsSkinZebras = true; }},
        {"peaking", [](PictureAssistSettings& s) { s.showsFocusPeaking = true; }},
        {"false colour", [](PictureAssistSettings& s) { s.showsFalseColor = true; }},
        {"all three",
         [](PictureAssistSettings& s) {
             s.showsZebras = s.showsFocusPeaking = s.showsFalseColor = true;
             s.peakingColor = PeakingColor::blue;
         }},
    };
    const auto differingPixels = [](const QImage& one, const QImage& other, int tolerance) {
        int count = 0;
        for (int y = 0; y < one.height(); ++y) {
            for (int x = 0; x < one.width(); ++x) {
                const QRgb a = one.pixel(x, y), b = other.pixel(x, y);
                if (std::abs(qRed(a) - qRed(b)) > tolerance || std::abs(qGreen(a) - qGreen(b)) > tolerance ||
                    std::abs(qBlue(a) - qBlue(b)) > tolerance)
                    ++count;
            }
        }
        return count;
    };
    for (const auto& [bitDepth, fullRange] : {std::pair{8, false}, std::pair{10, true}}) {
        // Above, a ramp through every level; below, hard-edged blocks beside a soft edge.
        const int width = 320, height = 160, largest = (1 << bitDepth) - 1;
        const auto frame = Testing::makeLumaFrame(width, height, bitDepth, fullRange, [&](int x, int y) {
            if (y < height / 2) return x * largest / (width - 1);
            if (x < width / 2) return ((x / 40 + y / 40) % 2 == 0) ? largest / 5 : largest * 4 / 5;
            return largest / 5 + std::clamp(x - 220, 0, 30) * (largest * 3 / 5) / 30;
        });
        Testing::ShownPicture openGl(Drawing::openGl, frame);
        Testing::ShownPicture cpu(Drawing::cpu, frame);
        ASSERT_TRUE(openGl.view.drawsWithOpenGl());
        ASSERT_TRUE(openGl.waitForPicture() && cpu.waitForPicture());
        const QImage plain = openGl.grab();
        for (const auto& assist : assists) {
            SCOPED_TRACE(testing::Message() << bitDepth << " bits, " << assist.name);
            PictureAssistSettings settings;
            assist.turnOn(settings);
            for (auto* shown : {&openGl, &cpu}) {
                shown->view.holdAssistTime(0.3);
                shown->view.setPictureAssists(settings);
            }
            const QImage drawnByOpenGl = openGl.grab();
            EXPECT_GT(differingPixels(drawnByOpenGl, plain, 40), width * height / 50) << "the assist shows";
            // A pixel or two may round the other way where a stripe or a band begins.
            EXPECT_LE(differingPixels(drawnByOpenGl, cpu.grab(), 40), width * height / 200);
        }
    }
}

}  // namespace
}  // namespace Quillfen::Monitor
