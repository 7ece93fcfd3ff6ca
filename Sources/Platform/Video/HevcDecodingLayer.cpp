#include "Video/HevcDecodingLayer.hpp"

#include <cmath>

namespace Video {
namespace {

std::int64_t presentationTimeNanoseconds(const Media::SampleBuffer& sample) {
    const Media::MediaTime time = sample.presentationTimeStamp();
    if (!time.isValid()) return 0;
    if (time.timeScale == 1'000'000'000) return time.value;
    return std::llround(time.seconds() * 1e9);
}

bool sameFormat(const std::shared_ptr<const Media::VideoFormatDescription>& left,
                const std::shared_ptr<const Media::VideoFormatDescription>& right) {
    return left == right || (left && right && *left == *right);
}

}  // namespace

HevcDecodingLayer::HevcDecodingLayer(std::shared_ptr<VideoFrameMailbox> screen,
                                     std::shared_ptr<HardwareDecodingProbe> hardware)
    : screen_(std::move(screen)), decoder_(std::move(hardware)) {}

void HevcDecodingLayer::enqueue(const Media::SampleBufferRef& sample) {
    if (status_ == DecodingStatus::failed || requiresFlush_ || !sample) return;
    const bool keyFrame = sample->isKeyFrame();
    const auto format = sample->videoFormatDescription();
    if (!decoderIsOpen_ || !sameFormat(format, format_)) {
        if (!keyFrame) {
            requiresFlush_ = decoderIsOpen_;
            return;
        }
        if (!openDecoder(format)) {
            status_ = DecodingStatus::failed;
            return;
        }
    }
    if (awaitingKeyFrame_ && !keyFrame) return;
    awaitingKeyFrame_ = false;

    pictures_.clear();
    if (!decoder_.decode(sample, presentationTimeNanoseconds(*sample), pictures_)) {
        status_ = DecodingStatus::failed;
        return;
    }
    for (auto& picture : pictures_) screen_->deliver(std::move(picture));
    if (!pictures_.empty()) status_ = DecodingStatus::rendering;
}

bool HevcDecodingLayer::openDecoder(const std::shared_ptr<const Media::VideoFormatDescription>& format) {
    format_ = format;
    awaitingKeyFrame_ = true;
    decoderIsOpen_ = format && decoder_.open(format->decoderConfigurationRecord());
    return decoderIsOpen_;
}

void HevcDecodingLayer::flush() {
    decoder_.flush();
    status_ = DecodingStatus::unknown;
    requiresFlush_ = false;
    awaitingKeyFrame_ = true;
}

void HevcDecodingLayer::flushAndRemoveImage() {
    flush();
    screen_->deliver(nullptr);
}

}  // namespace Video
