#include "surface_helpers.hpp"

#include <filesystem>
#include <sstream>

#include "graphics/images/pngfile.hpp"

namespace ruvo::test {

std::unique_ptr<TDIBX> MakeSurface(int width, int height, int bitCount) {
    auto s = std::make_unique<TDIBX>();
    s->SetSize(width, height, bitCount);
    return s;
}

std::unique_ptr<TDIBX> RandomSurface(std::mt19937& rng, int width, int height, int bitCount, int few) {
    auto s = MakeSurface(width, height, bitCount);
    const int bits = bitCount == 15 ? 16 : bitCount;
    const uint32_t limit = bits == 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
    std::uniform_int_distribution<uint32_t> any(0, limit);
    std::vector<uint32_t> values;
    for (int i = 0; i < few; ++i)
        values.push_back(any(rng));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            s->SetPixel(x, y, few > 0 ? values[rng() % values.size()] : any(rng));
    return s;
}

std::unique_ptr<TDIBX> RandomMask(std::mt19937& rng, int width, int height) {
    auto m = MakeSurface(width, height, 8);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t kind = rng() % 3;
            m->SetPixel(x, y, kind == 0 ? 0 : kind == 1 ? 255 : rng() % 256);
        }
    return m;
}

std::unique_ptr<TDIBX> Copy(TDIBX& s) {
    auto c = MakeSurface(s.GetWidth(), s.GetHeight(), s.GetBitCount());
    c->Assign(s);
    std::array<TRGBQuad, 256> palette;
    s.GetPalette(palette);
    c->SetPalette(palette);
    c->TransparentColor = s.TransparentColor;
    c->ClipRect = s.ClipRect;
    return c;
}

::testing::AssertionResult SamePixels(TDIBX& expected, TDIBX& actual, const std::string& name) {
    if (expected.GetWidth() != actual.GetWidth() || expected.GetHeight() != actual.GetHeight())
        return ::testing::AssertionFailure() << name << ": sizes differ";
    int differences = 0;
    std::ostringstream first;
    auto diff = MakeSurface(expected.GetWidth(), expected.GetHeight(), 32);
    for (int y = 0; y < expected.GetHeight(); ++y)
        for (int x = 0; x < expected.GetWidth(); ++x) {
            const uint32_t e = expected.GetPixel(x, y), a = actual.GetPixel(x, y);
            diff->SetPixel(x, y, e == a ? 0 : 0xFF00FF);
            if (e != a && differences++ == 0)
                first << std::hex << " first at (" << std::dec << x << "," << y << "): expected 0x" << std::hex << e
                      << ", got 0x" << a;
        }
    if (differences == 0)
        return ::testing::AssertionSuccess();
    std::string file = name;
    for (char& c : file)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    const std::filesystem::path folder = std::filesystem::current_path() / "graphics-failures";
    std::filesystem::create_directories(folder);
    SavePng(expected, folder / (file + "-expected.png"));
    SavePng(actual, folder / (file + "-actual.png"));
    SavePng(*diff, folder / (file + "-diff.png"));
    return ::testing::AssertionFailure() << name << ": " << differences << " pixels differ;" << first.str()
                                         << " (pictures in " << folder.string() << ")";
}

} // namespace ruvo::test
