#pragma once
// The port through which a recording destination asks the user for a folder.

#include <QString>

#include <filesystem>
#include <functional>
#include <optional>

namespace Quillfen {

struct RecordingFolderPickerRequest {
    QString title;
    QString message;
    QString prompt;  // the title of the button that accepts the folder
    // Where the picker opens; none lets the picker choose.
    std::optional<std::filesystem::path> startFolder;
};

class RecordingFolderPicker {
public:
    using Completion = std::function<void(std::optional<std::filesystem::path> folder)>;

    virtual ~RecordingFolderPicker() = default;

    // Shows a picker for one folder (folders only, new folders may be created) without
    // blocking the caller. `completion` runs later on the main thread, once, with the chosen
    // folder, or with none when the user cancels.
    virtual void pickFolder(const RecordingFolderPickerRequest& request, Completion completion) = 0;
};

}  // namespace Quillfen
