#include "text/glyphs.hpp"

#include <algorithm>

#include "archive/streams.hpp"
#include "params/expr.hpp"
#include "text/gxword.hpp"
#include "text/inlinepicture.hpp"
#include "text/page.hpp"
#include "text/storedtext.hpp"

namespace ruvo {

namespace {
const std::string kNoText;
const TDecorateStyle kDefaultStyle;

// The kinds that have a class, with how to make one.
struct TGlyphKindRow {
    int Kind;
    std::unique_ptr<TWdGlyph> (*Create)(TGxWord& engine);
};
template <class T>
std::unique_ptr<TWdGlyph> Make(TGxWord& engine) {
    return std::make_unique<T>(engine);
}
constexpr TGlyphKindRow kGlyphKinds[] = {
    {gkChar, Make<TWdChar>},         {gkAlign, Make<TWdOpeAlign>}, {gkReturn, Make<TWdOpeReturn>},
    {gkIndent, Make<TWdOpeIndent>},  {gkUndent, Make<TWdOpeUndent>}, {gkEvent, Make<TWdOpeEvent>},
    {gkVar, Make<TWdOpeVar>},        {gkImg, Make<TWdImg>},
};

TDecorate* StoredDecoration(TStream& s, const TStoredContext& c, TGxWord& engine) {
    const int32_t index = ReadInt(s);
    TDecorate* d = engine.Decorations.At(c.DecorationBase + index);
    if (index < 0 || !d)
        StoredTextError("decoration index " + std::to_string(index) + " out of range");
    return d;
}

void WriteDecorationIndex(TStream& s, const TGxWord& engine, const TDecorate* d) {
    WriteInt(s, engine.Decorations.IndexOf(d));
}
} // namespace

std::unique_ptr<TWdGlyph> CreateGlyph(TGxWord& engine, int kind) {
    for (const TGlyphKindRow& row : kGlyphKinds)
        if (row.Kind == (kind & 0x7F))
            return row.Create(engine);
    return nullptr;
}

// ---- TWdGlyph

TWdGlyph::~TWdGlyph() {
    if (row_)
        row_->Forget(*this);
}

TWdPage* TWdGlyph::Page() const noexcept { return row_ ? &row_->Page() : nullptr; }

std::string TWdGlyph::Text() const {
    const uint16_t code = Code();
    if (code > 0xFF)
        return std::string{char(code >> 8), char(code & 0xFF)};
    return std::string(1, char(code));
}

const std::string& TWdGlyph::Link() const { return kNoText; }
const std::string& TWdGlyph::Value() const { return kNoText; }

int32_t TWdGlyph::PageY() const noexcept { return (row_ ? row_->Top : 0) + Y; }

int32_t TWdGlyph::ScreenX() const noexcept { return engine_.AreaLeft + PageX(); }

int32_t TWdGlyph::ScreenY() const noexcept {
    const TWdPage* page = Page();
    const int32_t scroll = page && !engine_.Paging ? page->ScrollY : 0;
    return engine_.AreaTop - scroll + PageY();
}

void TWdGlyph::Render(bool) {}

TRect TWdGlyph::ScreenRect() const { return Bounds(ScreenX(), ScreenY(), Width, Height); }

void TWdGlyph::Invalidate() {
    const TRect r = ScreenRect();
    if (!r.IsEmpty())
        engine_.ChangedRects.push_back(r);
}

void TWdGlyph::CopyFrom(const TWdGlyph& source) {
    X = source.X;
    Y = source.Y;
    Width = source.Width;
    Height = source.Height;
}

// ---- TDecorationRef

const TDecorateStyle& TDecorationRef::Style() const noexcept {
    return decoration_ ? decoration_->Style : kDefaultStyle;
}

void TDecorationRef::Bind(TDecorate* d) noexcept {
    if (d == decoration_)
        return;
    if (d)
        ++d->RefCount;
    list_.Release(decoration_);
    decoration_ = d;
}

// ---- TWdReal

void TWdReal::SetAlpha(int alpha) { alpha_ = std::clamp(alpha, 0, 255); }

void TWdReal::Render(bool restart) {
    if (restart)
        alpha_ = 0;
}

void TWdReal::CopyFrom(const TWdGlyph& source) {
    TWdGlyph::CopyFrom(source);
    link_ = source.Link();
    hover_ = source.Hover();
    alpha_ = source.Alpha();
    wait_ = source.Wait();
}

// ---- TWdChar

TWdChar::TWdChar(TGxWord& engine) : TWdReal(engine), decoration_(engine.Decorations) {}

void TWdChar::WriteTo(TStream& s, const TStoredContext&) const {
    WriteStr(s, Link());
    WriteInt(s, Wait());
    const uint16_t code = code_;
    s.WriteBuffer(&code, 2);
    WriteDecorationIndex(s, Engine(), decoration_.Get());
}

void TWdChar::ReadFrom(TStream& s, const TStoredContext& c) {
    SetLink(ReadStr(s));
    SetWait(ReadInt(s));
    uint8_t code[2];
    s.ReadBuffer(code, 2);
    code_ = uint16_t(code[0] | code[1] << 8);
    decoration_.Bind(StoredDecoration(s, c, Engine()));
}

void TWdChar::CopyFrom(const TWdGlyph& source) {
    TWdReal::CopyFrom(source);
    code_ = source.Code();
    if (source.Kind() == gkChar) {
        const auto& from = static_cast<const TWdChar&>(source);
        rendered_ = from.rendered_;
        decoration_.Set(from.Style());
    }
}

// ---- TWdVarChar, TWdVarReturn

TWdVarChar::~TWdVarChar() {
    if (owner_)
        owner_->Forget(this);
}

TWdVarReturn::~TWdVarReturn() {
    if (owner_)
        owner_->Forget(this);
}

// ---- TWdImg

TWdImg::TWdImg(TGxWord& engine) : TWdReal(engine) {}
TWdImg::~TWdImg() = default;

void TWdImg::WriteTo(TStream& s, const TStoredContext&) const {
    WriteStr(s, Link());
    WriteInt(s, Wait());
    WriteStr(s, name_);
    WriteByte(s, uint8_t(align_));
}

void TWdImg::ReadFrom(TStream& s, const TStoredContext&) {
    SetLink(ReadStr(s));
    SetWait(ReadInt(s));
    name_ = ReadStr(s);
    align_ = ReadByte(s);
}

void TWdImg::CopyFrom(const TWdGlyph& source) {
    TWdReal::CopyFrom(source);
    name_ = source.Value();
    align_ = source.Align();
}

bool TWdImg::NeedsTick() const { return picture_ && picture_->Animates(); }

void TWdImg::Tick(int32_t ms) {
    if (picture_ && picture_->Advance(ms))
        Invalidate();
}

void TWdImg::ReleaseSurfaces() {
    if (picture_)
        picture_->ReleaseSurfaces();
}

void TWdImg::RestoreSurfaces() {
    if (picture_)
        picture_->RestoreSurfaces();
}

void TWdImg::Measure() {
    TInlinePictureSource* source = Engine().Services().Pictures;
    picture_ = source && !name_.empty() ? source->Load(name_) : nullptr;
    Width = picture_ ? std::max(0, picture_->Width()) : 0;
    Height = picture_ ? std::max(0, picture_->Height()) : 0;
}

// ---- layout operations

void TWdOpeReturn::WriteTo(TStream& s, const TStoredContext&) const { WriteByte(s, clear_ ? 1 : 0); }
void TWdOpeReturn::ReadFrom(TStream& s, const TStoredContext&) { clear_ = ReadByte(s) != 0; }
void TWdOpeReturn::CopyFrom(const TWdGlyph& source) {
    TWdGlyph::CopyFrom(source);
    clear_ = source.Clear();
}

void TWdOpeAlign::WriteTo(TStream& s, const TStoredContext&) const { WriteByte(s, uint8_t(align_)); }
void TWdOpeAlign::ReadFrom(TStream& s, const TStoredContext&) { align_ = ReadByte(s); }
void TWdOpeAlign::CopyFrom(const TWdGlyph& source) {
    TWdGlyph::CopyFrom(source);
    align_ = source.Align();
}

// The stored form keeps the stop flag as a 0x01 before the value.
void TWdOpeEvent::WriteTo(TStream& s, const TStoredContext&) const {
    const bool prefixed = !value_.empty() && value_[0] == '\x01';
    WriteStr(s, stop_ && !prefixed ? "\x01" + value_ : value_);
}

void TWdOpeEvent::ReadFrom(TStream& s, const TStoredContext&) {
    value_ = ReadStr(s);
    stop_ = !value_.empty() && value_[0] == '\x01';
    if (stop_)
        value_.erase(0, 1);
}

void TWdOpeEvent::CopyFrom(const TWdGlyph& source) {
    TWdGlyph::CopyFrom(source);
    value_ = source.Value();
    stop_ = static_cast<const TWdOpeEvent&>(source).stop_;
}

// ---- TWdOpeVar (storing and copying; expansion is in varglyph.cpp)

TWdOpeVar::TWdOpeVar(TGxWord& engine) : TWdGlyph(engine), decoration_(engine.Decorations) {}

TWdOpeVar::~TWdOpeVar() {
    for (TWdGlyph* g : inserted_) {
        if (g->Kind() == gkChar)
            static_cast<TWdVarChar*>(g)->owner_ = nullptr;
        else
            static_cast<TWdVarReturn*>(g)->owner_ = nullptr;
    }
}

void TWdOpeVar::Forget(TWdGlyph* inserted) noexcept {
    inserted_.erase(std::remove(inserted_.begin(), inserted_.end(), inserted), inserted_.end());
}

void TWdOpeVar::WriteTo(TStream& s, const TStoredContext& c) const {
    WriteDecorationIndex(s, Engine(), decoration_.Get());
    if (c.Version > 100) {
        WriteInt(s, wait_);
        WriteStr(s, link_);
    }
    if (c.Version >= 102) {
        WriteStr(s, TrimmedExpression());
        return;
    }
    if (compiled_) {
        compiled_->SaveToStream(s);
        return;
    }
    CompiledExpression().SaveToStream(s);
}

void TWdOpeVar::ReadFrom(TStream& s, const TStoredContext& c) {
    decoration_.Bind(StoredDecoration(s, c, Engine()));
    if (c.Version > 100) {
        wait_ = ReadInt(s);
        link_ = ReadStr(s);
    }
    if (c.Version < 102) {
        compiled_ = std::make_unique<TRuvoParser>();
        compiled_->LoadFromStream(s);
        expression_.clear();
    } else {
        expression_ = ReadStr(s);
        compiled_.reset();
    }
}

void TWdOpeVar::CopyFrom(const TWdGlyph& source) {
    TWdGlyph::CopyFrom(source);
    const auto& from = static_cast<const TWdOpeVar&>(source);
    decoration_.Set(from.Style());
    expression_ = from.expression_;
    wait_ = from.wait_;
    link_ = from.link_;
    compiled_.reset();
    if (expression_.empty() && from.compiled_) {
        compiled_ = std::make_unique<TRuvoParser>();
        compiled_->CloneFrom(*from.compiled_);
    }
}

} // namespace ruvo
