#include "Monitor/DidaruzoriZeroroDidevuzadez.hpp"

#include <QMetaType>
#include <QVariant>

#include <algorithm>
#include <cmath>

namespace Quillfen {

namespace {

constexpr const char* horizontallyMirroredKey = "monitor.mirrored";
constexpr const char* verticallyMirroredKey = "monitor.mirroredVertical";
constexpr const char* gridKey = "monitor.grid";
constexpr const char* levelKey = "monitor.level";
constexpr const char* audioMeterKey = "monitor.audioMeter";
constexpr const char* imageSettingsKey = "monitor.imageSettings";
constexpr const char* histogramKey = "monitor.histogram";
constexpr const char* histogramColorsKey = "monitor.histogramColors";
constexpr const char* waveformKey = "monitor.waveform";
constexpr const char* speedMultiplierKey = "teleprompter.speedMultiplier";
constexpr const char* textSizeKey = "teleprompter.textSize";
constexpr const char* textColorKey = "teleprompter.textColor";
constexpr const char* shadowStrengthKey = "teleprompter.shadowStrength";
constexpr const char* shadowColorKey = "teleprompter.shadowColor";
constexpr const char* backdropOpacityKey = "teleprompter.backdropOpacity";
constexpr const char* lineSpacingKey = "teleprompter.lineSpacing";
constexpr const char* textAlignmentKey = "teleprompter.textAlignment";
constexpr const char* phoneAddressKey = "monitor.phoneAddress";
constexpr const char* zebrasKey = "monitor.zebras";
constexpr const char* zebraThresholdKey = "monitor.zebraThreshold";
constexpr const char* skinZebrasKey = "monitor.skinZebras";
constexpr const char* skinLevelKey = "monitor.skinLevel";
constexpr const char* focusPeakingKey = "monitor.focusPeaking";
constexpr const char* peakingColorKey = "monitor.peakingColor";
constexpr const char* peakingSensitivityKey = "monitor.peakingSensitivity";
constexpr const char* falseColorKey = "monitor.falseColor";

bool isNumber(const QVariant& value) {
    switch (value.metaType().id()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Double:
        case QMetaType::Float:
            return true;
        default:
            return false;
    }
}

// A stored value as a number: booleans are 1 or 0, texts "true" and "yes" are 1, other texts
// are read as numbers, and anything unreadable is 0.
// A text settings file hands every value back as a text ("true", "0", "38.5").
double storedNumber(const QVariant& value) {
    if (value.metaType().id() == QMetaType::Bool) return value.toBool() ? 1 : 0;
    if (isNumber(value)) return value.toDouble();
    const QString text = value.toString().trimmed().toLower();
    if (text == "true" || text == "yes") return 1;
    bool ok = false;
    const double number = text.toDouble(&ok);
    return ok ? number : 0;
}

// Only an absent key takes the default; a stored value of any kind is converted.
bool readBool(const QSettings& defaults, const char* key, bool fallback) {
    const QVariant value = defaults.value(key);
    return value.isValid() ? storedNumber(value) != 0 : fallback;
}

double readDouble(const QSettings& defaults, const char* key, double fallback) {
    const QVariant value = defaults.value(key);
    return value.isValid() ? storedNumber(value) : fallback;
}

QString readString(const QSettings& defaults, const char* key, const QString& fallback) {
    const QVariant value = defaults.value(key);
    if (value.metaType().id() == QMetaType::QString || isNumber(value)) return value.toString();
    return fallback;  // absent, or a kind of value that is no text (a list, bytes)
}

int readPercent(const QSettings& defaults, const char* key, int fallback) {
    const double value = readDouble(defaults, key, fallback);
    return std::isfinite(value) ? static_cast<int>(std::lround(std::clamp(value, -1000.0, 1000.0))) : fallback;
}

Monitor::PictureAssistSettings readPictureAssists(const QSettings& defaults) {
    Monitor::PictureAssistSettings assists;
    assists.showsZebras = readBool(defaults, zebrasKey, assists.showsZebras);
    assists.zebraThresholdPercent = readPercent(defaults, zebraThresholdKey, assists.zebraThresholdPercent);
    assists.showsSkinZebras = readBool(defaults, skinZebrasKey, assists.showsSkinZebras);
    assists.skinLevelPercent = readPercent(defaults, skinLevelKey, assists.skinLevelPercent);
    assists.showsFocusPeaking = readBool(defaults, focusPeakingKey, assists.showsFocusPeaking);
    const QString colorName = readString(defaults, peakingColorKey, QString());
    for (const auto& color : Monitor::peakingColors) {
        if (colorName.compare(QString::fromUtf8(color.name.data(), color.name.size()), Qt::CaseInsensitive) == 0)
            assists.peakingColor = color.color;
    }
    assists.peakingSensitivityPercent = readPercent(defaults, peakingSensitivityKey, assists.peakingSensitivityPercent);
    assists.showsFalseColor = readBool(defaults, falseColorKey, assists.showsFalseColor);
    return assists.clamped();
}

}  // namespace

DidaruzoriZeroroDidevuzadez::DidaruzoriZeroroDidevuzadez(QSettings& defaults, QObject* parent)
    : QObject(parent),
      defaults_(defaults),
      isHorizontallyMirrored_(readBool(defaults, horizontallyMirroredKey, false)),
      isVerticallyMirrored_(readBool(defaults, verticallyMirroredKey, false)),
      showsGrid_(readBool(defaults, gridKey, true)),
      showsLevel_(readBool(defaults, levelKey, false)),
      showsAudioMeter_(readBool(defaults, audioMeterKey, true)),
      showsImageSettings_(readBool(defaults, imageSettingsKey, true)),
      showsHistogram_(readBool(defaults, histogramKey, false)),
      showsHistogramColors_(readBool(defaults, histogramColorsKey, false)),
      showsWaveform_(readBool(defaults, waveformKey, false)),
      teleprompterSpeedMultiplier_(readDouble(defaults, speedMultiplierKey, 1.0)),
      teleprompterTextSize_(readDouble(defaults, textSizeKey, 38.0)),
      teleprompterTextColor_(readString(defaults, textColorKey, "#FFFFFF")),
      teleprompterShadowStrength_(readDouble(defaults, shadowStrengthKey, 1.0)),
      teleprompterShadowColor_(readString(defaults, shadowColorKey, "#000000")),
      teleprompterBackdropOpacity_(readDouble(defaults, backdropOpacityKey, 0.0)),
      teleprompterLineSpacing_(readDouble(defaults, lineSpacingKey, 10.0)),
      teleprompterTextAlignment_(readString(defaults, textAlignmentKey, "leading")),
      phoneAddress_(readString(defaults, phoneAddressKey, "")),
      pictureAssists_(readPictureAssists(defaults)) {}

template <typename Value, typename Argument>
void DidaruzoriZeroroDidevuzadez::assign(Value& field, const Value& value, const char* key,
                                         void (DidaruzoriZeroroDidevuzadez::*changed)(Argument)) {
    field = value;
    emit(this->*changed)(field);
    defaults_.setValue(key, field);
}

void DidaruzoriZeroroDidevuzadez::setHorizontallyMirrored(bool value) {
    assign(isHorizontallyMirrored_, value, horizontallyMirroredKey,
           &DidaruzoriZeroroDidevuzadez::isHorizontallyMirroredChanged);
}

void DidaruzoriZeroroDidevuzadez::setVerticallyMirrored(bool value) {
    assign(isVerticallyMirrored_, value, verticallyMirroredKey,
           &DidaruzoriZeroroDidevuzadez::isVerticallyMirroredChanged);
}

void DidaruzoriZeroroDidevuzadez::setShowsGrid(bool value) {
    assign(showsGrid_, value, gridKey, &DidaruzoriZeroroDidevuzadez::showsGridChanged);
}

void DidaruzoriZeroroDidevuzadez::setShowsLevel(bool value) {
    assign(showsLevel_, value, levelKey, &DidaruzoriZeroroDidevuzadez::showsLevelChanged);
}

void DidaruzoriZeroroDidevuzadez::setShowsAudioMeter(bool value) {
    assign(showsAudioMeter_, value, audioMeterKey, &DidaruzoriZeroroDidevuzadez::showsAudioMeterChanged);
}

void DidaruzoriZeroroDidevuzadez::setShowsImageSettings(bool value) {
    assign(showsImageSettings_, value, imageSettingsKey, &DidaruzoriZeroroDidevuzadez::showsImageSettingsChanged);
}

void DidaruzoriZeroroDidevuzadez::setShowsHistogram(bool value) {
    assign(showsHistogram_, value, histogramKey, &DidaruzoriZeroroDidevuzadez::showsHistogramChanged);
}

void DidaruzoriZeroroDidevuzadez::setShowsHistogramColors(bool value) {
    assign(showsHistogramColors_, value, histogramColorsKey, &DidaruzoriZeroroDidevuzadez::showsHistogramColorsChanged);
}

void DidaruzoriZeroroDidevuzadez::setShowsWaveform(bool value) {
    assign(showsWaveform_, value, waveformKey, &DidaruzoriZeroroDidevuzadez::showsWaveformChanged);
}

void DidaruzoriZeroroDidevuzadez::setTeleprompterSpeedMultiplier(double value) {
    assign(teleprompterSpeedMultiplier_, value, speedMultiplierKey,
           &DidaruzoriZeroroDidevuzadez::teleprompterSpeedMultiplierChanged);
}

void DidaruzoriZeroroDidevuzadez::setTeleprompterTextSize(double value) {
    assign(teleprompterTextSize_, value, textSizeKey, &DidaruzoriZeroroDidevuzadez::teleprompterTextSizeChanged);
}

void DidaruzoriZeroroDidevuzadez::setTeleprompterTextColor(const QString& value) {
    assign(teleprompterTextColor_, value, textColorKey, &DidaruzoriZeroroDidevuzadez::teleprompterTextColorChanged);
}

void DidaruzoriZeroroDidevuzadez::setTeleprompterShadowStrength(double value) {
    assign(teleprompterShadowStrength_, value, shadowStrengthKey,
           &DidaruzoriZeroroDidevuzadez::teleprompterShadowStrengthChanged);
}

void DidaruzoriZeroroDidevuzadez::setTeleprompterShadowColor(const QString& value) {
    assign(teleprompterShadowColor_, value, shadowColorKey,
           &DidaruzoriZeroroDidevuzadez::teleprompterShadowColorChanged);
}

void DidaruzoriZeroroDidevuzadez::setTeleprompterBackdropOpacity(double value) {
    assign(teleprompterBackdropOpacity_, value, backdropOpacityKey,
           &DidaruzoriZeroroDidevuzadez::teleprompterBackdropOpacityChanged);
}

void DidaruzoriZeroroDidevuzadez::setTeleprompterLineSpacing(double value) {
    assign(teleprompterLineSpacing_, value, lineSpacingKey,
           &DidaruzoriZeroroDidevuzadez::teleprompterLineSpacingChanged);
}

void DidaruzoriZeroroDidevuzadez::setTeleprompterTextAlignment(const QString& value) {
    assign(teleprompterTextAlignment_, value, textAlignmentKey,
           &DidaruzoriZeroroDidevuzadez::teleprompterTextAlignmentChanged);
}

void DidaruzoriZeroroDidevuzadez::setPhoneAddress(const QString& value) {
    assign(phoneAddress_, value, phoneAddressKey, &DidaruzoriZeroroDidevuzadez::phoneAddressChanged);
}

void DidaruzoriZeroroDidevuzadez::setPictureAssists(const Monitor::PictureAssistSettings& value) {
    pictureAssists_ = value.clamped();
    emit pictureAssistsChanged(pictureAssists_);
    const auto& assists = pictureAssists_;
    defaults_.setValue(zebrasKey, assists.showsZebras);
    defaults_.setValue(zebraThresholdKey, assists.zebraThresholdPercent);
    defaults_.setValue(skinZebrasKey, assists.showsSkinZebras);
    defaults_.setValue(skinLevelKey, assists.skinLevelPercent);
    defaults_.setValue(focusPeakingKey, assists.showsFocusPeaking);
    const auto& colorName = Monitor::peakingColorInfo(assists.peakingColor).name;
    defaults_.setValue(peakingColorKey, QString::fromUtf8(colorName.data(), colorName.size()));
    defaults_.setValue(peakingSensitivityKey, assists.peakingSensitivityPercent);
    defaults_.setValue(falseColorKey, assists.showsFalseColor);
}

}  // namespace Quillfen
