#include "Video/VaapiDecodingProbe.hpp"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/buffer.h>
#include <libavutil/hwcontext.h>
}

#include <algorithm>
#include <system_error>
#include <vector>

#include "Video/HevcDecoder.hpp"

namespace Video {
namespace {

bool hevcDecoderHasVaapi() {
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_HEVC);
    for (int index = 0; codec != nullptr; ++index) {
        const AVCodecHWConfig* config = avcodec_get_hw_config(codec, index);
        if (config == nullptr) return false;
        if (config->device_type == AV_HWDEVICE_TYPE_VAAPI &&
            (config->methods & AV_CODEC_HW_CONFIG_METHOD_HW_DEVICE_CTX) != 0) {
            return true;
        }
    }
    return false;
}

std::vector<std::filesystem::path> renderNodes(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> nodes;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.path().filename().string().starts_with("renderD")) nodes.push_back(entry.path());
    }
    std::sort(nodes.begin(), nodes.end());
    return nodes;
}

}  // namespace

VaapiDecodingProbe::VaapiDecodingProbe(std::filesystem::path deviceFolder) : deviceFolder_(std::move(deviceFolder)) {}

VaapiDecodingProbe::~VaapiDecodingProbe() { av_buffer_unref(&device_); }

bool VaapiDecodingProbe::openDevice() {
    if (device_ != nullptr) return true;
    if (deviceFailure_) return false;
    if (!hevcDecoderHasVaapi()) {
        deviceFailure_ = "this FFmpeg decodes HEVC without VAAPI";
        return false;
    }
    const auto nodes = renderNodes(deviceFolder_);
    if (nodes.empty()) {
        deviceFailure_ = "no graphics render node in " + deviceFolder_.string();
        return false;
    }
    for (const auto& node : nodes) {
        if (av_hwdevice_ctx_create(&device_, AV_HWDEVICE_TYPE_VAAPI, node.c_str(), nullptr, 0) >= 0) {
            deviceName_ = node.string();
            return true;
        }
    }
    deviceFailure_ = "no VAAPI driver opens " + nodes.front().string();
    return false;
}

HardwareDecoderOffer VaapiDecodingProbe::offer(std::span<const std::uint8_t> hevcConfigurationRecord) {
    if (!openDevice()) return {nullptr, *deviceFailure_};
    auto decoder = HevcDecoder::openOnVaapi(hevcConfigurationRecord, *device_);
    if (!decoder) return {nullptr, "the VAAPI device " + deviceName_ + " does not decode this stream's format"};
    return {std::move(decoder), {}};
}

}  // namespace Video
