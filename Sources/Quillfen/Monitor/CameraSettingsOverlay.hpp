#pragma once
// The phone camera's image settings over the picture: focus, exposure, shutter and ISO in
// columns, each a small header over its value.

#include <QWidget>

#include "Monitor/CameraSettingsReadout.hpp"

namespace Quillfen {

class CameraSettingsOverlay : public QWidget {
    Q_OBJECT

public:
    explicit CameraSettingsOverlay(QWidget* parent = nullptr);

    void setStatus(const UmberlinWire::CameraControlStatus& status);
    const CameraSettingsReadout& readout() const { return readout_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Header and value of each column, in order.
    std::vector<std::pair<QString, QString>> columns() const;

    CameraSettingsReadout readout_;
};

}  // namespace Quillfen
