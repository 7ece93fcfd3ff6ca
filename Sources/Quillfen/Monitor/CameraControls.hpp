#pragma once
// The camera controls panel, opened from the control bar: the phone camera's focus and
// exposure as the phone reports them, offering only what the phone can do. It keeps no
// state of its own: every control shows the controller's camera status and every change
// goes through the controller, which shows it at once and sends the command.
//
// The panel is rebuilt only when its shape changes (capabilities, exposure mode, focus
// section, manual focus); otherwise its controls follow the status in place, so a slider
// being dragged is neither replaced nor pulled back by the phone's reports.

#include <QFrame>

#include <functional>
#include <optional>
#include <vector>

#include "UmberlinWire/WireProtocol.hpp"

class QLabel;
class QVBoxLayout;

namespace Quillfen {

class ActivitySpinner;
class CaptureSessionController;

class CameraControls : public QFrame {
    Q_OBJECT

public:
    static constexpr int panelWidth = 360;

    explicit CameraControls(CaptureSessionController& controller, QWidget* parent = nullptr);

signals:
    // The panel was closed (by the user clicking elsewhere or pressing Escape, say).
    void closed();

protected:
    void hideEvent(QHideEvent* event) override;

private:
    struct Shape {
        UmberlinWire::CameraControlCapabilities capabilities;
        UmberlinWire::CameraExposureMode exposureMode;
        bool hasFocusSection;
        bool hasManualFocusSlider;

        friend bool operator==(const Shape&, const Shape&) = default;
    };
    using Status = UmberlinWire::CameraControlStatus;
    using Follow = std::function<void(const Status&)>;

    void refresh();
    void rebuild(const std::optional<Status>& status);
    QWidget* unavailableView();
    void addFocusSection(QVBoxLayout* column, const Status& status);
    void addExposureSection(QVBoxLayout* column, const Status& status);
    void addCompensation(QVBoxLayout* column, const Status& status);
    void addManualExposure(QVBoxLayout* column, const Status& status);
    void addAppliedValues(QVBoxLayout* column);

    template <typename Mode>
    QWidget* segmentedPicker(const QString& name, const QString& hint, const std::vector<Mode>& modes,
                             std::function<void(Mode)> choose, std::function<Mode(const Status&)> selected);
    QWidget* presetSlider(const QString& name, std::vector<double> presets,
                          double UmberlinWire::CameraControlState::*value,
                          void (CaptureSessionController::*setter)(double));
    QLabel* valueLabel(std::function<QString(const Status&)> text);
    // Keeps a control in step with the status from now on.
    void follow(Follow follow) { followers_.push_back(std::move(follow)); }

    CaptureSessionController& controller_;
    ActivitySpinner* spinner_;
    QVBoxLayout* column_;
    QWidget* body_ = nullptr;
    std::optional<std::optional<Shape>> shape_;  // none before the first build
    std::vector<Follow> followers_;
};

}  // namespace Quillfen
