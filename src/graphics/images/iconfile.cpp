#include "graphics/images/iconfile.hpp"

#include <cstring>
#include <stdexcept>
#include <string>

#include "archive/errors.hpp"
#include "graphics/images/loosepictures.hpp"
#include "graphics/images/picturelimits.hpp"
#include "graphics/surface/surfaceops.hpp"

namespace ruvo {

namespace {

constexpr size_t kDirectoryHeader = 6, kDirectoryEntry = 16, kInfoHeader = 40;
constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

[[noreturn]] void Damaged(const std::string& why) {
    throw std::move(ERuvoError::FromUtf8("アイコンファイルが壊れています").AddContext(why));
}

uint32_t Le16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t Le32(const uint8_t* p) { return Le16(p) | Le16(p + 2) << 16; }
void Put16(std::vector<uint8_t>& out, uint32_t v) { out.push_back(uint8_t(v)), out.push_back(uint8_t(v >> 8)); }
void Put32(std::vector<uint8_t>& out, uint32_t v) { Put16(out, v), Put16(out, v >> 16); }

size_t AndRowBytes(int32_t width) { return size_t(width + 31) / 32 * 4; }

// A device-independent bitmap of an icon: header, palette, colour rows, AND rows, bottom row first.
TZephFrame ReadIconBitmap(std::span<const uint8_t> image) {
    if (image.size() < kInfoHeader)
        Damaged("the image is shorter than its bitmap header");
    const uint8_t* info = image.data();
    const uint32_t headerSize = Le32(info);
    const int32_t width = int32_t(Le32(info + 4)), storedHeight = int32_t(Le32(info + 8));
    const int bits = int(Le16(info + 14));
    const uint32_t compression = Le32(info + 16), coloursUsed = Le32(info + 32);
    if (headerSize < kInfoHeader || headerSize > image.size())
        Damaged("bitmap header of " + std::to_string(headerSize) + " bytes");
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        Damaged(std::to_string(bits) + "-bit image");
    if (compression != 0)
        Damaged("compressed image");
    const int32_t height = storedHeight / 2;  // the colour and the AND bitmap, one above the other
    CheckPictureSize(width, height, bits);

    auto picture = NewStorage(width, height, bits == 16 ? 15 : bits);
    size_t at = headerSize;
    const int entries = PaletteEntries(bits);
    const size_t colours = coloursUsed > 0 && int(coloursUsed) < entries ? coloursUsed : size_t(entries);
    if ((image.size() - at) / 4 < colours)
        Damaged("the palette runs past the end");
    for (size_t i = 0; i < colours; ++i, at += 4)
        picture->Palette()[i] = TRGBQuad{image[at], image[at + 1], image[at + 2], 0};
    const size_t andBytes = AndRowBytes(width) * size_t(height);
    if (image.size() - at < picture->ImageSize() + andBytes)
        Damaged("the pixels run past the end");
    std::memcpy(picture->Bits(), image.data() + at, picture->ImageSize());  // the same rows, bottom first
    const uint8_t* andBits = image.data() + at + picture->ImageSize();

    auto mask = NewStorage(width, height, 8);
    bool alpha = false;
    if (bits == 32) {
        // Icons with an alpha channel carry their shape there; older 32-bit icons leave it 0.
        for (int32_t y = 0; y < height; ++y) {
            uint8_t* row = picture->Row(y);
            for (int32_t x = 0; x < width; ++x) {
                mask->Row(y)[x] = row[4 * x + 3];
                alpha |= row[4 * x + 3] != 0;
                row[4 * x + 3] = 0;
            }
        }
    }
    if (!alpha)
        for (int32_t y = 0; y < height; ++y) {
            const uint8_t* andRow = andBits + AndRowBytes(width) * size_t(height - 1 - y);
            for (int32_t x = 0; x < width; ++x)
                mask->Row(y)[x] = (andRow[x >> 3] >> (7 - (x & 7))) & 1 ? 0 : 255;
        }
    return SinglePictureFrame(std::move(picture), std::move(mask), -1);
}

} // namespace

TIconPicture ReadIconPicture(std::span<const uint8_t> bytes) {
    TIconPicture icon;
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') {
        icon.Frame = ReadBitmapPicture(bytes);
        return icon;
    }
    if (bytes.size() < kDirectoryHeader)
        Damaged("shorter than its directory header");
    const uint32_t type = Le16(bytes.data() + 2), count = Le16(bytes.data() + 4);
    if (Le16(bytes.data()) != 0 || (type != 1 && type != 2))
        Damaged("not an icon or cursor directory");
    if (count == 0 || (bytes.size() - kDirectoryHeader) / kDirectoryEntry < count)
        Damaged(std::to_string(count) + " directory entries");
    // A player has no one to ask which image to show: the first one is used.
    const uint8_t* entry = bytes.data() + kDirectoryHeader;
    const uint32_t size = Le32(entry + 8), offset = Le32(entry + 12);
    if (offset > bytes.size() || size > bytes.size() - offset)
        Damaged("the first image lies beyond the end");
    const std::span<const uint8_t> image = bytes.subspan(offset, size);
    icon.ImageCount = int(count);
    if (type == 2)
        icon.HotSpotX = int32_t(Le16(entry + 4)), icon.HotSpotY = int32_t(Le16(entry + 6));
    const bool png = image.size() >= sizeof kPngSignature && std::memcmp(image.data(), kPngSignature, sizeof kPngSignature) == 0;
    icon.Frame = png ? ReadPngPicture(image) : ReadIconBitmap(image);
    return icon;
}

