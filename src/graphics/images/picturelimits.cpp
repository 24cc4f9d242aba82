#include "graphics/images/picturelimits.hpp"

#include <string>

#include "archive/errors.hpp"

namespace ruvo {

void CheckPictureSize(int64_t width, int64_t height, int bitCount) {
    const std::string size = std::to_string(width) + " x " + std::to_string(height);
    if (width <= 0 || height <= 0 || width > kPictureMaxSide || height > kPictureMaxSide)
        throw std::move(ERuvoError::FromUtf8("画像サイズが不正です")
                            .AddContext(size + " (sides 1 to " + std::to_string(kPictureMaxSide) + ")"));
    const int64_t bytes = (width * (bitCount == 15 ? 16 : bitCount) + 31) / 32 * 4 * height;
    if (bytes > kPictureMaxBytes)
        throw std::move(ERuvoError::FromUtf8("画像サイズが不正です")
                            .AddContext(size + " at " + std::to_string(bitCount) + " bits is above " +
                                        std::to_string(kPictureMaxBytes >> 20) + " MiB"));
}

} // namespace ruvo
