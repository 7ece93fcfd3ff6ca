#include <QLabel>
#include <QSettings>
#include <QSlider>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

#include "Monitor/DidaruzoriZeroroDidevuzadez.hpp"
#include "Monitor/TeleprompterAppearancePopover.hpp"
#include "Monitor/TeleprompterColorStorage.hpp"
#include "Monitor/TeleprompterControlBar.hpp"
#include "Monitor/TeleprompterTextViewport.hpp"
#include "Teleprompter/TeleprompterController.hpp"

namespace Quillfen {
namespace {

namespace Colors = TeleprompterColorStorage;

TEST(TeleprompterColorStorageTest, ReadsLenientlyAndWritesUpperCaseOpaqueSRGB) {
    const QColor orange = QColor::fromRgb(0xFF, 0x88, 0x00);
    for (const QString text : {"#ff8800", "ff8800", " #FF8800 ", "##FF8800"})
        EXPECT_EQ(Colors::color(text), orange) << text.toStdString();
    for (const QString text : {"#FFF", "#FF88001", "", "#GG0000", "#+FFFFF", "#0xFFFF", "#FF 800"})
        EXPECT_EQ(Colors::color(text), QColor(Qt::white)) << text.toStdString();

    EXPECT_EQ(Colors::hex(Colors::color(" #ff8800 ")), "#FF8800");
    EXPECT_EQ(Colors::hex(QColor::fromRgbF(0.5, 0, 1)), "#8000FF");
    EXPECT_EQ(Colors::hex(QColor::fromRgbF(1.4f, -0.2f, 0.5f)), "#FF0080") << "components clamped first";
    EXPECT_EQ(Colors::hex(QColor::fromHsv(120, 255, 255)), "#00FF00") << "converted to RGB";
    EXPECT_EQ(Colors::hex(QColor()), "#FFFFFF");
}

class TeleprompterViewsTest : public testing::Test {
protected:
    QTemporaryDir folder;
    QSettings defaults{folder.filePath("defaults.ini"), QSettings::IniFormat};
    DidaruzoriZeroroDidevuzadez preferences{defaults};
    std::shared_ptr<double> now = std::make_shared<double>(100);
    TeleprompterController controller{[clock = now] { return *clock; }};
};

TEST_F(TeleprompterViewsTest, ResetRestoresEveryAppearanceValueButTheSpeed) {
    preferences.setTeleprompterTextSize(60.5);
    preferences.setTeleprompterTextColor("#FFD60A");
    preferences.setTeleprompterShadowStrength(0.35);
    preferences.setTeleprompterShadowColor("#FF3B30");
    preferences.setTeleprompterBackdropOpacity(0.6);
    preferences.setTeleprompterLineSpacing(3);
    preferences.setTeleprompterTextAlignment("center");
    preferences.setTeleprompterSpeedMultiplier(2.5);
    TeleprompterAppearancePopover popover(preferences);
    EXPECT_EQ(popover.valueLabels(), QStringList({"61 pt", "35%", "60%", "3 pt"}));
    EXPECT_EQ(popover.chosenAlignment(), "Centre");

    popover.reset();
    EXPECT_EQ(popover.valueLabels(), QStringList({"38 pt", "100%", "0%", "10 pt"}));
    EXPECT_EQ(popover.wellColors(), QStringList({"#FFFFFF", "#000000"}));
    EXPECT_EQ(popover.chosenAlignment(), "Left");
    DidaruzoriZeroroDidevuzadez stored(defaults);  // what a new window reads
    EXPECT_EQ(stored.teleprompterTextAlignment(), "leading");
    EXPECT_EQ(stored.teleprompterShadowColor(), "#000000");
    EXPECT_EQ(stored.teleprompterSpeedMultiplier(), 2.5);
}

TEST_F(TeleprompterViewsTest, MovingTheSpeedSliderDuringARollChangesTheSpeedFromTheNextTick) {
    controller.scrollPosition().setViewportHeight(100);
    controller.scrollPosition().setContentHeight(10'000);
    TeleprompterControlBar bar(controller, preferences);
    ASSERT_EQ(bar.speedSlider().value(), 10);
    controller.toggleRolling(preferences.teleprompterSpeedMultiplier());
    const auto tick = [&] {
        const double before = controller.scrollPosition().offset();
        *now += 0.1;
        controller.advance(*now);
        return controller.scrollPosition().offset() - before;
    };
    const double step = tick();
    bar.speedSlider().setValue(20);
    EXPECT_DOUBLE_EQ(tick(), 2 * step);
    EXPECT_EQ(bar.speedValueLabel().text(), QString::fromUtf8("2.0\u00D7"));
    EXPECT_EQ(preferences.teleprompterSpeedMultiplier(), 2.0);
}

TEST_F(TeleprompterViewsTest, LargerTextKeepsThePlaceAndSmallerTextPullsItBack) {
    TeleprompterTextViewport viewport(controller.scrollPosition());
    viewport.resize(800, 400);
    QStringList lines;
    for (int line = 1; line <= 40; ++line) lines << QString("Line %1").arg(line);
    viewport.setScript(lines.join('\n'));
    TeleprompterScrollPosition& position = controller.scrollPosition();
    TeleprompterAppearance appearance;
    appearance.textSize = 24;
    viewport.setAppearance(appearance);
    position.scroll(500);
    appearance.textSize = 72;
    viewport.setAppearance(appearance);
    EXPECT_EQ(position.offset(), 500);

    position.scroll(100'000);
    const double end = position.maximumOffset();
    appearance.textSize = 24;
    viewport.setAppearance(appearance);
    EXPECT_LT(position.maximumOffset(), end);
    EXPECT_EQ(position.offset(), position.maximumOffset());
}

}  // namespace
}  // namespace Quillfen
