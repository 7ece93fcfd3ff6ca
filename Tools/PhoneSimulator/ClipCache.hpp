#pragma once
// Pre-encoded clips kept on disk, one file per set of encoder settings, so that only the first
// run with those settings pays for the encoding. A file that does not read back whole and
// unchanged (cut short by a crash, overwritten, from another version) is encoded again.
//
// File: "UMBERLIN-CLIP 1\n", then the settings key, the parameter sets and the frames (a key-frame
// byte and the access unit), each length a 32-bit little-endian count, and last the MD5 of
// everything before it.

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "PreEncodedClip.hpp"
#include "SimulatorOptions.hpp"

namespace UmberlinTools {

// A clip file that cannot be used; what() says why.
class ClipFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// $XDG_CACHE_HOME/umberlin-phone-sim, or ~/.cache/umberlin-phone-sim.
std::filesystem::path clipCacheFolder();

// Names everything the encoded clip depends on, e.g. "3840x2160-10bit-30fps-20000000bps-key30-nal4-turn0-10s".
std::string clipCacheKey(const SimulatorOptions& options);

// Writes beside `file` and renames, so the file is either whole or absent. Throws ClipFileError.
void writeClipFile(const std::filesystem::path& file, const std::string& key, const PreEncodedClip& clip);

// Throws ClipFileError for a missing, cut short, damaged or other-key file.
PreEncodedClip readClipFile(const std::filesystem::path& file, const std::string& key,
                            const HevcEncoderSettings& settings);

// The clip for `options` from the cache, or encoded (and cached when the folder can be written).
std::shared_ptr<const PreEncodedClip> loadOrEncodeClip(const SimulatorOptions& options);

}  // namespace UmberlinTools
