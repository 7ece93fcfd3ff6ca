#pragma once
// A folder picker that answers when the test says so, as a user would some time later.

#include <filesystem>
#include <optional>
#include <utility>
#include <vector>

#include "Recording/RecordingFolderPicker.hpp"

namespace Quillfen::Testing {

class FakeRecordingFolderPicker : public RecordingFolderPicker {
public:
    void pickFolder(const RecordingFolderPickerRequest& request, Completion completion) override {
        requests.push_back(request);
        pending = std::move(completion);
    }
    void answer(std::optional<std::filesystem::path> folder) { std::exchange(pending, {})(std::move(folder)); }

    std::vector<RecordingFolderPickerRequest> requests;
    Completion pending;
};

}  // namespace Quillfen::Testing
