#include "MovieWriter/FfmpegLogForwarding.hpp"

#include <cstdarg>
#include <mutex>
#include <string>

#include "Log/DiagnosticLog.hpp"

extern "C" {
#include <libavutil/log.h>
}

namespace UmberlinPlatform {
namespace {

// FFmpeg may hand over a line in pieces; each thread collects its own until the line ends.
thread_local std::string pendingLine;

void forwardMessage(void* context, int level, const char* format, va_list arguments) {
    if (level > av_log_get_level()) return;
    char text[1024];
    int printPrefix = 1;
    av_log_format_line2(context, level, format, arguments, text, sizeof text, &printPrefix);
    pendingLine += text;
    if (pendingLine.empty() || pendingLine.back() != '\n') return;
    pendingLine.pop_back();
    logLine("[Umberlin recording] FFmpeg: " + pendingLine);
    pendingLine.clear();
}

}  // namespace

void forwardFfmpegLogToDiagnostics() {
    static std::once_flag installed;
    std::call_once(installed, [] {
        av_log_set_level(AV_LOG_WARNING);
        av_log_set_callback(forwardMessage);
    });
}

}  // namespace UmberlinPlatform
