#include "graphics/fonts/fontpixels.hpp"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>

#include "archive/errors.hpp"
#include "archive/sjis.hpp"
#include "graphics/surface/pixelview.hpp"

namespace ruvo {

namespace {

constexpr uint8_t kLevel1[5] = {0, 79, 127, 207, 255};
// Glyph bitmaps larger than this on a side are not kept (a clamped height never gets near it).
constexpr uint32_t kMaxGlyphSide = 4096;

// The Unicode code point of a single-byte or double-byte Shift-JIS character; 0 when there is none.
uint32_t CodePoint(uint16_t code) {
    if (code == 0)
        return 0;
    std::string sjis;
    if (code > 0xFF)
        sjis += char(code >> 8);
    sjis += char(code & 0xFF);
    std::string utf8;
    try {
        utf8 = SjisToUtf8(sjis);
    } catch (const EConvertError&) {
        return 0;
    }
    if (utf8.empty())
        return 0;
    const uint8_t b = uint8_t(utf8[0]);
    const size_t n = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : 2;
    if (utf8.size() < n)
        return 0;
    uint32_t c = n == 1 ? b : b & (0xFF >> (n + 1));
    for (size_t k = 1; k < n; ++k)
        c = c << 6 | (uint8_t(utf8[k]) & 0x3F);
    return c;
}

int32_t Round(double v) { return int32_t(std::lround(v)); }

} // namespace

int ReduceGrey(int quality, uint8_t grey256) noexcept {
    const int levels = quality == 1 ? 4 : quality == 2 ? 16 : 64;
    return (grey256 * levels + 127) / 255;
}

uint8_t GreyCoverage(int quality, int v) noexcept {
    if (v <= 0)
        return 0;
    switch (quality) {
    case 1: return kLevel1[std::min(v, 4)];
    case 2: return uint8_t(std::min(255, 31 + 12 * v + (v >= 8 ? 32 : 0)));
    default: return uint8_t(std::min(255, 15 + 3 * v + 16 * ((v >= 8) + (v >= 24) + (v >= 40))));
    }
}

int32_t TOutlineTextMetrics::Get(TField field) const noexcept {
    return int32_t(uint32_t(Bytes[field]) | uint32_t(Bytes[field + 1]) << 8 | uint32_t(Bytes[field + 2]) << 16 |
                   uint32_t(Bytes[field + 3]) << 24);
}

void TOutlineTextMetrics::Set(TField field, int32_t value) noexcept {
    for (int k = 0; k < 4; ++k)
        Bytes[field + k] = uint8_t(uint32_t(value) >> (8 * k));
}

TFontPixelManager::TFontPixelManager(TFontCatalog& catalog) : catalog_(catalog) {
    if (FT_Init_FreeType(&library_) != 0)
        library_ = nullptr;  // every glyph is then empty
}

TFontPixelManager::~TFontPixelManager() {
    for (auto& [key, face] : faces_)
        if (face)
            FT_Done_Face(face);
    if (library_)
        FT_Done_FreeType(library_);
}

void TFontPixelManager::SetQuality(int level) noexcept { quality_ = greyFailed_ ? 0 : std::clamp(level, 0, 3); }

FT_Face TFontPixelManager::OpenFace(const TFontFile& file) {
    const std::string key = file.Path + '#' + std::to_string(file.Index);
    if (auto it = faces_.find(key); it != faces_.end())
        return it->second;
    FT_Face face = nullptr;
    if (!library_ || FT_New_Face(library_, file.Path.c_str(), file.Index, &face) != 0)
        face = nullptr;
    if (face)
        FT_Select_Charmap(face, FT_ENCODING_UNICODE);
    faces_.emplace(key, face);
    return face;
}

void TFontPixelManager::SelectFont(std::string_view faceName, uint8_t style, int32_t height) {
    if (font_.Valid && font_.Face == faceName && font_.Height == height && font_.Style == style)
        return;
    font_ = TCurrentFont{};
    FT_Face face = nullptr;
    if (auto file = catalog_.Find(faceName))
        face = OpenFace(*file);
    // A face that is not installed, or whose file FreeType cannot read, takes the default's substitute.
    if (!face)
        if (auto file = catalog_.Find(Utf8ToSjis(kDefaultFaceUtf8)))
            face = OpenFace(*file);
    if (face && !FT_IS_SCALABLE(face))
        throw ERuvoError("Error:GetOutlineTextMetrics");

    font_.Face = std::string(faceName);
    font_.Height = height;
    font_.Style = style;
    font_.Valid = true;
    TOutlineTextMetrics& m = font_.Metrics;
    m.Set(TOutlineTextMetrics::otmSize, int32_t(TOutlineTextMetrics::kSize));
    m.Set(TOutlineTextMetrics::tmWeight, style & fsBold ? 700 : 400);
    m.Set(TOutlineTextMetrics::tmDigitizedAspectX, 96);
    m.Set(TOutlineTextMetrics::tmDigitizedAspectY, 96);
    m.SetByte(TOutlineTextMetrics::tmItalic, style & fsItalic ? 1 : 0);
    m.SetByte(TOutlineTextMetrics::tmUnderlined, style & fsUnderline ? 1 : 0);
    m.SetByte(TOutlineTextMetrics::tmStruckOut, style & fsStrikeOut ? 1 : 0);
    m.SetByte(TOutlineTextMetrics::tmCharSet, 128);  // Shift-JIS
    if (!face || height == 0 || face->units_per_EM == 0)
        return;

    // A positive height is the cell height: the font's ascender + descender (for the Japanese faces the em
    // square, as for the faces they stand in for); a negative one the em height.
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    const double upem = face->units_per_EM;
    double cellAscent = face->ascender, cellDescent = -face->descender;
    if (cellAscent + cellDescent <= 0 && os2 && os2->version != 0xFFFF) {
        cellAscent = os2->usWinAscent;
        cellDescent = os2->usWinDescent;
    }
    if (cellAscent + cellDescent <= 0) {
        cellAscent = upem;
        cellDescent = 0;
    }
    const double em = height > 0 ? height * upem / (cellAscent + cellDescent) : -double(height);
    if (FT_Set_Char_Size(face, 0, std::max<FT_F26Dot6>(1, FT_F26Dot6(std::lround(em * 64))), 72, 72) != 0)
        return;
    const double scale = em / upem;
    font_.Handle = face;
    font_.Bold = (style & fsBold) && !(face->style_flags & FT_STYLE_FLAG_BOLD);
    font_.Italic = (style & fsItalic) && !(face->style_flags & FT_STYLE_FLAG_ITALIC);
    font_.Ascent = Round(cellAscent * scale);
    font_.CellHeight = height > 0 ? height : Round((cellAscent + cellDescent) * scale);
    const double thickness = face->underline_thickness > 0 ? face->underline_thickness : upem / 20;
    font_.UnderlineSize = std::max(1, Round(thickness * scale));
    // The bar stays inside the cell, where the next row cannot cover it.
    font_.UnderlineOffset = std::max(0, std::min(font_.Ascent - Round(face->underline_position * scale),
                                                 font_.CellHeight - font_.UnderlineSize));
    const bool strikeInfo = os2 && os2->version != 0xFFFF && os2->yStrikeoutSize > 0;
    font_.StrikeOffset = font_.Ascent - Round((strikeInfo ? os2->yStrikeoutPosition : upem / 4) * scale);
    font_.StrikeSize = std::max(1, Round((strikeInfo ? os2->yStrikeoutSize : thickness) * scale));

    m.Set(TOutlineTextMetrics::tmHeight, font_.CellHeight);
    m.Set(TOutlineTextMetrics::tmAscent, font_.Ascent);
    m.Set(TOutlineTextMetrics::tmDescent, font_.CellHeight - font_.Ascent);
    m.Set(TOutlineTextMetrics::tmInternalLeading, std::max(0, font_.CellHeight - Round(em)));
    m.Set(TOutlineTextMetrics::tmAveCharWidth, Round((os2 && os2->version != 0xFFFF ? os2->xAvgCharWidth : upem / 2) * scale));
    m.Set(TOutlineTextMetrics::tmMaxCharWidth, Round(face->max_advance_width * scale));
    m.Set(TOutlineTextMetrics::otmEMSquare, face->units_per_EM);
    m.Set(TOutlineTextMetrics::otmAscent, Round(face->ascender * scale));
    m.Set(TOutlineTextMetrics::otmDescent, Round(face->descender * scale));
    m.Set(TOutlineTextMetrics::otmsStrikeoutSize, font_.StrikeSize);
    m.Set(TOutlineTextMetrics::otmsStrikeoutPosition, font_.Ascent - font_.StrikeOffset);
    m.Set(TOutlineTextMetrics::otmsUnderscoreSize, font_.UnderlineSize);
    m.Set(TOutlineTextMetrics::otmsUnderscorePosition, font_.Ascent - font_.UnderlineOffset);
}

const TOutlineTextMetrics& TFontPixelManager::Metrics(std::string_view face, uint8_t style, int32_t height) {
    SelectFont(face, uint8_t(style & 15), std::clamp(height, -kMaxFontHeight, kMaxFontHeight));
    return font_.Metrics;
}

bool TFontPixelManager::Render(TFontPixel& glyph, unsigned glyphIndex, int level) {
    FT_Face face = font_.Handle;
    const FT_Int32 flags = FT_LOAD_NO_BITMAP | (level == 0 ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_LIGHT);
    if (FT_Load_Glyph(face, glyphIndex, flags) != 0)
        return false;
    FT_GlyphSlot slot = face->glyph;
    if (font_.Bold)
        FT_GlyphSlot_Embolden(slot);
    if (font_.Italic)
        FT_GlyphSlot_Oblique(slot);
    if (FT_Render_Glyph(slot, level == 0 ? FT_RENDER_MODE_MONO : FT_RENDER_MODE_NORMAL) != 0)
        return false;
    const int32_t advance = int32_t((slot->advance.x + 32) >> 6);
    const FT_Bitmap& bm = slot->bitmap;
    glyph.Quality = level;
    if (bm.width == 0 || bm.rows == 0 || bm.width > kMaxGlyphSide || bm.rows > kMaxGlyphSide || !bm.buffer) {
        glyph.Coverage.Release();
        glyph.TrailingSpace = std::max(0, advance);
        glyph.C = glyph.TrailingSpace;
        return true;
    }
    const int32_t w = int32_t(bm.width), h = int32_t(bm.rows);
    glyph.Coverage.SetSize(w, h, 8);
    {
        TPixelLock lock(glyph.Coverage, true);
        const TPixelView& v = lock.View();
        const bool mono = bm.pixel_mode == FT_PIXEL_MODE_MONO;
        for (int32_t y = 0; y < h; ++y) {
            const uint8_t* src = bm.pitch >= 0 ? bm.buffer + ptrdiff_t(y) * bm.pitch
                                               : bm.buffer + ptrdiff_t(h - 1 - y) * -bm.pitch;
            uint8_t* dst = v.Row(y);
            for (int32_t x = 0; x < w; ++x)
                dst[x] = mono ? ((src[x >> 3] >> (7 - (x & 7))) & 1) * 255 : GreyCoverage(level, ReduceGrey(level, src[x]));
        }
    }
    glyph.OffsetX = std::max(0, slot->bitmap_left);
    glyph.OffsetY = std::max(0, font_.Ascent - slot->bitmap_top);
    glyph.TrailingSpace = std::max(0, advance - w - glyph.OffsetX);
    glyph.A = slot->bitmap_left;
    glyph.B = w;
    glyph.C = advance - glyph.A - glyph.B;
    return true;
}

void TFontPixelManager::Rasterize(TFontPixel& glyph) {
    SelectFont(glyph.Face, glyph.Style, glyph.Height);
    glyph.CellHeight = font_.CellHeight;
    if (glyph.Style & fsUnderline) {
        glyph.UnderlineOffset = font_.UnderlineOffset;
        glyph.UnderlineSize = font_.UnderlineSize;
    }
    if (glyph.Style & fsStrikeOut) {
        glyph.StrikeOffset = font_.StrikeOffset;
        glyph.StrikeSize = font_.StrikeSize;
    }
    const uint32_t cp = CodePoint(glyph.Code);
    if (!font_.Handle || cp == 0)
        return;
    const unsigned index = FT_Get_Char_Index(font_.Handle, cp);
    if (Render(glyph, index, quality_))
        return;
    if (quality_ > 0) {
        // The grey rasterizer failed: two-level coverage from now on.
        greyFailed_ = true;
        quality_ = 0;
        Render(glyph, index, 0);
    }
}

const TFontPixel& TFontPixelManager::GetGlyph(uint16_t code, std::string_view face, uint8_t style, int32_t height) {
    height = std::clamp(height, -kMaxFontHeight, kMaxFontHeight);
    style &= 15;
    auto& bucket = buckets_[code & 0xFF];
    for (auto it : bucket)
        if (it->Code == code && it->Height == height && it->Style == style && it->Quality == quality_ &&
            it->Face == face) {
            recent_.splice(recent_.begin(), recent_, it);
            return *it;
        }
    recent_.emplace_front();
    const auto it = recent_.begin();
    it->Code = code;
    it->Face = std::string(face);
    it->Height = height;
    it->Style = style;
    it->Quality = quality_;
    ++rasterized_;
    try {
        Rasterize(*it);
    } catch (...) {
        recent_.pop_front();
        throw;
    }
    bucket.push_back(it);
    if (recent_.size() > kCacheLimit) {
        const auto last = std::prev(recent_.end());
        auto& lastBucket = buckets_[last->Code & 0xFF];
        lastBucket.erase(std::find(lastBucket.begin(), lastBucket.end(), last));
        recent_.pop_back();
    }
    return *it;
}

} // namespace ruvo
