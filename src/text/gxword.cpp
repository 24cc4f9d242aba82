#include "text/gxword.hpp"

#include <algorithm>
#include <unordered_set>

#include "archive/sjis.hpp"
#include "archive/streams.hpp"
#include "graphics/fonts/fontcatalog.hpp"
#include "graphics/fonts/fontpixels.hpp"
#include "params/varset.hpp"
#include "text/page.hpp"

namespace ruvo {

TGxWord::TGxWord(TTextServices& services)
    : FontName(Utf8ToSjis(kDefaultFaceUtf8)), services_(services), defaultFace_(FontName) {}

TGxWord::~TGxWord() { Clear(); }

void TGxWord::Clear() noexcept {
    glyphs_.clear();
    numbered_ = false;
    Decorations.Clear();
    DecorationBase = 0;
    VarValues.clear();
}

TWdGlyph* TGxWord::Glyph(int i) const noexcept {
    return i >= 0 && i < GlyphCount() ? glyphs_[size_t(i)].get() : nullptr;
}

void TGxWord::Renumber() const {
    for (size_t i = 0; i < glyphs_.size(); ++i)
        glyphs_[i]->listIndex_ = int(i);
    numbered_ = true;
}

int TGxWord::IndexOf(const TWdGlyph* glyph) const noexcept {
    if (!glyph || &glyph->Engine() != this)
        return -1;
    if (!numbered_)
        Renumber();
    const int i = glyph->listIndex_;
    return i >= 0 && i < GlyphCount() && glyphs_[size_t(i)].get() == glyph ? i : -1;
}

TWdGlyph& TGxWord::AppendGlyph(std::unique_ptr<TWdGlyph> glyph) {
    TWdGlyph& g = *glyph;
    g.listIndex_ = GlyphCount();
    glyphs_.push_back(std::move(glyph));
    return g;
}

void TGxWord::DeleteGlyph(int i) {
    if (i < 0 || i >= GlyphCount())
        return;
    std::unique_ptr<TWdGlyph> gone = std::move(glyphs_[size_t(i)]);
    glyphs_.erase(glyphs_.begin() + i);
    numbered_ = false;
}

void TGxWord::InsertGlyphs(int i, std::vector<std::unique_ptr<TWdGlyph>> glyphs) {
    if (glyphs.empty())
        return;
    i = std::clamp(i, 0, GlyphCount());
    glyphs_.insert(glyphs_.begin() + i, std::make_move_iterator(glyphs.begin()), std::make_move_iterator(glyphs.end()));
    numbered_ = false;
}

void TGxWord::DeleteGlyphs(const std::vector<TWdGlyph*>& glyphs) {
    if (glyphs.empty())
        return;
    const std::unordered_set<const TWdGlyph*> doomed(glyphs.begin(), glyphs.end());
    std::vector<std::unique_ptr<TWdGlyph>> gone;
    auto keep = glyphs_.begin();
    for (auto& g : glyphs_) {
        if (doomed.count(g.get()))
            gone.push_back(std::move(g));
        else
            *keep++ = std::move(g);
    }
    glyphs_.erase(keep, glyphs_.end());
    numbered_ = false;
    gone.clear();  // freed once the list is consistent again
}

void TGxWord::ExpandVars(int first, int last) {
    if (last < 0 || last >= GlyphCount())
        last = GlyphCount() - 1;
    for (int i = last; i >= std::max(first, 0); --i)
        glyphs_[size_t(i)]->Expand();
}

void TGxWord::CollapseVars(int first, int last) {
    if (last < 0 || last >= GlyphCount())
        last = GlyphCount() - 1;
    for (int i = last; i >= std::max(first, 0); --i)
        if (i < GlyphCount())
            glyphs_[size_t(i)]->Collapse();
}

void TGxWord::CopyRange(const TGxWord& source, int first, int last) {
    if (last < 0 || last >= source.GlyphCount())
        last = source.GlyphCount() - 1;
    for (int i = std::max(first, 0); i <= last; ++i) {
        const TWdGlyph& from = *source.glyphs_[size_t(i)];
        std::unique_ptr<TWdGlyph> copy = CreateGlyph(*this, from.Kind());
        if (!copy)
            continue;
        AppendGlyph(std::move(copy)).CopyFrom(from);
    }
}

int TGxWord::PositionOf(const TWdGlyph* glyph) const noexcept {
    const int index = IndexOf(glyph);
    const int end = index < 0 ? GlyphCount() : index;
    int p = 0;
    for (int i = 0; i < end; ++i)
        p += glyphs_[size_t(i)]->Weight();
    return p;
}

int TGxWord::GlyphAtPosition(int p) const noexcept {
    int before = 0;
    for (int i = 0; i < GlyphCount(); ++i) {
        if (before >= p)
            return i;
        before += glyphs_[size_t(i)]->Weight();
    }
    return -1;
}

TWdGlyph* TGxWord::PreviousInLine(const TWdGlyph& glyph) const noexcept {
    const int i = IndexOf(&glyph);
    TWdGlyph* g = i > 0 ? Glyph(i - 1) : nullptr;
    return g && g->Kind() != gkReturn ? g : nullptr;
}

TWdGlyph* TGxWord::NextInLine(const TWdGlyph& glyph) const noexcept {
    const int i = IndexOf(&glyph);
    TWdGlyph* g = i < 0 ? nullptr : Glyph(i + 1);
    return g && g->Kind() != gkReturn ? g : nullptr;
}

int32_t TGxWord::SizeOf(const TDecorateStyle& style) const noexcept {
    return std::clamp(style.Size > 0 ? style.Size : FontSize, 0, kMaxFontHeight);
}

int32_t TGxWord::BorderOf(const TDecorateStyle& style) const noexcept {
    return std::clamp(style.BorderWidth < 0 ? BorderWidth : style.BorderWidth, 0, kMaxEdgeWidth);
}

int32_t TGxWord::ShadowOf(const TDecorateStyle& style) const noexcept {
    return std::clamp(style.ShadowWidth < 0 ? ShadowWidth : style.ShadowWidth, 0, kMaxEdgeWidth);
}

const std::string& TGxWord::FaceOf(const TDecorateStyle& style) const noexcept {
    if (!style.FontName.empty())
        return style.FontName;
    return FontName.empty() ? defaultFace_ : FontName;
}

int32_t TGxWord::DefaultWait() const noexcept { return services_.Vars ? services_.Vars->TextDelay() : 50; }

void TGxWord::SaveStyle(TStream& s, int version) const {
    WriteInt(s, AreaLeft);
    WriteInt(s, AreaTop);
    WriteInt(s, FontSize);
    WriteStr(s, FontName);
    WriteInt(s, TextColor);
    WriteInt(s, AreaHeight);
    WriteInt(s, AreaWidth);
    WriteInt(s, Antialias);
    WriteInt(s, LineSpace);
    WriteByte(s, Paging ? 1 : 0);
    WriteInt(s, LinkColor);
    WriteInt(s, HoverColor);
    WriteInt(s, FadeTime);
    WriteInt(s, BorderColor);
    WriteInt(s, Alpha);
    WriteByte(s, Paused ? 1 : 0);
    WriteInt(s, CaretX);
    WriteInt(s, CaretY);
    WriteInt(s, DelayRate);
    WriteByte(s, NotifyEnabled ? 1 : 0);
    if (version >= 110)
        WriteInt(s, ShadowColor);
    if (version > 110) {
        WriteInt(s, BorderWidth);
        WriteInt(s, ShadowWidth);
    }
}

void TGxWord::LoadStyle(TStream& s, int version) {
    AreaLeft = ReadInt(s);
    AreaTop = ReadInt(s);
    FontSize = ReadInt(s);
    FontName = ReadStr(s);
    TextColor = ReadInt(s);
    AreaHeight = ReadInt(s);
    AreaWidth = ReadInt(s);
    Antialias = ReadInt(s);
    LineSpace = ReadInt(s);
    Paging = ReadByte(s) != 0;
    LinkColor = ReadInt(s);
    HoverColor = ReadInt(s);
    FadeTime = ReadInt(s);
    BorderColor = ReadInt(s);
    Alpha = ReadInt(s);
    Paused = ReadByte(s) != 0;
    CaretX = ReadInt(s);
    CaretY = ReadInt(s);
    DelayRate = ReadInt(s);
    NotifyEnabled = ReadByte(s) != 0;
    if (version >= 110)
        ShadowColor = ReadInt(s);
    if (version > 110) {
        BorderWidth = ReadInt(s);
        ShadowWidth = ReadInt(s);
    }
}

void TGxWord::ReleaseSurfaces() {
    for (auto& g : glyphs_)
        g->ReleaseSurfaces();
}

void TGxWord::RestoreSurfaces() {
    for (auto& g : glyphs_)
        g->RestoreSurfaces();
}

} // namespace ruvo
