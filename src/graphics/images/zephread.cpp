// Reading layered images ("Zeph"): the header of each version, frame and layer records, plane decoding
// and composition. The writer beside it (zephwrite.cpp) produces what this reads.
#include <cstring>
#include <libdeflate.h>
#include <new>
#include <string>

#include "archive/errors.hpp"
#include "archive/streams.hpp"
#include "graphics/images/jpegplane.hpp"
#include "graphics/draw/layercompose.hpp"
#include "graphics/images/picturelimits.hpp"
#include "graphics/surface/surfaceops.hpp"
#include "graphics/images/zephfile.hpp"
#include "graphics/images/zephplanes.hpp"

namespace ruvo {

namespace {

[[noreturn]] void Damaged(const std::string& why) {
    throw std::move(ERuvoError::FromUtf8("画像ファイルが壊れています").AddContext(why));
}

// Decoded pixels one file may hold at most (pictures, layers and masks of all frames together).
constexpr int64_t kMaxDecodedBytes = int64_t(1) << 30;
// The smallest frame and layer records, to refuse counts the remaining bytes cannot hold.
constexpr int64_t kMinFrameRecord = 4 + 4 + 4 + 5 + 4 + 12;
constexpr int64_t kMinLayerRecord = 8 + 1 + 4 + 4 + 4 + 4;
// Deflate codes at most 258 bytes in a few bits; no stream inflates beyond about 1032 times its size.
constexpr uint64_t kMaxDeflateRatio = 1032;

bool ValidBitCount(int32_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 15 || bits == 16 || bits == 24 || bits == 32;
}

int32_t FieldAt(std::span<const uint8_t> record, size_t at, int32_t fallback) {
    if (at + 4 > record.size())
        return fallback;
    const uint8_t* p = record.data() + at;
    return int32_t(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}
uint8_t ByteAt(std::span<const uint8_t> record, size_t at, uint8_t fallback) {
    return at < record.size() ? record[at] : fallback;
}

class TInflateBuffer {
public:
    TInflateBuffer() : decompressor_(libdeflate_alloc_decompressor()) {
        if (!decompressor_)
            throw std::bad_alloc();
    }
    ~TInflateBuffer() { libdeflate_free_decompressor(decompressor_); }
    TInflateBuffer(const TInflateBuffer&) = delete;
    TInflateBuffer& operator=(const TInflateBuffer&) = delete;

    // The zlib stream's content: exactly `size` bytes, or (upTo) at most that many.
    std::span<const uint8_t> Inflate(std::span<const uint8_t> data, int64_t size, bool upTo) {
        if (capacity_ < size) {
            buffer_.reset(new uint8_t[size_t(size)]);  // not cleared: the decoder writes what is read
            capacity_ = size;
        }
        size_t actual = 0;
        const libdeflate_result r = libdeflate_zlib_decompress(decompressor_, data.data(), data.size(), buffer_.get(),
                                                               size_t(size), upTo ? &actual : nullptr);
        if (r == LIBDEFLATE_SUCCESS)
            return {buffer_.get(), upTo ? actual : size_t(size)};
        if (r == LIBDEFLATE_SHORT_OUTPUT || r == LIBDEFLATE_INSUFFICIENT_SPACE)
            Damaged("the inflated plane's size differs from the picture's " + std::to_string(size) + " bytes");
        Damaged("the deflated plane of " + std::to_string(data.size()) + " bytes is damaged or truncated");
    }

private:
    libdeflate_decompressor* decompressor_;
    std::unique_ptr<uint8_t[]> buffer_;
    int64_t capacity_ = 0;
};

class TZephReader {
public:
    TZephReader(TZephFrameList& list, std::span<const uint8_t> bytes, bool withPixels)
        : list_(list), bytes_(bytes), s_(bytes.data(), int64_t(bytes.size())), withPixels_(withPixels) {}

    size_t Read(bool firstFrameOnly) {
        const int32_t count = ReadHeader();
        list_.Frames.clear();
        for (int32_t i = 0; i < count; ++i) {
            WithContext([&] { return "frame " + std::to_string(i); }, [&] { ReadFrame(i); });
            if (firstFrameOnly)
                break;
        }
        return size_t(s_.Position());
    }

private:
    // The header up to the frame records; returns the frame count.
    int32_t ReadHeader() {
        TZephHeader& h = list_.Header;
        h = TZephHeader{};
        h.Version = 0;
        if (bytes_.size() >= 7 && std::memcmp(bytes_.data(), kZephSignature, 4) == 0) {
            const uint8_t* digits = bytes_.data() + 4;
            for (int i = 0; i < 3; ++i) {
                if (digits[i] < '0' || digits[i] > '9')
                    Damaged("the version after the signature is not a number");
                h.Version = h.Version * 10 + (digits[i] - '0');
            }
            if (h.Version < kZephMinVersion || h.Version > kZephMaxVersion)
                throw std::move(ERuvoError::FromUtf8("未対応の画像ファイルです")
                                    .AddContext("layered image version " + std::to_string(h.Version)));
            s_.SetPosition(7);
        }
        int32_t count;
        if (h.Version < 103) {
            count = ReadInt(s_);
            ReadByte(s_);
            if (h.Version > 101)
                h.BackgroundColor = ReadInt(s_);
        } else {
            const int32_t size = ReadInt(s_);
            if (size < 20 || size > s_.Remaining())
                Damaged("header record of " + std::to_string(size) + " bytes");
            const std::span<const uint8_t> record = bytes_.subspan(size_t(s_.Position()), size_t(size));
            s_.Seek(size, SeekOrigin::Current);
            h.Width = FieldAt(record, 4, 0);
            h.Height = FieldAt(record, 8, 0);
            h.BitCount = FieldAt(record, 12, 0);
            count = FieldAt(record, 16, 0);
            h.Permuted = ByteAt(record, 21, 0) != 0;
            const uint8_t mode = ByteAt(record, 22, 0);
            if (mode > uint8_t(TZephMode::Jpeg))
                Damaged("compression mode " + std::to_string(mode));
            h.Mode = TZephMode(mode);
            h.BackgroundColor = FieldAt(record, 24, 0);
            h.TileWidth = FieldAt(record, 28, 0);
            h.TileHeight = FieldAt(record, 32, 0);
            if (h.TileWidth < 0 || h.TileHeight < 0)
                Damaged("tile size " + std::to_string(h.TileWidth) + " x " + std::to_string(h.TileHeight));
            if (h.Version >= 105)
                h.FirstLayerOpaque = ByteAt(record, 36, 0) != 0;
            h.JpegQuality = ByteAt(record, 37, 0);
        }
        if (count < 0 || count > s_.Remaining() / kMinFrameRecord)
            Damaged("frame count " + std::to_string(count));
        return count;
    }

    void ReadFrame(int32_t index) {
        TZephFrame frame;
        frame.Name = ReadStr(s_);
        const int32_t transparent = ReadInt(s_);
        frame.Delay = ReadInt(s_);
        s_.Seek(5, SeekOrigin::Current);
        const int32_t layerCount = ReadInt(s_);
        const int32_t width = ReadInt(s_), height = ReadInt(s_), bits = ReadInt(s_);
        if (!ValidBitCount(bits))
            Damaged("bit count " + std::to_string(bits));
        CheckPictureSize(width, height, bits);
        if (index == 0 && list_.Header.Version < 103) {  // older files name the size in the frames only
            list_.Header.Width = width;
            list_.Header.Height = height;
            list_.Header.BitCount = bits;
        }
        if (layerCount < 0 || layerCount > s_.Remaining() / kMinLayerRecord)
            Damaged("layer count " + std::to_string(layerCount));
        std::array<TRGBQuad, 256> palette{};
        for (int i = 0; i < PaletteEntries(bits); ++i) {
            uint8_t quad[4];
            s_.ReadBuffer(quad, 4);
            palette[size_t(i)] = TRGBQuad{quad[0], quad[1], quad[2], 0};
        }
        if (withPixels_)
            Spend(width, height, bits, 1 + layerCount);

        for (int32_t i = 0; i < layerCount; ++i)
            frame.Layers.push_back(WithContext([&] { return "layer " + std::to_string(i); },
                                               [&] { return ReadLayer(index, width, height, bits, palette); }));
        if (list_.Header.Version >= 104) {
            ReadRects(frame.RectsA);
            ReadRects(frame.RectsB);
        }
        if (withPixels_) {
            ComposeFrame(frame, width, height, bits, palette, list_.Header.BackgroundColor, list_.Header.FirstLayerOpaque);
            frame.SetTransparentValue(transparent < 0 ? -1 : transparent);
        } else {
            frame.TransparentValue = transparent < 0 ? -1 : transparent;
        }
        list_.Frames.push_back(std::move(frame));
    }

    TZephLayer ReadLayer(int32_t frameIndex, int32_t width, int32_t height, int32_t bits,
                         const std::array<TRGBQuad, 256>& palette) {
        const int version = list_.Header.Version;
        TZephLayer layer;
        s_.Seek(8, SeekOrigin::Current);
        layer.Visible = ReadByte(s_) != 0;
        layer.TransparentValue = ReadInt(s_);
        if (layer.TransparentValue < 0)
            layer.TransparentValue = -1;
        layer.Opacity = ReadInt(s_);
        const bool maskUsedStored = version > 100;
        layer.MaskUsed = maskUsedStored ? ReadByte(s_) != 0 : true;
        ReadStr(s_);  // the layer's name is not kept

        const TZephHeader& h = list_.Header;
        const bool jpeg = h.Mode == TZephMode::Jpeg;
        TPlaneLayout layout;
        layout.Keyed = version < 103 || h.Permuted;
        layout.Key = list_.Key();
        if (version >= 103)
            layout.TileWidth = h.TileWidth, layout.TileHeight = h.TileHeight;
        const TPlaneLayout maskLayout = jpeg ? TPlaneLayout{} : layout;
        // Sizes that cannot fit are refused before anything is allocated.
        const std::span<const uint8_t> colour = PlaneBytes(layer.ColourBytes);
        if (!jpeg)
            CheckStoredSize(colour.size(), width, height, bits, layout);
        std::span<const uint8_t> mask;
        if (version > 99)
            mask = PlaneBytes(layer.MaskBytes);
        if (!mask.empty()) {
            CheckStoredSize(mask.size(), width, height, 8, maskLayout);
            layer.TransparentValue = -1;  // a masked layer is never keyed
        } else if (!maskUsedStored) {
            layer.MaskUsed = false;
        }
        if (!withPixels_)
            return layer;

        const std::span<const TZephFrame> earlier(list_.Frames.data(), size_t(frameIndex));
        layer.Colour = NewStorage(width, height, bits);
        layer.Colour->Palette() = palette;
        WithContext([] { return std::string("colour plane"); }, [&] {
            if (jpeg)
                DecodeJpegPlane(colour, *layer.Colour);
            else
                DecodePlane(Unpack(colour, *layer.Colour, layout), *layer.Colour, layout, TEarlierPlanes{earlier, false});
        });
        if (!mask.empty()) {
            layer.Mask = NewStorage(width, height, 8);
            WithContext([] { return std::string("mask plane"); }, [&] {
                DecodePlane(Unpack(mask, *layer.Mask, maskLayout), *layer.Mask, maskLayout, TEarlierPlanes{earlier, true});
            });
        }
        return layer;
    }

    // The stored bytes of a plane (size field and data), in place.
    std::span<const uint8_t> PlaneBytes(int64_t& size) {
        const int32_t n = ReadInt(s_);
        if (n < 0 || n > s_.Remaining())
            Damaged("plane of " + std::to_string(n) + " bytes with " + std::to_string(s_.Remaining()) + " left");
        size = n;
        const std::span<const uint8_t> data = bytes_.subspan(size_t(s_.Position()), size_t(n));
        s_.Seek(n, SeekOrigin::Current);
        return data;
    }

    // An untiled plane is exactly the picture's rows: stored raw that many bytes, deflated no fewer than
    // deflate's best ratio allows.
    void CheckStoredSize(size_t stored, int32_t width, int32_t height, int bits, const TPlaneLayout& layout) const {
        if (layout.Tiled())
            return;
        const uint64_t expected = uint64_t((int64_t(width) * (bits == 15 ? 16 : bits) + 31) / 32 * 4) * uint64_t(height);
        const bool raw = list_.Header.Mode == TZephMode::Raw;
        if (raw ? stored != expected : expected > uint64_t(stored) * kMaxDeflateRatio + 1024)
            Damaged("a plane of " + std::to_string(stored) + " bytes cannot hold the picture's " +
                    std::to_string(expected));
    }

    // Deflated planes are inflated (all of them before version 103, where no mode exists); raw ones are
    // used where they lie.
    std::span<const uint8_t> Unpack(std::span<const uint8_t> data, const TDIBSurface& plane, const TPlaneLayout& layout) {
        if (list_.Header.Mode == TZephMode::Raw)
            return data;
        return inflater_.Inflate(data, PlaneSizeBound(plane, layout), layout.Tiled());
    }

    void ReadRects(std::vector<TRect>& rects) {
        const int32_t count = ReadInt(s_);
        if (count < 0 || count > s_.Remaining() / 16)
            Damaged("rectangle count " + std::to_string(count));
        rects.resize(size_t(count));
        for (TRect& r : rects) {
            r.Left = ReadInt(s_);
            r.Top = ReadInt(s_);
            r.Right = ReadInt(s_);
            r.Bottom = ReadInt(s_);
        }
    }

    // Counts the decoded bytes of a frame against the file's budget.
    void Spend(int32_t width, int32_t height, int32_t bits, int planes) {
        const int64_t colour = (int64_t(width) * (bits == 15 ? 16 : bits) + 31) / 32 * 4 * height;
        const int64_t mask = (int64_t(width) + 3) / 4 * 4 * height;
        spent_ += (colour + mask) * planes;
        if (spent_ > kMaxDecodedBytes)
            Damaged("the frames would take more than " + std::to_string(kMaxDecodedBytes >> 20) + " MiB");
    }

    TZephFrameList& list_;
    std::span<const uint8_t> bytes_;
    TReadOnlyMemoryStream s_;
    bool withPixels_;
    TInflateBuffer inflater_;
    int64_t spent_ = 0;
};

} // namespace

void TZephFrameList::LoadFromBytes(std::span<const uint8_t> bytes, bool firstFrameOnly, bool convert, bool withPixels) {
    TZephReader(*this, bytes, withPixels).Read(firstFrameOnly);
    if (convert && withPixels)
        PostProcess();
}

void TZephFrameList::LoadFromStream(TStream& stream, bool firstFrameOnly, bool convert) {
    const int64_t start = stream.Position();
    size_t used;
    if (auto* memory = dynamic_cast<TCustomMemoryStream*>(&stream)) {
        const std::span<const uint8_t> bytes(memory->Memory() + start, size_t(std::max<int64_t>(memory->Size() - start, 0)));
        used = TZephReader(*this, bytes, true).Read(firstFrameOnly);
    } else {
        std::vector<uint8_t> bytes(size_t(std::max<int64_t>(stream.Remaining(), 0)));
        stream.ReadBuffer(bytes.data(), int64_t(bytes.size()));
        used = TZephReader(*this, bytes, true).Read(firstFrameOnly);
    }
    stream.SetPosition(start + int64_t(used));
    if (convert)
        PostProcess();
}

} // namespace ruvo
