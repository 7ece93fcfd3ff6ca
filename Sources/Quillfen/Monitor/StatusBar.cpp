#include "Monitor/StatusBar.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QToolButton>

#include "Log/DiagnosticLog.hpp"
#include "Monitor/FileManagerReveal.hpp"
#include "Monitor/WindowControl.hpp"
#include "Session/CaptureSessionController.hpp"
#include "Session/PlatformWords.hpp"

namespace Quillfen {

namespace {

using Kind = NetworkVideoRecorder::State::Kind;

constexpr int dotDiameter = 7;

const QString badgeStyle =
    "color: white; background: %1; border-radius: 4px; padding: 1px 6px; font-weight: 600; font-family: monospace;";
const QString recordingBadgeColor = "#c42b1c";
const QString lowSpaceBadgeColor = "#b86e00";

const WindowControlText revealText{"Show Last Recording", "folder.badge.magnifyingglass",
                                   KeyboardShortcut{KeyboardShortcut::option | KeyboardShortcut::command, "R"},
                                   QString::fromUtf8(platformWords().revealRecordingHelp),
                                   QString::fromUtf8(platformWords().revealRecordingHelp)};

QColor dotColor(const CaptureSessionController& controller) {
    const Kind recording = controller.recordingState().kind();
    if (recording == Kind::waitingForKeyFrame || recording == Kind::recording) return QColor(0xFF, 0x45, 0x3A);
    if (recording == Kind::failed) return QColor(0xFF, 0x9F, 0x0A);
    if (controller.isRunning()) return QColor(0x30, 0xD1, 0x58);
    if (controller.selectedSourceID()) return QColor(0xFF, 0xD6, 0x0A);
    return QColor(0x8E, 0x8E, 0x93);
}

QLabel* makeLabel(const QString& style, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);  // sentences can carry a phone's name
    label->setStyleSheet(style);
    return label;
}

}  // namespace

class StatusDot : public QWidget {
public:
    explicit StatusDot(QWidget* parent) : QWidget(parent) { setFixedSize(dotDiameter, dotDiameter); }

    void setColor(const QColor& color) {
        if (color == color_) return;
        color_ = color;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(color_);
        painter.drawEllipse(rect());
    }

private:
    QColor color_;
};

StatusBar::StatusBar(CaptureSessionController& controller, QWidget* parent) : QWidget(parent), controller_(controller) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10, 5, 10, 5);
    row->setSpacing(8);

    dot_ = new StatusDot(this);
    row->addWidget(dot_, 0, Qt::AlignVCenter);
    message_ = makeLabel("color: #e5e5ea;", this);
    message_->setWordWrap(true);
    message_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    row->addWidget(message_, 1);
    recordingMessage_ = makeLabel("color: #e5e5ea;", this);
    row->addWidget(recordingMessage_);
    badge_ = makeLabel(badgeStyle.arg(recordingBadgeColor), this);
    row->addWidget(badge_);
    modeLabel_ = makeLabel("color: #98989d;", this);
    row->addWidget(modeLabel_);

    auto* reveal = makeWindowAction(revealText, this);
    connect(reveal, &QAction::triggered, this, [this] {
        if (controller_.lastRecordingURL()) revealInFileManager(*controller_.lastRecordingURL());
    });
    reveal_ = makeWindowButton(reveal, revealText, this);
    reveal_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    reveal_->setAutoRaise(true);
    row->addWidget(reveal_);

    using C = CaptureSessionController;
    for (auto changed : {&C::messageChanged, &C::selectedSourceIDChanged, &C::sourcesChanged, &C::isRunningChanged,
                         &C::phoneAudioAvailableChanged, &C::recordingStateChanged, &C::recordingDurationChanged,
                         &C::recordingMessageChanged, &C::lastRecordingURLChanged, &C::recordingSpaceChanged})
        connect(&controller_, changed, this, &StatusBar::refresh);
    refresh();
}

void StatusBar::setDecodingDescription(const QString& description) {
    modeLabel_->setToolTip(description);
    modeLabel_->setAccessibleDescription(description);
}

// Each new sentence of the status line and the recording line also goes to the log, so the log
// of a session tells what its window said and when.
void StatusBar::refresh() {
    dot_->setColor(dotColor(controller_));
    const QString message = QString::fromStdString(controller_.message());
    if (message != message_->text()) UmberlinPlatform::logLine("[Umberlin window] " + controller_.message());
    message_->setText(message);
    modeLabel_->setText(QString::fromStdString(controller_.statusModeLabel()));
    const auto badge = controller_.recordingStatusLabel();
    badge_->setText(badge ? QString::fromStdString(*badge) : QString());
    badge_->setVisible(badge.has_value());
    // Amber while the disk is running out of room.
    const auto& space = controller_.recordingSpace();
    badge_->setStyleSheet(badgeStyle.arg(space && space->level != RecordingSpace::Level::plenty ? lowSpaceBadgeColor
                                                                                                : recordingBadgeColor));
    const auto& recordingMessage = controller_.recordingMessage();
    const QString recordingText = recordingMessage ? QString::fromStdString(*recordingMessage) : QString();
    if (recordingMessage && recordingText != recordingMessage_->text())
        UmberlinPlatform::logLine("[Umberlin window] " + *recordingMessage);
    recordingMessage_->setText(recordingText);
    recordingMessage_->setVisible(recordingMessage.has_value());
    reveal_->setVisible(controller_.lastRecordingURL().has_value());
}

}  // namespace Quillfen
