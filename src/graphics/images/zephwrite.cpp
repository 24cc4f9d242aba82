// Writing layered images: the counterpart of zephread.cpp, record for record.
#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

#include "archive/streams.hpp"
#include "archive/zcodec.hpp"
#include "graphics/images/jpegplane.hpp"
#include "graphics/surface/surfaceops.hpp"
#include "graphics/images/zephfile.hpp"
#include "graphics/images/zephplanes.hpp"

namespace ruvo {

namespace {

constexpr int32_t kHeaderSize = 40;

void Check(bool ok, const char* why) {
    if (!ok)
        throw std::invalid_argument(std::string("WriteZeph: ") + why);
}

void CheckOptions(const TZephWriteOptions& o) {
    Check(o.Version == 0 || (o.Version >= kZephMinVersion && o.Version <= kZephMaxVersion), "no such version");
    Check(o.Version >= 103 || (o.Mode == TZephMode::Deflate && o.TileWidth == 0 && o.TileHeight == 0),
          "before version 103 planes are deflated and untiled");
    Check(o.TileWidth >= 0 && o.TileHeight >= 0 && (o.TileWidth > 0) == (o.TileHeight > 0), "tile size");
    Check(o.Mode != TZephMode::Jpeg || o.TileWidth == 0, "JPEG planes are not tiled");
}

const TDIBSurface& FirstPlane(const TZephFrame& frame) {
    Check(!frame.Layers.empty() && frame.Layers[0].Colour, "a frame needs a layer with a colour plane");
    return *frame.Layers[0].Colour;
}

class TZephWriter {
public:
    TZephWriter(TStream& s, std::span<const TZephFrame> frames, const TZephWriteOptions& o)
        : s_(s), frames_(frames), o_(o), deflater_(o.DeflateLevel) {
        layout_.Keyed = o.Version < 103 || o.Key != 0;
        layout_.Key = o.Key;
        layout_.TileWidth = o.TileWidth;
        layout_.TileHeight = o.TileHeight;
    }

    void Write() {
        WriteHeader();
        for (size_t i = 0; i < frames_.size(); ++i)
            WriteFrame(i);
    }

private:
    void WriteHeader() {
        const int32_t count = int32_t(frames_.size());
        if (o_.Version != 0) {
            const std::string signature = kZephSignature + std::to_string(o_.Version);
            s_.WriteBuffer(signature.data(), int64_t(signature.size()));
        }
        if (o_.Version < 103) {
            WriteInt(s_, count);
            WriteByte(s_, 0);
            if (o_.Version > 101)
                WriteInt(s_, o_.BackgroundColor);
            return;
        }
        const TDIBSurface* first = frames_.empty() ? nullptr : &FirstPlane(frames_[0]);
        uint8_t record[kHeaderSize] = {};
        auto put = [&](size_t at, int32_t v) {
            for (int i = 0; i < 4; ++i)
                record[at + size_t(i)] = uint8_t(uint32_t(v) >> (8 * i));
        };
        put(0, o_.Version);
        put(4, first ? first->Width() : 0);
        put(8, first ? first->Height() : 0);
        put(12, first ? first->BitCount() : 0);
        put(16, count);
        record[20] = 1;
        record[21] = o_.Key != 0;
        record[22] = uint8_t(o_.Mode);
        put(24, o_.BackgroundColor);
        put(28, o_.TileWidth);
        put(32, o_.TileHeight);
        record[36] = o_.FirstLayerOpaque;
        record[37] = uint8_t(o_.Mode == TZephMode::Jpeg ? std::clamp(o_.JpegQuality, 1, 100) : 0);
        WriteInt(s_, kHeaderSize);
        s_.WriteBuffer(record, kHeaderSize);
    }

