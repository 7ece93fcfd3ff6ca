#pragma once
// How a recording folder is remembered across launches and checked before a recording.
//
// A folder is remembered by a bookmark: the UTF-8 bytes of its absolute, cleaned path. A
// bookmark resolves only while a folder exists at that path. There are no access grants to
// take or give back on this platform.

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <filesystem>
#include <optional>

namespace Quillfen {

QString displayPath(const std::filesystem::path& path);
std::filesystem::path filePath(const QString& path);

// The bookmark for a folder, or a sentence saying why there can be none.
struct FolderBookmark {
    std::optional<QByteArray> data;
    QString failureDescription;
};
FolderBookmark makeFolderBookmark(const std::filesystem::path& folder);

struct ResolvedFolderBookmark {
    std::filesystem::path folder;
    // The stored value is not in the form makeFolderBookmark writes (a hand-edited text
    // value, a path that is not cleaned) and should be written again.
    bool isStale = false;
};
// The folder a stored value names, or none when it names no existing folder.
std::optional<ResolvedFolderBookmark> resolveFolderBookmark(const QVariant& stored);

// Why a folder cannot take a new recording; never shown, the store reports one sentence.
enum class DestinationError { notDirectory, notWritable };

// Checks that the folder exists and that a file can really be created in it (by creating
// and removing a probe file, which also catches read-only mounts and access lists that
// permission bits do not show). A probe that fails for want of space or file handles says
// nothing about the folder and passes: the recording reports that problem itself.
std::optional<DestinationError> checkRecordingFolder(const std::filesystem::path& folder);

}  // namespace Quillfen
