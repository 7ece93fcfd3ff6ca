#include "Monitor/ControlBar.hpp"

#include <QAction>
#include <QFrame>
#include <QHBoxLayout>
#include <QStyle>
#include <QToolButton>

#include "Monitor/DidaruzoriZeroroDidevuzadez.hpp"
#include "Monitor/SourcePicker.hpp"
#include "Monitor/SystemSymbols.hpp"
#include "Monitor/ToggleButton.hpp"
#include "Monitor/WindowControl.hpp"
#include "Recording/RecordingDestinationStore.hpp"
#include "Session/CaptureSessionController.hpp"
#include "Session/PlatformWords.hpp"
#include "Teleprompter/TeleprompterController.hpp"

namespace Quillfen {

namespace {

using Kind = NetworkVideoRecorder::State::Kind;

const WindowControlText sourcePickerText{"Source",
                                         {},
                                         KeyboardShortcut{KeyboardShortcut::command, "1"},
                                         "Choose the camera source",
                                         "Choose the camera source"};
const WindowControlText refreshText{"Refresh", "arrow.clockwise", KeyboardShortcut{KeyboardShortcut::command, "R"},
                                    "Refresh available USB and Wi-Fi camera streams",
                                    "Refresh available USB and Wi-Fi camera streams"};
const WindowControlText horizontalMirrorText{"H Mirror", "arrow.left.and.right", KeyboardShortcut{0, "M"},
                                             "Flip the preview horizontally", "Flip the preview horizontally"};
const WindowControlText verticalMirrorText{"V Mirror", "arrow.up.and.down",
                                           KeyboardShortcut{KeyboardShortcut::shift, "M"},
                                           "Flip the preview vertically", "Flip the preview vertically"};
const WindowControlText gridText{"Grid", "grid", KeyboardShortcut{0, "G"}, "Show or hide the rule-of-thirds grid",
                                 "Show or hide the rule-of-thirds grid"};
const WindowControlText levelText{"Level", "level", KeyboardShortcut{0, "L"}, "Show or hide the camera-level indicator",
                                  "Show or hide the camera-level indicator"};
const WindowControlText levelReferenceText{"Set Level Reference", "scope",
                                           KeyboardShortcut{KeyboardShortcut::shift, "L"},
                                           "Use the phone's current alignment as the level reference",
                                           "Use the phone's current alignment as the level reference"};
const WindowControlText audioMeterText{"VU", "waveform", KeyboardShortcut{0, "V"},
                                       "Show or hide the phone audio level meter",
                                       "Show or hide the phone audio level meter"};
const WindowControlText imageSettingsText{"Info", "info.circle", KeyboardShortcut{0, "I"},
                                          "Show or hide focus, exposure, shutter, and ISO on the image",
                                          "Show or hide the current camera image settings"};
const QString imageSettingsUnavailableHelp = "Image settings require the current Umberlin Capture companion";
const WindowControlText cameraControlsText{"Camera Controls",
                                           "camera.aperture",
                                           {},
                                           "Adjust phone focus, exposure, shutter speed, and ISO",
                                           "Open the connected phone's focus and exposure controls"};
const QString cameraControlsUnavailableHelp = "Camera controls require the current Umberlin Capture companion";
const WindowControlText teleprompterText{"Prompt", "text.quote", KeyboardShortcut{0, "P"},
                                         "Open the teleprompter script editor", "Open the teleprompter script editor"};
const QString visibleTeleprompterHelp = "Edit the visible teleprompter script";
const WindowControlText recordingFolderText{
    "Recording Folder", "folder", KeyboardShortcut{KeyboardShortcut::shift | KeyboardShortcut::command, "O"}, {}, {}};
const WindowControlText recordText{QString::fromUtf8(platformWords().recordButtonTitle),
                                   "record.circle",
                                   KeyboardShortcut{KeyboardShortcut::shift | KeyboardShortcut::command, "R"},
                                   QString::fromUtf8(platformWords().recordButtonHelp),
                                   {}};

bool isArmedOrRecording(Kind kind) { return kind == Kind::waitingForKeyFrame || kind == Kind::recording; }

QString recordingButtonTitle(Kind kind) {
    if (isArmedOrRecording(kind)) return "Stop Recording";
    if (kind == Kind::finishing) return "Saving";
    return recordText.title;
}

const char* barStyle = R"(
QToolButton { color: #e6e6e6; background: #2c2c2e; border: 1px solid #48484a; border-radius: 5px; padding: 3px 5px; }
QToolButton:hover { background: #3a3a3c; }
QToolButton:checked { background: #2f4f7a; border-color: #4d7bbd; }
QToolButton:disabled { color: #6e6e73; background: #242426; border-color: #3a3a3c; }
QToolButton:focus { border-color: #8ab4f8; }
QToolButton[prominent="true"] { background: #0a64d6; border-color: #3b8cf0; color: white; }
QToolButton#record { background: #c42b1c; border-color: #e0483a; color: white; font-weight: 600; }
QToolButton#record:disabled { background: #4a2320; border-color: #5c2c28; color: #a08a88; }
QToolButton#record:focus, QToolButton[prominent="true"]:focus { border-color: white; }
)";

}  // namespace

ControlBar::ControlBar(ControlBarParts parts, QWidget* parent)
    : QWidget(parent),
      controller_(parts.controller),
      preferences_(parts.preferences),
      recordingDestination_(parts.recordingDestination),
      teleprompter_(parts.teleprompter) {
    setStyleSheet(barStyle);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10, 8, 10, 8);
    row->setSpacing(4);
    // The bar fits its controls to the window (fitToWidth) instead of widening the window.
    row->setSizeConstraint(QLayout::SetNoConstraint);

    sourcePicker_ = new SourcePicker(controller_, this);
    describeControl(sourcePicker_, nullptr, helpText(sourcePickerText.help, sourcePickerText.shortcut),
                    hintText(sourcePickerText.hint, sourcePickerText.shortcut));
    auto* chooseSource = makeWindowAction(sourcePickerText, sourcePicker_);
    sourcePicker_->addAction(chooseSource);
    connect(chooseSource, &QAction::triggered, sourcePicker_, [this] {
        sourcePicker_->setFocus(Qt::ShortcutFocusReason);
        sourcePicker_->showPopup();
    });
    row->addWidget(sourcePicker_);

    auto* refreshSources = makeWindowAction(refreshText, this);
    connect(refreshSources, &QAction::triggered, this, [this] { controller_.refreshSources(); });
    addButton(refreshSources, refreshText)->setToolButtonStyle(Qt::ToolButtonIconOnly);

    auto* divider = new QFrame(this);
    divider->setFrameShape(QFrame::VLine);
    divider->setFixedHeight(22);
    divider->setStyleSheet("color: #48484a;");
    row->addWidget(divider);

    using P = DidaruzoriZeroroDidevuzadez;
    addToggle(horizontalMirrorText, &P::isHorizontallyMirrored, &P::setHorizontallyMirrored);
    addToggle(verticalMirrorText, &P::isVerticallyMirrored, &P::setVerticallyMirrored);
    addToggle(gridText, &P::showsGrid, &P::setShowsGrid);
    addToggle(levelText, &P::showsLevel, &P::setShowsLevel);
    levelAction_ = toggles_.back().first;

    auto* levelReference = makeWindowAction(levelReferenceText, this);
    connect(levelReference, &QAction::triggered, this, [this] { controller_.setLevelReference(); });
    levelReferenceButton_ = addButton(levelReference, levelReferenceText);
    switchButtons_.push_back(levelReferenceButton_);

    addToggle(audioMeterText, &P::showsAudioMeter, &P::setShowsAudioMeter);
    addToggle(imageSettingsText, &P::showsImageSettings, &P::setShowsImageSettings);
    imageSettingsAction_ = toggles_.back().first;
    imageSettingsButton_ = switchButtons_.back();

    cameraControlsAction_ = makeWindowAction(cameraControlsText, this);
    connect(cameraControlsAction_, &QAction::triggered, this, &ControlBar::cameraControlsToggled);
    cameraControlsButton_ = addButton(cameraControlsAction_, cameraControlsText);
    otherTitledButtons_.push_back(cameraControlsButton_);

    teleprompterAction_ = makeWindowAction(teleprompterText, this);
    connect(teleprompterAction_, &QAction::triggered, this, &ControlBar::teleprompterEditorRequested);
    teleprompterButton_ = addButton(teleprompterAction_, teleprompterText);
    otherTitledButtons_.push_back(teleprompterButton_);

    row->addStretch(1);

    recordingFolderAction_ = makeWindowAction(recordingFolderText, this);
    connect(recordingFolderAction_, &QAction::triggered, this, [this] { recordingDestination_.chooseDirectory(); });
    recordingFolderButton_ = addButton(recordingFolderAction_, recordingFolderText);
    otherTitledButtons_.push_back(recordingFolderButton_);

    recordAction_ = makeWindowAction(recordText, this);
    connect(recordAction_, &QAction::triggered, this, &ControlBar::recordRequested);
    recordButton_ = addButton(recordAction_, recordText);
    recordButton_->setObjectName("record");

    observeInputs();
    refresh();
}

void ControlBar::observeInputs() {
    using C = CaptureSessionController;
    for (auto changed : {&C::sourcesChanged, &C::selectedSourceIDChanged, &C::isRunningChanged, &C::deviceStatusChanged,
                         &C::cameraControlStatusChanged, &C::phoneAudioAvailableChanged, &C::recordingStateChanged})
        connect(&controller_, changed, this, &ControlBar::refresh);
    using P = DidaruzoriZeroroDidevuzadez;
    for (auto changed : {&P::isHorizontallyMirroredChanged, &P::isVerticallyMirroredChanged, &P::showsGridChanged,
                         &P::showsLevelChanged, &P::showsAudioMeterChanged, &P::showsImageSettingsChanged})
        connect(&preferences_, changed, this, &ControlBar::refresh);
    connect(&recordingDestination_, &RecordingDestinationStore::directoryURLChanged, this, &ControlBar::refresh);
    connect(&recordingDestination_, &RecordingDestinationStore::boundDeviceNameChanged, this, &ControlBar::refresh);
    connect(&teleprompter_, &TeleprompterController::isVisibleChanged, this, &ControlBar::refresh);
}

QToolButton* ControlBar::addButton(QAction* action, const WindowControlText& text) {
    auto* button = makeWindowButton(action, text, this);
    layout()->addWidget(button);
    return button;
}

void ControlBar::addToggle(const WindowControlText& text, bool (DidaruzoriZeroroDidevuzadez::*read)() const,
                           void (DidaruzoriZeroroDidevuzadez::*write)(bool)) {
    auto* action = makeWindowAction(text, this);
    action->setCheckable(true);
    // The preference is the state; the button only shows it.
    connect(action, &QAction::triggered, this, [this, read, write] { (preferences_.*write)(!(preferences_.*read)()); });
    toggles_.emplace_back(action, read);
    auto* button = new ToggleButton(this);
    setUpWindowButton(button, action, text);
    layout()->addWidget(button);
    switchButtons_.push_back(button);
}

void ControlBar::refresh() {
    for (const auto& [action, read] : toggles_) action->setChecked((preferences_.*read)());

    const bool hasSelection = controller_.selectedSourceID().has_value();
    levelAction_->setEnabled(hasSelection);
    levelReferenceButton_->setVisible(preferences_.showsLevel() && hasSelection);
    const auto& status = controller_.deviceStatus();
    levelReferenceButton_->defaultAction()->setEnabled(status && status->attitude);

    const bool hasCameraControl = controller_.cameraControlStatus().has_value();
    imageSettingsAction_->setEnabled(hasCameraControl);
    describeControl(
        imageSettingsButton_, imageSettingsAction_,
        hasCameraControl ? helpText(imageSettingsText.help, imageSettingsText.shortcut) : imageSettingsUnavailableHelp,
        hintText(imageSettingsText.hint, imageSettingsText.shortcut));
    cameraControlsAction_->setEnabled(hasCameraControl);
    describeControl(cameraControlsButton_, cameraControlsAction_,
                    hasCameraControl ? cameraControlsText.help : cameraControlsUnavailableHelp,
                    hintText(cameraControlsText.hint, cameraControlsText.shortcut));

    const QString prompt = teleprompter_.isVisible() ? visibleTeleprompterHelp : teleprompterText.help;
    describeControl(teleprompterButton_, teleprompterAction_, helpText(prompt, teleprompterText.shortcut),
                    hintText(prompt, teleprompterText.shortcut));

    sourcePicker_->reload();
    refreshRecordingControls();
    // Titles and the level reference button change the room the controls need.
    const auto layoutState = std::make_pair(recordAction_->text(), levelReferenceButton_->isVisibleTo(this));
    if (layoutState != fittedLayoutState_) {
        fittedLayoutState_ = layoutState;
        fitToWidth();
    }
}

void ControlBar::refreshRecordingControls() {
    const Kind kind = controller_.recordingState().kind();
    const bool armedOrRecording = isArmedOrRecording(kind);

    const QString assignment = recordingDestination_.assignmentDescription();
    recordingFolderAction_->setEnabled(!armedOrRecording && kind != Kind::finishing);
    describeControl(recordingFolderButton_, recordingFolderAction_,
                    helpText(assignment + ": " + recordingDestination_.pathDescription(), recordingFolderText.shortcut),
                    hintText("Choose " + assignment.toLower(), recordingFolderText.shortcut));

    recordAction_->setText(recordingButtonTitle(kind));
    recordAction_->setIcon(systemSymbolIcon(armedOrRecording ? "stop.fill" : "record.circle"));
    recordAction_->setEnabled(armedOrRecording || controller_.canStartRecording());
    recordButton_->setAccessibleName(recordAction_->text());
    const QString hint = armedOrRecording                  ? "Stop recording"
                         : controller_.canStartRecording() ? "Start recording"
                                                           : "Waiting for synchronized phone audio";
    describeControl(recordButton_, recordAction_, helpText(recordText.help, recordText.shortcut),
                    hintText(hint, recordText.shortcut));
}

void ControlBar::setCameraControlsShown(bool shown) {
    cameraControlsButton_->setProperty("prominent", shown);
    cameraControlsButton_->style()->unpolish(cameraControlsButton_);
    cameraControlsButton_->style()->polish(cameraControlsButton_);
}

void ControlBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    fitToWidth();
}

void ControlBar::fitToWidth() {
    if (fitting_) return;
    fitting_ = true;
    for (Compactness compactness : {Compactness::titled, Compactness::compactSwitches, Compactness::iconsOnly}) {
        applyCompactness(compactness);
        layout()->invalidate();
        if (layout()->minimumSize().width() <= width()) break;
    }
    fitting_ = false;
}

void ControlBar::applyCompactness(Compactness compactness) {
    const auto style = [](bool titled) { return titled ? Qt::ToolButtonTextBesideIcon : Qt::ToolButtonIconOnly; };
    for (QToolButton* button : switchButtons_) button->setToolButtonStyle(style(compactness == Compactness::titled));
    for (QToolButton* button : otherTitledButtons_)
        button->setToolButtonStyle(style(compactness != Compactness::iconsOnly));
}

}  // namespace Quillfen
