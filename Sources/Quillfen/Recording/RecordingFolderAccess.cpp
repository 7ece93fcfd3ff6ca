#include "Recording/RecordingFolderAccess.hpp"

#include <QDir>
#include <QFile>
#include <QMetaType>

#include <cerrno>
#include <string>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

namespace Quillfen {

namespace {

QString cleanAbsolutePath(const QString& path) {
    if (path.isEmpty() || !QDir::isAbsolutePath(path)) return {};
    return QDir::cleanPath(path);
}

bool isExistingFolder(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

}  // namespace

QString displayPath(const std::filesystem::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

std::filesystem::path filePath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

FolderBookmark makeFolderBookmark(const std::filesystem::path& folder) {
    const QString cleaned = cleanAbsolutePath(displayPath(folder));
    if (cleaned.isEmpty() || !isExistingFolder(filePath(cleaned))) {
        return {std::nullopt, QString("There is no folder at %1.").arg(displayPath(folder))};
    }
    return {cleaned.toUtf8(), {}};
}

std::optional<ResolvedFolderBookmark> resolveFolderBookmark(const QVariant& stored) {
    QString path;
    bool isStale = false;
    switch (stored.metaType().id()) {
        case QMetaType::QByteArray:
            path = QString::fromUtf8(stored.toByteArray());
            break;
        case QMetaType::QString:
            path = stored.toString();
            isStale = true;
            break;
        default:
            return std::nullopt;
    }
    const QString cleaned = cleanAbsolutePath(path);
    if (cleaned.isEmpty() || !isExistingFolder(filePath(cleaned))) return std::nullopt;
    return ResolvedFolderBookmark{filePath(cleaned), isStale || cleaned != path};
}

std::optional<DestinationError> checkRecordingFolder(const std::filesystem::path& folder) {
    struct stat status {};
    if (::stat(folder.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) return DestinationError::notDirectory;

    std::string probe = (folder / ".umberlin-write-check-XXXXXX").native();
    const int descriptor = ::mkstemp(probe.data());
    if (descriptor < 0) {
        switch (errno) {
            case ENOSPC:
            case EDQUOT:
            case EMFILE:
            case ENFILE:
                return std::nullopt;
            default:
                return DestinationError::notWritable;
        }
    }
    ::close(descriptor);
    ::unlink(probe.c_str());
    return std::nullopt;
}

}  // namespace Quillfen
