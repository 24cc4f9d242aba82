#include "text/labels.hpp"

#include <algorithm>
#include <map>

#include "archive/sjis.hpp"
#include "archive/streams.hpp"

namespace ruvo {

namespace {

uint16_t CodeAt(const std::string& text, size_t i) {
    return CharLength(text, i) == 2 ? uint16_t(uint8_t(text[i]) << 8 | uint8_t(text[i + 1])) : uint8_t(text[i]);
}

} // namespace

// ---- TGxLabelDIB

void TGxLabelDIB::SetText(std::string text) {
    if (text == text_)
        return;
    text_ = std::move(text);
    Dirty = true;
}

void TGxLabelDIB::Render() {
    TGxLabelList& list = list_;
    if (Advances.size() != CharCount(text_))
        list.Measure();
    const int bits = list.Target ? list.Target->GetBitCount() : 32;
    if (ColorSurface.GetWidth() != Width || ColorSurface.GetHeight() != Height || ColorSurface.GetBitCount() != bits) {
        ColorSurface.SetSize(Width, Height, bits);
        OpacitySurface.SetSize(Width, Height, 8);
    }
    if (ColorSurface.IsEmpty())
        return;
    OpacitySurface.FillRect(Bounds(0, 0, Width, Height), 0);
    TFontPixelManager& fonts = list.Fonts();
    fonts.SetQuality(list.Antialias);
    TCustomDIBX& format = list.Target ? *list.Target : static_cast<TCustomDIBX&>(ColorSurface);
    const uint32_t text = uint32_t(format.ColorToPixel(list.Color));
    const uint32_t edge = uint32_t(format.ColorToPixel(list.BorderColor));
    const uint32_t shadow = uint32_t(format.ColorToPixel(list.ShadowColor));
    const size_t n = Advances.size();
    int32_t x = 0;
    size_t k = 0;
    for (size_t i = 0; i < text_.size(); i = NextCharPos(text_, i), ++k) {
        const TFontPixel& glyph = fonts.GetGlyph(CodeAt(text_, i), list.FontName, list.Style, list.FontHeight);
        fonts.DrawGlyph(glyph, ColorSurface, OpacitySurface, shadow, edge, text, k + 1 == n, k == 0, list.ShadowWidth,
                        list.BorderWidth, Bounds(x, 0, Advances[k], list.FontHeight));
        x += Advances[k];
    }
    Dirty = false;
}

void TGxLabelDIB::Paint(int32_t x, int32_t y) {
    TGxLabelList& list = list_;
    if (!list.Target)
        return;
    if (Dirty || ColorSurface.GetBitCount() != list.Target->GetBitCount())
        Render();
    if (ColorSurface.IsEmpty())
        return;
    const TRect whole = Bounds(0, 0, Width, Height);
    if (list.BorderWidth == 0 && list.ShadowWidth == 0)
        list.Target->DrawCoverage(x, y, OpacitySurface, whole, false, false,
                                  uint32_t(list.Target->ColorToPixel(list.Color)), list.Alpha);
    else if (list.Alpha < 255)
        list.Target->DrawMaskedAlpha(x, y, ColorSurface, whole, false, false, OpacitySurface, list.Alpha);
    else
        list.Target->DrawMasked(x, y, ColorSurface, whole, false, false, OpacitySurface);
}

// ---- TGxLabelList

TGxLabelList::TGxLabelList(TFontPixelManager& fonts) : FontName(Utf8ToSjis("ＭＳ Ｐゴシック")), fonts_(fonts) {}

TGxLabelDIB& TGxLabelList::Add() {
    labels_.push_back(std::make_unique<TGxLabelDIB>(*this));
    return *labels_.back();
}

TGxLabelDIB* TGxLabelList::Label(int i) const noexcept {
    return i >= 0 && i < Count() ? labels_[size_t(i)].get() : nullptr;
}

void TGxLabelList::SetFontHeight(int32_t height) {
    FontHeight = height;
    InvalidateAll();
}

void TGxLabelList::Measure() {
    const std::string face = FontName.empty() ? Utf8ToSjis(kDefaultFaceUtf8) : FontName;
    Metrics = fonts_.Metrics(face, Style, FontHeight);
    const int32_t overhang = Metrics.Get(TOutlineTextMetrics::tmOverhang);
    const int32_t height = Metrics.Get(TOutlineTextMetrics::tmHeight) + 2 * BorderWidth;
    fonts_.SetQuality(Antialias);
    // Advances measured in this call, shared by all labels.
    std::map<uint16_t, int32_t> known;
    for (const auto& label : labels_) {
        label->Height = height;
        label->Advances.clear();
        label->Width = 0;
        const std::string& text = label->Text();
        for (size_t i = 0; i < text.size(); i = NextCharPos(text, i)) {
            const uint16_t code = CodeAt(text, i);
            const bool last = NextCharPos(text, i) >= text.size();
            int32_t advance = 0;
            const auto it = known.find(code);
            if (it != known.end() && it->second != 0 && !last) {
                advance = it->second;
            } else {
                const TFontPixel& g = fonts_.GetGlyph(code, face, Style, FontHeight);
                advance = g.A + g.B + g.C + overhang + 2 * BorderWidth;
                known[code] = advance;
                // A last glyph reaching past its advance gets the room at the label's end only.
                if (last && g.C < 0)
                    advance -= g.C;
            }
            label->Advances.push_back(advance);
            label->Width += advance;
        }
        label->Dirty = true;
    }
}

int32_t TGxLabelList::MaxWidth() const noexcept {
    int32_t width = 0;
    for (const auto& label : labels_)
        width = std::max(width, label->Width);
    return width;
}

void TGxLabelList::InvalidateAll() noexcept {
    for (const auto& label : labels_)
        label->Dirty = true;
}

void TGxLabelList::SaveToStream(TStream& s) const {
    WriteInt(s, Antialias);
    WriteInt(s, BorderWidth);
    WriteInt(s, Alpha);
    WriteInt(s, FontHeight);
    WriteStr(s, FontName);
    WriteInt(s, Color);
    WriteInt(s, BorderColor);
    WriteByte(s, Style);
    s.WriteBuffer(Metrics.Bytes.data(), TOutlineTextMetrics::kSize);
    WriteInt(s, ShadowWidth);
    WriteInt(s, ShadowColor);
}

void TGxLabelList::LoadFromStream(TStream& s, int version) {
    const int32_t antialias = ReadInt(s);
    Antialias = version < 109 ? (antialias > 1 ? 3 : 0) : antialias;
    BorderWidth = ReadInt(s);
    Alpha = ReadInt(s);
    FontHeight = ReadInt(s);
    FontName = ReadStr(s);
    Color = ReadInt(s);
    BorderColor = ReadInt(s);
    Style = ReadByte(s);
    s.ReadBuffer(Metrics.Bytes.data(), TOutlineTextMetrics::kSize);
    if (version >= 122) {
        ShadowWidth = ReadInt(s);
        ShadowColor = ReadInt(s);
    }
    InvalidateAll();
}

} // namespace ruvo
