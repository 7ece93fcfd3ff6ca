#pragma once
// Where recordings go: the default recording folder and each phone's own folder,
// remembered across launches in the settings (QSettings), and the file names of new movies.

#include <QDateTime>
#include <QObject>
#include <QSettings>
#include <QString>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "Recording/RecordingFolderPicker.hpp"

namespace Quillfen {

// Several stores share one settings store: the application's own (never bound to a
// phone; it edits the default folder) and one per monitor window (bound to the window's
// phone). A folder chosen in a bound store belongs to that phone only; one chosen in an
// unbound store becomes the default for every phone without a folder of its own. A stored
// entry that no longer names a folder removes itself when it is read.
//
// Lives on the main thread, like everything it touches.
class RecordingDestinationStore : public QObject {
    Q_OBJECT

public:
    static constexpr const char* defaultBookmarkKey = "recording.destination.securityScopedBookmark";
    static constexpr const char* deviceBookmarkKeyPrefix = "recording.destination.securityScopedBookmark.device.";

    // Loads the default folder at once. `defaults` must outlive the store.
    RecordingDestinationStore(QSettings& defaults, std::shared_ptr<RecordingFolderPicker> folderPicker,
                              QObject* parent = nullptr);

    // The folder in use, or none.
    const std::optional<std::filesystem::path>& directoryURL() const { return directoryURL_; }
    // The last problem to show to the user, or none.
    const std::optional<QString>& errorMessage() const { return errorMessage_; }
    // Called when the user has dismissed the problem.
    void clearErrorMessage();

    const std::optional<QString>& boundSourceID() const { return boundSourceID_; }
    const std::optional<QString>& boundDeviceName() const { return boundDeviceName_; }

    // Binds the store to a phone and loads that phone's folder (or the default folder).
    // Binding again to the same phone only takes a new, non-empty name.
    void bind(const QString& to, const std::optional<QString>& deviceName = std::nullopt);
    // The phone went away: back to the default folder.
    void unbind();
    // The default folder changed: follow it, unless this phone has a folder of its own.
    void refreshDefaultDestination();
    // Lets the user choose a folder; `completion` runs once it is chosen and stored (never on
    // cancel). Nothing happens if the store is gone by the time the user answers.
    void chooseDirectory(std::function<void()> completion = {});
    // A new, unused movie file in the folder named after `at` ("Umberlin 2026-03-03
    // 09.05.07.mov", then "-2", "-3", ... when taken), or none with `errorMessage` set.
    std::optional<std::filesystem::path> nextRecordingURL(const QDateTime& at);

    // "No recording folder selected" or the folder's path.
    QString pathDescription() const;
    // "Default recording folder" or "Recording folder for <phone>".
    QString assignmentDescription() const;

    // On a first start, when no default folder is stored: the user's Movies folder (XDG
    // videos folder), created when missing, becomes the default folder.
    static void storeFirstDefaultFolder(QSettings& defaults);

    // The settings key of a phone's folder (none: the default folder's).
    static QString bookmarkKey(const std::optional<QString>& sourceID);
    // "Umberlin " + the date in local time as yyyy-MM-dd HH.mm.ss.
    static QString recordingBaseName(const QDateTime& date);
    // Every folder `defaults` remembers that exists now: the default folder first, then each
    // phone's own, each once. Recovery at start searches these.
    static std::vector<std::filesystem::path> knownRecordingFolders(QSettings& defaults);
    // Every movie path handed out since launch, by any store, so that two windows starting
    // within the same second get different names before either file exists.
    static std::set<std::filesystem::path>& reservedRecordingPaths();

signals:
    void directoryURLChanged();
    void errorMessageChanged();
    void boundDeviceNameChanged();

private:
    void restoreDirectory(const std::optional<QString>& sourceID);
    bool storeDirectory(const std::filesystem::path& folder);
    void activateDirectory(const std::filesystem::path& folder);
    void deactivateDirectory();
    void setDirectoryURL(std::optional<std::filesystem::path> folder);
    void setErrorMessage(std::optional<QString> message);
    void setBoundDeviceName(std::optional<QString> name);

    QSettings& defaults_;
    std::shared_ptr<RecordingFolderPicker> folderPicker_;
    std::optional<std::filesystem::path> directoryURL_;
    std::optional<QString> errorMessage_;
    std::optional<QString> boundSourceID_;
    std::optional<QString> boundDeviceName_;
};

}  // namespace Quillfen
