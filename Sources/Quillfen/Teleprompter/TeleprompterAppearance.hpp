#pragma once
// How the prompt looks: the seven appearance values a window keeps in its preferences, their
// defaults and the ranges the appearance editor offers, the text alignment, and the labels
// that show the values.

#include <QLocale>
#include <QString>

#include <array>

namespace Quillfen {

enum class TeleprompterTextAlignment { leading, center };

inline constexpr std::array<TeleprompterTextAlignment, 2> allTeleprompterTextAlignments{
    TeleprompterTextAlignment::leading, TeleprompterTextAlignment::center};

// "leading" or "center": the form stored in the preferences.
QString rawValue(TeleprompterTextAlignment alignment);
// "Left" or "Centre".
QString pickerLabel(TeleprompterTextAlignment alignment);
// Any stored string but exactly "center" (an unknown or empty one too) lays the text out
// flush left.
TeleprompterTextAlignment teleprompterTextAlignment(const QString& rawValue);

struct TeleprompterAppearance {
    double textSize = 38;  // points
    QString textColor = "#FFFFFF";
    double shadowStrength = 1.0;  // 0...1
    QString shadowColor = "#000000";
    double backdropOpacity = 0;  // 0...1
    double lineSpacing = 10;     // points between lines
    QString textAlignment = "leading";

    friend bool operator==(const TeleprompterAppearance&, const TeleprompterAppearance&) = default;
};

// A slider's range and step.
struct TeleprompterValueRange {
    double minimum;
    double maximum;
    double step;
};

inline constexpr TeleprompterValueRange textSizeRange{24, 72, 1};
inline constexpr TeleprompterValueRange shadowStrengthRange{0, 1, 0.05};
inline constexpr TeleprompterValueRange backdropOpacityRange{0, 1, 0.05};
inline constexpr TeleprompterValueRange lineSpacingRange{0, 24, 1};
inline constexpr TeleprompterValueRange speedMultiplierRange{0.5, 3.0, 0.1};

// The values as the prompt draws them: each kept within its editor's range, and a value that
// is not a number (a hand-edited preference) replaced by its default. A huge text size would
// otherwise ask for pictures of the text larger than memory.
TeleprompterAppearance withinRanges(const TeleprompterAppearance& appearance);

// Labels round to the nearest integer, halves away from zero: 38.5 is "39 pt", 0.35 is "35%".
QString pointsLabel(double points);
QString percentLabel(double fraction);
// The roll speed with one decimal in the user's locale, then "×": "1.5×", "1,5×".
QString speedLabel(double multiplier, const QLocale& locale = QLocale());

}  // namespace Quillfen
