// The test picture as a monitor shows it: turning the frame clockwise by the rotation the
// simulator announces must give the upright scene, the focus mark included.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <ostream>
#include <vector>

#include "PhoneSimulator/QuarterTurn.hpp"
#include "PhoneSimulator/TestPicturePainter.hpp"

namespace SimulatorTests {
namespace {

using namespace UmberlinTools;

// One 4:2:0 plane as plain samples.
struct Plane {
    int width = 0;
    int height = 0;
    std::vector<int> samples;

    int at(int x, int y) const { return samples[static_cast<std::size_t>(y) * width + x]; }
    bool operator==(const Plane&) const = default;
};

class OwnedPicture {
public:
    OwnedPicture(int width, int height, int bytesPerSample) {
        picture_.width = width;
        picture_.height = height;
        picture_.bytesPerSample = bytesPerSample;
        for (int plane = 0; plane < 3; ++plane) {
            const int planeWidth = plane == 0 ? width : (width + 1) / 2;
            const int planeHeight = plane == 0 ? height : (height + 1) / 2;
            // A stride wider than the row, as encoders hand out.
            picture_.strides[plane] = planeWidth * bytesPerSample + 32;
            storage_[plane].assign(static_cast<std::size_t>(picture_.strides[plane]) * planeHeight, 0);
            picture_.planes[plane] = storage_[plane].data();
        }
    }

    PlanarPicture& picture() { return picture_; }

    Plane plane(int index) const {
        Plane plane{index == 0 ? picture_.width : (picture_.width + 1) / 2,
                    index == 0 ? picture_.height : (picture_.height + 1) / 2,
                    {}};
        for (int y = 0; y < plane.height; ++y)
            for (int x = 0; x < plane.width; ++x) {
                const std::uint8_t* sample = storage_[index].data() +
                                             static_cast<std::ptrdiff_t>(y) * picture_.strides[index] +
                                             static_cast<std::ptrdiff_t>(x) * picture_.bytesPerSample;
                plane.samples.push_back(picture_.bytesPerSample == 1 ? sample[0] : sample[0] | sample[1] << 8);
            }
        return plane;
    }

private:
    PlanarPicture picture_;
    std::array<std::vector<std::uint8_t>, 3> storage_;
};

// What a monitor shows: the plane turned a quarter clockwise `quarters` times.
Plane turnedClockwise(Plane plane, int quarters) {
    for (int turn = 0; turn < quarters; ++turn) {
        Plane turned{plane.height, plane.width, std::vector<int>(plane.samples.size())};
        for (int y = 0; y < turned.height; ++y)
            for (int x = 0; x < turned.width; ++x)
                turned.samples[static_cast<std::size_t>(y) * turned.width + x] = plane.at(y, plane.height - 1 - x);
        plane = std::move(turned);
    }
    return plane;
}

TestPictureContent contentWithFocus(double x, double y) {
    return {.frameNumber = 1234,
            .secondsSinceStart = 61.5,
            .cameraLine = "AE ISO 100 1/60 EV +0.0 AF",
            .focusPointX = x,
            .focusPointY = y};
}

struct TurnCase {
    int degrees;
    int quarters;
    int bytesPerSample;

    friend void PrintTo(const TurnCase& turn, std::ostream* out) {
        *out << turn.degrees << " degrees, " << turn.bytesPerSample << "-byte samples";
    }
};

class TurnedTestPicture : public testing::TestWithParam<TurnCase> {};

TEST_P(TurnedTestPicture, TurningTheFrameClockwiseShowsTheUprightSceneWithTheFocusMarkWhereItWasAimed) {
    const TurnCase& turn = GetParam();
    const int frameWidth = 320;
    const int frameHeight = 240;
    // A point in the upright view (u, v) and where the monitor aims the phone for it, in frame
    // fractions, for a view turned clockwise by 0, 90, 180 and 270 degrees.
    const double u = 0.25;
    const double v = 0.625;
    const std::array<std::array<double, 2>, 4> aimed = {{{u, v}, {v, 1 - u}, {1 - u, 1 - v}, {1 - v, u}}};

    OwnedPicture frame(frameWidth, frameHeight, turn.bytesPerSample);
    TestPicturePainter(nearestQuarterTurn(turn.degrees))
        .paint(frame.picture(), contentWithFocus(aimed[turn.quarters][0], aimed[turn.quarters][1]));

    const bool portrait = turn.quarters % 2 == 1;
    OwnedPicture upright(portrait ? frameHeight : frameWidth, portrait ? frameWidth : frameHeight, turn.bytesPerSample);
    TestPicturePainter().paint(upright.picture(), contentWithFocus(u, v));

    for (int plane = 0; plane < 3; ++plane)
        EXPECT_TRUE(turnedClockwise(frame.plane(plane), turn.quarters) == upright.plane(plane)) << "plane " << plane;
}

INSTANTIATE_TEST_SUITE_P(Turns, TurnedTestPicture,
                         testing::Values(TurnCase{0, 0, 1}, TurnCase{90, 1, 1}, TurnCase{180, 2, 1},
                                         TurnCase{270, 3, 1}, TurnCase{90, 1, 2}, TurnCase{270, 3, 2},
                                         // Other angles snap to the nearest quarter turn.
                                         TurnCase{-90, 3, 1}, TurnCase{45, 1, 1}, TurnCase{44, 0, 1},
                                         TurnCase{-135, 2, 1}, TurnCase{405, 1, 1}),
                         [](const auto& info) {
                             const TurnCase& turn = info.param;
                             return (turn.degrees < 0 ? "Minus" + std::to_string(-turn.degrees)
                                                      : std::to_string(turn.degrees)) +
                                    "Degrees" + std::to_string(turn.bytesPerSample == 1 ? 8 : 10) + "Bit";
                         });

TEST(TurnedTestPicture, APortraitSceneKeepsTheLandscapeProportions) {
    // The scene's sizes follow its shorter side: the red corner is as large upright as turned.
    OwnedPicture landscape(320, 240, 1);
    TestPicturePainter().paint(landscape.picture(), contentWithFocus(0.5, 0.5));
    OwnedPicture turned(320, 240, 1);
    TestPicturePainter(QuarterTurn::clockwise90).paint(turned.picture(), contentWithFocus(0.5, 0.5));

    const Plane landscapeV = landscape.plane(2);
    const Plane turnedV = turned.plane(2);
    // Red (high V) runs along the top edge upright, and up the left edge from the bottom turned.
    int uprightSide = 0;
    while (uprightSide < landscapeV.width && landscapeV.at(uprightSide, 0) > 200) ++uprightSide;
    int turnedSide = 0;
    while (turnedSide < turnedV.height && turnedV.at(0, turnedV.height - 1 - turnedSide) > 200) ++turnedSide;
    EXPECT_GT(uprightSide, 0);
    EXPECT_EQ(turnedSide, uprightSide);
}

}  // namespace
}  // namespace SimulatorTests
