#include "Teleprompter/TeleprompterController.hpp"
#include "Teleprompter/TeleprompterScrollPosition.hpp"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <limits>
#include <memory>

namespace Quillfen {
namespace {

constexpr double closeEnough = 1e-9;

// A controller on a clock the test moves by hand, over a text with room to roll.
class TeleprompterRollTest : public testing::Test {
protected:
    TeleprompterRollTest() : controller([clock = now] { return *clock; }) {
        position().setViewportHeight(100);
        position().setContentHeight(10'000);
    }

    TeleprompterScrollPosition& position() { return controller.scrollPosition(); }

    // Ticks `count` times, `step` seconds apart.
    void tick(int count, double step) {
        for (int index = 0; index < count; ++index) {
            *now += step;
            controller.advance(*now);
        }
    }

    std::shared_ptr<double> now = std::make_shared<double>(500);
    TeleprompterController controller;
};

TEST_F(TeleprompterRollTest, OneSecondOfTicksMovesFortyTwoPointsTimesTheClampedSpeed) {
    struct Case {
        double multiplier;
        double expectedDistance;
    };
    for (const Case& example : {Case{1.0, 42}, Case{2.0, 84}, Case{5.0, 126}, Case{0.2, 21}}) {
        controller.reset();
        controller.toggleRolling(example.multiplier);
        tick(30, 1.0 / 30);
        EXPECT_NEAR(position().offset(), example.expectedDistance, closeEnough) << "multiplier " << example.multiplier;
        EXPECT_EQ(controller.activeSpeedMultiplier(), example.multiplier) << "kept unclamped";
    }
}

TEST_F(TeleprompterRollTest, DistanceFollowsTheClockNotTheNumberOfTicks) {
    controller.toggleRolling(1.0);
    tick(3, 0.2);  // late ticks
    tick(1, 0.4);  // one stall, counted as a quarter second
    EXPECT_NEAR(position().offset(), (0.6 + 0.25) * 42, closeEnough);

    const double before = position().offset();
    tick(1, 2.0);
    EXPECT_NEAR(position().offset() - before, 0.25 * 42, closeEnough);

    const double beforeBackwards = position().offset();
    *now -= 1;  // a clock that steps back moves nothing
    controller.advance(*now);
    tick(1, 0.1);
    EXPECT_NEAR(position().offset() - beforeBackwards, 0.1 * 42, closeEnough);
}

TEST_F(TeleprompterRollTest, StartingMovesNothingAndTheFirstTickCountsFromTheStart) {
    QSignalSpy rolling(&controller, &TeleprompterController::isRollingChanged);
    controller.toggleRolling(1.0);
    EXPECT_TRUE(controller.isRolling());
    EXPECT_EQ(rolling.count(), 1);
    EXPECT_EQ(position().offset(), 0);

    *now += 1.0 / 30;
    controller.advance(*now);
    EXPECT_NEAR(position().offset(), 42.0 / 30, closeEnough);

    // The speed slider changes a roll in progress; an unreadable speed rolls at the base speed.
    controller.setActiveSpeedMultiplier(3.0);
    tick(1, 0.1);
    EXPECT_NEAR(position().offset(), 42.0 / 30 + 0.1 * 126, closeEnough);
    controller.setActiveSpeedMultiplier(std::numeric_limits<double>::quiet_NaN());
    tick(1, 0.1);
    EXPECT_NEAR(position().offset(), 42.0 / 30 + 0.1 * 126 + 0.1 * 42, closeEnough);
}

TEST_F(TeleprompterRollTest, PausingStopsTheRollAndLaterTicksMoveNothing) {
    controller.toggleRolling(1.0);
    tick(2, 0.1);
    controller.toggleRolling(1.0);
    EXPECT_FALSE(controller.isRolling());
    const double paused = position().offset();
    tick(3, 0.1);
    EXPECT_EQ(position().offset(), paused);

    // Rolling again measures from the new start, not from before the pause.
    controller.toggleRolling(1.0);
    tick(1, 0.1);
    EXPECT_NEAR(position().offset() - paused, 0.1 * 42, closeEnough);
}

TEST_F(TeleprompterRollTest, TheRollStopsAtTheEndAndRestartsFromTheTop) {
    position().setContentHeight(200);  // 100 points to roll
    controller.toggleRolling(3.0);
    tick(30, 1.0 / 30);
    EXPECT_EQ(position().offset(), 100);
    EXPECT_FALSE(controller.isRolling());

    controller.toggleRolling(1.0);
    EXPECT_EQ(position().offset(), 0);
    EXPECT_TRUE(controller.isRolling());
    tick(1, 0.5);
    EXPECT_NEAR(position().offset(), 0.25 * 42, closeEnough);
}

TEST_F(TeleprompterRollTest, AnOffsetAHairShortOfTheEndCountsAsTheEnd) {
    position().setContentHeight(200);
    position().scroll(1000);
    // The text grows by less than the change tolerance: the offset cannot move onto the new
    // end, so without the tolerance the roll would never stop and Roll would never rewind.
    position().setContentHeight(200.00005);
    ASSERT_LT(position().offset(), position().maximumOffset());

    controller.toggleRolling(1.0);
    EXPECT_EQ(position().offset(), 0) << "rewound";
    position().scroll(1000);
    position().setContentHeight(200.0001);
    tick(1, 0.1);
    EXPECT_FALSE(controller.isRolling());
}

TEST_F(TeleprompterRollTest, ShortTextRollsWithoutMoving) {
    position().setContentHeight(80);
    controller.toggleRolling(1.0);
    tick(10, 0.1);
    EXPECT_TRUE(controller.isRolling());
    EXPECT_EQ(position().offset(), 0);

    // The text grows while rolling: the roll picks it up.
    position().setContentHeight(300);
    tick(1, 0.1);
    EXPECT_NEAR(position().offset(), 0.1 * 42, closeEnough);
}

TEST_F(TeleprompterRollTest, PresentingKeepsThePlaceOnlyForTheSameNonBlankScript) {
    QSignalSpy visible(&controller, &TeleprompterController::isVisibleChanged);
    controller.present("Good evening.\nHere is the news.");
    EXPECT_TRUE(controller.isVisible());
    EXPECT_EQ(visible.count(), 1);

    controller.toggleRolling(1.0);
    tick(5, 0.1);
    const double place = position().offset();
    ASSERT_GT(place, 0);

    controller.present("Good evening.\nHere is the news.");
    EXPECT_EQ(position().offset(), place);
    EXPECT_TRUE(controller.isRolling()) << "the same script interrupts nothing";

    controller.present("Good evening.\nHere is the weather.");
    EXPECT_EQ(position().offset(), 0);
    EXPECT_FALSE(controller.isRolling());
    EXPECT_EQ(controller.script(), "Good evening.\nHere is the weather.");

    controller.toggleRolling(1.0);
    tick(5, 0.1);
    controller.present("  \n\t \n");
    EXPECT_FALSE(controller.isVisible());
    EXPECT_FALSE(controller.isRolling());
    EXPECT_EQ(position().offset(), 0);
    EXPECT_EQ(controller.script(), "  \n\t \n") << "stored untrimmed";

    // Presenting the same blank script again still hides and rewinds.
    controller.setVisible(true);
    position().scroll(30);
    controller.present("  \n\t \n");
    EXPECT_FALSE(controller.isVisible());
    EXPECT_EQ(position().offset(), 0);
}

TEST(TeleprompterScrollPositionTest, ScrollingIsClampedToTheText) {
    TeleprompterScrollPosition position;
    position.setViewportHeight(100);
    position.setContentHeight(350);
    EXPECT_EQ(position.maximumOffset(), 250);

    position.scroll(10);
    position.scroll(-1000);
    EXPECT_EQ(position.offset(), 0);
    position.scroll(1000);
    EXPECT_EQ(position.offset(), 250);
}

TEST(TeleprompterScrollPositionTest, ChangesWithinTheToleranceAreSkipped) {
    TeleprompterScrollPosition position;
    position.setViewportHeight(100);
    position.setContentHeight(350);
    QSignalSpy changes(&position, &TeleprompterScrollPosition::offsetChanged);

    position.scroll(0.00005);
    position.scroll(-0.00005);
    EXPECT_EQ(position.offset(), 0);
    EXPECT_EQ(changes.count(), 0);

    position.scroll(0.0002);
    EXPECT_EQ(position.offset(), 0.0002);
    EXPECT_EQ(changes.count(), 1);

    position.scroll(std::numeric_limits<double>::quiet_NaN());
    position.scroll(std::numeric_limits<double>::infinity());
    EXPECT_EQ(position.offset(), 0.0002) << "a broken step is ignored";
}

TEST(TeleprompterScrollPositionTest, ShrinkingTextPullsTheOffsetBack) {
    TeleprompterScrollPosition position;
    position.setViewportHeight(100);
    position.setContentHeight(400);
    position.scroll(250);
    QSignalSpy changes(&position, &TeleprompterScrollPosition::offsetChanged);

    position.setContentHeight(500);  // growing text keeps the place
    EXPECT_EQ(position.offset(), 250);
    EXPECT_EQ(changes.count(), 0);

    position.setContentHeight(300);
    EXPECT_EQ(position.offset(), 200);
    position.setViewportHeight(250);
    EXPECT_EQ(position.offset(), 50);
    position.setViewportHeight(400);
    EXPECT_EQ(position.maximumOffset(), 0);
    EXPECT_EQ(position.offset(), 0);
    EXPECT_EQ(changes.count(), 3);
}

TEST(TeleprompterTimerTest, TheRollTimerDrivesTheRollOnTheEventLoop) {
    TeleprompterController controller;  // the real clock and timer
    controller.scrollPosition().setViewportHeight(100);
    controller.scrollPosition().setContentHeight(10'000);
    controller.toggleRolling(3.0);

    QDeadlineTimer deadline(5000);
    while (controller.scrollPosition().offset() < 5 && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    EXPECT_GE(controller.scrollPosition().offset(), 5);

    controller.pause();
    const double paused = controller.scrollPosition().offset();
    QDeadlineTimer settle(200);
    while (!settle.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(controller.scrollPosition().offset(), paused);
}

}  // namespace
}  // namespace Quillfen
