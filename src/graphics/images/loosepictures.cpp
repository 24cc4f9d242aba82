#include "graphics/images/loosepictures.hpp"

#include "archive/streams.hpp"
#include "graphics/images/bmpfile.hpp"
#include "graphics/images/pngfile.hpp"
#include "graphics/surface/surfaceops.hpp"

namespace ruvo {

TZephFrame SinglePictureFrame(std::shared_ptr<TDIBSurface> picture, std::shared_ptr<TDIBSurface> mask,
                              int32_t transparentValue) {
    TZephFrame frame;
    frame.Picture = std::move(picture);
    frame.Mask = std::move(mask);
    frame.SetTransparentValue(transparentValue);
    return frame;
}

TZephFrame ReadPngPicture(std::span<const uint8_t> bytes) {
    const TPngPicture png = DecodePng(bytes);
    auto picture = NewStorage(png.width, png.height, 32);
    std::shared_ptr<TDIBSurface> mask;
    // A single transparent colour stays a transparent value; any other transparency is a mask. (Should
    // another pixel decode to the key's colour, it is transparent too.)
    const bool keyed = png.keyColour >= 0;
    if (png.hasAlpha && !keyed)
        mask = NewStorage(png.width, png.height, 8);
    const uint32_t key = keyed ? ColorToChannels(picture->Format(), uint32_t(png.keyColour)) : 0;
    for (int32_t y = 0; y < png.height; ++y) {
        const uint32_t* in = png.argb.data() + size_t(y) * png.width;
        auto* row = reinterpret_cast<uint32_t*>(picture->Row(y));
        uint8_t* m = mask ? mask->Row(y) : nullptr;
        for (int32_t x = 0; x < png.width; ++x) {
            row[x] = in[x] & 0xFFFFFF;
            if (m)
                m[x] = uint8_t(in[x] >> 24);
        }
    }
    return SinglePictureFrame(std::move(picture), std::move(mask), keyed ? int32_t(key) : -1);
}

TZephFrame ReadBitmapPicture(std::span<const uint8_t> bytes) {
    TReadOnlyMemoryStream stream(bytes.data(), int64_t(bytes.size()));
    const TBitmapImage bitmap = ReadBitmap(stream);
    auto picture = NewStorage(bitmap.Width, bitmap.Height, bitmap.Indexed ? 8 : 24);
    picture->Palette() = bitmap.Palette;
    std::shared_ptr<TDIBSurface> mask;
    if (!bitmap.Alpha.empty())
        mask = NewStorage(bitmap.Width, bitmap.Height, 8);
    for (int32_t y = 0; y < bitmap.Height; ++y) {
        const size_t at = size_t(y) * bitmap.Width;
        for (int32_t x = 0; x < bitmap.Width; ++x)
            SetStoragePixel(*picture, x, y,
                            bitmap.Indexed ? bitmap.Indices[at + x] : ColorToChannels(picture->Format(), bitmap.Colours[at + x]));
        if (mask)
            std::copy_n(bitmap.Alpha.data() + at, bitmap.Width, mask->Row(y));
    }
    return SinglePictureFrame(std::move(picture), std::move(mask), -1);
}

} // namespace ruvo
