// Where the picture goes: quarter turns swap the layer's sides about the view's centre, and
// mirroring acts on the screen's axes after the turn.

#include <gtest/gtest.h>

#include <vector>

#include "Monitor/PreviewLayout.hpp"

namespace Quillfen::Monitor {
namespace {

TEST(PreviewLayoutTests, QuarterTurnsSwapTheLayerAboutTheViewCentreAndFitThePictureInIt) {
    struct Case {
        MonitorRotation rotation;
        QSizeF layerBounds;
        QSizeF pictureSize;
        QPointF pictureTopLeftOnScreen;
    };
    // A 1920 x 1080 picture in a 1600 x 900 view.
    const std::vector<Case> cases{
        {MonitorRotation::zero, {1600, 900}, {1600, 900}, {0, 0}},
        {MonitorRotation::clockwise90, {900, 1600}, {900, 506.25}, {1053.125, 0}},
        {MonitorRotation::upsideDown, {1600, 900}, {1600, 900}, {1600, 900}},
        {MonitorRotation::clockwise270, {900, 1600}, {900, 506.25}, {546.875, 900}},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(rawValue(each.rotation));
        const PreviewLayout layout = layoutPreview({1600, 900}, {1920, 1080}, {.rotation = each.rotation});
        EXPECT_EQ(layout.layerBounds, each.layerBounds);
        EXPECT_EQ(layout.centre, QPointF(800, 450));
        EXPECT_EQ(layout.pictureSize, each.pictureSize);
        const QPointF topLeft(-layout.pictureSize.width() / 2, -layout.pictureSize.height() / 2);
        EXPECT_EQ(layout.layerToView.map(topLeft), each.pictureTopLeftOnScreen);
    }
    EXPECT_TRUE(layoutPreview({1600, 900}, {}, {}).pictureSize.isEmpty());
}

TEST(PreviewLayoutTests, MirroringActsOnTheScreenAfterTheTurn) {
    struct Pair {
        PreviewOrientation one;
        PreviewOrientation other;
    };
    using enum MonitorRotation;
    const std::vector<Pair> pairs{
        {{upsideDown, true, false}, {zero, false, true}},
        {{upsideDown, false, true}, {zero, true, false}},
        {{zero, true, true}, {upsideDown, false, false}},
        {{clockwise90, true, false}, {clockwise270, false, true}},
    };
    for (const auto& pair : pairs) {
        SCOPED_TRACE(rawValue(pair.one.rotation));
        EXPECT_EQ(layoutPreview({1600, 900}, {1920, 1080}, pair.one).layerToView,
                  layoutPreview({1600, 900}, {1920, 1080}, pair.other).layerToView);
    }
}

}  // namespace
}  // namespace Quillfen::Monitor
