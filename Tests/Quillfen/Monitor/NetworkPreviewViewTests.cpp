// The preview as the user sees it, drawn through the CPU: the simulator's picture, whose scene
// lies turned in the frame like a phone held on its side, shows upright once turned by the
// phone's rotation, fitted on black, and mirrored on the screen's axes.

#include <gtest/gtest.h>

#include "Monitor/NetworkPreviewSurface.hpp"
#include "PreviewTestPictures.hpp"

namespace Quillfen::Monitor {
namespace {

using Testing::isBlack;
using Testing::isBlue;
using Testing::isRed;
using UmberlinTools::QuarterTurn;

TEST(NetworkPreviewViewTests, TheTurnedPictureShowsUprightFittedOnBlackAndMirrorsLeftRightOnScreen) {
    // A 320 x 240 frame turned a quarter clockwise is a 240 x 320 scene, 300 x 400 in the
    // 400 x 400 view: x from 50 to 350. Its corner marks are red (top left) and blue (top right).
    Testing::ShownPicture shown(NetworkPreviewView::Drawing::automatic,
                                {.width = 320, .height = 240, .contentTurn = QuarterTurn::clockwise90}, {400, 400});
    EXPECT_FALSE(shown.view.drawsWithOpenGl()) << "the offscreen platform draws through the CPU";
    shown.view.setRotation(MonitorRotation::clockwise90);
    ASSERT_TRUE(shown.waitForPicture());

    QImage image = shown.grab();
    EXPECT_TRUE(isBlack(image.pixelColor(20, 200)));
    EXPECT_TRUE(isBlack(image.pixelColor(380, 200)));
    EXPECT_TRUE(isRed(image.pixelColor(60, 10))) << image.pixelColor(60, 10).name().toStdString();
    EXPECT_TRUE(isBlue(image.pixelColor(340, 10))) << image.pixelColor(340, 10).name().toStdString();

    shown.view.setHorizontallyMirrored(true);
    image = shown.grab();
    EXPECT_TRUE(isBlue(image.pixelColor(60, 10)));
    EXPECT_TRUE(isRed(image.pixelColor(340, 10)));
}

TEST(NetworkPreviewViewTests, TheSurfaceHandsItsSettingsToItsViewAndAFlushBlanksIt) {
    auto renderer = NetworkVideoRenderer::make();
    NetworkPreviewSurface surface(renderer);
    surface.setRotation(MonitorRotation::clockwise270);
    surface.setHorizontallyMirrored(true);
    surface.setVerticallyMirrored(true);
    EXPECT_EQ(surface.view().rotation(), MonitorRotation::clockwise270);
    EXPECT_TRUE(surface.view().isHorizontallyMirrored());
    EXPECT_TRUE(surface.view().isVerticallyMirrored());

    renderer->enqueue(SimulatorTests::encodeSimulatorVideo({.frameCount = 1}).samples.front());
    ASSERT_TRUE(QTest::qWaitFor([&] { return surface.view().frame() != nullptr; }, 10'000));
    renderer->flush();
    EXPECT_TRUE(QTest::qWaitFor([&] { return surface.view().frame() == nullptr; }, 10'000));
}

}  // namespace
}  // namespace Quillfen::Monitor