std::vector<uint8_t> WriteIcon(std::span<const TIconImage> images, bool cursor) {
    std::vector<std::vector<uint8_t>> bodies;
    for (const TIconImage& image : images) {
        const TDIBSurface& picture = *image.Picture;
        const int bits = image.WithAlpha ? 32 : picture.BitCount();
        if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
            throw std::invalid_argument("WriteIcon: 1-, 4-, 8-, 24- or 32-bit pictures");
        const int32_t w = picture.Width(), h = picture.Height();
        std::vector<uint8_t> body;
        auto colour = NewStorage(w, h, bits);
        if (bits == picture.BitCount())
            std::memcpy(colour->Bits(), picture.Bits(), picture.ImageSize());
        else
            colour = ConvertBitCount(picture, 32);
        if (image.WithAlpha && image.Mask)
            for (int32_t y = 0; y < h; ++y)
                for (int32_t x = 0; x < w; ++x)
                    colour->Row(y)[4 * x + 3] = image.Mask->Row(y)[x];
        Put32(body, uint32_t(kInfoHeader));
        Put32(body, uint32_t(w));
        Put32(body, uint32_t(2 * h));
        Put16(body, 1);
        Put16(body, uint32_t(bits));
        Put32(body, 0);
        Put32(body, uint32_t(colour->ImageSize() + AndRowBytes(w) * h));
        body.resize(body.size() + 16, 0);
        for (int i = 0; i < PaletteEntries(bits); ++i) {
            const TRGBQuad& q = picture.Palette()[size_t(i)];
            body.insert(body.end(), {q.Blue, q.Green, q.Red, 0});
        }
        body.insert(body.end(), colour->Bits(), colour->Bits() + colour->ImageSize());
        for (int32_t y = h - 1; y >= 0; --y) {
            std::vector<uint8_t> row(AndRowBytes(w), 0);
            for (int32_t x = 0; image.Mask && x < w; ++x)
                if (image.Mask->Row(y)[x] < 128)
                    row[size_t(x) >> 3] |= uint8_t(0x80 >> (x & 7));
            body.insert(body.end(), row.begin(), row.end());
        }
        bodies.push_back(std::move(body));
    }

    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, cursor ? 2 : 1);
    Put16(out, uint32_t(images.size()));
    uint32_t offset = uint32_t(kDirectoryHeader + kDirectoryEntry * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        const TIconImage& image = images[i];
        const int bits = image.WithAlpha ? 32 : image.Picture->BitCount();
        out.push_back(uint8_t(image.Picture->Width()));  // 256 is stored as 0
        out.push_back(uint8_t(image.Picture->Height()));
        out.push_back(uint8_t(bits < 8 ? 1 << bits : 0));
        out.push_back(0);
        Put16(out, cursor ? uint32_t(image.HotSpotX) : 1);
        Put16(out, cursor ? uint32_t(image.HotSpotY) : uint32_t(bits));
        Put32(out, uint32_t(bodies[i].size()));
        Put32(out, offset);
        offset += uint32_t(bodies[i].size());
    }
    for (const auto& body : bodies)
        out.insert(out.end(), body.begin(), body.end());
    return out;
}

} // namespace ruvo
