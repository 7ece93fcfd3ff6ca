#include "Recording/RecordingDestinationStore.hpp"

#include <QPointer>
#include <QStandardPaths>

#include <algorithm>
#include <system_error>
#include <utility>
#include <vector>

#include "Recording/RecordingFolderAccess.hpp"
#include "UmberlinWire/WireShownText.hpp"

namespace Quillfen {

namespace {

const QString noFolderSentence = "Choose a recording folder before starting a recording.";
const QString unavailableFolderSentence = "The recording folder is unavailable. Choose it again.";
const QString notSavedSentencePrefix = "The recording folder could not be saved: ";

std::optional<std::filesystem::path> moviesFolder() {
    const QString movies = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    if (movies.isEmpty()) return std::nullopt;
    return filePath(movies);
}

// The same file reached through another spelling of its folder (a symbolic link, "..")
// must count as the same reservation.
std::filesystem::path standardized(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
    return error ? path.lexically_normal() : resolved;
}

// Any directory entry counts, a dangling symbolic link too: the recorder must never write
// through one. A path that cannot be examined counts as free; writing there reports why.
bool isNameTaken(const std::filesystem::path& candidate) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::symlink_status(candidate, error));
}

// Removes one entry. The settings store reads "/" as a group separator, and Base64 uses "/",
// so another phone's key can lie inside this one's group ("…cGhvbmU/" and "…cGhvbmU/cGhv…");
// removing a key removes its group too, so entries inside it are put back.
void removeEntry(QSettings& defaults, const QString& key) {
    std::vector<std::pair<QString, QVariant>> nested;
    defaults.beginGroup(key);
    for (const QString& child : defaults.allKeys()) nested.emplace_back(key + "/" + child, defaults.value(child));
    defaults.endGroup();
    defaults.remove(key);
    for (const auto& [nestedKey, value] : nested) defaults.setValue(nestedKey, value);
}

}  // namespace

RecordingDestinationStore::RecordingDestinationStore(QSettings& defaults,
                                                     std::shared_ptr<RecordingFolderPicker> folderPicker,
                                                     QObject* parent)
    : QObject(parent), defaults_(defaults), folderPicker_(std::move(folderPicker)) {
    restoreDirectory(std::nullopt);
}

void RecordingDestinationStore::storeFirstDefaultFolder(QSettings& defaults) {
    if (defaults.contains(defaultBookmarkKey)) return;
    const auto movies = moviesFolder();
    if (!movies) return;
    std::error_code error;
    std::filesystem::create_directories(*movies, error);
    if (error) return;  // then no default: the window asks for a folder when recording starts
    const FolderBookmark bookmark = makeFolderBookmark(*movies);
    if (bookmark.data) defaults.setValue(defaultBookmarkKey, *bookmark.data);
}

void RecordingDestinationStore::clearErrorMessage() { setErrorMessage(std::nullopt); }

void RecordingDestinationStore::bind(const QString& to, const std::optional<QString>& deviceName) {
    if (boundSourceID_ == to) {
        // Same phone: a new name may have arrived with a later announcement; the folder stays.
        if (deviceName && !deviceName->isEmpty()) setBoundDeviceName(deviceName);
        return;
    }
    boundSourceID_ = to;
    setBoundDeviceName(deviceName);
    restoreDirectory(boundSourceID_);
}

void RecordingDestinationStore::unbind() {
    if (!boundSourceID_) return;
    boundSourceID_.reset();
    setBoundDeviceName(std::nullopt);
    restoreDirectory(std::nullopt);
}

void RecordingDestinationStore::refreshDefaultDestination() {
    if (boundSourceID_ && defaults_.contains(bookmarkKey(boundSourceID_))) return;
    restoreDirectory(boundSourceID_);
}

void RecordingDestinationStore::chooseDirectory(std::function<void()> completion) {
    RecordingFolderPickerRequest request{
        "Choose Recording Folder",
        "New camera recordings will be saved here automatically.",
        "Choose",
        directoryURL_ ? directoryURL_ : moviesFolder(),
    };
    folderPicker_->pickFolder(request, [store = QPointer(this), completion = std::move(completion)](
                                           std::optional<std::filesystem::path> folder) {
        if (!folder || !store) return;
        if (store->storeDirectory(*folder) && completion) completion();
    });
}

std::optional<std::filesystem::path> RecordingDestinationStore::nextRecordingURL(const QDateTime& at) {
    if (!directoryURL_) {
        setErrorMessage(noFolderSentence);
        return std::nullopt;
    }
    const std::filesystem::path folder = *directoryURL_;
    if (checkRecordingFolder(folder)) {
        setErrorMessage(unavailableFolderSentence);
        return std::nullopt;
    }

    const std::string baseName = recordingBaseName(at).toStdString();
    auto& reserved = reservedRecordingPaths();
    std::filesystem::path candidate = folder / (baseName + ".mov");
    for (int suffix = 2; isNameTaken(candidate) || reserved.contains(standardized(candidate)); ++suffix) {
        candidate = folder / (baseName + "-" + std::to_string(suffix) + ".mov");
    }
    reserved.insert(standardized(candidate));
    return candidate;
}

