#include "Recording/RecordingDestinationStore.hpp"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <utility>
#include <vector>

#include "Recording/FakeRecordingFolderPicker.hpp"

namespace Quillfen {
namespace {

namespace fs = std::filesystem;

const QString noFolderSentence = "Choose a recording folder before starting a recording.";
const QString unavailableSentence = "The recording folder is unavailable. Choose it again.";

using FakeFolderPicker = Testing::FakeRecordingFolderPicker;

class RecordingDestinationStoreTest : public testing::Test {
protected:
    fs::path makeFolder(const QString& name) {
        const fs::path folder = root() / name.toStdString();
        fs::create_directories(folder);
        return folder;
    }
    fs::path root() const { return fs::path(workspace.path().toStdString()); }
    std::unique_ptr<RecordingDestinationStore> makeStore() {
        return std::make_unique<RecordingDestinationStore>(defaults, picker);
    }
    void storeBookmark(const std::optional<QString>& sourceID, const fs::path& folder) {
        defaults.setValue(RecordingDestinationStore::bookmarkKey(sourceID), QByteArray::fromStdString(folder.string()));
    }
    // Chooses a folder in a store through the picker, as the user does.
    void choose(RecordingDestinationStore& store, const fs::path& folder) {
        store.chooseDirectory();
        picker->answer(folder);
    }

