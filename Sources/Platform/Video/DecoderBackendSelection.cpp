#include "Video/DecoderBackendSelection.hpp"

#include <string>

#include "Log/DiagnosticLog.hpp"
#include "Video/HevcDecoder.hpp"

namespace Video {
namespace {

void logChoice(DecodingBackend backend, const std::string& reason) {
    std::string line = "[Umberlin preview] " + std::string(decodingBackendDescription(backend));
    if (!reason.empty()) line += " (" + reason + ")";
    UmberlinPlatform::logLine(line + ".");
}

}  // namespace

DecoderBackendSelection::DecoderBackendSelection(std::shared_ptr<HardwareDecodingProbe> hardware)
    : hardware_(std::move(hardware)) {}

bool DecoderBackendSelection::open(const std::vector<std::uint8_t>& hevcConfigurationRecord) {
    configurationRecord_ = hevcConfigurationRecord;
    decoder_.reset();
    sinceKeyFrame_.clear();
    auto offer = hardware_->offer(configurationRecord_);
    if (offer.decoder) {
        decoder_ = std::move(offer.decoder);
        backend_ = DecodingBackend::vaapi;
        logChoice(backend_, {});
        return true;
    }
    logChoice(DecodingBackend::software, offer.reason);
    return openSoftware();
}

bool DecoderBackendSelection::openSoftware() {
    decoder_ = HevcDecoder::open(configurationRecord_);
    backend_ = DecodingBackend::software;
    sinceKeyFrame_.clear();
    return decoder_ != nullptr;
}

bool DecoderBackendSelection::decode(const Media::SampleBufferRef& sample, std::int64_t presentationTimeNanoseconds,
                                     std::vector<DecodedVideoFrameRef>& pictures) {
    if (!decoder_ || !sample) return false;
    if (backend_ == DecodingBackend::software) {
        return decoder_->decode(sample->dataBuffer()->bytes(), presentationTimeNanoseconds, pictures);
    }
    if (sample->isKeyFrame()) sinceKeyFrame_.clear();
    sinceKeyFrame_.push_back(sample);
    const auto pictureCount = pictures.size();
    if (decoder_->decode(sample->dataBuffer()->bytes(), presentationTimeNanoseconds, pictures)) return true;
    pictures.resize(pictureCount);  // nothing of a failed unit is shown
    return continueInSoftware(presentationTimeNanoseconds, pictures);
}

bool DecoderBackendSelection::continueInSoftware(std::int64_t presentationTimeNanoseconds,
                                                 std::vector<DecodedVideoFrameRef>& pictures) {
    logChoice(DecodingBackend::software, "VAAPI hardware decoding failed in the middle of the stream");
    const auto units = std::move(sinceKeyFrame_);
    if (!openSoftware() || units.empty() || !units.front()->isKeyFrame()) return false;
    std::vector<DecodedVideoFrameRef> caughtUp;
    for (std::size_t index = 0; index + 1 < units.size(); ++index) {
        if (!decoder_->decode(units[index]->dataBuffer()->bytes(), 0, caughtUp)) return false;
        caughtUp.clear();
    }
    return decoder_->decode(units.back()->dataBuffer()->bytes(), presentationTimeNanoseconds, pictures);
}

void DecoderBackendSelection::flush() {
    if (decoder_) decoder_->flush();
    sinceKeyFrame_.clear();
}

}  // namespace Video
