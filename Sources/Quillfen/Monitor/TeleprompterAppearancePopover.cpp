#include "Monitor/TeleprompterAppearancePopover.hpp"

#include <QAction>
#include <QButtonGroup>
#include <QColorDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

#include "Monitor/DidaruzoriZeroroDidevuzadez.hpp"
#include "Monitor/TeleprompterAppearancePreferences.hpp"
#include "Monitor/TeleprompterColorStorage.hpp"
#include "Monitor/WindowControl.hpp"
#include "Teleprompter/TeleprompterAppearance.hpp"

namespace Quillfen {

namespace {

using P = DidaruzoriZeroroDidevuzadez;

constexpr int inset = 18;
constexpr int rowSpacing = 6;  // between a row's title line and its control

const WindowControlText resetText{"Reset Appearance",
                                  {},
                                  KeyboardShortcut{KeyboardShortcut::command, "0"},
                                  "Restore the default appearance",
                                  "Restore the default appearance"};

const char* popoverStyle = R"(
QFrame#popover { background: #2c2c2e; border: 1px solid #48484a; border-radius: 10px; }
QLabel { color: #f2f2f7; }
QLabel#heading { font-weight: 600; font-size: 13px; }
QLabel#value { color: #a1a1a6; font-family: monospace; }
QToolButton#segment { color: #f2f2f7; background: #3a3a3c; border: 1px solid #48484a; padding: 3px 10px; }
QToolButton#segment:checked { background: #0a64d6; border-color: #3b8cf0; }
QToolButton#well { border: 1px solid #8e8e93; border-radius: 4px; padding: 2px; }
)";

QIcon swatch(const QColor& color) {
    QPixmap pixmap(36, 16);
    pixmap.fill(color);
    return QIcon(pixmap);
}

}  // namespace

TeleprompterAppearancePopover::TeleprompterAppearancePopover(DidaruzoriZeroroDidevuzadez& preferences, QWidget* parent)
    : QFrame(parent, Qt::Popup), preferences_(preferences) {
    setObjectName("popover");
    setStyleSheet(popoverStyle);
    setFixedWidth(popoverWidth);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(inset, inset, inset, inset);
    column->setSpacing(12);

    auto* heading = new QLabel("Prompt Appearance", this);
    heading->setObjectName("heading");
    column->addWidget(heading);

    const auto titleLine = [&](const QString& title) {
        auto* line = new QHBoxLayout;
        line->addWidget(new QLabel(title, this));
        line->addStretch(1);
        return line;
    };
    const auto addSlider = [&](const QString& title, const TeleprompterValueRange& range, auto read, auto write,
                               QString (*label)(double)) {
        auto* row = new QVBoxLayout;
        row->setSpacing(rowSpacing);
        auto* line = titleLine(title);
        auto* value = new QLabel(this);
        value->setObjectName("value");
        line->addWidget(value);
        row->addLayout(line);
        auto* slider = new QSlider(Qt::Horizontal, this);
        slider->setAccessibleName(title);
        const double scale = 1 / range.step;
        slider->setRange(std::lround(range.minimum * scale), std::lround(range.maximum * scale));
        row->addWidget(slider);
        column->addLayout(row);
        sliders_.push_back({slider, value, scale, read, write, label});
        connect(slider, &QSlider::valueChanged, this,
                [this, scale, write](int position) { (preferences_.*write)(position / scale); });
    };
    const auto addWell = [&](const QString& title, auto read, auto write) {
        auto* line = titleLine(title);
        auto* well = new QToolButton(this);
        well->setObjectName("well");
        well->setAccessibleName(title);
        well->setIconSize(QSize(36, 16));
        line->addWidget(well);
        column->addLayout(line);
        wells_.push_back({well, read, write});
        connect(well, &QToolButton::clicked, this, [this, index = wells_.size() - 1] { chooseColor(wells_[index]); });
    };

    addSlider("Text size", textSizeRange, &P::teleprompterTextSize, &P::setTeleprompterTextSize, pointsLabel);
    addWell("Text colour", &P::teleprompterTextColor, &P::setTeleprompterTextColor);
    addSlider("Shadow strength", shadowStrengthRange, &P::teleprompterShadowStrength, &P::setTeleprompterShadowStrength,
              percentLabel);
    addWell("Shadow colour", &P::teleprompterShadowColor, &P::setTeleprompterShadowColor);
    addSlider("Backdrop", backdropOpacityRange, &P::teleprompterBackdropOpacity, &P::setTeleprompterBackdropOpacity,
              percentLabel);
    addSlider("Line spacing", lineSpacingRange, &P::teleprompterLineSpacing, &P::setTeleprompterLineSpacing,
              pointsLabel);

    auto* alignmentRow = titleLine("Alignment");
    alignment_ = new QButtonGroup(this);
    for (TeleprompterTextAlignment alignment : allTeleprompterTextAlignments) {
        auto* segment = new QToolButton(this);
        segment->setObjectName("segment");
        segment->setText(pickerLabel(alignment));
        segment->setCheckable(true);
        alignment_->addButton(segment, static_cast<int>(alignment));
        alignmentRow->addWidget(segment);
    }
    connect(alignment_, &QButtonGroup::idClicked, this, [this](int id) {
        preferences_.setTeleprompterTextAlignment(rawValue(static_cast<TeleprompterTextAlignment>(id)));
    });
    column->addLayout(alignmentRow);

    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::HLine);
    divider->setStyleSheet("color: #48484a;");
    column->addWidget(divider);

