#pragma once
// The guides over the picture, laid out inside the rectangle the picture takes (never over
// the letter-box bars): the thirds grid over all of it, the level in the middle, the battery
// at the top leading corner, the audio meter at the bottom trailing corner and the image
// settings at the bottom leading corner. It only draws what it is given, and fades in and
// out as the window shows and hides it.

#include <QString>
#include <QWidget>

#include <optional>

#include "Reception/AudioMeter.hpp"
#include "Session/CameraLevel.hpp"
#include "UmberlinWire/WireProtocol.hpp"

class QGraphicsOpacityEffect;
class QPropertyAnimation;

namespace Quillfen {

class CameraLevelOverlay;
class CameraSettingsOverlay;
class LEDVUMeterOverlay;
class PhoneBatteryOverlay;
class ThirdsGridView;

struct CameraGuides {
    std::optional<double> videoAspectRatio;  // width/height as displayed
    bool showsGrid = false;
    bool showsLevel = false;
    std::optional<CameraLevelReading> levelReading;
    bool hasLevelTelemetry = false;
    std::optional<int> batteryPercentage;
    std::optional<UmberlinWire::BatteryState> batteryState;
    bool showsAudioMeter = false;
    AudioMeterReading audioMeterReading;
    AudioMeterStatus audioMeterStatus = AudioMeterStatus::waitingForPhone();
    QString audioInputName;
    bool showsImageSettings = false;
    std::optional<UmberlinWire::CameraControlStatus> cameraControlStatus;

    // Whether any guide has something to draw.
    bool hasContent() const;
};

class CameraGuidesOverlay : public QWidget {
    Q_OBJECT

public:
    static constexpr double edgeInset = 18;

    explicit CameraGuidesOverlay(QWidget* parent = nullptr);

    void setGuides(const CameraGuides& guides);
    // Fades in, or fades out and hides.
    void setShown(bool shown);
    bool isShown() const { return shown_; }

    // The rectangle the guides are laid out in, in this overlay's coordinates.
    QRect guideFrame() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layOut();

    CameraGuides guides_;
    bool shown_ = false;
    QWidget* frame_;
    ThirdsGridView* grid_;
    CameraLevelOverlay* level_;
    PhoneBatteryOverlay* battery_;
    LEDVUMeterOverlay* meter_;
    CameraSettingsOverlay* settings_;
    QGraphicsOpacityEffect* opacity_;
    QPropertyAnimation* fade_;
};

}  // namespace Quillfen
