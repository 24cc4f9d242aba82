// Bitmap files: every depth, palettes, bit fields, bottom-up and top-down rows.
#include "fuzz_support.hpp"
#include "graphics/images/bmpfile.hpp"

using namespace ruvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TMemoryStream input = fuzz::InputStream(data, size);
    TBitmapImage image;
    if (fuzz::Refused([&] { image = ReadBitmap(input); })) return 0;
    // What was read describes itself: one colour per pixel, and one index per pixel when indexed.
    const size_t pixels = static_cast<size_t>(image.Width) * static_cast<size_t>(image.Height);
    if (image.Width < 0 || image.Height < 0 || image.Colours.size() != pixels ||
        (image.Indexed && image.Indices.size() != pixels))
        std::abort();
    return 0;
}
