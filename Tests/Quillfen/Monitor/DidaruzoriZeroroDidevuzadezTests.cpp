#include "Monitor/DidaruzoriZeroroDidevuzadez.hpp"

#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace Quillfen {
namespace {

class WindowPreferencesTest : public testing::Test {
protected:
    QString settingsPath() const { return folder.filePath("defaults.ini"); }
    std::unique_ptr<QSettings> openSettings() const {
        return std::make_unique<QSettings>(settingsPath(), QSettings::IniFormat);
    }

    QTemporaryDir folder;
    std::unique_ptr<QSettings> defaults = openSettings();
};

TEST_F(WindowPreferencesTest, StoredValuesWinOverDefaultsInWhateverFormTheyWereWritten) {
    defaults->setValue("monitor.grid", false);
    defaults->setValue("monitor.audioMeter", "no");
    defaults->setValue("monitor.imageSettings", 0);
    defaults->setValue("monitor.level", "YES");
    defaults->setValue("monitor.mirrored", "1");
    defaults->setValue("teleprompter.textSize", "52.5");
    defaults->setValue("teleprompter.lineSpacing", "wide");  // unreadable: 0, as user defaults read it
    defaults->setValue("teleprompter.shadowStrength", true);
    defaults->setValue("teleprompter.textColor", QStringList{"#FF0000", "#00FF00"});  // no text: default
    defaults->setValue("teleprompter.textAlignment", "center");
    defaults->sync();

    // Read back through a new settings object, as on the next launch: a text file hands
    // every value back as a string.
    auto reopened = openSettings();
    DidaruzoriZeroroDidevuzadez preferences(*reopened);
    EXPECT_FALSE(preferences.showsGrid());
    EXPECT_FALSE(preferences.showsAudioMeter());
    EXPECT_FALSE(preferences.showsImageSettings());
    EXPECT_TRUE(preferences.showsLevel());
    EXPECT_TRUE(preferences.isHorizontallyMirrored());
    EXPECT_EQ(preferences.teleprompterTextSize(), 52.5);
    EXPECT_EQ(preferences.teleprompterLineSpacing(), 0.0);
    EXPECT_EQ(preferences.teleprompterShadowStrength(), 1.0);
    EXPECT_EQ(preferences.teleprompterTextColor(), "#FFFFFF");
    EXPECT_EQ(preferences.teleprompterTextAlignment(), "center");
}

TEST_F(WindowPreferencesTest, EveryAssignmentNotifiesAndIsStoredUnderItsKeyAsGiven) {
    DidaruzoriZeroroDidevuzadez preferences(*defaults);
    QSignalSpy gridChanges(&preferences, &DidaruzoriZeroroDidevuzadez::showsGridChanged);
    QSignalSpy colorChanges(&preferences, &DidaruzoriZeroroDidevuzadez::teleprompterShadowColorChanged);

    preferences.setHorizontallyMirrored(true);
    preferences.setVerticallyMirrored(true);
    preferences.setShowsGrid(false);
    preferences.setShowsGrid(false);
    preferences.setShowsLevel(true);
    preferences.setShowsAudioMeter(false);
    preferences.setShowsImageSettings(false);
    preferences.setShowsHistogram(true);
    preferences.setShowsHistogramColors(true);
    preferences.setShowsWaveform(true);
    preferences.setTeleprompterSpeedMultiplier(7.5);  // out of the slider's range, stored anyway
    preferences.setTeleprompterTextSize(44);
    preferences.setTeleprompterTextColor("#FFCC00");
    preferences.setTeleprompterShadowStrength(0.35);
    preferences.setTeleprompterShadowColor("not a colour");
    preferences.setTeleprompterBackdropOpacity(0.6);
    preferences.setTeleprompterLineSpacing(18);
    preferences.setTeleprompterTextAlignment("center");
    preferences.setPhoneAddress("[fe80::1%wlan0]:47810");
    EXPECT_EQ(gridChanges.count(), 2);
    ASSERT_EQ(colorChanges.count(), 1);
    EXPECT_EQ(colorChanges.front().front().toString(), "not a colour");
    defaults->sync();

    auto reopened = openSettings();
    EXPECT_EQ(reopened->value("monitor.mirrored").toString(), "true");
    EXPECT_EQ(reopened->value("monitor.mirroredVertical").toString(), "true");
    EXPECT_EQ(reopened->value("monitor.grid").toString(), "false");
    EXPECT_EQ(reopened->value("monitor.level").toString(), "true");
    EXPECT_EQ(reopened->value("monitor.audioMeter").toString(), "false");
    EXPECT_EQ(reopened->value("monitor.imageSettings").toString(), "false");
    EXPECT_EQ(reopened->value("monitor.histogram").toString(), "true");
    EXPECT_EQ(reopened->value("monitor.histogramColors").toString(), "true");
    EXPECT_EQ(reopened->value("monitor.waveform").toString(), "true");
    EXPECT_EQ(reopened->value("teleprompter.speedMultiplier").toDouble(), 7.5);
    EXPECT_EQ(reopened->value("teleprompter.textSize").toDouble(), 44);
    EXPECT_EQ(reopened->value("teleprompter.textColor").toString(), "#FFCC00");
    EXPECT_EQ(reopened->value("teleprompter.shadowStrength").toDouble(), 0.35);
    EXPECT_EQ(reopened->value("teleprompter.shadowColor").toString(), "not a colour");
    EXPECT_EQ(reopened->value("teleprompter.backdropOpacity").toDouble(), 0.6);
    EXPECT_EQ(reopened->value("teleprompter.lineSpacing").toDouble(), 18);
    EXPECT_EQ(reopened->value("teleprompter.textAlignment").toString(), "center");
    EXPECT_EQ(reopened->value("monitor.phoneAddress").toString(), "[fe80::1%wlan0]:47810");

    DidaruzoriZeroroDidevuzadez nextLaunch(*reopened);
    EXPECT_TRUE(nextLaunch.isVerticallyMirrored());
    EXPECT_EQ(nextLaunch.teleprompterSpeedMultiplier(), 7.5);
    EXPECT_EQ(nextLaunch.teleprompterShadowStrength(), 0.35);
}

TEST_F(WindowPreferencesTest, OpenWindowsKeepTheirOwnValuesAndANewWindowTakesTheLastWrite) {
    DidaruzoriZeroroDidevuzadez first(*defaults);
    DidaruzoriZeroroDidevuzadez second(*defaults);

    first.setShowsGrid(false);
    first.setTeleprompterTextSize(60);
    EXPECT_TRUE(second.showsGrid());
    EXPECT_EQ(second.teleprompterTextSize(), 38);

    second.setTeleprompterTextSize(30);
    DidaruzoriZeroroDidevuzadez third(*defaults);
    EXPECT_FALSE(third.showsGrid());
    EXPECT_EQ(third.teleprompterTextSize(), 30);
    EXPECT_EQ(first.teleprompterTextSize(), 60);
}

}  // namespace
}  // namespace Quillfen
