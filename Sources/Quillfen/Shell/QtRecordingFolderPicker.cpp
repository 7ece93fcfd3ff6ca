#include "Shell/QtRecordingFolderPicker.hpp"

#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>

#include "Recording/RecordingFolderAccess.hpp"

namespace Quillfen {

QtRecordingFolderPicker::QtRecordingFolderPicker(QWidget* parentWindow) : parentWindow_(parentWindow) {}

void QtRecordingFolderPicker::pickFolder(const RecordingFolderPickerRequest& request, Completion completion) {
    auto* dialog = new QFileDialog(parentWindow_.data(), request.title);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::NonModal);
    // Qt's own dialog on every platform: native ones have no place for the message.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setLabelText(QFileDialog::Accept, request.prompt);
    if (request.startFolder) dialog->setDirectory(displayPath(*request.startFolder));
    if (auto* grid = qobject_cast<QGridLayout*>(dialog->layout())) {
        auto* message = new QLabel(request.message, dialog);
        message->setObjectName("recordingFolderMessage");
        message->setWordWrap(true);
        grid->addWidget(message, grid->rowCount(), 0, 1, grid->columnCount());
    }
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, completion = std::move(completion)](int result) {
        const QStringList chosen = dialog->selectedFiles();
        if (result == QDialog::Accepted && !chosen.isEmpty()) {
            completion(filePath(chosen.front()));
        } else {
            completion(std::nullopt);
        }
    });
    dialog->show();
}

}  // namespace Quillfen
