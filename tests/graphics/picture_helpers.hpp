#pragma once
// Test helpers for picture files: random planes, layered frames, writing and reading layered images.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "graphics/surface/dibsurface.hpp"
#include "graphics/images/zephfile.hpp"
#include "graphics/images/zephframes.hpp"

namespace ruvo::test {

// Random pixels (from `few` values when few > 0) and, for indexed formats, a random palette.
std::shared_ptr<TDIBSurface> RandomStorage(std::mt19937& rng, int32_t width, int32_t height, int bitCount, int few = 0);
// An 8-bit mask of 0, 255 and anything between, about a third each.
std::shared_ptr<TDIBSurface> RandomMaskStorage(std::mt19937& rng, int32_t width, int32_t height);
// Same size, bit count, pixel values and (indexed) palette entries; names the first difference.
::testing::AssertionResult SameStorage(const TDIBSurface& expected, const TDIBSurface& actual);

TZephLayer Layer(std::shared_ptr<TDIBSurface> colour, std::shared_ptr<TDIBSurface> mask = nullptr, int opacity = 255,
                 int32_t transparent = -1);
TZephFrame FrameOf(std::vector<TZephLayer> layers, int32_t delay = 100, int32_t transparent = -1);

std::vector<uint8_t> ZephBytes(std::span<const TZephFrame> frames, const TZephWriteOptions& options);
// Reads every frame, composed, with the key.
TZephFrameList ReadZeph(const std::vector<uint8_t>& bytes, uint32_t key = 0);

} // namespace ruvo::test
