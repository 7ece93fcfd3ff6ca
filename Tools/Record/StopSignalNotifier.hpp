#pragma once
// Turns SIGINT, SIGTERM and SIGHUP into a Qt signal on the main thread, so a stop request is
// handled by the event loop like any other event.

#include <QObject>
#include <QSocketNotifier>

#include <memory>

namespace UmberlinRecord {

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

}  // namespace UmberlinRecord
