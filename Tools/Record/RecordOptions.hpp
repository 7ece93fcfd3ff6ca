#pragma once
// The command line of umberlin-record.

#include <filesystem>
#include <optional>
#include <string>
#include <variant>

namespace UmberlinRecord {

struct RecordOptions {
    bool list = false;
    std::optional<std::string> source;            // the phone's advertised name
    std::optional<std::filesystem::path> folder;  // for this run only
    std::optional<double> seconds;                // none: until stopped
    double waitSeconds = 30;                      // for a phone to go live; for --list, how long to browse
};

struct HelpRequested {};
struct UsageError {
    std::string message;
};

std::variant<RecordOptions, HelpRequested, UsageError> parseRecordOptions(int argc, const char* const* argv);

extern const char* const recordUsage;

}  // namespace UmberlinRecord
