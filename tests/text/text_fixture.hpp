#pragma once
// An engine with the system fonts, a variable set and functions, and helpers that take UTF-8 markup.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "archive/sjis.hpp"
#include "graphics/fonts/fontpixels.hpp"
#include "params/sysfuncs.hpp"
#include "params/varset.hpp"
#include "text/glyphlisting.hpp"
#include "text/gxword.hpp"
#include "text/inlinepicture.hpp"
#include "text/page.hpp"

namespace ruvo::testing {

// One font manager for the whole test program: fontconfig and FreeType start once.
inline TFontPixelManager& SharedFonts() {
    static TSystemFontCatalog catalog;
    static TFontPixelManager fonts(catalog);
    return fonts;
}

inline std::vector<std::string> SjisLines(const std::string& utf8) {
    std::vector<std::string> lines;
    std::stringstream in(utf8);
    std::string line;
    while (std::getline(in, line)) lines.push_back(Utf8ToSjis(line));
    if (!utf8.empty() && utf8.back() == '\n') lines.emplace_back();
    return lines;
}

inline uint16_t SjisCode(const std::string& utf8) {
    const std::string s = Utf8ToSjis(utf8);
    return s.size() == 2 ? uint16_t(uint8_t(s[0]) << 8 | uint8_t(s[1])) : uint8_t(s[0]);
}

// Pictures of solid colour: "NAME.png" of a given size and frame count, as the picture cache would give
// them; every other name is missing.
class FakePicture : public TInlinePicture {
public:
    FakePicture(int32_t w, int32_t h, int frames, uint32_t colour) : frames_(frames) {
        for (int k = 0; k < frames; ++k) {
            surfaces_.push_back(std::make_unique<TDIBX>());
            surfaces_.back()->SetSize(w, h, 32);
            surfaces_.back()->Clear(colour + uint32_t(k));
        }
    }
    int32_t Width() const override { return surfaces_[0]->GetWidth(); }
    int32_t Height() const override { return surfaces_[0]->GetHeight(); }
    bool Animates() const override { return frames_ > 1; }
    // Each frame shows for 100 ms.
    bool Advance(int32_t ms) override {
        elapsed_ += ms;
        const int frame = int(elapsed_ / 100) % frames_;
        const bool changed = frame != frame_;
        frame_ = frame;
        return changed;
    }
    TCustomDIBX* Frame() override { return surfaces_[size_t(frame_)].get(); }
    TCustomDIBX* Mask() override { return nullptr; }
    void ReleaseSurfaces() override { ++released; }
    void RestoreSurfaces() override { ++restored; }
    int CurrentFrame() const { return frame_; }
    int released = 0, restored = 0;

private:
    int frames_;
    int frame_ = 0;
    int64_t elapsed_ = 0;
    std::vector<std::unique_ptr<TDIBX>> surfaces_;
};

class FakePictures : public TInlinePictureSource {
public:
    struct Spec {
        int32_t w, h;
        int frames = 1;
        uint32_t colour = 0x00FF00;
    };
    std::map<std::string, Spec> known;
    std::unique_ptr<TInlinePicture> Load(std::string_view name) override {
        const auto it = known.find(std::string(name));
        if (it == known.end()) return nullptr;
        return std::make_unique<FakePicture>(it->second.w, it->second.h, it->second.frames, it->second.colour);
    }
};

class TextTest : public ::testing::Test {
protected:
    TParamCollection vars;
    TSysFuncMan funcs{vars};
    FakePictures pictures;
    TTextServices services{SharedFonts(), &vars, &funcs, &pictures, 32};
    TGxWord engine{services};
    std::vector<std::unique_ptr<TWdPage>> pages;

    void Parse(const std::string& utf8) { engine.Parse(SjisLines(utf8)); }
    std::string Listing() const { return GlyphListing(engine); }
    // The characters of the glyph list in UTF-8, other glyphs as [kind].
    std::string Glyphs() const {
        std::string out;
        for (int i = 0; i < engine.GlyphCount(); ++i) {
            const TWdGlyph& g = *engine.Glyph(i);
            out += g.Kind() == gkChar ? SjisToUtf8Lossy(g.Text()) : "[" + std::to_string(g.Kind()) + "]";
        }
        return out;
    }
    void DeclareStr(const std::string& name, const std::string& utf8Value) {
        vars.Declare(Utf8ToSjis(name), 4, TVarScope::Global).Value().SetStr(Utf8ToSjis(utf8Value));
    }
    void DeclareInt(const std::string& name, int32_t value) {
        vars.Declare(Utf8ToSjis(name), 1, TVarScope::Global).Value().SetInt(value);
    }
    // Parse, expand and lay out as a message window does.
    void Show(const std::string& utf8) {
        Parse(utf8);
        engine.ExpandVars(0, -1);
        engine.Layout(pages, 0, -1);
    }
    // Rows of a page as their characters (UTF-8), "|" between rows.
    std::string RowsOf(const TWdPage& page) const {
        std::string out;
        for (const auto& row : page.Rows()) {
            if (!out.empty()) out += '|';
            for (const TWdGlyph* g : row->Glyphs())
                if (g->Kind() == gkChar) out += SjisToUtf8Lossy(g->Text());
        }
        return out;
    }
};

} // namespace ruvo::testing