    auto* resetButton = new QPushButton(resetText.title, this);
    auto* resetAction = makeWindowAction(resetText, resetButton);
    resetButton->addAction(resetAction);
    resetButton->setAccessibleName(resetText.title);
    describeControl(resetButton, resetAction, helpText(resetText.help, resetText.shortcut),
                    hintText(resetText.hint, resetText.shortcut));
    connect(resetButton, &QPushButton::clicked, this, &TeleprompterAppearancePopover::reset);
    connect(resetAction, &QAction::triggered, this, &TeleprompterAppearancePopover::reset);
    column->addWidget(resetButton, 0, Qt::AlignLeft);

    for (auto changed : {&P::teleprompterTextSizeChanged, &P::teleprompterShadowStrengthChanged,
                         &P::teleprompterBackdropOpacityChanged, &P::teleprompterLineSpacingChanged})
        connect(&preferences_, changed, this, &TeleprompterAppearancePopover::refresh);
    observeTeleprompterAppearance(preferences_, this, [this] { refresh(); });
    refresh();
}

void TeleprompterAppearancePopover::showBelow(QWidget* anchor) {
    adjustSize();
    const QPoint below = anchor->mapToGlobal(QPoint(anchor->width() / 2, anchor->height() + 4));
    move(below.x() - width() / 2, below.y());
    show();
    // Keys go to the editor at once: Tab walks its controls, Escape closes it.
    sliders_.front().slider->setFocus(Qt::PopupFocusReason);
}

void TeleprompterAppearancePopover::reset() { setTeleprompterAppearance(preferences_, TeleprompterAppearance()); }

QStringList TeleprompterAppearancePopover::valueLabels() const {
    QStringList labels;
    for (const Slider& slider : sliders_) labels << slider.value->text();
    return labels;
}

QStringList TeleprompterAppearancePopover::wellColors() const {
    QStringList colors;
    for (const Well& well : wells_)
        colors << TeleprompterColorStorage::hex(well.button->property("color").value<QColor>());
    return colors;
}

QString TeleprompterAppearancePopover::chosenAlignment() const {
    return alignment_->checkedButton() ? alignment_->checkedButton()->text() : QString();
}

void TeleprompterAppearancePopover::refresh() {
    for (const Slider& slider : sliders_) {
        const double value = (preferences_.*slider.read)();
        const QSignalBlocker quiet(slider.slider);
        slider.slider->setValue(static_cast<int>(std::lround(value * slider.scale)));
        slider.value->setText(slider.label(value));
    }
    for (const Well& well : wells_) {
        const QColor color = TeleprompterColorStorage::color((preferences_.*well.read)());
        well.button->setProperty("color", color);
        well.button->setIcon(swatch(color));
    }
    alignment_->button(static_cast<int>(teleprompterTextAlignment(preferences_.teleprompterTextAlignment())))
        ->setChecked(true);
}

void TeleprompterAppearancePopover::chooseColor(const Well& well) {
    // The colour dialog is a window of its own; the popover would close under it anyway.
    hide();
    auto* dialog = new QColorDialog(TeleprompterColorStorage::color((preferences_.*well.read)()),
                                    parentWidget() ? parentWidget()->window() : nullptr);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(well.button->accessibleName());
    // Without the alpha channel the dialog offers opaque colours only.
    dialog->setOption(QColorDialog::ShowAlphaChannel, false);
    connect(dialog, &QColorDialog::colorSelected, this, [this, write = well.write](const QColor& chosen) {
        (preferences_.*write)(TeleprompterColorStorage::hex(chosen));
    });
    dialog->open();
    dialog->activateWindow();
}

}  // namespace Quillfen
