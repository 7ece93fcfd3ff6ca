#include "Monitor/FileManagerReveal.hpp"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDesktopServices>
#include <QUrl>

#include "Recording/RecordingFolderAccess.hpp"

namespace Quillfen {

namespace {

void openFolder(const std::filesystem::path& file) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(displayPath(file.parent_path())));
}

}  // namespace

void revealInFileManager(const std::filesystem::path& file) {
    QDBusConnection session = QDBusConnection::sessionBus();
    if (!session.isConnected()) {
        openFolder(file);
        return;
    }
    QDBusMessage showItems = QDBusMessage::createMethodCall(
        "org.freedesktop.FileManager1", "/org/freedesktop/FileManager1", "org.freedesktop.FileManager1", "ShowItems");
    showItems << QStringList{QUrl::fromLocalFile(displayPath(file)).toString()} << QString();
    auto* watcher = new QDBusPendingCallWatcher(session.asyncCall(showItems));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, [file](QDBusPendingCallWatcher* finished) {
        if (QDBusPendingReply<>(*finished).isError()) openFolder(file);
        finished->deleteLater();
    });
}

}  // namespace Quillfen
