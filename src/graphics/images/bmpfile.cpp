#include "graphics/images/bmpfile.hpp"

#include <bit>
#include <climits>
#include <cstring>

#include "archive/errors.hpp"
#include "archive/streams.hpp"
#include "graphics/images/picturelimits.hpp"

namespace ruvo {

namespace {

uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
void Put32(uint8_t* p, uint32_t v) { p[0] = uint8_t(v), p[1] = uint8_t(v >> 8), p[2] = uint8_t(v >> 16), p[3] = uint8_t(v >> 24); }
void Put16(uint8_t* p, uint16_t v) { p[0] = uint8_t(v), p[1] = uint8_t(v >> 8); }

[[noreturn]] void Damaged(const char* what) {
    throw ERuvoError::FromUtf8(std::string("ビットマップが壊れています: ") + what);
}

// Expands a channel given by a bit-field mask to 8 bits.
uint8_t FieldTo8(uint32_t pixel, uint32_t mask) {
    if (mask == 0)
        return 0;
    int shift = std::countr_zero(mask);
    int bits = std::popcount(mask);
    uint32_t v = (pixel & mask) >> shift;
    return bits >= 8 ? uint8_t(v >> (bits - 8)) : uint8_t(v << (8 - bits));
}
} // namespace

TBitmapImage ReadBitmap(TStream& stream) {
    const int64_t start = stream.Position();
    const int64_t available = stream.Size() - start;
    uint8_t file[14], info[40];
    if (available < 14 + 40)
        Damaged("too short");
    stream.ReadBuffer(file, 14);
    stream.ReadBuffer(info, 40);
    if (file[0] != 'B' || file[1] != 'M')
        Damaged("no BM signature");
    const uint32_t dataOffset = Le32(file + 10);
    const uint32_t headerSize = Le32(info);
    const int32_t width = int32_t(Le32(info + 4));
    const int32_t rawHeight = int32_t(Le32(info + 8));
    const int bits = Le16(info + 14);
    const uint32_t compression = Le32(info + 16);
    uint32_t colourCount = Le32(info + 32);
    if (headerSize < 40 || headerSize > 1024 || int64_t(headerSize) + 14 > available)
        Damaged("header size");
    if (rawHeight == INT32_MIN)
        Damaged("size");
    const bool topDown = rawHeight < 0;
    const int32_t height = topDown ? -rawHeight : rawHeight;
    CheckPictureSize(width, height, 32);  // the decoded colours take 4 bytes a pixel
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        Damaged("bit count");
    uint32_t masks[3] = {0, 0, 0};
    if (compression == 3) {  // bit fields: after a 40-byte header, or inside a larger one
        if (bits != 16 && bits != 32)
            Damaged("bit fields");
        uint8_t m[12];  // right after the first 40 header bytes, whatever the header's size
        stream.ReadBuffer(m, 12);
        masks[0] = Le32(m), masks[1] = Le32(m + 4), masks[2] = Le32(m + 8);
    } else if (compression != 0) {
        Damaged("compressed bitmaps are not read");
    } else if (bits == 16) {
        masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    } else {
        masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    }

    TBitmapImage image;
    image.Width = width;
    image.Height = height;
    image.Indexed = bits <= 8;
    if (image.Indexed) {
        const uint32_t maxColours = 1u << bits;
        if (colourCount == 0 || colourCount > maxColours)
            colourCount = maxColours;
        stream.Seek(start + 14 + headerSize, SeekOrigin::Begin);
        uint8_t quads[256 * 4] = {};
        const int64_t paletteBytes = std::min<int64_t>(int64_t(colourCount) * 4, stream.Size() - stream.Position());
        stream.ReadBuffer(quads, std::max<int64_t>(paletteBytes, 0));
        for (uint32_t i = 0; i < colourCount; ++i)
            image.Palette[i] = TRGBQuad{quads[4 * i], quads[4 * i + 1], quads[4 * i + 2], 0};
    }

    const int64_t rowBytes = (int64_t(width) * bits + 31) / 32 * 4;
    if (int64_t(dataOffset) > available || rowBytes * height > available - int64_t(dataOffset))
        Damaged("pixel data beyond the end");
    stream.Seek(start + dataOffset, SeekOrigin::Begin);
    std::vector<uint8_t> row(static_cast<size_t>(rowBytes));
    image.Colours.resize(size_t(width) * height);
    if (image.Indexed)
        image.Indices.resize(size_t(width) * height);
    if (bits == 32)
        image.Alpha.resize(size_t(width) * height);
    for (int32_t fileRow = 0; fileRow < height; ++fileRow) {
        stream.ReadBuffer(row.data(), rowBytes);
        const int32_t y = topDown ? fileRow : height - 1 - fileRow;
        uint32_t* out = image.Colours.data() + size_t(y) * width;
        for (int32_t x = 0; x < width; ++x) {
            const uint8_t* p = row.data();
            switch (bits) {
            case 1:
            case 4:
            case 8: {
                uint8_t index = bits == 8 ? p[x] : bits == 4 ? uint8_t((p[x >> 1] >> ((x & 1) ? 0 : 4)) & 15)
                                                              : uint8_t((p[x >> 3] >> (7 - (x & 7))) & 1);
                image.Indices[size_t(y) * width + x] = index;
                const TRGBQuad& q = image.Palette[index];
                out[x] = MakeColor(q.Red, q.Green, q.Blue);
                break;
            }
            case 24: out[x] = MakeColor(p[3 * x + 2], p[3 * x + 1], p[3 * x]); break;
            default: {
                uint32_t v = bits == 16 ? Le16(p + 2 * x) : Le32(p + 4 * x);
                out[x] = MakeColor(FieldTo8(v, masks[0]), FieldTo8(v, masks[1]), FieldTo8(v, masks[2]));
                if (bits == 32)
                    image.Alpha[size_t(y) * width + x] = uint8_t(v >> 24);
                break;
            }
            }
        }
    }
    return image;
}

void WriteBitmap24(TStream& stream, int32_t width, int32_t height, const std::vector<uint32_t>& colours) {
    const uint32_t rowBytes = (uint32_t(width) * 24 + 31) / 32 * 4;
    const uint32_t imageSize = rowBytes * uint32_t(height);
    uint8_t header[54] = {};
    header[0] = 'B', header[1] = 'M';
    Put32(header + 2, 54 + imageSize);
    Put32(header + 10, 54);
    Put32(header + 14, 40);
    Put32(header + 18, uint32_t(width));
    Put32(header + 22, uint32_t(height));
    Put16(header + 26, 1);
    Put16(header + 28, 24);
    Put32(header + 34, imageSize);
    stream.WriteBuffer(header, sizeof header);
    std::vector<uint8_t> row(rowBytes);
    for (int32_t y = height - 1; y >= 0; --y) {  // bottom row first
        for (int32_t x = 0; x < width; ++x) {
            uint32_t c = colours[size_t(y) * width + x];
            row[3 * x] = ColorBlue(c), row[3 * x + 1] = ColorGreen(c), row[3 * x + 2] = ColorRed(c);
        }
        stream.WriteBuffer(row.data(), rowBytes);
    }
}

} // namespace ruvo
