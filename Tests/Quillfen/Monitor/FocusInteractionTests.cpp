// Click-to-focus: a click on the preview names the detail of the phone's picture under the
// pointer, whatever the turn and mirroring, and the reticle follows the latest click.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "Monitor/FocusFeedback.hpp"
#include "Monitor/FocusPointMapping.hpp"
#include "Monitor/PreviewLayout.hpp"

namespace Quillfen {
namespace {

using Monitor::PreviewOrientation;

TEST(FocusPointMapping, TheClickedDetailIsTheOneThePreviewDrawsThereForEveryTurnAndMirroring) {
    const QSizeF view(1000, 700);
    const QSize picture(1920, 1080);
    const QPointF detail(0.2, 0.7);  // in the phone's picture
    for (MonitorRotation rotation : allMonitorRotations) {
        for (bool horizontally : {false, true}) {
            for (bool vertically : {false, true}) {
                const PreviewOrientation orientation{rotation, horizontally, vertically};
                SCOPED_TRACE(testing::Message() << rawValue(rotation) << " h" << horizontally << " v" << vertically);
                const Monitor::PreviewLayout layout = Monitor::layoutPreview(view, picture, orientation);
                const QSizeF drawn = layout.pictureSize;
                const QPointF onScreen = layout.layerToView.map(
                    QPointF((detail.x() - 0.5) * drawn.width(), (detail.y() - 0.5) * drawn.height()));
                const double shownRatio = swapsWidthAndHeight(rotation) ? 1080.0 / 1920 : 1920.0 / 1080;
                const auto focused = focusPointInPicture(view, shownRatio, orientation, onScreen);
                ASSERT_TRUE(focused);
                EXPECT_NEAR(focused->x(), detail.x(), 1e-9);
                EXPECT_NEAR(focused->y(), detail.y(), 1e-9);
            }
        }
    }
}

TEST(FocusPointMapping, LetterBoxBarsFarEdgesAndUnusableSizesIgnoreTheClick) {
    const double ratio = 16.0 / 9;  // the picture spans y 218.75 ... 781.25 in 1000 x 1000
    const PreviewOrientation upright;
    EXPECT_EQ(focusPointInPicture({1000, 1000}, ratio, upright, {500, 500}), QPointF(0.5, 0.5));
    const PreviewOrientation turned{MonitorRotation::clockwise90};
    EXPECT_EQ(focusPointInPicture({1000, 1000}, ratio, turned, {999.999, 218.75}).value_or(QPointF(9, 9)).toPoint(),
              QPoint(0, 0));
    const auto bottomRight = focusPointInPicture({1000, 1000}, ratio, turned, {999.999, 781.2499});
    ASSERT_TRUE(bottomRight);
    EXPECT_NEAR(bottomRight->x(), 1, 1e-5);
    EXPECT_NEAR(bottomRight->y(), 0, 1e-5);
    EXPECT_EQ(focusPointInPicture({1000, 1000}, ratio, {MonitorRotation::zero, true, false}, {0, 500})->x(), 1);

    const double infinity = std::numeric_limits<double>::infinity();
    const std::vector<std::tuple<QSizeF, double, QPointF>> ignored{
        {{1000, 1000}, ratio, {500, 100}},     // the top bar
        {{1000, 1000}, ratio, {1000, 500}},    // the right edge
        {{1000, 1000}, ratio, {500, 781.25}},  // the bottom edge
        {{1000, 1000}, 0, {500, 500}},        {{1000, 1000}, -1, {500, 500}},
        {{1000, 1000}, infinity, {500, 500}}, {{0, 0}, ratio, {0, 0}},
    };
    for (const auto& [size, shownRatio, click] : ignored)
        EXPECT_FALSE(focusPointInPicture(size, shownRatio, upright, click))
            << shownRatio << " " << click.x() << "," << click.y();
}

TEST(FocusFeedback, TheReticleStaysFor1Point4SecondsAfterTheLatestClick) {
    std::vector<std::pair<std::chrono::milliseconds, std::function<void()>>> timers;
    FocusFeedback feedback([&](std::chrono::milliseconds delay, std::function<void()> work) {
        timers.emplace_back(delay, std::move(work));
    });
    feedback.show({10, 20});
    feedback.show({30, 40});  // a second later
    ASSERT_EQ(timers.size(), 2u);
    EXPECT_EQ(timers[1].first, std::chrono::milliseconds(1400));

    timers[0].second();  // 1.4 s after the first click
    EXPECT_EQ(feedback.point(), QPointF(30, 40));
    timers[1].second();  // 1.4 s after the second
    EXPECT_FALSE(feedback.point());
}

}  // namespace
}  // namespace Quillfen
