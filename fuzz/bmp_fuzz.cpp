// Windows bitmaps as frames (and so the bitmap reader surfaces use).
#include <cstddef>
#include <cstdint>
#include <span>

#include "archive/errors.hpp"
#include "graphics/images/loosepictures.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        ruvo::ReadBitmapPicture(std::span<const uint8_t>(data, size));
    } catch (const ruvo::ERuvoError&) {
    }
    return 0;
}
