#include "text/page.hpp"

#include <algorithm>

#include "archive/sjis.hpp"
#include "graphics/fonts/fontpixels.hpp"
#include "text/gxword.hpp"

namespace ruvo {

// ---- TWdRow

TWdRow::TWdRow(TWdPage& page, int32_t top, int align, int32_t leftLimit, int32_t rightLimit)
    : Top(top), Align(align), LeftLimit(leftLimit), RightLimit(rightLimit), page_(page) {}

TWdRow::~TWdRow() {
    for (TWdGlyph* g : glyphs_)
        if (g->row_ == this)
            g->row_ = nullptr;
}

void TWdRow::Indent(int32_t width) {
    filler_ = std::make_unique<TWdSpace>(page_.Engine());
    filler_->Width = width;
    filler_->row_ = this;
    glyphs_.insert(glyphs_.begin(), filler_.get());
}

void TWdRow::Stack(int align, int32_t h) noexcept {
    switch (align) {
    case taCenter: {
        const int32_t d = (h - Line + 1) / 2;
        Above = std::max(Above, d);
        Below = std::max(Below, d);
        break;
    }
    case taTop: Below = std::max(Below, h - Line); break;
    case taBottom: Above = std::max(Above, h - Line); break;
    default: Line = std::max(Line, h);
    }
}

namespace {
// Pictures aligned to the text line stand beside it; everything else makes the line.
int LineAlign(const TWdGlyph& g) {
    const int a = g.Kind() == gkImg ? g.Align() : taNone;
    return a == taCenter || a == taTop || a == taBottom ? a : taNone;
}
} // namespace

void TWdRow::Add(TWdGlyph& glyph) {
    if (glyph.row_ && glyph.row_ != this)
        glyph.row_->Forget(glyph);
    if (glyph.Kind() == gkReturn) {
        // An empty line is as high as the default font; a break after text adds nothing.
        const bool alone = std::none_of(glyphs_.begin(), glyphs_.end(),
                                        [&](const TWdGlyph* g) { return g != filler_.get() && g != &glyph; });
        glyph.Width = 0;
        glyph.Height = alone ? std::clamp(page_.Engine().FontSize, 0, kMaxFontHeight) : 0;
    }
    if (glyph.row_ != this) {
        glyph.row_ = this;
        glyphs_.push_back(&glyph);
    }
    Stack(LineAlign(glyph), glyph.Height);
}

void TWdRow::Arrange() {
    int32_t x = LeftLimit;
    if (Align == taRight)
        x = RightLimit - ContentWidth;
    else if (Align == taCenter)
        x = LeftLimit + (RightLimit - LeftLimit - ContentWidth) / 2;
    Width = ContentWidth + x;
    for (TWdGlyph* g : glyphs_) {
        g->X = x;
        x += g->Width;
    }
    Line = 0;
    for (const TWdGlyph* g : glyphs_)
        if (LineAlign(*g) == taNone)
            Line = std::max(Line, g->Height);
    Above = Below = 0;
    for (const TWdGlyph* g : glyphs_)
        if (const int a = LineAlign(*g); a != taNone)
            Stack(a, g->Height);
    const int32_t height = Height();
    for (TWdGlyph* g : glyphs_) {
        const int a = LineAlign(*g);
        if (g->Height == 0 || a == taTop)
            g->Y = Above;
        else if (a == taCenter)
            g->Y = Above + (Line - g->Height) / 2;
        else
            g->Y = height - Below - g->Height;
    }
}

TWdGlyph* TWdRow::HitTest(int32_t x, int32_t y) const {
    if (x < 0 || x >= Width)
        return nullptr;
    for (TWdGlyph* g : glyphs_)
        if (g->Alpha() >= 255 && x >= g->X && x < g->X + g->Width && y >= g->Y && y < g->Y + g->Height)
            return g;
    return nullptr;
}

void TWdRow::Forget(TWdGlyph& glyph) noexcept {
    glyphs_.erase(std::remove(glyphs_.begin(), glyphs_.end(), &glyph), glyphs_.end());
    glyph.row_ = nullptr;
    page_.Forget(glyph);
}

// ---- TWdPage: layout and text

TWdPage::TWdPage(TGxWord& engine) : engine_(engine) {}
TWdPage::~TWdPage() = default;

TWdRow& TWdPage::AddRow(int32_t top, int align, int32_t leftLimit, int32_t rightLimit) {
    rows_.push_back(std::make_unique<TWdRow>(*this, top, align, leftLimit, rightLimit));
    return *rows_.back();
}

void TWdPage::RemoveLastRow() {
    if (!rows_.empty())
        rows_.pop_back();
}

void TWdPage::Arrange() {
    Height = 0;
    for (const auto& row : rows_) {
        row->Arrange();
        Height = std::max(Height, row->Top + row->Height());
    }
}

void TWdPage::Forget(TWdGlyph& glyph) noexcept {
    fading_.erase(std::remove(fading_.begin(), fading_.end(), &glyph), fading_.end());
    ticking_.erase(std::remove(ticking_.begin(), ticking_.end(), &glyph), ticking_.end());
    if (hover_ == &glyph)
        hover_ = nullptr;
}

std::string TWdPage::Text() const {
    std::string out;
    for (const auto& row : rows_)
        for (const TWdGlyph* g : row->Glyphs())
            if (g->Code() != 0)
                out += g->Text();
    return out;
}

std::string TWdPage::ShownText() const {
    std::string out;
    for (const auto& row : rows_)
        for (const TWdGlyph* g : row->Glyphs()) {
            if (g->Alpha() <= 0)
                break;
            out += g->ShownText();
        }
    return out;
}

TWdGlyph* TWdPage::FirstWeighted() const {
    for (const auto& row : rows_)
        for (TWdGlyph* g : row->Glyphs())
            if (g->Weight() == 1)
                return g;
    return nullptr;
}

TWdGlyph* TWdPage::LastWeighted() const {
    for (auto row = rows_.rbegin(); row != rows_.rend(); ++row)
        for (auto g = (*row)->Glyphs().rbegin(); g != (*row)->Glyphs().rend(); ++g)
            if ((*g)->Weight() == 1)
                return *g;
    return nullptr;
}

void TWdPage::CollectVarValues(std::vector<std::string>& lines) const {
    for (const auto& row : rows_)
        for (const TWdGlyph* g : row->Glyphs()) {
            if (g->Kind() != gkVar)
                continue;
            const std::string& name = g->Value();
            const bool listed = std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
                const size_t eq = line.find('=');
                return eq != std::string::npos && SameTextSjis(std::string_view(line).substr(0, eq), name);
            });
            if (listed)
                continue;
            std::string line = name + "=";
            for (const TWdGlyph* inserted : static_cast<const TWdOpeVar*>(g)->Inserted())
                line += inserted->Kind() == gkReturn ? std::string("\x01") : inserted->Text();
            lines.push_back(std::move(line));
        }
}

void TWdPage::FreezeVarValues() {
    VarText.clear();
    CollectVarValues(VarText);
}

} // namespace ruvo
