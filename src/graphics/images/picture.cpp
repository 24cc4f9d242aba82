#include "graphics/images/picture.hpp"

#include <cstring>
#include <filesystem>

#include "archive/errors.hpp"
#include "archive/sjis.hpp"
#include "archive/streams.hpp"
#include "archive/vrfilemanager.hpp"
#include "graphics/surface/surfaceops.hpp"
#include "graphics/images/zephframes.hpp"

namespace ruvo {

namespace {

bool EndsWithSuffix(std::string_view name, char letter) {
    return name.size() >= 2 && name[name.size() - 2] == '?' && (name.back() | 0x20) == letter;
}

// The picture at the display bit count. At 32 bits the ignored top byte is cleared, in place when no one
// else holds the pixels.
std::shared_ptr<TDIBSurface> ForDisplay(std::shared_ptr<TDIBSurface> picture, int displayBitCount) {
    if (picture->BitCount() == displayBitCount && displayBitCount != 32)
        return picture;
    if (picture->BitCount() != 32 || displayBitCount != 32)
        return ConvertBitCount(*picture, displayBitCount);
    if (picture.use_count() > 1)
        picture = std::make_shared<TDIBSurface>(*picture);
    for (int32_t y = 0; y < picture->Height(); ++y) {
        auto* row = reinterpret_cast<uint32_t*>(picture->Row(y));
        for (int32_t x = 0; x < picture->Width(); ++x)
            row[x] &= 0xFFFFFF;
    }
    return picture;
}

std::shared_ptr<TDIBSurface> OpaqueMask(int32_t width, int32_t height) {
    auto mask = NewStorage(width, height, 8);
    FillStorage(*mask, 255);
    return mask;
}

} // namespace

TPictureName ParsePictureName(std::string_view name) {
    TPictureName request;
    for (int i = 0; i < 2; ++i) {
        if (!request.Masks && EndsWithSuffix(name, 'm'))
            request.Masks = true;
        else if (!request.Trim && EndsWithSuffix(name, 't'))
            request.Trim = true;
        else
            break;
        name.remove_suffix(2);
    }
    request.File = std::string(name);
    return request;
}

std::unique_ptr<TDIBX> TPictureFrame::ColourSurface() const {
    auto surface = std::make_unique<TDIBX>(Colour);
    surface->TransparentColor = TransparentColor;
    return surface;
}

std::unique_ptr<TDIBX> TPictureFrame::MaskSurface() const { return Mask ? std::make_unique<TDIBX>(Mask) : nullptr; }

std::vector<uint32_t> TPictureFrame::Argb() const {
    const int32_t w = Colour->Width(), h = Colour->Height();
    std::vector<uint32_t> out;
    out.reserve(size_t(w) * size_t(h));
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t p = StoragePixel(*Colour, x, y);
            const uint32_t c = ColourOfPixel(*Colour, p);
            const uint32_t a = Mask ? StoragePixel(*Mask, x, y) : TransparentColor >= 0 && p == uint32_t(TransparentColor) ? 0 : 255;
            out.push_back(a << 24 | uint32_t(ColorRed(c)) << 16 | uint32_t(ColorGreen(c)) << 8 | ColorBlue(c));
        }
    return out;
}

int64_t TPicture::PixelBytes() const noexcept {
    int64_t bytes = 0;
    for (const TPictureFrame& f : Frames)
        bytes += int64_t(f.Colour ? f.Colour->ImageSize() : 0) + int64_t(f.Mask ? f.Mask->ImageSize() : 0);
    return bytes;
}

TPicture PictureFromFrames(TZephFrameList& frames, const TPictureName& request, int displayBitCount) {
    if (request.Masks)
        frames.MakeMasks();
    TPicture picture;
    picture.HotSpotX = frames.HotSpotX;
    picture.HotSpotY = frames.HotSpotY;
    for (TZephFrame& frame : frames.Frames) {
        frame.Layers.clear();  // the picture may then be the only holder of its pixels
        TPictureFrame out;
        if (request.Trim) {
            const TRect box = Trim(frame);
            if (!box.IsEmpty())
                out.OffsetX = box.Left, out.OffsetY = box.Top;
        }
        const int32_t width = frame.Width(), height = frame.Height();
        out.Colour = ForDisplay(std::move(frame.Picture), displayBitCount);
        out.TransparentColor =
            frame.TransparentColor < 0 ? -1 : int32_t(ColorToChannels(out.Colour->Format(), uint32_t(frame.TransparentColor)));
        // A picture asked for with masks always has one; one without transparency is opaque throughout.
        out.Mask = frame.Mask ? std::move(frame.Mask) : request.Masks ? OpaqueMask(width, height) : nullptr;
        out.Delay = frame.Delay > 0 ? frame.Delay : 1;
        out.RectsA = std::move(frame.RectsA);
        out.RectsB = std::move(frame.RectsB);
        picture.TotalDelay += out.Delay;
        picture.Frames.push_back(std::move(out));
    }
    frames.Frames.clear();
    if (!picture.Frames.empty()) {
        picture.Width = picture.Frames[0].Colour->Width();
        picture.Height = picture.Frames[0].Colour->Height();
    }
    return picture;
}

TPicture PlaceholderPicture(const TPictureName& request, int displayBitCount) {
    TPicture picture;
    picture.Found = false;
    TPictureFrame frame;
    frame.Colour = NewStorage(8, 8, displayBitCount);  // cleared to pixel 0
    frame.TransparentColor = 0;
    if (request.Masks)
        frame.Mask = NewStorage(8, 8, 8);  // 0: transparent
    picture.Width = picture.Height = 8;
    picture.TotalDelay = frame.Delay;
    picture.Frames.push_back(std::move(frame));
    return picture;
}

TPicture LoadPicture(TVrFileManager& files, std::string_view name, uint32_t key, int displayBitCount) {
    const TPictureName request = ParsePictureName(name);
    if (!files.Exists(request.File))
        return PlaceholderPicture(request, displayBitCount);
    return WithContext([&] { return "reading picture " + SjisToUtf8Lossy(request.File); }, [&] {
        TMemoryStream content;
        files.Load(content, request.File);
        const std::span<const uint8_t> bytes(content.Memory(), size_t(content.Size()));
        TZephFrameList frames(key);
        if (!frames.LoadPictureBytes(bytes, PictureExtension(request.File)))
            frames.LoadFromBytes(bytes, false, false);
        return PictureFromFrames(frames, request, displayBitCount);
    });
}

} // namespace ruvo
