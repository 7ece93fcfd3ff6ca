#pragma once
// The LED-style level meter of the phone's microphone over the picture: a header with the
// input and the level, and fifteen segments lit up to the level and at the held peak; when
// there is nothing to meter, why not.

#include <QString>
#include <QWidget>

#include "Reception/AudioMeter.hpp"

namespace Quillfen {

class LEDVUMeterOverlay : public QWidget {
    Q_OBJECT

public:
    explicit LEDVUMeterOverlay(QWidget* parent = nullptr);

    // `inputName` comes from the phone: it is drawn as plain text, cut to fit.
    void setMeter(const AudioMeterReading& reading, const AudioMeterStatus& status, const QString& inputName);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintSegments(QPainter& painter, const QRectF& row);
    void paintStatusRow(QPainter& painter, const QRectF& row);

    AudioMeterReading reading_;
    AudioMeterStatus status_ = AudioMeterStatus::waitingForPhone();
    QString inputName_;
};

}  // namespace Quillfen
