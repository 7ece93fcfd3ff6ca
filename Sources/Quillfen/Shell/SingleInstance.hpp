#pragma once
// One monitor process per user. The first launch listens on a local socket in the user's
// runtime folder; a later launch hands its request ("new-window") to it and ends, so every
// window shares one session registry and no phone is claimed twice. A launch whose request
// is not answered in time (the running one is hung or stopped) starts on its own.
//
// Main thread only.

#include <QLocalServer>
#include <QObject>
#include <QString>

#include <chrono>

namespace Quillfen {

class SingleInstance : public QObject {
    Q_OBJECT

public:
    static constexpr const char* newWindowRequest = "new-window";
    static constexpr auto answerTimeout = std::chrono::milliseconds(2000);

    // The socket's path for this user: the runtime folder (private to the user) and the user id.
    static QString socketPath();

    enum class HandOver { done, nobodyListening, noAnswer };
    // Sends `request` to a running instance and waits up to `timeout` for its answer.
    static HandOver handOver(const QString& path, const QByteArray& request,
                             std::chrono::milliseconds timeout = answerTimeout);

    explicit SingleInstance(QObject* parent = nullptr);

    // Listens at `path`, first removing a socket left there by an instance that no longer
    // answers. False when another instance listens there now; `why` says what failed.
    bool listen(const QString& path, QString& why);

signals:
    // A later launch asked for a new monitor window.
    void newWindowRequested();

private:
    void answerNextConnection();

    QLocalServer server_;
};

}  // namespace Quillfen
