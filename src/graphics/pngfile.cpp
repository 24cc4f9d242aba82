#include "graphics/pngfile.hpp"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
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
bool WriteRows(png_structp png, png_infop info, FILE* file, int32_t w, int32_t h, int channels, const uint8_t* rows) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_init_io(png, file);
    png_set_IHDR(png, info, uint32_t(w), uint32_t(h), 8, channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int32_t y = 0; y < h; ++y)
        png_write_row(png, rows + size_t(y) * w * channels);
    png_write_end(png, nullptr);
    return true;
}
// Writes rows of `channels` bytes per pixel (3: RGB, 4: RGBA).
void WriteFile(const std::filesystem::path& path, int32_t w, int32_t h, int channels, const uint8_t* bytes) {
    std::unique_ptr<FILE, TFileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file)
        throw ERuvoError::FromUtf8("PNG ファイルを作れません").AddContext(path.string());
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, PngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    const bool written = info && WriteRows(png, info, file.get(), w, h, channels, bytes);
    png_destroy_write_struct(&png, info ? &info : nullptr);
    if (!written || std::fflush(file.get()) != 0)
        throw ERuvoError::FromUtf8("PNG の書き込みに失敗しました").AddContext(path.string());
}

} // namespace

TPngPicture DecodePng(std::span<const uint8_t> bytes) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        throw ERuvoError::FromUtf8("PNG ファイルが読めません").AddContext(image.message);
    TPngPicture picture;
    if (image.width == 0 || image.height == 0 || image.width > kPngMaxSide || image.height > kPngMaxSide) {
        png_image_free(&image);
        throw ERuvoError::FromUtf8("PNG ファイルが読めません")
            .AddContext("size " + std::to_string(image.width) + " x " + std::to_string(image.height) + " is out of range");
    }
    picture.width = static_cast<int32_t>(image.width);
    picture.height = static_cast<int32_t>(image.height);
    picture.hasAlpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = PNG_FORMAT_BGRA;  // in memory: B, G, R, A = 0xAARRGGBB on a little-endian machine
    picture.argb.resize(size_t(picture.width) * size_t(picture.height));
    if (!png_image_finish_read(&image, nullptr, picture.argb.data(), 0, nullptr))
        throw ERuvoError::FromUtf8("PNG ファイルが読めません").AddContext(image.message);
    return picture;
}

TPngPicture LoadPngFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw ERuvoError::FromUtf8("ファイルがありません").AddContext(path.string());
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    try {
        return DecodePng(bytes);
    } catch (ERuvoError& e) {
        throw std::move(e.AddContext(path.string()));
    }
}

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

    WriteFile(path, w, h, 3, rgb.data());
}

void SavePngArgb(const TPngPicture& picture, const std::filesystem::path& path) {
    const int32_t w = picture.width, h = picture.height;
    if (w <= 0 || h <= 0 || picture.argb.size() != size_t(w) * size_t(h))
        throw ERuvoError::FromUtf8("空の画像は保存できません");
    std::vector<uint8_t> rgba(picture.argb.size() * 4);
    for (size_t i = 0; i < picture.argb.size(); ++i) {
        const uint32_t p = picture.argb[i];
        rgba[i * 4] = uint8_t(p >> 16), rgba[i * 4 + 1] = uint8_t(p >> 8), rgba[i * 4 + 2] = uint8_t(p),
        rgba[i * 4 + 3] = uint8_t(p >> 24);
    }
    WriteFile(path, w, h, 4, rgba.data());
}

} // namespace ruvo
