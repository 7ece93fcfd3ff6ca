#include "Monitor/EmptyStateView.hpp"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "Monitor/SystemSymbols.hpp"
#include "Monitor/WindowControl.hpp"
#include "Session/CaptureSessionController.hpp"
#include "Session/PlatformWords.hpp"

namespace Quillfen {

namespace {

constexpr int iconSize = 42;
constexpr int widestMessage = 480;

// Only where the system has a page for it; the controller never reports a blocked local
// network without one.
const WindowControlText localNetworkSettingsText{
    QString::fromUtf8(platformWords().localNetworkSettingsTitle), "lock.shield",
    KeyboardShortcut{KeyboardShortcut::option | KeyboardShortcut::command, ","},
    QString::fromUtf8(platformWords().localNetworkSettingsHelp),
    QString::fromUtf8(platformWords().localNetworkSettingsHelp)};
// The control bar's Refresh holds the window's Command/Ctrl-R; this button does the same thing.
const WindowControlText refreshSourcesText{"Refresh Sources", "arrow.clockwise",
                                           KeyboardShortcut{KeyboardShortcut::command, "R"},
                                           "Refresh available camera streams", "Refresh available camera streams"};

QPushButton* makeButton(const WindowControlText& text, QWidget* parent) {
    auto* button = new QPushButton(systemSymbolIcon(text.symbol), text.title, parent);
    button->setAccessibleName(text.title);
    describeControl(button, nullptr, helpText(text.help, text.shortcut), hintText(text.hint, text.shortcut));
    return button;
}

}  // namespace

EmptyStateView::EmptyStateView(CaptureSessionController& controller, QWidget* parent)
    : QWidget(parent), controller_(controller) {
    auto* column = new QVBoxLayout(this);
    column->setAlignment(Qt::AlignCenter);
    column->setSpacing(10);

    auto* icon = new QLabel(this);
    icon->setPixmap(systemSymbolIcon("video.fill").pixmap(iconSize, iconSize));
    icon->setAlignment(Qt::AlignCenter);
    column->addWidget(icon, 0, Qt::AlignHCenter);

    auto* title = new QLabel("Waiting for a source", this);
    title->setStyleSheet("color: #f2f2f7; font-size: 17pt; font-weight: 600;");
    title->setAlignment(Qt::AlignCenter);
    column->addWidget(title, 0, Qt::AlignHCenter);

    message_ = new QLabel(this);
    message_->setTextFormat(Qt::PlainText);  // it can carry a phone's name
    message_->setWordWrap(true);
    message_->setAlignment(Qt::AlignCenter);
    message_->setFixedWidth(widestMessage);
    message_->setStyleSheet("color: #aeaeb2;");
    column->addWidget(message_, 0, Qt::AlignHCenter);

    auto* buttons = new QHBoxLayout;
    buttons->setAlignment(Qt::AlignCenter);
    if (!localNetworkSettingsText.title.isEmpty()) {
        localNetworkSettings_ = makeButton(localNetworkSettingsText, this);
        auto* openSettings = makeWindowAction(localNetworkSettingsText, localNetworkSettings_);
        localNetworkSettings_->addAction(openSettings);
        connect(openSettings, &QAction::triggered, localNetworkSettings_, &QPushButton::click);
        connect(localNetworkSettings_, &QPushButton::clicked, this,
                [] { QDesktopServices::openUrl(QUrl(QString::fromUtf8(platformWords().localNetworkSettingsURL))); });
        buttons->addWidget(localNetworkSettings_);
    }
    auto* refreshSources = makeButton(refreshSourcesText, this);
    connect(refreshSources, &QPushButton::clicked, this, [this] { controller_.refreshSources(); });
    buttons->addWidget(refreshSources);
    column->addLayout(buttons);

    connect(&controller_, &CaptureSessionController::messageChanged, this, &EmptyStateView::refresh);
    connect(&controller_, &CaptureSessionController::localNetworkAccessDeniedChanged, this, &EmptyStateView::refresh);
    refresh();
}

void EmptyStateView::refresh() {
    message_->setText(QString::fromStdString(controller_.message()));
    if (localNetworkSettings_) localNetworkSettings_->setVisible(controller_.localNetworkAccessDenied());
}

}  // namespace Quillfen
