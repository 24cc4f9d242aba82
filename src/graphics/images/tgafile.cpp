#include "graphics/images/tgafile.hpp"

#include <cstring>
#include <stdexcept>
#include <string>

#include "archive/errors.hpp"
#include "graphics/images/loosepictures.hpp"
#include "graphics/images/picturelimits.hpp"
#include "graphics/surface/pixelview.hpp"
#include "graphics/surface/surfaceops.hpp"

namespace ruvo {

namespace {

constexpr size_t kHeaderSize = 18;
constexpr size_t kFooterSize = 26;
constexpr size_t kExtensionSize = 495;
constexpr size_t kKeyColourAt = 470;
constexpr char kFooterSignature[] = "TRUEVISION-XFILE.";  // with its terminating zero: 18 bytes

[[noreturn]] void Damaged(const std::string& why) {
    throw std::move(ERuvoError::FromUtf8("TGA ファイルが壊れています").AddContext(why));
}

uint32_t Le16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t Le32(const uint8_t* p) { return Le16(p) | Le16(p + 2) << 16; }
void Put16(std::vector<uint8_t>& out, uint32_t v) { out.push_back(uint8_t(v)), out.push_back(uint8_t(v >> 8)); }

// A colour value from a stored pixel or map entry of 15/16, 24 or 32 bits (blue first).
uint32_t StoredColour(const uint8_t* p, int bytes) {
    if (bytes == 2) {
        const uint32_t v = Le16(p);
        return MakeColor(uint8_t(((v >> 10) & 31) << 3), uint8_t(((v >> 5) & 31) << 3), uint8_t((v & 31) << 3));
    }
    return MakeColor(p[2], p[1], p[0]);
}

// The stored pixels in file order, run-length packets expanded (they may run across rows).
std::vector<uint8_t> StoredPixels(std::span<const uint8_t> data, size_t count, size_t pixelBytes, bool runLength) {
    const size_t total = count * pixelBytes;
    if (!runLength) {
        if (data.size() < total)
            Damaged("the pixels end " + std::to_string(total - data.size()) + " bytes early");
        return std::vector<uint8_t>(data.begin(), data.begin() + ptrdiff_t(total));
    }
    std::vector<uint8_t> out;
    out.reserve(total);
    size_t at = 0;
    while (out.size() < total) {
        if (at >= data.size())
            Damaged("the run-length packets end early");
        const uint8_t head = data[at++];
        const size_t n = std::min<size_t>((head & 0x7F) + 1, (total - out.size()) / pixelBytes);
        const size_t stored = head & 0x80 ? pixelBytes : n * pixelBytes;
        if (data.size() - at < stored)
            Damaged("a run-length packet runs past the end");
        if (head & 0x80)
            for (size_t i = 0; i < n; ++i)
                out.insert(out.end(), data.begin() + ptrdiff_t(at), data.begin() + ptrdiff_t(at + pixelBytes));
        else
            out.insert(out.end(), data.begin() + ptrdiff_t(at), data.begin() + ptrdiff_t(at + stored));
        at += stored;
    }
    return out;
}

// The key colour of a TGA 2.0 extension area, -1 without one.
int32_t KeyColour(std::span<const uint8_t> bytes) {
    if (bytes.size() < kHeaderSize + kFooterSize)
        return -1;
    const uint8_t* footer = bytes.data() + bytes.size() - kFooterSize;
    if (std::memcmp(footer + 8, kFooterSignature, sizeof kFooterSignature) != 0)
        return -1;
    const uint32_t offset = Le32(footer);
    if (offset == 0 || offset > bytes.size() - kFooterSize || bytes.size() - kFooterSize - offset < kExtensionSize ||
        Le16(bytes.data() + offset) < kExtensionSize)
        return -1;
    const uint32_t argb = Le32(bytes.data() + offset + kKeyColourAt);
    return int32_t(MakeColor(uint8_t(argb >> 16), uint8_t(argb >> 8), uint8_t(argb)));
}

} // namespace

TZephFrame ReadTgaPicture(std::span<const uint8_t> bytes) {
    if (bytes.size() < kHeaderSize)
        Damaged("shorter than its header");
    const uint8_t* h = bytes.data();
    const uint8_t type = h[2];
    const int base = type & 7;
    if ((type != 1 && type != 2 && type != 3 && type != 9 && type != 10 && type != 11))
        throw std::move(ERuvoError::FromUtf8("未対応の画像ファイルです").AddContext("TGA image type " + std::to_string(type)));
    const bool mapped = h[1] == 1;
    const uint32_t mapFirst = Le16(h + 3), mapLength = Le16(h + 5), mapBits = h[7];
    const int32_t width = int32_t(Le16(h + 12)), height = int32_t(Le16(h + 14));
    const int depth = h[16], descriptor = h[17];
    if ((base == 1 && (!mapped || depth != 8)) || (base == 2 && depth != 15 && depth != 16 && depth != 24 && depth != 32) ||
        (base == 3 && depth != 8))
        Damaged("type " + std::to_string(type) + " with " + std::to_string(depth) + "-bit pixels");
    CheckPictureSize(width, height, 32);

    size_t at = kHeaderSize + h[0];
    std::array<TRGBQuad, 256> palette{};
    if (mapped) {
        const size_t entryBytes = (mapBits + 7) / 8;
        if (mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32)
            Damaged(std::to_string(mapBits) + "-bit colour map entries");
        if (at > bytes.size() || (bytes.size() - at) / entryBytes < mapLength)
            Damaged("the colour map runs past the end");
        if (base == 1 && mapFirst + mapLength > 256)
            Damaged("a colour map beyond 256 entries");
        for (uint32_t i = 0; base == 1 && i < mapLength; ++i) {
            const uint32_t c = StoredColour(bytes.data() + at + i * entryBytes, int(entryBytes == 2 ? 2 : 3));
            palette[mapFirst + i] = TRGBQuad{ColorBlue(c), ColorGreen(c), ColorRed(c), 0};
        }
        at += entryBytes * mapLength;
    }
    if (base == 3)
        for (int i = 0; i < 256; ++i)
            palette[size_t(i)] = TRGBQuad{uint8_t(i), uint8_t(i), uint8_t(i), 0};
    if (at > bytes.size())
        Damaged("the picture starts past the end");

    const size_t pixelBytes = size_t(depth + 7) / 8;
    const std::vector<uint8_t> stored =
        StoredPixels(bytes.subspan(at), size_t(width) * size_t(height), pixelBytes, type >= 9);
    const bool alpha = depth == 32 && (descriptor & 15) != 0;
    auto picture = NewStorage(width, height, depth == 8 ? 8 : pixelBytes == 2 ? 16 : 24);
    picture->Palette() = palette;
    std::shared_ptr<TDIBSurface> mask = alpha ? NewStorage(width, height, 8) : nullptr;
    const bool rightToLeft = descriptor & 0x10, topDown = descriptor & 0x20;
    const uint8_t* p = stored.data();
    for (int32_t r = 0; r < height; ++r) {
        const int32_t y = topDown ? r : height - 1 - r;
        uint8_t* row = picture->Row(y);
        for (int32_t c = 0; c < width; ++c, p += pixelBytes) {
            const int32_t x = rightToLeft ? width - 1 - c : c;
            if (pixelBytes == 1) {
                row[x] = p[0];
            } else if (pixelBytes == 2) {
                const uint32_t v = Le16(p);
                WritePixel(row, x, 16, ((v >> 5) << 6 | (v & 31)) & 0xFFFF);  // 5-5-5 to 5-6-5
            } else {
                WritePixel(row, x, 24, uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16);
                if (mask)
                    mask->Row(y)[x] = p[3];
            }
        }
    }

    int32_t transparent = -1;
    if (const int32_t key = KeyColour(bytes); key >= 0) {
        if (depth != 8) {
            transparent = int32_t(PixelOfColour(*picture, uint32_t(key)));
        } else {  // an index only when the map holds the colour exactly
            const uint32_t index = PixelOfColour(*picture, uint32_t(key));
            if (ColourOfPixel(*picture, index) == uint32_t(key))
                transparent = int32_t(index);
        }
    }
    return SinglePictureFrame(std::move(picture), std::move(mask), transparent);
}

std::vector<uint8_t> WriteTga(const TDIBSurface& picture, const TDIBSurface* mask, const TTgaWriteOptions& o) {
    const int bits = picture.BitCount();
    if (bits != 8 && bits != 16 && bits != 24)
        throw std::invalid_argument("WriteTga: 8-, 16- or 24-bit pictures");
    const bool mapped = bits == 8 && !o.Grey;
    const int depth = bits == 8 ? 8 : bits == 16 ? 16 : mask ? 32 : 24;
    const size_t pixelBytes = size_t(depth) / 8;
    std::vector<uint8_t> out(kHeaderSize, 0);
    out[1] = mapped;
    out[2] = uint8_t((bits == 8 ? (mapped ? 1 : 3) : 2) + (o.RunLength ? 8 : 0));
    if (mapped)
        out[5] = 0, out[6] = 1, out[7] = 24;  // 256 entries of 24 bits
    out[12] = uint8_t(picture.Width()), out[13] = uint8_t(picture.Width() >> 8);
    out[14] = uint8_t(picture.Height()), out[15] = uint8_t(picture.Height() >> 8);
    out[16] = uint8_t(depth);
    out[17] = uint8_t((depth == 32 ? 8 : 0) | (o.RightToLeft ? 0x10 : 0) | (o.TopDown ? 0x20 : 0));
    if (mapped)
        for (const TRGBQuad& q : picture.Palette())
            out.insert(out.end(), {q.Blue, q.Green, q.Red});

    std::vector<uint8_t> pixels;
    pixels.reserve(size_t(picture.Width()) * picture.Height() * pixelBytes);
    for (int32_t r = 0; r < picture.Height(); ++r) {
        const int32_t y = o.TopDown ? r : picture.Height() - 1 - r;
        for (int32_t c = 0; c < picture.Width(); ++c) {
            const int32_t x = o.RightToLeft ? picture.Width() - 1 - c : c;
            const uint32_t v = StoragePixel(picture, x, y);
            if (depth == 16)
                Put16(pixels, (v >> 6) << 5 | (v & 31));  // 5-6-5 to 5-5-5
            else
                for (size_t i = 0; i < std::min<size_t>(pixelBytes, 3); ++i)
                    pixels.push_back(uint8_t(v >> (8 * i)));
            if (depth == 32)
                pixels.push_back(mask->Row(y)[x]);
        }
    }
    if (!o.RunLength) {
        out.insert(out.end(), pixels.begin(), pixels.end());
    } else {
        // Repeat packets for runs of two or more equal pixels, raw packets for the rest.
        const size_t count = pixels.size() / pixelBytes;
        auto same = [&](size_t a, size_t b) {
            return std::memcmp(&pixels[a * pixelBytes], &pixels[b * pixelBytes], pixelBytes) == 0;
        };
        for (size_t i = 0; i < count;) {
            size_t run = 1;
            while (i + run < count && run < 128 && same(i, i + run))
                ++run;
            if (run >= 2) {
                out.push_back(uint8_t(0x80 | (run - 1)));
                out.insert(out.end(), pixels.data() + i * pixelBytes, pixels.data() + (i + 1) * pixelBytes);
                i += run;
                continue;
            }
            size_t raw = 1;
            while (i + raw < count && raw < 128 && !(i + raw + 1 < count && same(i + raw, i + raw + 1)))
                ++raw;
            out.push_back(uint8_t(raw - 1));
            out.insert(out.end(), pixels.data() + i * pixelBytes, pixels.data() + (i + raw) * pixelBytes);
            i += raw;
        }
    }
    if (o.KeyColour >= 0) {
        const size_t extension = out.size();
        out.resize(extension + kExtensionSize, 0);
        out[extension] = uint8_t(kExtensionSize), out[extension + 1] = uint8_t(kExtensionSize >> 8);
        const uint32_t c = uint32_t(o.KeyColour);
        uint8_t* key = &out[extension + kKeyColourAt];
        key[0] = ColorBlue(c), key[1] = ColorGreen(c), key[2] = ColorRed(c), key[3] = 0xFF;
        Put16(out, uint32_t(extension)), Put16(out, uint32_t(extension) >> 16);
        Put16(out, 0), Put16(out, 0);
        out.insert(out.end(), kFooterSignature, kFooterSignature + sizeof kFooterSignature);
    }
    return out;
}

} // namespace ruvo
