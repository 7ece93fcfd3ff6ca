#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "Log/DiagnosticLog.hpp"
#include "Log/LogCapture.hpp"

using namespace UmberlinPlatform;

TEST(DiagnosticLog, CaptureSeesEveryLineFromSeveralThreadsWhole) {
    ScopedLogCapture capture;
    std::vector<std::thread> threads;
    for (int thread = 0; thread < 4; ++thread) {
        threads.emplace_back([thread] {
            for (int line = 0; line < 50; ++line) {
                logLine("[Umberlin stream] thread " + std::to_string(thread) + " line " + std::to_string(line));
            }
        });
    }
    for (std::thread& thread : threads) thread.join();

    const std::vector<std::string> lines = capture.lines();
    ASSERT_EQ(lines.size(), 200u);
    EXPECT_TRUE(capture.contains("thread 3 line 49"));
    for (const std::string& line : lines) EXPECT_EQ(line.rfind("[Umberlin stream] thread ", 0), 0u) << line;
}
