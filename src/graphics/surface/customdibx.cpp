#include "graphics/surface/customdibx.hpp"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "archive/errors.hpp"
#include "archive/streams.hpp"
#include "graphics/images/bmpfile.hpp"
#include "graphics/images/loosepictures.hpp"
#include "graphics/surface/surfaceops.hpp"

namespace ruvo {

bool TCustomDIBX::IsEmpty() const { return GetWidth() <= 0 || GetHeight() <= 0; }

void TCustomDIBX::SetSize(int32_t width, int32_t height, int) {
    Width = std::max(width, 0);
    Height = std::max(height, 0);
}

void TCustomDIBX::ResetClip() { ClipRect = TRect{}; }

void TCustomDIBX::AddClipRect(const TRect& rect) {
    TRect r = Intersect(rect, TRect{0, 0, GetWidth(), GetHeight()});
    if (r.IsEmpty())
        return;
    if (ClipRect.Right == 0)
        ClipRect = r;
    else
        ClipRect = TRect{std::min(ClipRect.Left, r.Left), std::min(ClipRect.Top, r.Top),
                         std::max(ClipRect.Right, r.Right), std::max(ClipRect.Bottom, r.Bottom)};
}

TPixelFormat TCustomDIBX::Format() const {
    TPixelFormat f = TPixelFormat::ForBitCount(GetBitCount());
    if (GetBitCount() > 8) {
        f.RMask = GetRMask(), f.GMask = GetGMask(), f.BMask = GetBMask();
        f.RShift = GetRShift(), f.GShift = GetGShift(), f.BShift = GetBShift();
    }
    return f;
}

TRect TCustomDIBX::EffectiveClip() const {
    // A clip is kept inside the surface even if someone set the field by hand.
    TRect whole{0, 0, GetWidth(), GetHeight()};
    return ClipRect.Right != 0 ? Intersect(ClipRect, whole) : whole;
}

void TCustomDIBX::Clear(uint32_t pixel) {
    const TRect saved = ClipRect;
    ClipRect = TRect{};
    FillRect(TRect{0, 0, GetWidth(), GetHeight()}, pixel);
    ClipRect = saved;
}

void TCustomDIBX::FrameRect(const TRect& r, int w, uint32_t pixel) {
    if (w <= 0)
        return;
    FillRect(TRect{r.Left, r.Top, r.Right, r.Top + w}, pixel);
    FillRect(TRect{r.Left, r.Bottom - w, r.Right, r.Bottom}, pixel);
    if (r.Height() - 2 * w > 0) {
        FillRect(TRect{r.Left, r.Top + w, r.Left + w, r.Bottom - w}, pixel);
        FillRect(TRect{r.Right - w, r.Top + w, r.Right, r.Bottom - w}, pixel);
    }
}

void TCustomDIBX::BlendFrameRect(const TRect& r, int w, uint32_t pixel, int alpha) {
    if (w <= 0)
        return;
    BlendRect(TRect{r.Left, r.Top, r.Right, r.Top + w}, pixel, alpha);
    BlendRect(TRect{r.Left, r.Bottom - w, r.Right, r.Bottom}, pixel, alpha);
    if (r.Height() - 2 * w > 0) {
        BlendRect(TRect{r.Left, r.Top + w, r.Left + w, r.Bottom - w}, pixel, alpha);
        BlendRect(TRect{r.Right - w, r.Top + w, r.Right, r.Bottom - w}, pixel, alpha);
    }
}

void TCustomDIBX::AddFrameRect(const TRect& r, int w, uint32_t pixel) {
    if (w <= 0)
        return;
    AddRect(TRect{r.Left, r.Top, r.Right, r.Top + w}, pixel);
    AddRect(TRect{r.Left, r.Bottom - w, r.Right, r.Bottom}, pixel);
    if (r.Height() - 2 * w > 0) {
        AddRect(TRect{r.Left, r.Top + w, r.Left + w, r.Bottom - w}, pixel);
        AddRect(TRect{r.Right - w, r.Top + w, r.Right, r.Bottom - w}, pixel);
    }
}

void TCustomDIBX::PatternFrameRect(const TRect& r, int w, TCustomDIBX& pattern, int offsetX, int offsetY) {
    if (w <= 0)
        return;
    PatternFill(TRect{r.Left, r.Top, r.Right, r.Top + w}, pattern, offsetX, offsetY, false, false);
    PatternFill(TRect{r.Left, r.Bottom - w, r.Right, r.Bottom}, pattern, offsetX, offsetY, false, false);
    if (r.Height() - 2 * w > 0) {
        PatternFill(TRect{r.Left, r.Top + w, r.Left + w, r.Bottom - w}, pattern, offsetX, offsetY, false, false);
        PatternFill(TRect{r.Right - w, r.Top + w, r.Right, r.Bottom - w}, pattern, offsetX, offsetY, false, false);
    }
}

void TCustomDIBX::Assign(TCustomDIBX& source) {
    Draw(0, 0, source, TRect{0, 0, source.GetWidth(), source.GetHeight()}, false, false, false);
}

namespace {
bool HasExtension(const std::filesystem::path& name, const char* ext) {
    std::string e = name.extension().string();
    std::transform(e.begin(), e.end(), e.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return e == ext;
}

// Copies a decoded picture onto the surface at its own bit count, converting colours to its format.
void PutPicture(TCustomDIBX& surface, const TDIBSurface& picture) {
    const int bits = surface.GetBitCount() > 0 ? surface.GetBitCount() : 32;
    surface.SetSize(picture.Width(), picture.Height(), bits);
    std::array<TRGBQuad, 256> palette{};
    const bool indexed = picture.Format().Indexed();
    if (bits <= 8) {
        if (indexed)
            surface.SetPalette(picture.Palette());
        surface.GetPalette(palette);
    }
    const int entries = PaletteEntries(bits);
    for (int32_t y = 0; y < picture.Height(); ++y)
        for (int32_t x = 0; x < picture.Width(); ++x) {
            const uint32_t p = StoragePixel(picture, x, y);
            if (bits > 8)
                surface.SetPixel(x, y, uint32_t(surface.ColorToPixel(int32_t(ColourOfPixel(picture, p)))));
            else
                surface.SetPixel(x, y, indexed && p < uint32_t(entries) ? p : NearestPaletteIndex(palette, entries, ColourOfPixel(picture, p)));
        }
}

std::vector<uint8_t> RestOf(TStream& stream) {
    std::vector<uint8_t> bytes(size_t(std::max<int64_t>(stream.Remaining(), 0)));
    stream.ReadBuffer(bytes.data(), int64_t(bytes.size()));
    return bytes;
}
} // namespace

void TCustomDIBX::LoadFromFile(const std::filesystem::path& name) {
    std::error_code ec;
    if (!HasExtension(name, ".bmp") || !std::filesystem::is_regular_file(name, ec))
        return;
    WithContext([&] { return "reading " + name.string(); },
                [&] {
                    TFileStream stream(name, FileOpen::Read);
                    PutPicture(*this, *ReadBitmapPicture(RestOf(stream)).Picture);
                });
}

void TCustomDIBX::LoadFromStream(TStream* stream, bool flag) {
    if (!stream)
        return;
    const int64_t start = stream->Position();
    uint8_t signature[4] = {};
    const int64_t got = stream->Read(signature, 4);
    stream->SetPosition(start);
    if (got >= 2 && signature[0] == 'B' && signature[1] == 'M') {
        PutPicture(*this, *ReadBitmapPicture(RestOf(*stream)).Picture);
    } else if (got >= 4 && std::memcmp(signature + 1, "PNG", 3) == 0) {
        PutPicture(*this, *ReadPngPicture(RestOf(*stream)).Picture);
    } else if (got >= 4 && std::memcmp(signature, "Zeph", 4) == 0) {
        // A surface knows no project key: permuted pictures load in stored order.
        TZephFrameList frames;
        frames.LoadFromStream(*stream, true, flag);
        if (!frames.Frames.empty())
            PutPicture(*this, *frames.Frames[0].Picture);
    }
}

void TCustomDIBX::SaveToFile(const std::filesystem::path& name) {
    if (!HasExtension(name, ".bmp"))
        return;
    const int32_t w = GetWidth(), h = GetHeight();
    std::vector<uint32_t> colours(size_t(std::max(w, 0)) * size_t(std::max(h, 0)));
    const TPixelFormat format = Format();
    std::array<TRGBQuad, 256> palette{};
    if (format.Indexed())
        GetPalette(palette);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            uint32_t p = GetPixel(x, y);
            colours[size_t(y) * w + x] = format.Indexed()
                                              ? MakeColor(palette[p & 255].Red, palette[p & 255].Green, palette[p & 255].Blue)
                                              : ChannelsToColor(format, p);
        }
    WithContext([&] { return "writing " + name.string(); },
                [&] {
                    TFileStream stream(name, FileOpen::Create);
                    WriteBitmap24(stream, w, h, colours);
                });
}

void TCustomDIBX::Release() { SetSize(0, 0, GetBitCount()); }

void TCustomDIBX::GetPalette(std::array<TRGBQuad, 256>& out) { out.fill(TRGBQuad{}); }
void TCustomDIBX::GetPaletteEntries(TRGBQuad* out, int, int count) {
    std::fill_n(out, std::clamp(count, 0, 256), TRGBQuad{});
}
void TCustomDIBX::SetPalette(const std::array<TRGBQuad, 256>&) {}
void TCustomDIBX::SetPaletteEntries(const TRGBQuad*, int, int) {}

} // namespace ruvo
