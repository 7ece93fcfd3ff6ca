#include "StopSignal.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <stdexcept>

namespace UmberlinTools {
namespace {

volatile std::sig_atomic_t stopRequested = 0;
int wakePipe[2] = {-1, -1};

extern "C" void handleStopSignal(int) {
    stopRequested = 1;
    const char byte = 1;
    [[maybe_unused]] const auto written = write(wakePipe[1], &byte, 1);
}

}  // namespace

void StopSignal::install() {
    if (pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("cannot create the stop pipe");
    struct sigaction action {};
    action.sa_handler = handleStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

bool StopSignal::requested() { return stopRequested != 0; }

int StopSignal::wakeDescriptor() { return wakePipe[0]; }

}  // namespace UmberlinTools
