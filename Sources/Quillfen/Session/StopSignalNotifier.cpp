#include "Session/StopSignalNotifier.hpp"

#include <sys/socket.h>
#include <unistd.h>

#include <csignal>

namespace Quillfen {
namespace {

// A signal handler may only write to a descriptor; the event loop reads the other end.
int signalSockets[2] = {-1, -1};

// Ctrl-C, a polite kill, and the terminal closing.
constexpr int stopSignals[] = {SIGINT, SIGTERM, SIGHUP};

void writeSignalNumber(int signalNumber) {
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const auto written = ::write(signalSockets[0], &byte, 1);
}

}  // namespace

StopSignalNotifier::StopSignalNotifier(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalSockets) != 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(signalSockets[1], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &StopSignalNotifier::readSignal);
    struct sigaction action {};
    action.sa_handler = writeSignalNumber;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signalNumber : stopSignals) ::sigaction(signalNumber, &action, nullptr);
}

StopSignalNotifier::~StopSignalNotifier() {
    for (const int signalNumber : stopSignals) std::signal(signalNumber, SIG_DFL);
    notifier_.reset();
    for (int& socket : signalSockets) {
        if (socket >= 0) ::close(socket);
        socket = -1;
    }
}

void StopSignalNotifier::readSignal() {
    unsigned char byte = 0;
    if (::read(signalSockets[1], &byte, 1) == 1) emit stopRequested(byte);
}

}  // namespace Quillfen
