#include "ClipCache.hpp"

#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

extern "C" {
#include <libavutil/md5.h>
}

#include "EventLog.hpp"
#include "QuarterTurn.hpp"
#include "VideoStream.hpp"

namespace UmberlinTools {
namespace {

constexpr std::string_view magic = "UMBERLIN-CLIP 1\n";
constexpr std::size_t digestSize = 16;

using Digest = std::array<std::uint8_t, digestSize>;

Digest md5Of(const std::uint8_t* data, std::size_t size) {
    Digest digest;
    av_md5_sum(digest.data(), data, size);
    return digest;
}

void appendCount(UmberlinWire::Bytes& out, std::size_t count) {
    if (count > UINT32_MAX) throw ClipFileError("a clip part is larger than 4 GiB");
    for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<std::uint8_t>(count >> shift));
}

void appendPart(UmberlinWire::Bytes& out, UmberlinWire::ByteView part) {
    appendCount(out, part.size());
    out.insert(out.end(), part.begin(), part.end());
}

// Reads the parts back in order; every read is checked against the end.
class PartReader {
public:
    explicit PartReader(UmberlinWire::ByteView bytes) : bytes_(bytes) {}

    std::size_t count() {
        const UmberlinWire::ByteView field = take(4);
        std::size_t value = 0;
        for (int index = 3; index >= 0; --index) value = (value << 8) | field[static_cast<std::size_t>(index)];
        return value;
    }
    std::uint8_t byte() { return take(1)[0]; }
    UmberlinWire::ByteView part() { return take(count()); }
    bool atEnd() const { return offset_ == bytes_.size(); }

private:
    UmberlinWire::ByteView take(std::size_t size) {
        if (bytes_.size() - offset_ < size) throw ClipFileError("it ends inside a part");
        const UmberlinWire::ByteView taken = bytes_.subspan(offset_, size);
        offset_ += size;
        return taken;
    }

    UmberlinWire::ByteView bytes_;
    std::size_t offset_ = 0;
};

UmberlinWire::Bytes toBytes(UmberlinWire::ByteView view) { return {view.begin(), view.end()}; }

}  // namespace

std::filesystem::path clipCacheFolder() {
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache != nullptr && cache[0] == '/')
        return std::filesystem::path(cache) / "umberlin-phone-sim";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home != nullptr && home[0] != '\0' ? home : "/tmp") / ".cache" / "umberlin-phone-sim";
}

std::string clipCacheKey(const SimulatorOptions& options) {
    return std::to_string(options.width) + "x" + std::to_string(options.height) + "-" +
           std::to_string(options.bitDepth) + "bit-" + std::to_string(options.framesPerSecond) + "fps-" +
           std::to_string(options.bitRate) + "bps-key" + std::to_string(options.keyFrameInterval) + "-nal" +
           std::to_string(options.nalUnitHeaderLength) + "-turn" +
           std::to_string(static_cast<int>(nearestQuarterTurn(options.rotationDegrees))) + "-" +
           std::to_string(options.preEncodedSeconds) + "s" + (options.exposureChart ? "-chart" : "");
}

void writeClipFile(const std::filesystem::path& file, const std::string& key, const PreEncodedClip& clip) {
    UmberlinWire::Bytes bytes(magic.begin(), magic.end());
    appendPart(bytes, {reinterpret_cast<const std::uint8_t*>(key.data()), key.size()});
    appendCount(bytes, clip.parameterSets.size());
    for (const UmberlinWire::Bytes& set : clip.parameterSets) appendPart(bytes, set);
    appendCount(bytes, clip.frames.size());
    for (const EncodedFrame& frame : clip.frames) {
        bytes.push_back(frame.keyFrame ? 1 : 0);
        appendPart(bytes, frame.accessUnit);
    }
    const Digest digest = md5Of(bytes.data(), bytes.size());
    bytes.insert(bytes.end(), digest.begin(), digest.end());

    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    const std::filesystem::path partial = file.string() + ".partial-" + std::to_string(::getpid());
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out.flush()) {
            std::filesystem::remove(partial, error);
            throw ClipFileError("cannot write " + partial.string());
        }
    }
    std::filesystem::rename(partial, file, error);
    if (error) {
        std::filesystem::remove(partial, error);
        throw ClipFileError("cannot rename " + partial.string() + " to " + file.string());
    }
}

PreEncodedClip readClipFile(const std::filesystem::path& file, const std::string& key,
                            const HevcEncoderSettings& settings) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw ClipFileError("there is none");
    const UmberlinWire::Bytes bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (bytes.size() < magic.size() + digestSize || std::memcmp(bytes.data(), magic.data(), magic.size()) != 0)
        throw ClipFileError("it is not a clip file of this version");
    const std::size_t contentSize = bytes.size() - digestSize;
    if (std::memcmp(md5Of(bytes.data(), contentSize).data(), bytes.data() + contentSize, digestSize) != 0)
        throw ClipFileError("its checksum does not match (cut short or damaged)");

    PartReader reader(UmberlinWire::ByteView(bytes).subspan(magic.size(), contentSize - magic.size()));
    const UmberlinWire::ByteView storedKey = reader.part();
    if (std::string(storedKey.begin(), storedKey.end()) != key) throw ClipFileError("it holds other settings");
    PreEncodedClip clip{.settings = settings, .parameterSets = {}, .frames = {}};
    for (std::size_t count = reader.count(); count > 0; --count) clip.parameterSets.push_back(toBytes(reader.part()));
    const std::int64_t period = 1'000'000'000LL / settings.framesPerSecond;
    for (std::size_t count = reader.count(); count > 0; --count) {
        const bool keyFrame = reader.byte() != 0;
        const auto time = static_cast<std::int64_t>(clip.frames.size()) * period;
        clip.frames.push_back(EncodedFrame{toBytes(reader.part()), keyFrame, time});
    }
    if (!reader.atEnd()) throw ClipFileError("bytes follow the last frame");
    if (clip.parameterSets.size() != 3 || clip.frames.empty() || !clip.frames.front().keyFrame)
        throw ClipFileError("it lacks parameter sets or an opening key frame");
    return clip;
}

std::shared_ptr<const PreEncodedClip> loadOrEncodeClip(const SimulatorOptions& options) {
    const std::string key = clipCacheKey(options);
    const std::filesystem::path file = clipCacheFolder() / (key + ".clip");
    try {
        auto clip = std::make_shared<const PreEncodedClip>(readClipFile(file, key, encoderSettings(options)));
        logEvent("playing the pre-encoded clip " + file.string());
        return clip;
    } catch (const ClipFileError& error) {
        logEvent("no usable pre-encoded clip at " + file.string() + " (" + error.what() + "); encoding " +
                 std::to_string(options.preEncodedSeconds) + " s once");
    }
    const auto started = std::chrono::steady_clock::now();
    auto clip = std::make_shared<const PreEncodedClip>(encodeClip(options));
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", took);
    try {
        writeClipFile(file, key, *clip);
        logEvent("encoded the clip in " + std::string(seconds) + " s; cached in " + file.string());
    } catch (const ClipFileError& error) {
        logEvent("encoded the clip in " + std::string(seconds) + " s; not cached: " + error.what());
    }
    return clip;
}

}  // namespace UmberlinTools
