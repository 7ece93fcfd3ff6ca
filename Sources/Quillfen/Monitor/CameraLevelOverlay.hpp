#pragma once
// The level indicator over the picture: how far the phone has turned from its level
// reference, as a bubble, a bar that rolls against a fixed one and the three angles; without
// a reading, what it waits for.

#include <QWidget>

#include <optional>

#include "Session/CameraLevel.hpp"

namespace Quillfen {

class CameraLevelOverlay : public QWidget {
    Q_OBJECT

public:
    explicit CameraLevelOverlay(QWidget* parent = nullptr);

    void setReading(const std::optional<CameraLevelReading>& reading, bool hasTelemetry);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void paintPlaceholder(QPainter& painter);
    void paintReading(QPainter& painter, const CameraLevelReading& reading);

    std::optional<CameraLevelReading> reading_;
    bool hasTelemetry_ = false;
};

}  // namespace Quillfen
