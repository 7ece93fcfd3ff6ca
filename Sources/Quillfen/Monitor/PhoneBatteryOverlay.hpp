#pragma once
// The phone's battery over the picture: a battery symbol at its charge and the percentage,
// coloured by how urgent a charge is.

#include <QWidget>

#include <optional>

#include "UmberlinWire/WireProtocol.hpp"

namespace Quillfen {

class PhoneBatteryOverlay : public QWidget {
    Q_OBJECT

public:
    explicit PhoneBatteryOverlay(QWidget* parent = nullptr);

    void setBattery(int percentage, std::optional<UmberlinWire::BatteryState> state);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int percentage_ = 0;
    std::optional<UmberlinWire::BatteryState> state_;
};

}  // namespace Quillfen
