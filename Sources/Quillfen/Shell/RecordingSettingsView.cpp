#include "Shell/RecordingSettingsView.hpp"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "Recording/RecordingDestinationStore.hpp"
#include "Session/CaptureSessionRegistry.hpp"
#include "Session/PlatformWords.hpp"

namespace Quillfen {
namespace {

const KeyboardShortcut chooseShortcut{KeyboardShortcut::shift | KeyboardShortcut::command, "O"};

}  // namespace

RecordingSettingsView::RecordingSettingsView(CaptureSessionRegistry& sessionRegistry,
                                             RecordingDestinationStore& defaultRecordingDestination, QWidget* parent)
    : QWidget(parent), sessionRegistry_(sessionRegistry), defaultRecordingDestination_(defaultRecordingDestination) {
    path_ = new QLabel(this);
    path_->setObjectName("defaultRecordingFolderPath");
    path_->setTextFormat(Qt::PlainText);
    path_->setMaximumWidth(pathMaximumWidth);
    path_->setForegroundRole(QPalette::PlaceholderText);  // the secondary text style

    chooseButton_ = new QPushButton(QStringLiteral("Choose\u2026"), this);
    chooseButton_->setObjectName("chooseDefaultRecordingFolder");
    chooseButton_->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    chooseButton_->setToolTip(QString::fromStdString(
        helpWithShortcut("Choose the default folder for new phone assignments", chooseShortcut)));
    chooseButton_->setAccessibleDescription(
        QString::fromStdString(hintWithShortcut("Choose the default recording folder", chooseShortcut)));
    connect(chooseButton_, &QPushButton::clicked, this, [this] { defaultRecordingDestination_.chooseDirectory(); });

    auto* row = new QHBoxLayout;
    row->addWidget(path_, 1);
    row->addWidget(chooseButton_);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Default recording folder"), row);
    auto* group = new QGroupBox(this);
    group->setLayout(form);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addStretch();

    connect(&defaultRecordingDestination_, &RecordingDestinationStore::directoryURLChanged, this,
            &RecordingSettingsView::showPath);
    connect(&sessionRegistry_, &CaptureSessionRegistry::changed, this, &RecordingSettingsView::updateChooseButton);
    showPath();
    updateChooseButton();
}

void RecordingSettingsView::showPath() {
    const QString path = defaultRecordingDestination_.pathDescription();
    path_->setText(path_->fontMetrics().elidedText(path, Qt::ElideMiddle, pathMaximumWidth));
    path_->setToolTip(path);
}

void RecordingSettingsView::updateChooseButton() {
    chooseButton_->setEnabled(!sessionRegistry_.requiresRecordingFinalization());
}

}  // namespace Quillfen
