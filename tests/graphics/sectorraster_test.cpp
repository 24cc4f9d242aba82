// The exact sector and disc filler against a per-pixel test by angle and distance.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "graphics/draw/sectorraster.hpp"

namespace ruvo {
namespace {

constexpr double kTurn = 2 * std::numbers::pi;

enum class TVerdict { Out, In, Edge };

// Whether a pixel centre lies inside (by angle and distance), or too near an edge to say.
TVerdict Reference(int x, int y, double cx, double cy, double radius, double start, double sweep) {
    const double dx = x + 0.5 - cx, dy = y + 0.5 - cy, d = std::hypot(dx, dy);
    if (std::abs(d - radius) < 1e-9)
        return TVerdict::Edge;
    if (d > radius)
        return TVerdict::Out;
    if (std::abs(sweep) >= kTurn)
        return TVerdict::In;
    if (d < 1e-9)
        return TVerdict::Edge;
    if (sweep < 0)
        start += sweep, sweep = -sweep;
    const double from = std::remainder(std::atan2(dy, dx) - start, kTurn);  // -pi .. pi
    const double along = from < 0 ? from + kTurn : from;
    // The edges themselves: within a tiny arc of either one.
    const double slack = 1e-9 / std::max(d, 1.0);
    if (along < slack || kTurn - along < slack || std::abs(along - sweep) < slack)
        return TVerdict::Edge;
    return along < sweep ? TVerdict::In : TVerdict::Out;
}

::testing::AssertionResult MatchesReference(int w, int h, double cx, double cy, double radius, double start,
                                            double sweep) {
    std::vector<uint8_t> bytes(size_t(w) * h, 0);
    FillSector(TByteRaster{bytes.data(), w, h}, cx, cy, radius, start, sweep, 255);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const TVerdict v = Reference(x, y, cx, cy, radius, start, sweep);
            const uint8_t got = bytes[size_t(y) * w + x];
            if (v != TVerdict::Edge && got != (v == TVerdict::In ? 255 : 0))
                return ::testing::AssertionFailure()
                       << "pixel (" << x << "," << y << ") is " << int(got) << " for start " << start << " sweep "
                       << sweep << " radius " << radius;
        }
    return ::testing::AssertionSuccess();
}

TEST(SectorRaster, RandomSectorsAndDiscsMatchThePixelCentreRule) {
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> angle(-10, 10), unit(0, 1);
    for (int i = 0; i < 300; ++i) {
        const int w = 1 + int(rng() % 70), h = 1 + int(rng() % 50);
        const double cx = unit(rng) * w * (i % 3 == 0 ? 1.0 : 1.5) - (i % 5 == 0 ? w / 4.0 : 0);
        const double cy = (i % 2) ? h / 2.0 : unit(rng) * h;
        const double radius = i % 4 == 0 ? std::hypot(w, h) : unit(rng) * 40;
        const double sweep = i % 7 == 0 ? kTurn * (1 + unit(rng)) : angle(rng) * 0.7;
        ASSERT_TRUE(MatchesReference(w, h, cx, cy, radius, angle(rng), sweep));
    }
}

TEST(SectorRaster, ExactHalfAndQuarterTurnsOnPixelAlignedCentres) {
    const double pi = std::numbers::pi;
    for (double start : {0.0, pi / 2, pi, -pi / 2})
        for (double sweep : {pi / 2, pi, 3 * pi / 2, -pi / 2, -pi})
            EXPECT_TRUE(MatchesReference(40, 30, 20, 15, 100, start, sweep));
}

TEST(SectorRaster, NoSweepOrNoRadiusFillsNothingAndAWholeTurnFillsTheDisc) {
    std::vector<uint8_t> bytes(30 * 20, 0);
    const TByteRaster r{bytes.data(), 30, 20};
    FillSector(r, 15, 10, 100, 1.0, 0.0, 255);
    FillSector(r, 15, 10, 0, 1.0, 2.0, 255);
    FillDisc(r, 15.5, 10.5, 0, 255);  // a centre on a pixel's centre, radius 0
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 255), 0);

    std::vector<uint8_t> whole(bytes.size(), 0), disc(bytes.size(), 0);
    FillSector(TByteRaster{whole.data(), 30, 20}, 15, 10, 8, 0.3, -kTurn, 7);
    FillDisc(TByteRaster{disc.data(), 30, 20}, 15, 10, 8, 7);
    EXPECT_EQ(whole, disc);
    // A disc of radius 1 about a pixel corner holds the four pixels around it.
    std::fill(disc.begin(), disc.end(), 0);
    FillDisc(TByteRaster{disc.data(), 30, 20}, 15, 10, 1, 1);
    EXPECT_EQ(std::count(disc.begin(), disc.end(), 1), 4);
    EXPECT_EQ(disc[9 * 30 + 14] + disc[9 * 30 + 15] + disc[10 * 30 + 14] + disc[10 * 30 + 15], 4);
}

} // namespace
} // namespace ruvo
