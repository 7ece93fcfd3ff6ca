// The recorder's pure helpers and its diagnostic text.
#include <gtest/gtest.h>

#include "Recording/NetworkVideoRecorderSettings.hpp"
#include "Recording/RecorderTestMedia.hpp"
#include "Recording/RecordingError.hpp"

namespace QuillfenTests {
namespace {

TEST(NetworkVideoRecorderSettings, AacBitRateFollowsTheChannelCount) {
    EXPECT_EQ(Quillfen::audioOutputSettings(testAudioFormat(44100, 1)),
              (UmberlinPlatform::AacOutputSettings{44100, 1, 128000}));
    EXPECT_EQ(Quillfen::audioOutputSettings(testAudioFormat(48000, 2)),
              (UmberlinPlatform::AacOutputSettings{48000, 2, 192000}));
    EXPECT_EQ(Quillfen::audioOutputSettings(testAudioFormat(192000, 6)),
              (UmberlinPlatform::AacOutputSettings{192000, 6, 192000}));
    EXPECT_THROW(Quillfen::audioOutputSettings(nullptr), Quillfen::RecordingError);
}

TEST(NetworkVideoRecorderSettings, RebasingMovesTheTimesAndSharesTheBytes) {
    auto buffer = videoBuffer(5'000'000'000, true);
    auto rebased = Quillfen::rebasedSampleBuffer(*buffer, nanoseconds(4'000'000'000));
    EXPECT_EQ(rebased->presentationTimeStamp(), nanoseconds(1'000'000'000));
    EXPECT_EQ(rebased->duration(), Media::MediaTime::make(1, 30));
    EXPECT_EQ(rebased->dataBuffer(), buffer->dataBuffer());
    EXPECT_EQ(buffer->sampleAttachments()->front().displayImmediately, true);  // the original is untouched

    auto untimed = Media::SampleBuffer::makeReady(buffer->dataBuffer(), nullptr, 1, {}, {}).object;
    try {
        Quillfen::rebasedSampleBuffer(*untimed, nanoseconds(0));
        FAIL() << "a buffer without timing was rebased";
    } catch (const Quillfen::RecordingError& error) {
        EXPECT_EQ(error.localizedDescription(), "A video timestamp could not be prepared (-12736).");
    }
}

TEST(NetworkVideoRecorderSettings, DiagnosticsOfOurOwnErrorsNameTheFileOnlyWhenThereIsOne) {
    const Quillfen::RecordingError error(Quillfen::RecordingError::Kind::invalidTimestamp);
    EXPECT_EQ(Quillfen::diagnosticMessage(error, std::nullopt), "The camera sent a frame with an invalid timestamp.");
    EXPECT_EQ(Quillfen::diagnosticMessage(error, std::filesystem::path("/movies/a.mov")),
              "The camera sent a frame with an invalid timestamp.\nFile: /movies/a.mov");
}

TEST(NetworkVideoRecorderSettings, DiagnosticsOfWriterErrorsCarryTheirTechnicalDetails) {
    const UmberlinPlatform::MovieWriterError error{"NSPOSIXErrorDomain", 13, "Permission denied", "Permission denied",
                                                   nullptr};
    EXPECT_EQ(Quillfen::diagnosticMessage(error, std::nullopt),
              "Permission denied\nTechnical details: NSPOSIXErrorDomain (13)");
}

}  // namespace
}  // namespace QuillfenTests
