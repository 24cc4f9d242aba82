#include "tools/picturepack.hpp"

#include "archive/errors.hpp"
#include "archive/sjis.hpp"
#include "archive/streams.hpp"
#include "graphics/surface/surfaceops.hpp"

namespace ruvo::tools {

TZephFrame PackedFrame(const TZephFrame& picture, int32_t delay) {
    TZephLayer layer;
    layer.Colour = picture.BitCount() == 32 ? picture.Picture : ConvertBitCount(*picture.Picture, 32);
    if (picture.Mask && BoundsOfOtherPixels(*picture.Mask, 255) != TRect{})
        layer.Mask = picture.Mask;
    layer.MaskUsed = layer.Mask != nullptr;
    TZephFrame frame;
    frame.Delay = delay;
    frame.TransparentValue =
        picture.TransparentColor < 0 ? -1 : int32_t(ColorToChannels(layer.Colour->Format(), uint32_t(picture.TransparentColor)));
    frame.Layers.push_back(std::move(layer));
    return frame;
}

std::vector<uint8_t> PackPictures(const std::vector<TPackInput>& inputs, const TZephWriteOptions& options) {
    std::vector<TZephFrame> frames;
    for (const TPackInput& in : inputs) {
        TZephFrameList picture(0);
        WithContext([&] { return "reading " + SjisToUtf8Lossy(in.name); }, [&] {
            const std::string ext = PictureExtension(in.name);
            if (IsLoosePictureExtension(ext)) picture.LoadPictureBytes(in.bytes, ext);
            else picture.LoadFromBytes(in.bytes, false, false, true);
        });
        for (const TZephFrame& f : picture.Frames) frames.push_back(PackedFrame(f, in.delay));
    }
    TMemoryStream out;
    WriteZeph(out, frames, options);
    return out.Bytes();
}

} // namespace ruvo::tools
