#include <QLocale>

#include <gtest/gtest.h>

#include <cmath>

#include "Teleprompter/TeleprompterAppearance.hpp"
#include "Teleprompter/TeleprompterCardLayout.hpp"
#include "Teleprompter/TeleprompterDraft.hpp"
#include "Teleprompter/TeleprompterManualStep.hpp"

namespace Quillfen {
namespace {

TEST(TeleprompterCardTest, TheCardFollowsThePictureWithinItsLimits) {
    const struct {
        QSizeF picture;
        QSizeF card;
    } cases[] = {
        {{1000, 562.5}, {900, 472.5}},
        {{400, 225}, {560, 300}},
        {{2000, 1125}, {1040, 640}},
    };
    for (const auto& example : cases) EXPECT_EQ(teleprompterCardSize(example.picture), example.card);

    // A 16:9 picture fitted into a taller area: the card is centred on the area.
    const QRectF card = teleprompterCardFrame({1000, 800}, 16.0 / 9);
    EXPECT_EQ(card.size(), QSizeF(900, 472.5));
    EXPECT_EQ(card.center(), QPointF(500, 400));
}

TEST(TeleprompterManualStepTest, ArrowsStepOnlyInTheShownPromptsWindowWithoutCommandKeys) {
    const struct {
        TeleprompterKeyPress press;
        std::optional<double> step;
    } cases[] = {
        {{Qt::Key_Down, Qt::NoModifier, true, true}, 72},
        {{Qt::Key_Up, Qt::NoModifier, true, true}, -72},
        {{Qt::Key_Down, Qt::ShiftModifier, true, true}, 72},
        {{Qt::Key_Down, Qt::ControlModifier, true, true}, std::nullopt},
        {{Qt::Key_Up, Qt::AltModifier, true, true}, std::nullopt},
        {{Qt::Key_Down, Qt::MetaModifier, true, true}, std::nullopt},
        {{Qt::Key_Left, Qt::NoModifier, true, true}, std::nullopt},
        {{Qt::Key_Down, Qt::NoModifier, false, true}, std::nullopt},  // another window or a sheet
        {{Qt::Key_Down, Qt::NoModifier, true, false}, std::nullopt},  // the prompt is hidden
    };
    for (const auto& example : cases)
        EXPECT_EQ(teleprompterStep(example.press), example.step) << example.press.key << " " << example.press.modifiers;
}

TEST(TeleprompterDraftTest, ClearingNeedsAnyTextAndShowingNeedsMoreThanWhiteSpace) {
    const struct {
        QString draft;
        bool canClear;
        bool canShow;
    } cases[] = {
        {"", false, false},
        {"  \n\t \r\n", true, false},
        {"\nGood evening.\n", true, true},
    };
    for (const auto& example : cases) {
        EXPECT_EQ(canClearDraft(example.draft), example.canClear) << example.draft.toStdString();
        EXPECT_EQ(canShowDraft(example.draft), example.canShow) << example.draft.toStdString();
    }
}

TEST(TeleprompterDraftTest, CountsTheCharactersAReaderSees) {
    const struct {
        QString draft;
        qsizetype count;
    } cases[] = {
        {"", 0},
        {"Caf\u00E9", 4},
        {"Cafe\u0301", 4},                                     // e and a combining acute accent
        {"\U0001F468\u200D\U0001F469\u200D\U0001F467 ok", 4},  // a family joined from three people
        {"\U0001F1E9\U0001F1EA\U0001F44D\U0001F3FD", 2},       // a flag, a thumb with a skin tone
        {"a\r\nb", 3},
    };
    for (const auto& example : cases)
        EXPECT_EQ(perceivedCharacterCount(example.draft), example.count) << example.draft.toStdString();
    EXPECT_EQ(characterCountLabel("Cafe\u0301"), "4 characters");
}

TEST(TeleprompterAppearanceTest, OnlyTheExactCenterRawValueCentres) {
    EXPECT_EQ(teleprompterTextAlignment("center"), TeleprompterTextAlignment::center);
    for (const QString raw : {"leading", "centre", "Center", ""})
        EXPECT_EQ(teleprompterTextAlignment(raw), TeleprompterTextAlignment::leading) << raw.toStdString();
}

TEST(TeleprompterAppearanceTest, ThePromptDrawsHandEditedValuesWithinTheEditorsRanges) {
    TeleprompterAppearance stored;
    stored.textSize = 100'000;
    stored.shadowStrength = std::nan("");
    stored.backdropOpacity = -1;
    stored.lineSpacing = 30;
    const TeleprompterAppearance drawn = withinRanges(stored);
    EXPECT_EQ(drawn.textSize, 72);
    EXPECT_EQ(drawn.shadowStrength, 1.0);
    EXPECT_EQ(drawn.backdropOpacity, 0);
    EXPECT_EQ(drawn.lineSpacing, 24);
}

TEST(TeleprompterAppearanceTest, LabelsRoundHalvesAwayFromZero) {
    EXPECT_EQ(pointsLabel(38.5), "39 pt");
    EXPECT_EQ(pointsLabel(38.49), "38 pt");
    EXPECT_EQ(percentLabel(0.35), "35%");
    EXPECT_EQ(speedLabel(1.5, QLocale(QLocale::English)), QString::fromUtf8("1.5\u00D7"));
    EXPECT_EQ(speedLabel(2, QLocale(QLocale::German)), QString::fromUtf8("2,0\u00D7"));
}

}  // namespace
}  // namespace Quillfen
