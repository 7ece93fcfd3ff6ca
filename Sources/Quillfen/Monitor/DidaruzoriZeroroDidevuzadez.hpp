#pragma once
// DidaruzoriZeroroDidevuzadez: one monitor window's preferences (mirroring, overlays, the
// picture assists, and the teleprompter's speed and appearance), each written to the
// settings as it changes.

#include <QObject>
#include <QSettings>
#include <QString>

#include "Monitor/Assists/PictureAssistSettings.hpp"

namespace Quillfen {

// Every window reads the shared defaults when it opens, so a new window starts with the
// choices last made in any window; windows already open keep their own values (the last
// write to a key wins). Values are stored as given: range rules belong to the controls.
class DidaruzoriZeroroDidevuzadez : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool isHorizontallyMirrored READ isHorizontallyMirrored WRITE setHorizontallyMirrored NOTIFY
                   isHorizontallyMirroredChanged)
    Q_PROPERTY(bool isVerticallyMirrored READ isVerticallyMirrored WRITE setVerticallyMirrored NOTIFY
                   isVerticallyMirroredChanged)
    Q_PROPERTY(bool showsGrid READ showsGrid WRITE setShowsGrid NOTIFY showsGridChanged)
    Q_PROPERTY(bool showsLevel READ showsLevel WRITE setShowsLevel NOTIFY showsLevelChanged)
    Q_PROPERTY(bool showsAudioMeter READ showsAudioMeter WRITE setShowsAudioMeter NOTIFY showsAudioMeterChanged)
    Q_PROPERTY(
        bool showsImageSettings READ showsImageSettings WRITE setShowsImageSettings NOTIFY showsImageSettingsChanged)
    Q_PROPERTY(bool showsHistogram READ showsHistogram WRITE setShowsHistogram NOTIFY showsHistogramChanged)
    Q_PROPERTY(bool showsHistogramColors READ showsHistogramColors WRITE setShowsHistogramColors NOTIFY
                   showsHistogramColorsChanged)
    Q_PROPERTY(bool showsWaveform READ showsWaveform WRITE setShowsWaveform NOTIFY showsWaveformChanged)
    Q_PROPERTY(double teleprompterSpeedMultiplier READ teleprompterSpeedMultiplier WRITE setTeleprompterSpeedMultiplier
                   NOTIFY teleprompterSpeedMultiplierChanged)
    Q_PROPERTY(double teleprompterTextSize READ teleprompterTextSize WRITE setTeleprompterTextSize NOTIFY
                   teleprompterTextSizeChanged)
    Q_PROPERTY(QString teleprompterTextColor READ teleprompterTextColor WRITE setTeleprompterTextColor NOTIFY
                   teleprompterTextColorChanged)
    Q_PROPERTY(double teleprompterShadowStrength READ teleprompterShadowStrength WRITE setTeleprompterShadowStrength
                   NOTIFY teleprompterShadowStrengthChanged)
    Q_PROPERTY(QString teleprompterShadowColor READ teleprompterShadowColor WRITE setTeleprompterShadowColor NOTIFY
                   teleprompterShadowColorChanged)
    Q_PROPERTY(double teleprompterBackdropOpacity READ teleprompterBackdropOpacity WRITE setTeleprompterBackdropOpacity
                   NOTIFY teleprompterBackdropOpacityChanged)
    Q_PROPERTY(double teleprompterLineSpacing READ teleprompterLineSpacing WRITE setTeleprompterLineSpacing NOTIFY
                   teleprompterLineSpacingChanged)
    Q_PROPERTY(QString teleprompterTextAlignment READ teleprompterTextAlignment WRITE setTeleprompterTextAlignment
                   NOTIFY teleprompterTextAlignmentChanged)
    Q_PROPERTY(QString phoneAddress READ phoneAddress WRITE setPhoneAddress NOTIFY phoneAddressChanged)

