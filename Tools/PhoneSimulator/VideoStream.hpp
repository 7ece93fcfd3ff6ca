#pragma once
// The simulated camera's video: the test picture painted and encoded to HEVC in real time.
// When encoding falls behind, the frames whose time has already passed are skipped, so the
// stream keeps to the clock instead of drifting behind it.

#include <cstdint>
#include <vector>

#include "MediaSupport/HevcEncoder.hpp"
#include "SimulatorOptions.hpp"
#include "TestPicturePainter.hpp"
#include "VideoSource.hpp"

namespace UmberlinTools {

HevcEncoderSettings encoderSettings(const SimulatorOptions& options);

class VideoStream : public VideoSource {
public:
    // Throws what HevcEncoder throws for settings it cannot encode. The clock starts with
    // startClock().
    explicit VideoStream(const SimulatorOptions& options);

    UmberlinWire::VideoConfiguration configuration() const override;

    // Paints and encodes the latest frame that is due by `now`, skipping older due frames.
    std::vector<EncodedFrame> takeDue(SteadyTime now, const SimulatedCamera& camera) override;

private:
    HevcEncoder encoder_;
    TestPicturePainter painter_;
};

// The configuration a phone announces for an encoder's stream.
UmberlinWire::VideoConfiguration videoConfiguration(const HevcEncoderSettings& settings,
                                                    const std::vector<UmberlinWire::Bytes>& parameterSets);

}  // namespace UmberlinTools
