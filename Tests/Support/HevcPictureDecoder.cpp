#include "Support/HevcPictureDecoder.hpp"

#include "Media/HevcConfigurationRecord.hpp"

#include "Video/HevcDecoder.hpp"

#include <cstring>

namespace SimulatorTests {
namespace {

using namespace UmberlinWire;

DecodedPicture copyPicture(const Video::DecodedVideoFrame& frame) {
    DecodedPicture picture;
    picture.width = frame.width();
    picture.height = frame.height();
    picture.bitDepth = frame.bitDepth();
    const bool wide = frame.bytesPerSample() == 2;
    for (int plane = 0; plane < 3; ++plane) {
        for (int row = 0; row < frame.planeHeight(plane); ++row) {
            const std::uint8_t* line =
                frame.planeData(plane) + static_cast<std::ptrdiff_t>(row) * frame.planeStride(plane);
            for (int column = 0; column < frame.planeWidth(plane); ++column) {
                std::uint16_t value = line[column];
                if (wide) std::memcpy(&value, line + 2 * column, 2);  // native order, as libavcodec gives it
                picture.planes[plane].push_back(value);
            }
        }
    }
    return picture;
}

}  // namespace

int DecodedPicture::sample8(int plane, int x, int y) const {
    const int planeWidth = plane == 0 ? width : (width + 1) / 2;
    if (plane != 0) {
        x /= 2;
        y /= 2;
    }
    const int value = planes[plane][static_cast<std::size_t>(y) * planeWidth + x];
    return value >> (bitDepth - 8);
}

std::optional<DecodedPicture> decodePicture(const VideoConfiguration& configuration, ByteView accessUnit) {
    // The decoder reads only the length size and the parameter sets from the record, so the
    // default picture traits serve every bit depth.
    const std::optional<Bytes> record = Media::makeHevcConfigurationRecord(
        configuration.parameterSets, static_cast<int>(configuration.nalUnitHeaderLength), Media::HevcPictureTraits{});
    const auto decoder = record ? Video::HevcDecoder::open(*record) : nullptr;
    std::vector<Video::DecodedVideoFrameRef> pictures;
    if (!decoder || !decoder->decode(accessUnit, 0, pictures) || !decoder->drain(pictures) || pictures.empty()) {
        return std::nullopt;
    }
    return copyPicture(*pictures.front());
}

}  // namespace SimulatorTests
