#pragma once
// umberlin-phone-sim as a child process for tests: started with arguments, its output read
// line by line with bounded waits, and always stopped by its process id (SIGTERM, then
// SIGKILL) when the object goes away, also when a test fails.

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace SimulatorTests {

using namespace std::chrono_literals;

class SimulatorProcess {
public:
    // Starts the simulator with this process's environment plus `extraEnvironment`
    // ("NAME=value" entries); throws std::runtime_error when it cannot be started.
    explicit SimulatorProcess(const std::vector<std::string>& arguments,
                              const std::vector<std::string>& extraEnvironment = {});
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // The first output line (from the start) containing `text`; nothing after the timeout or
    // once the output has ended.
    std::optional<std::string> waitForLine(std::string_view text, std::chrono::milliseconds timeout = 5s);

    // The port it printed in its "listening on ADDRESS:PORT" line; throws when none came.
    int waitForPort();

    // Sends SIGTERM and waits; the exit code, or nothing if it had to be killed.
    std::optional<int> stop(std::chrono::milliseconds timeout = 5s);
    // Waits for the process to end by itself; the exit code, or nothing if it did not end in
    // time (it is then killed) or ended by a signal.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout = 5s);

    const std::vector<std::string>& lines() const { return lines_; }
    std::string output() const;

private:
    // Reads what is available into lines_, waiting at most until the deadline; false at end of output.
    bool readUntil(std::chrono::steady_clock::time_point deadline);

    pid_t pid_ = -1;
    int output_ = -1;
    std::string partialLine_;
    std::vector<std::string> lines_;
    bool finished_ = false;
};

}  // namespace SimulatorTests