    QTemporaryDir workspace;
    QSettings defaults{workspace.filePath("defaults.ini"), QSettings::IniFormat};
    std::shared_ptr<FakeFolderPicker> picker = std::make_shared<FakeFolderPicker>();
    const QDateTime startTime{QDate(2026, 3, 3), QTime(9, 5, 7)};  // local time
};

TEST_F(RecordingDestinationStoreTest, APhoneUsesItsOwnFolderElseTheDefaultOne) {
    const fs::path movies = makeFolder("Movies");
    const fs::path phoneFolder = makeFolder("Studio A");
    storeBookmark(std::nullopt, movies);
    storeBookmark("phone-a", phoneFolder);

    auto store = makeStore();
    EXPECT_EQ(store->directoryURL(), movies) << "the default folder is loaded at creation";
    store->bind("phone-a", "Stage Phone");
    EXPECT_EQ(store->directoryURL(), phoneFolder);
    store->bind("phone-b", "Spare Phone");
    EXPECT_EQ(store->directoryURL(), movies);
    store->bind("phone-a");
    EXPECT_EQ(store->directoryURL(), phoneFolder);
    store->unbind();
    EXPECT_EQ(store->directoryURL(), movies);
    EXPECT_EQ(store->assignmentDescription(), "Default recording folder");
}

TEST_F(RecordingDestinationStoreTest, APhonesFolderIsKeptUnderTheBase64OfItsIdentifier) {
    EXPECT_EQ(RecordingDestinationStore::bookmarkKey(std::nullopt), "recording.destination.securityScopedBookmark");
    EXPECT_EQ(RecordingDestinationStore::bookmarkKey(QString("abc")),
              "recording.destination.securityScopedBookmark.device.YWJj");

    const fs::path folder = makeFolder("Interviews");
    auto store = makeStore();
    store->bind("abc", "Phone");
    choose(*store, folder);
    defaults.sync();

    QSettings reopened(workspace.filePath("defaults.ini"), QSettings::IniFormat);
    EXPECT_EQ(reopened.value("recording.destination.securityScopedBookmark.device.YWJj").toByteArray(),
              QByteArray::fromStdString(folder.string()));
    EXPECT_FALSE(reopened.contains("recording.destination.securityScopedBookmark"))
        << "a phone's choice is not the default";
}

TEST_F(RecordingDestinationStoreTest, IdentifiersWhoseBase64HoldsASlashKeepTheirOwnFolders) {
    // "phone?" gives "cGhvbmU/" and "phone?phone?" gives "cGhvbmU/cGhvbmU/": the settings
    // store reads a slash as a group separator, so the second key lies inside the first.
    const fs::path first = makeFolder("first");
    const fs::path second = makeFolder("second");
    const fs::path movies = makeFolder("Movies");
    storeBookmark(std::nullopt, movies);
    auto store = makeStore();
    store->bind("phone?");
    choose(*store, first);
    store->bind("phone?phone?");
    choose(*store, second);

    auto other = makeStore();
    other->bind("phone?");
    EXPECT_EQ(other->directoryURL(), first);
    other->bind("phone?phone?");
    EXPECT_EQ(other->directoryURL(), second);

    // Forgetting the first phone's broken entry keeps the second phone's.
    fs::remove(first);
    other->bind("phone?");
    EXPECT_EQ(other->directoryURL(), movies);
    EXPECT_FALSE(defaults.contains(RecordingDestinationStore::bookmarkKey(QString("phone?"))));
    other->bind("phone?phone?");
    EXPECT_EQ(other->directoryURL(), second);
}

TEST_F(RecordingDestinationStoreTest, UnusableEntriesRemoveThemselves) {
    const fs::path movies = makeFolder("Movies");
    const fs::path gone = makeFolder("Gone");
    storeBookmark(std::nullopt, movies);
    storeBookmark("phone-a", gone);
    defaults.setValue(RecordingDestinationStore::bookmarkKey(QString("phone-b")), 42);
    defaults.setValue(RecordingDestinationStore::bookmarkKey(QString("phone-c")), QByteArray("relative/path"));
    fs::remove(gone);

    auto store = makeStore();
    for (const QString phone : {"phone-a", "phone-b", "phone-c"}) {
        store->bind(phone);
        EXPECT_EQ(store->directoryURL(), movies) << phone.toStdString();
        EXPECT_FALSE(defaults.contains(RecordingDestinationStore::bookmarkKey(phone))) << phone.toStdString();
    }
    EXPECT_FALSE(store->errorMessage());

    fs::remove(movies);
    auto withoutDefault = makeStore();
    EXPECT_FALSE(withoutDefault->directoryURL());
    EXPECT_FALSE(defaults.contains(RecordingDestinationStore::bookmarkKey(std::nullopt)));
    EXPECT_EQ(withoutDefault->pathDescription(), "No recording folder selected");
}

TEST_F(RecordingDestinationStoreTest, AnEntryInAnOlderFormIsReadAndWrittenAgain) {
    const fs::path movies = makeFolder("Movies");
    // Written by hand as text, with a trailing "/." that the stored form does not have.
    defaults.setValue(RecordingDestinationStore::bookmarkKey(std::nullopt),
                      QString::fromStdString(movies.string()) + "/.");

    auto store = makeStore();
    EXPECT_EQ(store->directoryURL(), movies);
    EXPECT_EQ(defaults.value(RecordingDestinationStore::bookmarkKey(std::nullopt)),
              QVariant(QByteArray::fromStdString(movies.string())));
}

TEST_F(RecordingDestinationStoreTest, ADefaultChangeMovesOnlyWindowsWithoutAFolderOfTheirOwn) {
    const fs::path oldDefault = makeFolder("Old");
    const fs::path newDefault = makeFolder("New");
    const fs::path phoneFolder = makeFolder("Phone A");
    storeBookmark(std::nullopt, oldDefault);
    storeBookmark("phone-a", phoneFolder);

    auto application = makeStore();
    auto ownFolderWindow = makeStore();
    auto defaultFolderWindow = makeStore();
    auto idleWindow = makeStore();
    ownFolderWindow->bind("phone-a", "A");
    defaultFolderWindow->bind("phone-b", "B");
    for (auto* window : {ownFolderWindow.get(), defaultFolderWindow.get(), idleWindow.get()}) {
        QObject::connect(application.get(), &RecordingDestinationStore::directoryURLChanged, window,
                         &RecordingDestinationStore::refreshDefaultDestination);
    }
    QSignalSpy ownFolderChanges(ownFolderWindow.get(), &RecordingDestinationStore::directoryURLChanged);

    choose(*application, newDefault);
    EXPECT_EQ(application->directoryURL(), newDefault);
    EXPECT_EQ(defaultFolderWindow->directoryURL(), newDefault);
    EXPECT_EQ(idleWindow->directoryURL(), newDefault);
    EXPECT_EQ(ownFolderWindow->directoryURL(), phoneFolder);
    EXPECT_EQ(ownFolderChanges.count(), 0);
}

TEST_F(RecordingDestinationStoreTest, ChoosingAFolderAsksThePickerAndStoresTheAnswer) {
    auto store = makeStore();
    int completions = 0;
    store->chooseDirectory([&] { ++completions; });
    ASSERT_EQ(picker->requests.size(), 1u);
    const RecordingFolderPickerRequest& first = picker->requests.front();
    EXPECT_EQ(first.title, "Choose Recording Folder");
    EXPECT_EQ(first.message, "New camera recordings will be saved here automatically.");
    EXPECT_EQ(first.prompt, "Choose");
    const QString movies = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    EXPECT_EQ(first.startFolder, movies.isEmpty() ? std::nullopt : std::optional(fs::path(movies.toStdString())));

    picker->answer(std::nullopt);  // cancel
    EXPECT_EQ(completions, 0);
    EXPECT_FALSE(store->directoryURL());

    const fs::path folder = makeFolder("Takes");
    store->chooseDirectory([&] { ++completions; });
    picker->answer(folder);
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(store->directoryURL(), folder);

    store->chooseDirectory([&] { ++completions; });
    EXPECT_EQ(picker->requests.back().startFolder, folder) << "opens where the recordings go now";
}

TEST_F(RecordingDestinationStoreTest, AFolderThatCannotBeSavedKeepsThePreviousOne) {
    const fs::path kept = makeFolder("Kept");
    auto store = makeStore();
    choose(*store, kept);

    const fs::path vanished = makeFolder("Vanished");
    int completions = 0;
    store->chooseDirectory([&] { ++completions; });
    fs::remove(vanished);
    picker->answer(vanished);

    EXPECT_EQ(completions, 0);
    EXPECT_EQ(store->directoryURL(), kept);
    EXPECT_EQ(store->errorMessage(), "The recording folder could not be saved: There is no folder at " +
                                         QString::fromStdString(vanished.string()) + ".");
    store->clearErrorMessage();
    EXPECT_FALSE(store->errorMessage());
}

TEST_F(RecordingDestinationStoreTest, AnAnswerArrivingAfterTheWindowClosedChangesNothing) {
    auto store = makeStore();
    store->chooseDirectory();
    store.reset();
    picker->answer(makeFolder("Late"));
    EXPECT_FALSE(defaults.contains(RecordingDestinationStore::bookmarkKey(std::nullopt)));
}

TEST_F(RecordingDestinationStoreTest, RebindingTheSamePhoneOnlyTakesANewName) {
    const fs::path phoneFolder = makeFolder("A");
    storeBookmark("phone-a", phoneFolder);
    auto store = makeStore();
    store->bind("phone-a", "Phone");
    EXPECT_EQ(store->assignmentDescription(), "Recording folder for Phone");

    // The stored folder changes behind the store's back: rebinding must not reload it.
    storeBookmark("phone-a", makeFolder("B"));
    QSignalSpy nameChanges(store.get(), &RecordingDestinationStore::boundDeviceNameChanged);
    store->bind("phone-a", "Stage Phone");
    EXPECT_EQ(store->assignmentDescription(), "Recording folder for Stage Phone");
    EXPECT_EQ(nameChanges.count(), 1);
    store->bind("phone-a", "");
    store->bind("phone-a");
    EXPECT_EQ(store->assignmentDescription(), "Recording folder for Stage Phone");
    EXPECT_EQ(store->directoryURL(), phoneFolder);

    store->bind("phone-b", "");
    EXPECT_EQ(store->assignmentDescription(), "Default recording folder");
}

TEST_F(RecordingDestinationStoreTest, MoviesAreNamedAfterTheirLocalStartTime) {
    EXPECT_EQ(RecordingDestinationStore::recordingBaseName(startTime), "Umberlin 2026-03-03 09.05.07");
    EXPECT_EQ(RecordingDestinationStore::recordingBaseName(startTime.toUTC()), "Umberlin 2026-03-03 09.05.07");

    const fs::path folder = makeFolder("Summer 100% takes");
    auto store = makeStore();
    choose(*store, folder);
    EXPECT_EQ(store->pathDescription(), QString::fromStdString(folder.string())) << "the plain path";
    EXPECT_EQ(store->nextRecordingURL(startTime), folder / "Umberlin 2026-03-03 09.05.07.mov");
    EXPECT_TRUE(fs::is_empty(folder)) << "checking the folder leaves nothing behind";
}

TEST_F(RecordingDestinationStoreTest, TwoWindowsStartingInTheSameSecondGetDifferentFiles) {
    const fs::path folder = makeFolder("Shared");
    storeBookmark(std::nullopt, folder);
    auto first = makeStore();
    auto second = makeStore();
    EXPECT_EQ(first->nextRecordingURL(startTime), folder / "Umberlin 2026-03-03 09.05.07.mov");
    EXPECT_EQ(second->nextRecordingURL(startTime), folder / "Umberlin 2026-03-03 09.05.07-2.mov");
    EXPECT_EQ(first->nextRecordingURL(startTime), folder / "Umberlin 2026-03-03 09.05.07-3.mov");
}

TEST_F(RecordingDestinationStoreTest, ExistingFilesAreNeverOverwritten) {
    const fs::path folder = makeFolder("Busy");
    std::ofstream(folder / "Umberlin 2026-03-03 09.05.07.mov") << "earlier take";
    std::ofstream(folder / "Umberlin 2026-03-03 09.05.07-2.mov") << "earlier take";
    fs::create_symlink(folder / "nowhere", folder / "Umberlin 2026-03-03 09.05.07-3.mov");
    storeBookmark(std::nullopt, folder);

    auto store = makeStore();
    EXPECT_EQ(store->nextRecordingURL(startTime), folder / "Umberlin 2026-03-03 09.05.07-4.mov")
        << "a dangling link is a taken name too";
    EXPECT_FALSE(store->errorMessage());
}

TEST_F(RecordingDestinationStoreTest, AFolderReachedTwoWaysSharesItsReservations) {
    const fs::path folder = makeFolder("Real");
    const fs::path link = root() / "Link";
    fs::create_directory_symlink(folder, link);
    auto first = makeStore();
    choose(*first, folder);
    auto second = makeStore();
    second->bind("phone-b");
    choose(*second, link);

    EXPECT_EQ(first->nextRecordingURL(startTime), folder / "Umberlin 2026-03-03 09.05.07.mov");
    EXPECT_EQ(second->nextRecordingURL(startTime), link / "Umberlin 2026-03-03 09.05.07-2.mov");
}

TEST_F(RecordingDestinationStoreTest, ARecordingNeedsAnExistingWritableFolder) {
    auto store = makeStore();
    EXPECT_FALSE(store->nextRecordingURL(startTime));
    EXPECT_EQ(store->errorMessage(), noFolderSentence);

    const fs::path folder = makeFolder("Removable");
    choose(*store, folder);
    EXPECT_FALSE(store->errorMessage()) << "a stored folder clears the problem";
    fs::remove(folder);
    EXPECT_FALSE(store->nextRecordingURL(startTime));
    EXPECT_EQ(store->errorMessage(), unavailableSentence);

    store->clearErrorMessage();
    std::ofstream(folder) << "a file where the folder was";
    EXPECT_FALSE(store->nextRecordingURL(startTime));
    EXPECT_EQ(store->errorMessage(), unavailableSentence);

    // No one may create files in /sys, not even root (permission bits would not stop root).
    store->clearErrorMessage();
    storeBookmark(std::nullopt, "/sys");
    auto unwritable = makeStore();
    ASSERT_EQ(unwritable->directoryURL(), fs::path("/sys"));
    EXPECT_FALSE(unwritable->nextRecordingURL(startTime));
    EXPECT_EQ(unwritable->errorMessage(), unavailableSentence);
}

// The first start makes the Movies folder (here the XDG videos folder named in the user's
// user-dirs.dirs) the default, creating it; a stored default is never replaced.
TEST_F(RecordingDestinationStoreTest, TheFirstDefaultFolderIsTheMoviesFolder) {
    const QByteArray savedConfigHome = qgetenv("XDG_CONFIG_HOME");
    const fs::path videos = root() / "home" / "My Videos";
    makeFolder("config");
    std::ofstream(root() / "config" / "user-dirs.dirs") << "XDG_VIDEOS_DIR=\"" << videos.string() << "\"\n";
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((root() / "config").string()));

    RecordingDestinationStore::storeFirstDefaultFolder(defaults);
    EXPECT_TRUE(fs::is_directory(videos));
    EXPECT_EQ(makeStore()->directoryURL(), videos);

    const fs::path chosen = makeFolder("Chosen");
    storeBookmark(std::nullopt, chosen);
    RecordingDestinationStore::storeFirstDefaultFolder(defaults);
    EXPECT_EQ(makeStore()->directoryURL(), chosen);

    if (savedConfigHome.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", savedConfigHome);
}

}  // namespace
}  // namespace Quillfen
