#include "graphics/images/pngfile.hpp"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "archive/errors.hpp"
#include "graphics/images/picturelimits.hpp"
#include "graphics/surface/customdibx.hpp"

namespace ruvo {

namespace {
struct TFileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};

void PngWarning(png_structp, png_const_charp) {}

// libpng reports failures by a long jump back here; nothing with a destructor lives in between.
bool WriteRows(png_structp png, png_infop info, FILE* file, int32_t w, int32_t h, const uint8_t* rows) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_init_io(png, file);
    png_set_IHDR(png, info, uint32_t(w), uint32_t(h), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int32_t y = 0; y < h; ++y)
        png_write_row(png, rows + size_t(y) * w * 3);
    png_write_end(png, nullptr);
    return true;
}
// Writes rows of 3 bytes per pixel (RGB).
void WriteFile(const std::filesystem::path& path, int32_t w, int32_t h, const uint8_t* bytes) {
    std::unique_ptr<FILE, TFileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file)
        throw ERuvoError::FromUtf8("PNG ファイルを作れません").AddContext(path.string());
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, PngWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    const bool written = info && WriteRows(png, info, file.get(), w, h, bytes);
    png_destroy_write_struct(&png, info ? &info : nullptr);
    if (!written || std::fflush(file.get()) != 0)
        throw ERuvoError::FromUtf8("PNG の書き込みに失敗しました").AddContext(path.string());
}

uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

// Whether the file's transparency is a single colour: a transparency chunk in a grey (type 0) or
// true-colour (type 2) file. The simplified decoding interface turns it into alpha without saying so.
bool HasKeyColour(std::span<const uint8_t> bytes) {
    int colourType = -1;
    for (size_t at = 8; at + 12 <= bytes.size();) {
        const uint32_t length = Be32(bytes.data() + at);
        const uint8_t* type = bytes.data() + at + 4;
        if (length > bytes.size() - at - 12 || std::memcmp(type, "IDAT", 4) == 0)
            break;
        if (std::memcmp(type, "IHDR", 4) == 0 && length >= 13)
            colourType = type[4 + 9];
        if (std::memcmp(type, "tRNS", 4) == 0)
            return colourType == 0 || colourType == 2;
        at += 12 + length;
    }
    return false;
}

} // namespace

TPngPicture DecodePng(std::span<const uint8_t> bytes) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size()))
        throw ERuvoError::FromUtf8("PNG ファイルが読めません").AddContext(image.message);
    TPngPicture picture;
    try {
        CheckPictureSize(image.width, image.height, 32);
    } catch (ERuvoError&) {
        png_image_free(&image);
        throw;
    }
    picture.width = static_cast<int32_t>(image.width);
    picture.height = static_cast<int32_t>(image.height);
    picture.hasAlpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    image.format = PNG_FORMAT_BGRA;  // in memory: B, G, R, A = 0xAARRGGBB on a little-endian machine
    picture.argb.resize(size_t(picture.width) * size_t(picture.height));
    if (!png_image_finish_read(&image, nullptr, picture.argb.data(), 0, nullptr))
        throw ERuvoError::FromUtf8("PNG ファイルが読めません").AddContext(image.message);
    // The key is the colour its pixels decode to (after any scaling to 8 bits and gamma).
    if (picture.hasAlpha && HasKeyColour(bytes))
        for (uint32_t p : picture.argb)
            if (p >> 24 == 0) {
                picture.keyColour = int32_t(MakeColor(uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)));
                break;
            }
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

    WriteFile(path, w, h, rgb.data());
}

std::vector<uint8_t> EncodePngArgb(const TPngPicture& picture) {
    const int32_t w = picture.width, h = picture.height;
    if (w <= 0 || h <= 0 || picture.argb.size() != size_t(w) * size_t(h))
        throw ERuvoError::FromUtf8("空の画像は保存できません");
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = uint32_t(w);
    image.height = uint32_t(h);
    image.format = PNG_FORMAT_BGRA;  // 0xAARRGGBB in memory on a little-endian machine
    png_alloc_size_t size = 0;
    std::vector<uint8_t> bytes;
    if (png_image_write_get_memory_size(image, size, 0, picture.argb.data(), 0, nullptr)) {
        bytes.resize(size);
        if (png_image_write_to_memory(&image, bytes.data(), &size, 0, picture.argb.data(), 0, nullptr)) {
            bytes.resize(size);
            return bytes;
        }
    }
    throw ERuvoError::FromUtf8("PNG の書き込みに失敗しました").AddContext(image.message);
}

void SavePngArgb(const TPngPicture& picture, const std::filesystem::path& path) {
    const std::vector<uint8_t> bytes = EncodePngArgb(picture);
    std::ofstream out(path, std::ios::binary);
    if (!out || !out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size())) || !out.flush())
        throw ERuvoError::FromUtf8("PNG の書き込みに失敗しました").AddContext(path.string());
}

} // namespace ruvo
