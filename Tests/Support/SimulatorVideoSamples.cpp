#include "Support/SimulatorVideoSamples.hpp"

#include <array>
#include <cstring>
#include <stdexcept>

#include "MediaSupport/HevcEncoder.hpp"
#include "PhoneSimulator/TestPicturePainter.hpp"

namespace SimulatorTests {
namespace {

Media::SampleBufferRef sampleOf(const UmberlinTools::EncodedFrame& frame,
                                const std::shared_ptr<const Media::VideoFormatDescription>& format,
                                int framesPerSecond) {
    auto block = Media::BlockBuffer::makeWithMemoryBlock(frame.accessUnit.size());
    if (!block.succeeded()) throw std::runtime_error("no block for an access unit");
    block.object->replaceDataBytes(frame.accessUnit, 0);
    const std::array timing{Media::SampleTimingInfo{
        .duration = Media::MediaTime::make(1, framesPerSecond),
        .presentationTimeStamp = Media::MediaTime::make(frame.presentationTimeNanoseconds, 1'000'000'000),
        .decodeTimeStamp = Media::MediaTime::invalid(),
    }};
    const std::array sizes{frame.accessUnit.size()};
    auto sample = Media::SampleBuffer::makeReady(block.object, format, 1, timing, sizes);
    if (!sample.succeeded()) throw std::runtime_error("no sample buffer for an access unit");
    if (!frame.keyFrame) sample.object->sampleAttachments(true)->front().notSync = true;
    return sample.object;
}

}  // namespace

SimulatorVideo encodeSimulatorVideo(const SimulatorVideoSettings& settings) {
    UmberlinTools::HevcEncoder encoder({.width = settings.width,
                                        .height = settings.height,
                                        .framesPerSecond = settings.framesPerSecond,
                                        .bitDepth = settings.bitDepth,
                                        .keyFrameInterval = settings.keyFrameInterval,
                                        .bitRate = settings.bitRate,
                                        .nalUnitHeaderLength = settings.nalUnitHeaderLength});
    const UmberlinTools::TestPicturePainter painter(settings.contentTurn);
    SimulatorVideo video;
    auto format =
        Media::VideoFormatDescription::makeFromHevcParameterSets(encoder.parameterSets(), settings.nalUnitHeaderLength);
    if (!format.succeeded()) throw std::runtime_error("the encoder's parameter sets make no format");
    video.format = format.object;

    std::vector<UmberlinTools::EncodedFrame> frames;
    for (int index = 0; index < settings.frameCount; ++index) {
        UmberlinTools::TestPictureContent content;
        content.frameNumber = index;
        content.secondsSinceStart = static_cast<double>(index) / settings.framesPerSecond;
        painter.paint(encoder.nextPicture(), content);
        for (auto& frame : encoder.encode(index * 1'000'000'000LL / settings.framesPerSecond))
            frames.push_back(std::move(frame));
    }
    for (auto& frame : encoder.flush()) frames.push_back(std::move(frame));
    for (const auto& frame : frames) {
        video.samples.push_back(sampleOf(frame, video.format, settings.framesPerSecond));
        video.accessUnits.push_back(frame.accessUnit);
    }
    return video;
}

}  // namespace SimulatorTests
