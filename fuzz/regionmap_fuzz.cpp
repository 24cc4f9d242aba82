// Region maps: every count, length and coordinate of the file, then hit tests over each region's box
// and its edges; what was read must be written back to the same bytes.
#include <cstddef>
#include <cstdint>

#include "fuzz_support.hpp"
#include "graphics/images/regionmap.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace ruvo;
    TMemoryStream input = fuzz::InputStream(data, size);
    fuzz::CheckRewrite(input, [](TStream& s, bool again) {
        TRegionMap map;
        map.LoadFromStream(s);
        if (!again)
            for (const TMapRegion& r : map.Regions) {
                const TRect b = r.Bounds();
                for (int32_t y : {b.Top - 1, b.Top, (b.Top / 2 + b.Bottom / 2), b.Bottom - 1, b.Bottom})
                    for (int32_t x : {b.Left - 1, b.Left, (b.Left / 2 + b.Right / 2), b.Right - 1, b.Right})
                        map.RegionAt(x, y);
            }
        TMemoryStream out;
        map.SaveToStream(out);
        return fuzz::Bytes(out);
    }, "region map");
    return 0;
}