    void WriteFrame(size_t index) {
        const TZephFrame& frame = frames_[index];
        const TDIBSurface& first = FirstPlane(frame);
        WriteStr(s_, frame.Name.empty() ? "Frame" + std::to_string(index + 1) : frame.Name);
        WriteInt(s_, frame.TransparentValue);
        WriteInt(s_, frame.Delay);
        WriteByte(s_, 0);
        WriteInt(s_, 0);
        WriteInt(s_, int32_t(frame.Layers.size()));
        WriteInt(s_, first.Width());
        WriteInt(s_, first.Height());
        WriteInt(s_, first.BitCount());
        for (int i = 0; i < PaletteEntries(first.BitCount()); ++i) {
            const TRGBQuad& q = first.Palette()[size_t(i)];
            const uint8_t quad[4] = {q.Blue, q.Green, q.Red, 0};
            s_.WriteBuffer(quad, 4);
        }
        const std::span<const TZephFrame> earlier = frames_.first(index);
        for (const TZephLayer& layer : frame.Layers)
            WriteLayer(layer, first, earlier);
        if (o_.Version >= 104) {
            WriteRects(frame.RectsA);
            WriteRects(frame.RectsB);
        }
    }

    void WriteLayer(const TZephLayer& layer, const TDIBSurface& first, std::span<const TZephFrame> earlier) {
        Check(layer.Colour && layer.Colour->Width() == first.Width() && layer.Colour->Height() == first.Height() &&
                  layer.Colour->BitCount() == first.BitCount(),
              "the layers of a frame share its size and bit count");
        Check(!layer.Mask || (o_.Version >= 100 && layer.Mask->BitCount() == 8 && layer.Mask->Width() == first.Width() &&
                              layer.Mask->Height() == first.Height()),
              "masks are 8-bit planes of the frame's size, from version 100");
        WriteInt(s_, 0);
        WriteInt(s_, 0);
        WriteByte(s_, layer.Visible);
        WriteInt(s_, layer.Mask ? -1 : layer.TransparentValue);
        WriteInt(s_, layer.Opacity);
        if (o_.Version > 100)
            WriteByte(s_, layer.MaskUsed);
        WriteStr(s_, "Layer");

        const bool jpeg = o_.Mode == TZephMode::Jpeg;
        if (jpeg)
            WritePlane(EncodeJpegPlane(*layer.Colour, o_.JpegQuality), false);
        else
            WritePlane(EncodePlane(*layer.Colour, layout_, TEarlierPlanes{earlier, false}), o_.Mode == TZephMode::Deflate);
        if (o_.Version < 100)
            return;
        if (!layer.Mask) {
            WriteInt(s_, 0);
            return;
        }
        const TPlaneLayout maskLayout = jpeg ? TPlaneLayout{} : layout_;
        WritePlane(EncodePlane(*layer.Mask, maskLayout, TEarlierPlanes{earlier, true}), o_.Mode != TZephMode::Raw);
    }

    void WritePlane(const std::vector<uint8_t>& bytes, bool deflate) {
        if (deflate) {
            deflater_.Deflate(bytes.data(), bytes.size(), packed_);
            WritePlaneBytes(packed_);
        } else {
            WritePlaneBytes(bytes);
        }
    }

    void WritePlaneBytes(const std::vector<uint8_t>& bytes) {
        Check(bytes.size() <= 0x7FFFFFFF, "a plane above 2 GiB");
        WriteInt(s_, int32_t(bytes.size()));
        s_.WriteBuffer(bytes.data(), int64_t(bytes.size()));
    }

    void WriteRects(const std::vector<TRect>& rects) {
        WriteInt(s_, int32_t(rects.size()));
        for (const TRect& r : rects) {
            WriteInt(s_, r.Left);
            WriteInt(s_, r.Top);
            WriteInt(s_, r.Right);
            WriteInt(s_, r.Bottom);
        }
    }

    TStream& s_;
    std::span<const TZephFrame> frames_;
    const TZephWriteOptions& o_;
    TPlaneLayout layout_;
    TDeflater deflater_;
    std::vector<uint8_t> packed_;
};

} // namespace

void WriteZeph(TStream& stream, std::span<const TZephFrame> frames, const TZephWriteOptions& options) {
    CheckOptions(options);
    TZephWriter(stream, frames, options).Write();
}

} // namespace ruvo
