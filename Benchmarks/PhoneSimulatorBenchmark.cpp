// What one simulated camera frame costs: painting the test picture and encoding it to HEVC
// (libx265 "ultrafast", zero latency), per frame, in wall time and in CPU time of all threads.
// A frame rate keeps up on one core when the CPU time per frame stays under the frame period
// (33.3 ms at 30 fps). The rotated cases paint the scene turned in the frame, as for a phone
// held upright.
//
//   PhoneSimulatorBenchmark [FRAMES]   (default 90 per configuration)

#include <time.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "MediaSupport/HevcEncoder.hpp"
#include "PhoneSimulator/QuarterTurn.hpp"
#include "PhoneSimulator/SimulatedCamera.hpp"
#include "PhoneSimulator/TestPicturePainter.hpp"

using namespace UmberlinTools;

namespace {

double processCpuMilliseconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

double wallMilliseconds() {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void measure(int width, int height, int bitDepth, int frames, int rotationDegrees = 0) {
    HevcEncoder encoder({.width = width,
                         .height = height,
                         .framesPerSecond = 30,
                         .bitDepth = bitDepth,
                         .keyFrameInterval = 30,
                         .bitRate = 8'000'000,
                         .nalUnitHeaderLength = 4});
    const TestPicturePainter painter(nearestQuarterTurn(rotationDegrees));
    const SimulatedCamera camera;
    double paintWall = 0;
    double paintCpu = 0;
    std::size_t bytes = 0;
    const double startWall = wallMilliseconds();
    const double startCpu = processCpuMilliseconds();
    for (int frame = 0; frame < frames; ++frame) {
        const double paintStartWall = wallMilliseconds();
        const double paintStartCpu = processCpuMilliseconds();
        painter.paint(encoder.nextPicture(), {.frameNumber = frame,
                                              .secondsSinceStart = frame / 30.0,
                                              .cameraLine = camera.summary(),
                                              .focusPointX = std::nullopt,
                                              .focusPointY = std::nullopt});
        paintWall += wallMilliseconds() - paintStartWall;
        paintCpu += processCpuMilliseconds() - paintStartCpu;
        for (const EncodedFrame& encoded : encoder.encode(frame * 33'333'333LL)) bytes += encoded.accessUnit.size();
    }
    const double totalWall = wallMilliseconds() - startWall;
    const double totalCpu = processCpuMilliseconds() - startCpu;
    std::printf(
        "%5dx%-5d %2d-bit %3d deg  paint %6.2f ms (cpu %6.2f)  paint+encode %7.2f ms (cpu %7.2f)"
        "  %6.1f kB/frame\n",
        width, height, bitDepth, rotationDegrees, paintWall / frames, paintCpu / frames, totalWall / frames,
        totalCpu / frames, bytes / 1024.0 / frames);
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 90;
    std::printf("per frame, mean of %d frames (30 fps needs under 33.3 ms of CPU time on one core)\n", frames);
    measure(640, 360, 8, frames);
    measure(1280, 720, 8, frames);
    measure(1920, 1080, 8, frames);
    measure(1920, 1080, 10, frames);
    measure(1920, 1080, 8, frames, 90);  // a portrait scene turned into the frame
    measure(1920, 1080, 10, frames, 270);
    measure(3840, 2160, 8, std::max(1, frames / 3));
}
