#pragma once
// FFmpeg's own messages go to the diagnostic log as "[Umberlin recording] FFmpeg: ..." lines
// instead of straight to standard error, so they are collapsed and bounded like every other
// diagnostic. Its informational lines (the AAC encoder's statistics at the end of every movie)
// would read as problems among our diagnostics: only warnings and errors are kept.

namespace UmberlinPlatform {

// Installs the forwarding for the whole process; calling it again changes nothing.
void forwardFfmpegLogToDiagnostics();

}  // namespace UmberlinPlatform
