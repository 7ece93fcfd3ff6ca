#include "Support/SimulatorVideoSamples.hpp"

#include <array>
#include <cstring>
#include <stdexcept>

#include "MediaSupport/HevcEncoder.hpp"
#include "PhoneSimulator/TestPicturePainter.hpp"

namespace SimulatorTests {
namespace {

Media::SampleBufferRef sampleOf(const UmberlinTools::EncodedFrame& frame,
                                const std::shared_ptr<const Media::VideoFormatDescription>& format) {
    auto block = Media::BlockBuffer::createWithMemoryBlock(frame.accessUnit.size());
    if (!block.succeeded()) throw std::runtime_error("no block for an access unit");
    block.object->replaceDataBytes(frame.accessUnit, 0);
    const std::array timing{Media::SampleTimingInfo{
        .duration = Media::MediaTime::make(1, 30),
        .presentationTimeStamp = Media::MediaTime::make(frame.presentationTimeNanoseconds, 1'000'000'000),
        .decodeTimeStamp = Media::MediaTime::invalid(),
    }};
    const std::array sizes{frame.accessUnit.size()};
    auto sample = Media::SampleBuffer::createReady(block.object, format, 1, timing, sizes);
    if (!sample.succeeded()) throw std::runtime_error("no sample buffer for an access unit");
    if (!frame.keyFrame) sample.object->sampleAttachments(true)->front().notSync = true;
    return sample.object;
}

}  // namespace

SimulatorVideo encodeSimulatorVideo(const SimulatorVideoSettings& settings) {
    UmberlinTools::HevcEncoder encoder({.width = settings.width,
                                        .height = settings.height,
                                        .bitDepth = settings.bitDepth,
                                        .keyFrameInterval = settings.keyFrameInterval});
    const UmberlinTools::TestPicturePainter painter(settings.contentTurn);
    SimulatorVideo video;
    auto format = Media::VideoFormatDescription::createFromHevcParameterSets(encoder.parameterSets(), 4);
    if (!format.succeeded()) throw std::runtime_error("the encoder's parameter sets make no format");
    video.format = format.object;

    std::vector<UmberlinTools::EncodedFrame> frames;
    for (int index = 0; index < settings.frameCount; ++index) {
        UmberlinTools::TestPictureContent content;
        content.frameNumber = index;
        content.secondsSinceStart = index / 30.0;
        painter.paint(encoder.nextPicture(), content);
        for (auto& frame : encoder.encode(index * 33'333'333LL)) frames.push_back(std::move(frame));
    }
    for (auto& frame : encoder.flush()) frames.push_back(std::move(frame));
    for (const auto& frame : frames) video.samples.push_back(sampleOf(frame, video.format));
    return video;
}

}  // namespace SimulatorTests
