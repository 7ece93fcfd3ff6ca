#pragma once
// Shows a file in the desktop's file manager: selected in its folder through the
// freedesktop FileManager1 service when the session has one, else the folder opened with
// the desktop's handler for folders. Never blocks the caller.

#include <filesystem>

namespace Quillfen {

void revealInFileManager(const std::filesystem::path& file);

}  // namespace Quillfen