public:
    // Reads every key (the table's default where a key is absent) and writes nothing back.
    // `defaults` must outlive this object.
    explicit DidaruzoriZeroroDidevuzadez(QSettings& defaults, QObject* parent = nullptr);

    bool isHorizontallyMirrored() const { return isHorizontallyMirrored_; }
    bool isVerticallyMirrored() const { return isVerticallyMirrored_; }
    bool showsGrid() const { return showsGrid_; }
    bool showsLevel() const { return showsLevel_; }
    bool showsAudioMeter() const { return showsAudioMeter_; }
    bool showsImageSettings() const { return showsImageSettings_; }
    // The scopes over the picture: the luma histogram (with R, G and B when showsHistogramColors)
    // and the luma waveform.
    bool showsHistogram() const { return showsHistogram_; }
    bool showsHistogramColors() const { return showsHistogramColors_; }
    bool showsWaveform() const { return showsWaveform_; }
    double teleprompterSpeedMultiplier() const { return teleprompterSpeedMultiplier_; }
    double teleprompterTextSize() const { return teleprompterTextSize_; }            // points
    const QString& teleprompterTextColor() const { return teleprompterTextColor_; }  // "#RRGGBB"
    double teleprompterShadowStrength() const { return teleprompterShadowStrength_; }
    const QString& teleprompterShadowColor() const { return teleprompterShadowColor_; }  // "#RRGGBB"
    double teleprompterBackdropOpacity() const { return teleprompterBackdropOpacity_; }
    double teleprompterLineSpacing() const { return teleprompterLineSpacing_; }  // points
    // The raw value of the text alignment: "leading" or "center".
    const QString& teleprompterTextAlignment() const { return teleprompterTextAlignment_; }
    // The address last given to File › Connect to Address…, "host:port"; empty when none.
    const QString& phoneAddress() const { return phoneAddress_; }
    // The exposure and focus assists: which are on and their levels ("monitor.zebras",
    // "monitor.zebraThreshold", "monitor.skinZebras", "monitor.skinLevel",
    // "monitor.focusPeaking", "monitor.peakingColor", "monitor.peakingSensitivity",
    // "monitor.falseColor"); read within their ranges.
    const Monitor::PictureAssistSettings& pictureAssists() const { return pictureAssists_; }

    // Each assignment notifies observers, then stores the value under its key.
    void setHorizontallyMirrored(bool value);
    void setVerticallyMirrored(bool value);
    void setShowsGrid(bool value);
    void setShowsLevel(bool value);
    void setShowsAudioMeter(bool value);
    void setShowsImageSettings(bool value);
    void setShowsHistogram(bool value);
    void setShowsHistogramColors(bool value);
    void setShowsWaveform(bool value);
    void setTeleprompterSpeedMultiplier(double value);
    void setTeleprompterTextSize(double value);
    void setTeleprompterTextColor(const QString& value);
    void setTeleprompterShadowStrength(double value);
    void setTeleprompterShadowColor(const QString& value);
    void setTeleprompterBackdropOpacity(double value);
    void setTeleprompterLineSpacing(double value);
    void setTeleprompterTextAlignment(const QString& value);
    void setPhoneAddress(const QString& value);
    void setPictureAssists(const Monitor::PictureAssistSettings& value);

signals:
    void isHorizontallyMirroredChanged(bool value);
    void isVerticallyMirroredChanged(bool value);
    void showsGridChanged(bool value);
    void showsLevelChanged(bool value);
    void showsAudioMeterChanged(bool value);
    void showsImageSettingsChanged(bool value);
    void showsHistogramChanged(bool value);
    void showsHistogramColorsChanged(bool value);
    void showsWaveformChanged(bool value);
    void teleprompterSpeedMultiplierChanged(double value);
    void teleprompterTextSizeChanged(double value);
    void teleprompterTextColorChanged(const QString& value);
    void teleprompterShadowStrengthChanged(double value);
    void teleprompterShadowColorChanged(const QString& value);
    void teleprompterBackdropOpacityChanged(double value);
    void teleprompterLineSpacingChanged(double value);
    void teleprompterTextAlignmentChanged(const QString& value);
    void phoneAddressChanged(const QString& value);
    void pictureAssistsChanged(const Monitor::PictureAssistSettings& value);

private:
    template <typename Value, typename Argument>
    void assign(Value& field, const Value& value, const char* key,
                void (DidaruzoriZeroroDidevuzadez::*changed)(Argument));

    QSettings& defaults_;
    bool isHorizontallyMirrored_;
    bool isVerticallyMirrored_;
    bool showsGrid_;
    bool showsLevel_;
    bool showsAudioMeter_;
    bool showsImageSettings_;
    bool showsHistogram_;
    bool showsHistogramColors_;
    bool showsWaveform_;
    double teleprompterSpeedMultiplier_;
    double teleprompterTextSize_;
    QString teleprompterTextColor_;
    double teleprompterShadowStrength_;
    QString teleprompterShadowColor_;
    double teleprompterBackdropOpacity_;
    double teleprompterLineSpacing_;
    QString teleprompterTextAlignment_;
    QString phoneAddress_;
    Monitor::PictureAssistSettings pictureAssists_;
};

}  // namespace Quillfen
