// The preview drawn through OpenGL, under a real X server: it picks OpenGL by itself there,
// puts the picture's corner marks where the layout says in every orientation, at 8 and 10
// bits, and shows the same colours as the CPU drawing.

#include <gtest/gtest.h>

#include <vector>

#include "PreviewTestPictures.hpp"

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
        Testing::ShownPicture openGl(Drawing::automatic, settings, viewSize);
        Testing::ShownPicture cpu(Drawing::cpu, settings, viewSize);
        ASSERT_TRUE(openGl.view.drawsWithOpenGl());
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

}  // namespace
}  // namespace Quillfen::Monitor
