// PNG pictures as frames: alpha, key colours, every colour type libpng reads.
#include <cstddef>
#include <cstdint>
#include <span>

#include "archive/errors.hpp"
#include "graphics/images/loosepictures.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        ruvo::ReadPngPicture(std::span<const uint8_t>(data, size));
    } catch (const ruvo::ERuvoError&) {
    }
    return 0;
}
