#pragma once
// A copy of the video a session sends, as an Annex B HEVC byte stream (what ffmpeg and ffplay
// read with "-f hevc"), written to a file or a named pipe so that another player can show the
// same stream. Each connection writes it from the start: the parameter sets, then every frame.
// Opening a named pipe waits for its reader.
//
// Writing happens on a thread of its own, so a slow reader never holds up the session: when more
// than a second of frames waits, frames are dropped up to the next key frame, as a phone drops
// what a slow client cannot take. A write that fails (the reader went away) ends the copy.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "UmberlinWire/WireProtocol.hpp"

namespace UmberlinTools {

class AnnexBCopy {
public:
    // Throws std::runtime_error when `path` cannot be opened for writing.
    AnnexBCopy(const std::string& path, int framesPerSecond);
    // Writes what waits, then closes.
    ~AnnexBCopy();
    AnnexBCopy(const AnnexBCopy&) = delete;
    AnnexBCopy& operator=(const AnnexBCopy&) = delete;

    void writeParameterSets(const std::vector<UmberlinWire::Bytes>& parameterSets);
    // An access unit of NAL units behind big-endian lengths of `prefixLength` bytes.
    void writeFrame(UmberlinWire::ByteView accessUnit, int prefixLength, bool keyFrame);

private:
    void queue(const std::vector<UmberlinWire::ByteView>& units);
    void writeWaiting();

    std::string path_;
    int descriptor_ = -1;
    std::size_t maximumWaiting_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<UmberlinWire::Bytes> waiting_;
    bool droppingToKeyFrame_ = false;
    bool finishing_ = false;
    bool ended_ = false;  // a write failed
    std::int64_t dropped_ = 0;
    std::thread writer_;
};

}  // namespace UmberlinTools
