// Layered images: records and planes of every version and coding, then composition.
#include <cstddef>
#include <cstdint>
#include <span>

#include "archive/errors.hpp"
#include "graphics/images/zephframes.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> bytes(data, size);
    try {
        // The seeds are written with key 0x51 where they are keyed.
        ruvo::TZephFrameList frames(0x51);
        frames.LoadFromBytes(bytes, false, true);
        ruvo::TZephFrameList records;
        records.LoadFromBytes(bytes, false, false, false);
    } catch (const ruvo::ERuvoError&) {
    }
    return 0;
}
