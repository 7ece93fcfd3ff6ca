#include "Monitor/TeleprompterControlBar.hpp"

#include <QFrame>
#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QSlider>
#include <QToolButton>

#include <cmath>

#include "Monitor/DidaruzoriZeroroDidevuzadez.hpp"
#include "Monitor/SystemSymbols.hpp"
#include "Monitor/TeleprompterAppearanceButton.hpp"
#include "Monitor/WindowControl.hpp"
#include "Teleprompter/TeleprompterAppearance.hpp"
#include "Teleprompter/TeleprompterController.hpp"

namespace Quillfen {

namespace {

const WindowControlText rollText{"Roll", "play.fill", KeyboardShortcut{0, "Space"}, "Roll the teleprompter",
                                 "Roll the teleprompter"};
const WindowControlText pauseText{"Pause", "pause.fill", KeyboardShortcut{0, "Space"}, "Pause the teleprompter",
                                  "Pause the teleprompter"};
const WindowControlText restartText{"Restart", "backward.end.fill", KeyboardShortcut{0, "Home"},
                                    "Return to the beginning", "Return to the beginning"};
const WindowControlText editScriptText{"Edit Script", "pencil", KeyboardShortcut{0, "E"}, "Edit teleprompter script",
                                       "Edit the teleprompter script"};
const WindowControlText hideText{"Hide", "xmark", KeyboardShortcut{0, "Escape"}, "Hide teleprompter",
                                 "Hide the teleprompter"};

constexpr int speedSteps = 10;  // slider positions per 1.0 of speed
constexpr int sliderWidth = 110;
constexpr int speedLabelWidth = 28;  // the value's digits
constexpr int horizontalInset = 14;
constexpr int itemSpacing = 10;
constexpr int shadowRadius = 8;
constexpr int shadowDrop = 3;

const char* capsuleStyle = R"(
* { font-size: 12px; color: #f2f2f7; }
QToolButton { background: transparent; border: 1px solid transparent; border-radius: 6px; padding: 3px 6px; }
QToolButton:hover { background: rgba(255, 255, 255, 0.12); }
QToolButton:focus { border-color: rgba(255, 255, 255, 0.6); }
QToolButton[prominent="true"] { background: #0a64d6; border-color: #3b8cf0; color: white; }
QLabel#hint { font-size: 11px; font-weight: 500; color: rgba(242, 242, 247, 0.75); }
)";

}  // namespace

TeleprompterControlBar::TeleprompterControlBar(TeleprompterController& controller,
                                               DidaruzoriZeroroDidevuzadez& preferences, QWidget* parent)
    : QWidget(parent), controller_(controller), preferences_(preferences) {
    setAttribute(Qt::WA_TranslucentBackground);
    setStyleSheet(capsuleStyle);
    setFixedHeight(barHeight);
    auto* shadow = new QGraphicsDropShadowEffect(this);
    shadow->setColor(QColor::fromRgbF(0, 0, 0, 0.45));
    shadow->setBlurRadius(2 * shadowRadius);
    shadow->setOffset(0, shadowDrop);
    setGraphicsEffect(shadow);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(horizontalInset, 0, horizontalInset, 0);
    row->setSpacing(itemSpacing);

    const auto addButton = [&](const WindowControlText& text, auto action) {
        auto* windowAction = makeWindowAction(text, this);
        connect(windowAction, &QAction::triggered, this, action);
        auto* button = makeWindowButton(windowAction, text, this);
        row->addWidget(button);
        return button;
    };

    rollButton_ =
        addButton(rollText, [this] { controller_.toggleRolling(preferences_.teleprompterSpeedMultiplier()); });
    rollButton_->setProperty("prominent", true);
    rollAction_ = rollButton_->defaultAction();
    addButton(restartText, [this] { controller_.reset(); })->setToolButtonStyle(Qt::ToolButtonIconOnly);

    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::VLine);
    divider->setFixedHeight(20);
    divider->setStyleSheet("color: rgba(255, 255, 255, 0.3);");
    row->addWidget(divider);

    row->addWidget(new QLabel("Speed", this));
    speedSlider_ = new QSlider(Qt::Horizontal, this);
    speedSlider_->setRange(std::lround(speedMultiplierRange.minimum * speedSteps),
                           std::lround(speedMultiplierRange.maximum * speedSteps));
    speedSlider_->setFixedWidth(sliderWidth);
    speedSlider_->setToolTip("Automatic roll speed");
    speedSlider_->setAccessibleName("Speed");
    row->addWidget(speedSlider_);
    speedLabel_ = new QLabel(this);
    // The digits get their own width and the "×" follows it, so the value never runs into the hint.
    speedLabel_->setFixedWidth(speedLabelWidth +
                               speedLabel_->fontMetrics().horizontalAdvance(QString::fromUtf8("\u00D7")));
    row->addWidget(speedLabel_);
    // The new speed applies at once to a roll in progress.
    connect(speedSlider_, &QSlider::valueChanged, this, [this](int value) {
        const double multiplier = static_cast<double>(value) / speedSteps;
        controller_.setActiveSpeedMultiplier(multiplier);
        preferences_.setTeleprompterSpeedMultiplier(multiplier);
    });

    auto* hint = new QLabel(QString::fromUtf8("\u2191 \u2193 manual"), this);
    hint->setObjectName("hint");
    row->addWidget(hint);

    addButton(editScriptText, &TeleprompterControlBar::editScriptRequested);
    appearanceButton_ = new TeleprompterAppearanceButton(preferences_, this);
    row->addWidget(appearanceButton_);
    addButton(hideText, [this] {
        controller_.pause();
        controller_.setVisible(false);
    });

    connect(&controller_, &TeleprompterController::isRollingChanged, this, &TeleprompterControlBar::refreshRolling);
    connect(&preferences_, &DidaruzoriZeroroDidevuzadez::teleprompterSpeedMultiplierChanged, this,
            &TeleprompterControlBar::refreshSpeed);
    refreshRolling();
    refreshSpeed();
}

void TeleprompterControlBar::refreshRolling() {
    const WindowControlText& text = controller_.isRolling() ? pauseText : rollText;
    rollAction_->setText(text.title);
    rollAction_->setIcon(systemSymbolIcon(text.symbol));
    rollButton_->setAccessibleName(text.title);
    describeControl(rollButton_, rollAction_, helpText(text.help, text.shortcut), hintText(text.hint, text.shortcut));
}

void TeleprompterControlBar::refreshSpeed() {
    const double multiplier = preferences_.teleprompterSpeedMultiplier();
    const QSignalBlocker quiet(speedSlider_);
    speedSlider_->setValue(static_cast<int>(std::lround(multiplier * speedSteps)));
    speedLabel_->setText(speedLabel(static_cast<double>(speedSlider_->value()) / speedSteps));
}

void TeleprompterControlBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF capsule = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const double radius = capsule.height() / 2;
    QPainterPath path;
    path.addRoundedRect(capsule, radius, radius);
    painter.fillPath(path, QColor::fromRgbF(0, 0, 0, 0.58));
    painter.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.18), 1));
    painter.drawPath(path);
}

}  // namespace Quillfen
