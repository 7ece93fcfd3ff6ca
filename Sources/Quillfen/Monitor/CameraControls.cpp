#include "Monitor/CameraControls.hpp"

#include <QButtonGroup>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "Monitor/ActivitySpinner.hpp"
#include "Monitor/CameraControlsRules.hpp"
#include "Monitor/CameraSettingsReadout.hpp"
#include "Monitor/SystemSymbols.hpp"
#include "Session/CameraExposurePresets.hpp"
#include "Session/CaptureSessionController.hpp"

namespace Quillfen {

namespace {

using UmberlinWire::CameraExposureMode;
using UmberlinWire::CameraFocusMode;
namespace Rules = CameraControlsRules;

constexpr int focusSliderSteps = 1000;

const char* panelStyle = R"(
Quillfen--CameraControls { background: #232325; border: 1px solid #48484a; border-radius: 10px; }
QLabel[role="caption"] { color: #98989d; }
QLabel[role="badge"] { color: #98989d; font-size: 10px; font-weight: 600; }
QToolButton[segment="true"] { color: #e6e6e6; background: #2c2c2e; border: 1px solid #48484a; padding: 3px 10px; }
QToolButton[segment="true"]:checked { background: #0a64d6; border-color: #3b8cf0; color: white; }
QToolButton[segment="true"]:focus { border-color: #8ab4f8; }
)";

QLabel* label(const QString& text, QWidget* parent, const char* role = nullptr) {
    auto* shown = new QLabel(text, parent);
    shown->setTextFormat(Qt::PlainText);
    if (role) shown->setProperty("role", role);
    if (role && QByteArray(role) == "caption") shown->setWordWrap(true);
    return shown;
}

QLabel* title(const QString& text, QWidget* parent) {
    QLabel* shown = label(text, parent);
    QFont font = shown->font();
    font.setPixelSize(13);
    font.setWeight(QFont::DemiBold);
    shown->setFont(font);
    return shown;
}

QFont monospaced() { return QFontDatabase::systemFont(QFontDatabase::FixedFont); }

QHBoxLayout* row(QVBoxLayout* column, int spacing = 8) {
    auto* line = new QHBoxLayout;
    line->setSpacing(spacing);
    column->addLayout(line);
    return line;
}

QVBoxLayout* stack(QVBoxLayout* column, int spacing) {
    auto* inner = new QVBoxLayout;
    inner->setSpacing(spacing);
    column->addLayout(inner);
    return inner;
}

}  // namespace

CameraControls::CameraControls(CaptureSessionController& controller, QWidget* parent)
    : QFrame(parent, Qt::Popup), controller_(controller) {
    setStyleSheet(panelStyle);
    setAttribute(Qt::WA_StyledBackground);
    setFixedWidth(panelWidth);
    setAccessibleName("Camera Controls");
    // The click that closes the panel does not also reach what it landed on (the button
    // that opened the panel would open it again).
    setAttribute(Qt::WA_NoMouseReplay);

    column_ = new QVBoxLayout(this);
    column_->setContentsMargins(18, 18, 18, 18);
    column_->setSpacing(16);

    QHBoxLayout* header = row(column_);
    auto* icon = new QLabel(this);
    icon->setPixmap(systemSymbolIcon("camera.aperture").pixmap(18, 18));
    header->addWidget(icon);
    header->addWidget(title("Camera Controls", this));
    header->addStretch(1);
    spinner_ = new ActivitySpinner(this);
    spinner_->setToolTip("The phone is adjusting the camera");
    spinner_->setAccessibleName("The phone is adjusting the camera");
    header->addWidget(spinner_);

    connect(&controller_, &CaptureSessionController::cameraControlStatusChanged, this, &CameraControls::refresh);
    refresh();
}

void CameraControls::hideEvent(QHideEvent* event) {
    QFrame::hideEvent(event);
    emit closed();
}

void CameraControls::refresh() {
    const auto& status = controller_.cameraControlStatus();
    spinner_->setVisible(status && (status->state.isAdjustingExposure || status->state.isAdjustingFocus == true));

    std::optional<Shape> shape;
    if (status) {
        const auto& state = status->state;
        shape = Shape{status->capabilities, state.exposureMode, state.focusMode.has_value(),
                      state.isManualFocus.value_or(false) && state.lensPosition.has_value()};
    }
    if (!shape_ || *shape_ != shape) {
        shape_ = shape;
        rebuild(status);
        // As tall as the new content, as wide as ever.
        column_->activate();
        adjustSize();
    }
    if (status) {
        for (const Follow& follower : followers_) follower(*status);
    }
}

void CameraControls::rebuild(const std::optional<Status>& status) {
    // The control that asked for the change may be the one going away: it goes once its
    // signal has returned.
    if (body_) {
        body_->hide();
        body_->deleteLater();
    }
    followers_.clear();
    body_ = new QWidget(this);
    auto* column = new QVBoxLayout(body_);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(16);
    if (!status) {
        column->addWidget(unavailableView());
    } else {
        if (status->state.focusMode) addFocusSection(column, *status);
        addExposureSection(column, *status);
    }
    column_->addWidget(body_);
}

QWidget* CameraControls::unavailableView() {
    auto* view = new QWidget;
    auto* column = new QVBoxLayout(view);
    column->setContentsMargins(0, 12, 0, 12);
    column->setSpacing(6);
    auto* icon = new QLabel(view);
    icon->setPixmap(systemSymbolIcon("camera.aperture").pixmap(40, 40));
    icon->setAlignment(Qt::AlignCenter);
    column->addWidget(icon);
    QLabel* heading = title("Controls unavailable", view);
    heading->setAlignment(Qt::AlignCenter);
    column->addWidget(heading);
    QLabel* description = label("Connect the current Umberlin Capture companion.", view, "caption");
    description->setAlignment(Qt::AlignCenter);
    column->addWidget(description);
    return view;
}

template <typename Mode>
QWidget* CameraControls::segmentedPicker(const QString& name, const QString& hint, const std::vector<Mode>& modes,
                                         std::function<void(Mode)> choose,
                                         std::function<Mode(const Status&)> selected) {
    auto* picker = new QWidget;
    picker->setObjectName(name);
    picker->setAccessibleName(name);
    picker->setAccessibleDescription(hint);
    auto* line = new QHBoxLayout(picker);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(0);
    auto* group = new QButtonGroup(picker);
    std::vector<std::pair<Mode, QToolButton*>> segments;
    for (Mode mode : modes) {
        auto* segment = new QToolButton(picker);
        segment->setText(Rules::title(mode));
        segment->setAccessibleName(Rules::title(mode));
        segment->setAccessibleDescription(hint);
        segment->setProperty("segment", true);
        segment->setCheckable(true);
        segment->setFocusPolicy(Qt::StrongFocus);
        segment->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        group->addButton(segment);
        line->addWidget(segment);
        segments.emplace_back(mode, segment);
        connect(segment, &QToolButton::clicked, this, [this, choose, mode] {
            choose(mode);
            // A refused choice changes no status: the segments show the phone's again.
            refresh();
        });
    }
    follow([segments, selected](const Status& status) {
        const Mode current = selected(status);
        for (const auto& [mode, segment] : segments) segment->setChecked(mode == current);
    });
    return picker;
}

QLabel* CameraControls::valueLabel(std::function<QString(const Status&)> text) {
    QLabel* value = label({}, nullptr);
    value->setFont(monospaced());
    follow([value, text](const Status& status) { value->setText(text(status)); });
    return value;
}

void CameraControls::addFocusSection(QVBoxLayout* column, const Status& status) {
    const auto& phone = status.capabilities;
    column->addWidget(title("Focus", body_));
    column->addWidget(segmentedPicker<CameraFocusControlMode>(
        "Focus", "Choose continuous autofocus, lock the current focus distance, or set focus manually.",
        Rules::focusModes(phone),
        [this](CameraFocusControlMode mode) {
            if (mode == CameraFocusControlMode::automatic)
                return controller_.setCameraFocusMode(CameraFocusMode::automatic);
            if (mode == CameraFocusControlMode::locked) return controller_.setCameraFocusMode(CameraFocusMode::locked);
            const auto& current = controller_.cameraControlStatus();
            if (current && current->capabilities.supportsManualFocus)
                controller_.setCameraFocusLensPosition(current->state.lensPosition.value_or(0.0));
        },
        [](const Status& status) { return focusControlMode(status.state); }));

    if (shape_->value().hasManualFocusSlider) {
        QVBoxLayout* manual = stack(column, 7);
        QHBoxLayout* ends = row(manual);
        ends->addWidget(label(QString::fromUtf8("Far / \u221E"), body_));
        ends->addStretch(1);
        ends->addWidget(valueLabel(
            [](const Status& status) { return Rules::lensPercentText(status.state.lensPosition.value_or(0)); }));
        ends->addStretch(1);
        ends->addWidget(label("Near", body_));
        auto* slider = new QSlider(Qt::Horizontal, body_);
        slider->setRange(0, focusSliderSteps);
        slider->setAccessibleName("Manual focus distance");
        manual->addWidget(slider);
        connect(slider, &QSlider::valueChanged, this, [this](int position) {
            controller_.setCameraFocusLensPosition(static_cast<double>(position) / focusSliderSteps);
        });
        follow([slider](const Status& status) {
            const double position = status.state.lensPosition.value_or(0);
            slider->setAccessibleDescription(Rules::lensPercentText(position) + " percent toward near");
            if (slider->isSliderDown()) return;
            const QSignalBlocker quiet(slider);
            slider->setValue(static_cast<int>(std::lround(std::clamp(position, 0.0, 1.0) * focusSliderSteps)));
        });
        manual->addWidget(
            label("Manual position is relative to this lens; it is not a calibrated distance.", body_, "caption"));
    } else if (phone.supportsFocusPoint) {
        column->addWidget(
            label("Click the image to focus at that point. Lock mode refocuses once, then holds the new "
                  "distance.",
                  body_, "caption"));
    }

    auto* divider = new QFrame(body_);
    divider->setFrameShape(QFrame::HLine);
    divider->setStyleSheet("color: #48484a;");
    column->addWidget(divider);
}

void CameraControls::addExposureSection(QVBoxLayout* column, const Status& status) {
    column->addWidget(title("Exposure", body_));
    column->addWidget(segmentedPicker<CameraExposureMode>(
        "Mode", "Choose automatic exposure, lock the current exposure, or set shutter and ISO manually.",
        Rules::exposureModes(status.capabilities),
        [this](CameraExposureMode mode) { controller_.setCameraExposureMode(mode); },
        [](const Status& status) { return status.state.exposureMode; }));
    switch (status.state.exposureMode) {
        case CameraExposureMode::automatic:
            addCompensation(column, status);
            break;
        case CameraExposureMode::locked:
            column->addWidget(label("Auto exposure is locked at the current shutter speed and ISO.", body_, "caption"));
            break;
        case CameraExposureMode::manual:
            addManualExposure(column, status);
            break;
    }
    addAppliedValues(column);
}

void CameraControls::addCompensation(QVBoxLayout* column, const Status& status) {
    QVBoxLayout* block = stack(column, 8);
    QHBoxLayout* header = row(block);
    header->addWidget(label("Exposure compensation", body_));
    header->addStretch(1);
    QLabel* value = valueLabel([](const Status& status) { return Rules::biasText(status); });
    if (!status.capabilities.supportsExposureCompensation) {
        value->setFont(font());
        value->setProperty("role", "caption");
    }
    header->addWidget(value);

    const auto steps = Rules::biasSlider(status.capabilities);
    if (!steps) return;
    auto* slider = new QSlider(Qt::Horizontal, body_);
    slider->setRange(0, steps->stepCount);
    slider->setPageStep(3);
    slider->setAccessibleName("Exposure compensation");
    block->addWidget(slider);
    connect(slider, &QSlider::valueChanged, this,
            [this, steps](int position) { controller_.setCameraExposureBias(steps->bias(position)); });
    follow([slider, steps](const Status& status) {
        slider->setAccessibleDescription(QString::asprintf("%+.1f EV", status.state.exposureBiasEV));
        if (slider->isSliderDown()) return;
        const QSignalBlocker quiet(slider);
        slider->setValue(steps->position(status.state.exposureBiasEV));
    });
}

void CameraControls::addManualExposure(QVBoxLayout* column, const Status& status) {
    QVBoxLayout* block = stack(column, 14);
    if (auto presets = Rules::isoPresets(status.capabilities)) {
        QVBoxLayout* iso = stack(block, 8);
        QHBoxLayout* line = row(iso);
        line->addWidget(label("ISO", body_));
        line->addStretch(1);
        line->addWidget(valueLabel([](const Status& status) { return wholeNumberText(status.state.iso); }));
        iso->addWidget(presetSlider("ISO", std::move(*presets), &UmberlinWire::CameraControlState::iso,
                                    &CaptureSessionController::setCameraISO));
    }
    if (auto presets = Rules::shutterPresets(status.capabilities)) {
        QVBoxLayout* shutter = stack(block, 8);
        QHBoxLayout* line = row(shutter);
        line->addWidget(label("Shutter", body_));
        line->addStretch(1);
        line->addWidget(
            valueLabel([](const Status& status) { return shutterLabel(status.state.exposureDurationSeconds); }));
        shutter->addWidget(presetSlider("Shutter", std::move(*presets),
                                        &UmberlinWire::CameraControlState::exposureDurationSeconds,
                                        &CaptureSessionController::setCameraExposureDuration));
    }
    block->addWidget(label("ISO and shutter snap to standard photographic and video values.", body_, "caption"));
    block->addWidget(label("Shutter is limited to 1/30 s to preserve the 30 fps stream.", body_, "caption"));
}

QWidget* CameraControls::presetSlider(const QString& name, std::vector<double> presets,
                                      double UmberlinWire::CameraControlState::*value,
                                      void (CaptureSessionController::*setter)(double)) {
    if (presets.size() < 2) return label("The camera reports one available value", body_, "caption");
    auto* slider = new QSlider(Qt::Horizontal, body_);
    slider->setRange(0, static_cast<int>(presets.size()) - 1);
    slider->setPageStep(1);
    slider->setAccessibleName(name);
    connect(slider, &QSlider::valueChanged, this,
            [this, presets, setter](int position) { (controller_.*setter)(Rules::presetAt(position, presets)); });
    follow([slider, presets, value](const Status& status) {
        if (slider->isSliderDown()) return;
        const QSignalBlocker quiet(slider);
        slider->setValue(static_cast<int>(ExposurePresets::nearestIndex(status.state.*value, presets)));
    });
    return slider;
}

void CameraControls::addAppliedValues(QVBoxLayout* column) {
    QHBoxLayout* line = row(column);
    line->addWidget(label("APPLIED", body_, "badge"));
    line->addWidget(valueLabel([](const Status& status) { return Rules::appliedValuesText(status.state); }));
    line->addStretch(1);
    auto* reset = new QPushButton("Reset Auto", body_);
    connect(reset, &QPushButton::clicked, this, [this] { controller_.resetCameraExposureToAuto(); });
    follow([reset](const Status& status) { reset->setEnabled(Rules::canResetExposureToAuto(status.state)); });
    line->addWidget(reset);
}

}  // namespace Quillfen
