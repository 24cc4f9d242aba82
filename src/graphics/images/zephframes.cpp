#include "graphics/images/zephframes.hpp"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "archive/errors.hpp"
#include "archive/sjis.hpp"
#include "graphics/images/iconfile.hpp"
#include "graphics/images/loosepictures.hpp"
#include "graphics/surface/pixelview.hpp"
#include "graphics/surface/surfaceops.hpp"
#include "graphics/images/tgafile.hpp"

namespace ruvo {

namespace {

template <class TPixel>
void MaskRow(const uint8_t* row, uint8_t* m, int32_t width, uint32_t value) {
    const auto* pixels = reinterpret_cast<const TPixel*>(row);
    for (int32_t x = 0; x < width; ++x)
        m[x] = pixels[x] == value ? 0 : 255;
}

std::shared_ptr<TDIBSurface> MaskOfValue(const TDIBSurface& picture, uint32_t value) {
    auto mask = NewStorage(picture.Width(), picture.Height(), 8);
    const int bits = picture.Format().StorageBits();
    for (int32_t y = 0; y < picture.Height(); ++y) {
        const uint8_t* row = picture.Row(y);
        uint8_t* m = mask->Row(y);
        if (bits == 8)
            MaskRow<uint8_t>(row, m, picture.Width(), value);
        else if (bits == 16)
            MaskRow<uint16_t>(row, m, picture.Width(), value);
        else if (bits == 32)
            MaskRow<uint32_t>(row, m, picture.Width(), value);
        else
            for (int32_t x = 0; x < picture.Width(); ++x)
                m[x] = ReadPixel(row, x, bits) == value ? 0 : 255;
    }
    return mask;
}

void CutRects(std::vector<TRect>& rects, const TRect& box) {
    std::vector<TRect> kept;
    for (const TRect& r : rects) {
        const TRect cut = Intersect(r, box);
        if (!cut.IsEmpty())
            kept.push_back(TRect{cut.Left - box.Left, cut.Top - box.Top, cut.Right - box.Left, cut.Bottom - box.Top});
    }
    rects = std::move(kept);
}

} // namespace

std::string PictureExtension(std::string_view name) {
    const size_t dot = name.find_last_of(".\\/:");
    return dot == std::string_view::npos || name[dot] != '.' ? std::string() : LowerSjis(name.substr(dot));
}

bool IsLoosePictureExtension(std::string_view e) {
    return e == ".png" || e == ".bmp" || e == ".dib" || e == ".tga" || e == ".ico" || e == ".cur";
}

void TZephFrame::SetTransparentValue(int32_t value) {
    TransparentValue = value < 0 ? -1 : value;
    TransparentColor = TransparentValue < 0 || !Picture ? -1 : int32_t(ColourOfPixel(*Picture, uint32_t(TransparentValue)));
}

bool TZephFrameList::LoadPictureBytes(std::span<const uint8_t> bytes, std::string_view extension) {
    const std::string ext = LowerSjis(extension);
    if (ext == ".zph") {
        LoadFromBytes(bytes, false, false);
        return true;
    }
    if (!IsLoosePictureExtension(ext))
        return false;
    TZephFrame frame;
    HotSpotX = HotSpotY = 0;
    if (ext == ".png") {
        frame = ReadPngPicture(bytes);
    } else if (ext == ".bmp" || ext == ".dib") {
        frame = ReadBitmapPicture(bytes);
    } else if (ext == ".tga") {
        frame = ReadTgaPicture(bytes);
    } else {
        TIconPicture icon = ReadIconPicture(bytes);
        frame = std::move(icon.Frame);
        HotSpotX = icon.HotSpotX, HotSpotY = icon.HotSpotY;
    }
    Header = TZephHeader{};
    Header.Width = frame.Width();
    Header.Height = frame.Height();
    Header.BitCount = frame.BitCount();
    Frames.clear();
    Frames.push_back(std::move(frame));
    return true;
}

bool TZephFrameList::LoadFromFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw ERuvoError(SysMessage("%s:ファイルがありません", {Utf8ToSjisLossy(path.string())}));
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return WithContext([&] { return "reading " + path.string(); },
                       [&] { return LoadPictureBytes(bytes, PictureExtension(path.filename().string())); });
}

void TZephFrameList::MakeMasks() {
    for (TZephFrame& frame : Frames)
        if (!frame.Mask && frame.TransparentValue >= 0 && frame.Picture)
            frame.Mask = MaskOfValue(*frame.Picture, uint32_t(frame.TransparentValue));
}

void TZephFrameList::PostProcess() {
    for (TZephFrame& frame : Frames) {
        if (!frame.Picture)
            continue;
        if (!frame.Mask && frame.TransparentValue >= 0)
            frame.Mask = MaskOfValue(*frame.Picture, uint32_t(frame.TransparentValue));
        if ((frame.Mask || frame.TransparentValue < 0) && targetBitCount_ != 0) {
            if (frame.BitCount() != targetBitCount_)
                frame.Picture = ConvertBitCount(*frame.Picture, targetBitCount_);
            frame.SetTransparentValue(frame.TransparentValue < 0
                                          ? -1
                                          : int32_t(ColorToChannels(frame.Picture->Format(), uint32_t(frame.TransparentColor))));
        } else if (frame.BitCount() <= 8) {
            // The transparent pixel keeps its identity through the conversion: the first pixel holding
            // the index gives the new value.
            const std::shared_ptr<TDIBSurface> held = frame.Picture;  // alive past the conversion
            const TDIBSurface& indexed = *held;
            int32_t first = -1;
            for (int32_t y = 0; y < indexed.Height() && first < 0 && frame.TransparentValue >= 0; ++y)
                for (int32_t x = 0; x < indexed.Width(); ++x)
                    if (StoragePixel(indexed, x, y) == uint32_t(frame.TransparentValue)) {
                        first = y * indexed.Width() + x;
                        break;
                    }
            frame.Picture = ConvertBitCount(indexed, 24);
            if (frame.TransparentValue >= 0)
                frame.SetTransparentValue(
                    first >= 0 ? int32_t(StoragePixel(*frame.Picture, first % indexed.Width(), first / indexed.Width()))
                               : int32_t(ColorToChannels(frame.Picture->Format(), uint32_t(frame.TransparentColor))));
        }
    }
}

TRect Trim(TZephFrame& frame) {
    if (!frame.Picture)
        return TRect{};
    const TRect whole{0, 0, frame.Width(), frame.Height()};
    TRect box = whole;
    if (frame.Mask)
        box = BoundsOfOtherPixels(*frame.Mask, 0);
    else if (frame.TransparentValue >= 0)
        box = BoundsOfOtherPixels(*frame.Picture, uint32_t(frame.TransparentValue));
    if (box.IsEmpty() || box == whole)
        return box;
    frame.Picture = CropStorage(*frame.Picture, box);
    if (frame.Mask)
        frame.Mask = CropStorage(*frame.Mask, box);
    CutRects(frame.RectsA, box);
    CutRects(frame.RectsB, box);
    return box;
}

} // namespace ruvo
