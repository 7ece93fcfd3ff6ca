#pragma once
// SIGINT and SIGTERM ask the simulator to stop. Waiting code polls wakeDescriptor() beside
// its sockets, so a stop request interrupts any wait at once.

namespace UmberlinTools {

class StopSignal {
public:
    // Installs the handlers (and ignores SIGPIPE: a vanished client is an ordinary event).
    static void install();
    static bool requested();
    // Becomes readable once a stop has been requested.
    static int wakeDescriptor();
};

}  // namespace UmberlinTools
