#include "graphics/pngwriter.hpp"

#include <png.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "archive/errors.hpp"
#include "graphics/customdibx.hpp"

namespace ruvo {

namespace {
struct TFileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};

void PngWarning(png_structp, png_const_charp) {}

// libpng reports failures by a long jump back here; nothing with a destructor lives in between.
bool WriteRows(png_structp png, png_infop info, FILE* file, int32_t w, int32_t h, const uint8_t* rgb) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_init_io(png, file);
    png_set_IHDR(png, info, uint32_t(w), uint32_t(h), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int32_t y = 0; y < h; ++y)
        png_write_row(png, rgb + size_t(y) * w * 3);
    png_write_end(png, nullptr);
    return true;
}
} // namespace

void SavePng(TCustomDIBX& surface, const std::filesystem::path& path) {
    const int32_t w = surface.GetWidth(), h = surface.GetHeight();
    if (w <= 0 || h <= 0)
        throw ERuvoError::FromUtf8("空の画像は保存できません");
    const TPixelFormat format = surface.Format();
    std::array<TRGBQuad, 256> palette{};
    if (format.Indexed())
        surface.GetPalette(palette);
    std::vector<uint8_t> rgb(size_t(w) * h * 3);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t p = surface.GetPixel(x, y);
            uint32_t c = format.Indexed() ? MakeColor(palette[p & 255].Red, palette[p & 255].Green, palette[p & 255].Blue)
                                          : ChannelsToColor(format, p);
            uint8_t* out = &rgb[(size_t(y) * w + x) * 3];
            out[0] = ColorRed(c), out[1] = ColorGreen(c), out[2] = ColorBlue(c);
        }

    std::unique_ptr<FILE, TFileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file)
        throw ERuvoError::FromUtf8("PNG ファイルを作れません").AddContext(path.string());
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, PngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    const bool written = info && WriteRows(png, info, file.get(), w, h, rgb.data());
    png_destroy_write_struct(&png, info ? &info : nullptr);
    if (!written)
        throw ERuvoError::FromUtf8("PNG の書き込みに失敗しました").AddContext(path.string());
}

} // namespace ruvo
