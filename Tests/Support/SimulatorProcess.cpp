#include "Support/SimulatorProcess.hpp"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <thread>

extern char** environ;

namespace SimulatorTests {

SimulatorProcess::SimulatorProcess(const std::vector<std::string>& arguments,
                                   const std::vector<std::string>& extraEnvironment) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);

    std::vector<std::string> argumentStrings{UMBERLIN_PHONE_SIM_PATH};
    argumentStrings.insert(argumentStrings.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& argument : argumentStrings) argv.push_back(argument.data());
    argv.push_back(nullptr);

    std::vector<std::string> environmentStrings(extraEnvironment);
    for (char** entry = environ; *entry != nullptr; ++entry) environmentStrings.emplace_back(*entry);
    std::vector<char*> environment;
    for (std::string& entry : environmentStrings) environment.push_back(entry.data());
    environment.push_back(nullptr);

    const int status = posix_spawn(&pid_, UMBERLIN_PHONE_SIM_PATH, &actions, nullptr, argv.data(), environment.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    output_ = pipeEnds[0];
    if (status != 0) {
        close(output_);
        throw std::runtime_error("cannot start " UMBERLIN_PHONE_SIM_PATH);
    }
    fcntl(output_, F_SETFL, fcntl(output_, F_GETFL) | O_NONBLOCK);
}

SimulatorProcess::~SimulatorProcess() {
    stop(3s);
    close(output_);
}

std::optional<int> SimulatorProcess::stop(std::chrono::milliseconds timeout) {
    if (pid_ > 0) kill(pid_, SIGTERM);
    return waitForExit(timeout);
}

std::optional<int> SimulatorProcess::waitForExit(std::chrono::milliseconds timeout) {
    if (pid_ <= 0) return std::nullopt;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            pid_ = -1;
            return std::nullopt;
        }
        readUntil(std::chrono::steady_clock::now() + 20ms);
    }
    pid_ = -1;
    while (readUntil(std::chrono::steady_clock::now() + 100ms)) {
    }
    if (!WIFEXITED(status)) return std::nullopt;
    return WEXITSTATUS(status);
}

bool SimulatorProcess::readUntil(std::chrono::steady_clock::time_point deadline) {
    if (finished_) return false;
    const auto remaining =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd wait{output_, POLLIN, 0};
    poll(&wait, 1, static_cast<int>(std::max<std::int64_t>(0, remaining.count())));
    char chunk[4096];
    for (;;) {
        const ssize_t count = read(output_, chunk, sizeof chunk);
        if (count == 0) {
            finished_ = true;
            return false;
        }
        if (count < 0) return true;
        partialLine_.append(chunk, static_cast<std::size_t>(count));
        std::size_t newline;
        while ((newline = partialLine_.find('\n')) != std::string::npos) {
            lines_.push_back(partialLine_.substr(0, newline));
            partialLine_.erase(0, newline + 1);
        }
    }
}

std::optional<std::string> SimulatorProcess::waitForLine(std::string_view text, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::size_t checked = 0;
    for (;;) {
        for (; checked < lines_.size(); ++checked)
            if (lines_[checked].find(text) != std::string::npos) return lines_[checked];
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        if (!readUntil(deadline) && finished_ && checked == lines_.size()) return std::nullopt;
    }
}

int SimulatorProcess::waitForPort() {
    const std::optional<std::string> line = waitForLine("listening on ", 10s);
    if (!line) throw std::runtime_error("the simulator did not start listening:\n" + output());
    return std::stoi(line->substr(line->rfind(':') + 1));
}

std::string SimulatorProcess::output() const {
    std::string text;
    for (const std::string& line : lines_) text += line + "\n";
    return text + partialLine_;
}

}  // namespace SimulatorTests
