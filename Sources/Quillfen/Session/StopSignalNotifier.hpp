#pragma once
// Turns SIGINT, SIGTERM and SIGHUP into a Qt signal on the main thread, so a stop request is
// handled by the event loop like any other event: umberlin-record finishes its take, the
// monitor quits as its Quit command does, after finalising any movie being written.

#include <QObject>
#include <QSocketNotifier>

#include <memory>

namespace Quillfen {

class StopSignalNotifier : public QObject {
    Q_OBJECT

public:
    explicit StopSignalNotifier(QObject* parent = nullptr);
    ~StopSignalNotifier() override;

signals:
    void stopRequested(int signalNumber);

private:
    void readSignal();

    std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace Quillfen
