#pragma once
// The command line of umberlin-record.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>

namespace UmberlinRecord {

struct RecordOptions {
    bool list = false;
    bool recoverOnly = false;                     // --recover: recovery at start, then exit
    std::optional<std::string> source;            // the phone's advertised name
    std::optional<std::string> address;           // "host:port" of a phone reached without discovery
    std::optional<std::filesystem::path> folder;  // for this run only
    std::optional<double> seconds;                // none: until stopped
    double waitSeconds = 30;                      // for a phone to go live; for --list, how long to browse
    // The least free space before a warning and before the recording is stopped, in bytes; the
    // margins grow with the data rate above these. Both 0: no warning and no stop.
    std::uintmax_t warningMarginBytes = 2'000'000'000;
    std::uintmax_t stopMarginBytes = 200'000'000;
};

struct HelpRequested {};
struct UsageError {
    std::string message;
};

std::variant<RecordOptions, HelpRequested, UsageError> parseRecordOptions(int argc, const char* const* argv);

extern const char* const recordUsage;

}  // namespace UmberlinRecord
