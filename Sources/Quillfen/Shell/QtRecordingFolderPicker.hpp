#pragma once
// The recording folder picker on Qt: a non-modal folder dialog.

#include <QPointer>
#include <QWidget>

#include "Recording/RecordingFolderPicker.hpp"

namespace Quillfen {

class QtRecordingFolderPicker : public RecordingFolderPicker {
public:
    // Dialogs open over `parentWindow` when it is given and still exists.
    explicit QtRecordingFolderPicker(QWidget* parentWindow = nullptr);

    void pickFolder(const RecordingFolderPickerRequest& request, Completion completion) override;

private:
    QPointer<QWidget> parentWindow_;
};

}  // namespace Quillfen
