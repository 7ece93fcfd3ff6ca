#include "Shell/SingleInstance.hpp"

#include <unistd.h>

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace Quillfen {
namespace {

constexpr qsizetype maximumRequestLength = 64;
constexpr const char* acknowledgement = "ok\n";

}  // namespace

QString SingleInstance::socketPath() {
    // Qt makes sure the runtime folder belongs to the user alone (creating a private one
    // under the temporary folder when XDG_RUNTIME_DIR is not set).
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return QDir(folder).filePath(QStringLiteral("umberlin-rezuvidodo-%1").arg(::getuid()));
}

SingleInstance::HandOver SingleInstance::handOver(const QString& path, const QByteArray& request,
                                                  std::chrono::milliseconds timeout) {
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(static_cast<int>(timeout.count()))) {
        // A socket file with nobody behind it refuses at once; one whose owner is stopped
        // may still accept into its backlog, and then it is the answer that never comes.
        return socket.error() == QLocalSocket::SocketTimeoutError ? HandOver::noAnswer : HandOver::nobodyListening;
    }
    socket.write(request + '\n');
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    QByteArray answer;
    while (!answer.contains('\n')) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !socket.waitForReadyRead(static_cast<int>(left.count()))) return HandOver::noAnswer;
        answer += socket.readAll();
    }
    return answer == acknowledgement ? HandOver::done : HandOver::noAnswer;
}

SingleInstance::SingleInstance(QObject* parent) : QObject(parent) {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::answerNextConnection);
}

bool SingleInstance::listen(const QString& path, QString& why) {
    if (server_.listen(path)) return true;
    if (server_.serverError() != QAbstractSocket::AddressInUseError) {
        why = server_.errorString();
        return false;
    }
    // Someone answering there is a running instance; only a socket nobody answers on is
    // left over from one that ended without removing it.
    QLocalSocket probe;
    probe.connectToServer(path);
    if (probe.waitForConnected(static_cast<int>(answerTimeout.count())) ||
        probe.error() == QLocalSocket::SocketTimeoutError) {
        why = QStringLiteral("another instance is listening at %1").arg(path);
        return false;
    }
    QLocalServer::removeServer(path);
    if (server_.listen(path)) return true;
    why = server_.errorString();
    return false;
}

void SingleInstance::answerNextConnection() {
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            // A request is one short line; anything longer or unknown is answered with
            // nothing and dropped.
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > maximumRequestLength) socket->abort();
                return;
            }
            const QByteArray request = socket->readLine(maximumRequestLength).trimmed();
            if (request == newWindowRequest) {
                socket->write(acknowledgement);
                socket->disconnectFromServer();
                emit newWindowRequested();
            } else {
                socket->abort();
            }
        });
    }
}

}  // namespace Quillfen
