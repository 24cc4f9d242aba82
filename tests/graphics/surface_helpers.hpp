#pragma once
// Test helpers: random surfaces, copies, and a pixel comparison that leaves expected, actual and
// difference pictures in the build folder when it fails.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

#include "graphics/surface/dibx.hpp"

namespace ruvo::test {

std::unique_ptr<TDIBX> MakeSurface(int width, int height, int bitCount);
// Random pixels; with few > 0 the pixels come from that many values, so equal pixels are common.
std::unique_ptr<TDIBX> RandomSurface(std::mt19937& rng, int width, int height, int bitCount, int few = 0);
// An 8-bit mask whose bytes are 0, 255 or anything, about a third each.
std::unique_ptr<TDIBX> RandomMask(std::mt19937& rng, int width, int height);
std::unique_ptr<TDIBX> Copy(TDIBX& s);

// Compares every pixel; on a difference writes <name>-expected/actual/diff.png under
// graphics-failures/ in the working folder (the build folder under ctest).
::testing::AssertionResult SamePixels(TDIBX& expected, TDIBX& actual, const std::string& name);

} // namespace ruvo::test
