// TGA pictures: the six image types, run-length packets, origins, the TGA 2.0 key colour.
#include <cstddef>
#include <cstdint>
#include <span>

#include "archive/errors.hpp"
#include "graphics/images/tgafile.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        ruvo::ReadTgaPicture(std::span<const uint8_t>(data, size));
    } catch (const ruvo::ERuvoError&) {
    }
    return 0;
}
