#pragma once
// The largest pictures the readers accept: every picture reader checks a header's size against these
// before it allocates pixels, so damaged or hostile files cannot ask for unbounded memory.
#include <cstdint>

namespace ruvo {

constexpr int32_t kPictureMaxSide = 16384;
constexpr int64_t kPictureMaxBytes = int64_t(256) << 20;

// Throws ERuvoError "画像サイズが不正です" when a picture of that size and bit count is not one a reader
// accepts: a side of 0 or below, or above kPictureMaxSide, or more than kPictureMaxBytes of pixels in
// rows padded to 32 bits.
void CheckPictureSize(int64_t width, int64_t height, int bitCount);

} // namespace ruvo
