// Icons and cursors: the directory, bitmap and PNG images, AND masks and alpha.
#include <cstddef>
#include <cstdint>
#include <span>

#include "archive/errors.hpp"
#include "graphics/images/iconfile.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        ruvo::ReadIconPicture(std::span<const uint8_t>(data, size));
    } catch (const ruvo::ERuvoError&) {
    }
    return 0;
}