QString RecordingDestinationStore::pathDescription() const {
    return directoryURL_ ? displayPath(*directoryURL_) : QString("No recording folder selected");
}

QString RecordingDestinationStore::assignmentDescription() const {
    if (!boundDeviceName_ || boundDeviceName_->isEmpty()) return "Default recording folder";
    return "Recording folder for " +
           QString::fromStdString(UmberlinWire::shownPhoneText(boundDeviceName_->toStdString()));
}

QString RecordingDestinationStore::bookmarkKey(const std::optional<QString>& sourceID) {
    if (!sourceID) return defaultBookmarkKey;
    return deviceBookmarkKeyPrefix + QString::fromLatin1(sourceID->toUtf8().toBase64());
}

QString RecordingDestinationStore::recordingBaseName(const QDateTime& date) {
    return "Umberlin " + date.toLocalTime().toString("yyyy-MM-dd HH.mm.ss");
}

std::vector<std::filesystem::path> RecordingDestinationStore::knownRecordingFolders(QSettings& defaults) {
    QStringList keys = defaults.allKeys().filter(QString(defaultBookmarkKey));
    // The default folder's key is a prefix of the phones' keys; sorting puts it first.
    std::sort(keys.begin(), keys.end());
    std::vector<std::filesystem::path> folders;
    for (const QString& key : keys) {
        if (key != defaultBookmarkKey && !key.startsWith(deviceBookmarkKeyPrefix)) continue;
        const auto resolved = resolveFolderBookmark(defaults.value(key));
        if (resolved && std::find(folders.begin(), folders.end(), resolved->folder) == folders.end())
            folders.push_back(resolved->folder);
    }
    return folders;
}

std::set<std::filesystem::path>& RecordingDestinationStore::reservedRecordingPaths() {
    static std::set<std::filesystem::path> paths;
    return paths;
}

void RecordingDestinationStore::restoreDirectory(const std::optional<QString>& sourceID) {
    std::vector<QString> keys;
    if (sourceID) keys.push_back(bookmarkKey(sourceID));
    keys.push_back(bookmarkKey(std::nullopt));

    bool restored = false;
    for (const QString& key : keys) {
        const QVariant stored = defaults_.value(key);
        if (!stored.isValid()) continue;
        const auto resolved = resolveFolderBookmark(stored);
        if (!resolved) {
            removeEntry(defaults_, key);
            continue;
        }
        activateDirectory(resolved->folder);
        if (resolved->isStale) {
            const FolderBookmark renewed = makeFolderBookmark(resolved->folder);
            if (!renewed.data) {
                removeEntry(defaults_, key);
                continue;
            }
            defaults_.setValue(key, *renewed.data);
        }
        restored = true;
        break;
    }
    if (!restored) deactivateDirectory();
    setErrorMessage(std::nullopt);
}

bool RecordingDestinationStore::storeDirectory(const std::filesystem::path& folder) {
    const FolderBookmark bookmark = makeFolderBookmark(folder);
    if (!bookmark.data) {
        setErrorMessage(notSavedSentencePrefix + bookmark.failureDescription);
        return false;
    }
    defaults_.setValue(bookmarkKey(boundSourceID_), *bookmark.data);
    activateDirectory(filePath(QString::fromUtf8(*bookmark.data)));
    setErrorMessage(std::nullopt);
    return true;
}

// Folder access needs no grant on this platform, so activating a folder only puts it in use.
void RecordingDestinationStore::activateDirectory(const std::filesystem::path& folder) { setDirectoryURL(folder); }

void RecordingDestinationStore::deactivateDirectory() { setDirectoryURL(std::nullopt); }

void RecordingDestinationStore::setDirectoryURL(std::optional<std::filesystem::path> folder) {
    if (directoryURL_ == folder) return;
    directoryURL_ = std::move(folder);
    emit directoryURLChanged();
}

void RecordingDestinationStore::setErrorMessage(std::optional<QString> message) {
    if (errorMessage_ == message) return;
    errorMessage_ = std::move(message);
    emit errorMessageChanged();
}

void RecordingDestinationStore::setBoundDeviceName(std::optional<QString> name) {
    if (boundDeviceName_ == name) return;
    boundDeviceName_ = std::move(name);
    emit boundDeviceNameChanged();
}

}  // namespace Quillfen
