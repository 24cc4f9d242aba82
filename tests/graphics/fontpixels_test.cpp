// The glyph rasterizer: grey tables, face substitution and fallbacks, the cache, glyph metrics, and glyph
// drawing checked by properties (text colour where coverage is full, edge around it, shadow behind).
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "archive/errors.hpp"
#include "archive/sjis.hpp"
#include "graphics/fonts/fontpixels.hpp"
#include "graphics/surface/pixelview.hpp"
#include "support/tempdir.hpp"

namespace ruvo {
namespace {

uint16_t Code(const std::string& utf8) {
    const std::string s = Utf8ToSjis(utf8);
    return s.size() == 2 ? uint16_t(uint8_t(s[0]) << 8 | uint8_t(s[1])) : uint8_t(s[0]);
}
std::string Sjis(const std::string& utf8) { return Utf8ToSjis(utf8); }

// The set of coverage values of a glyph.
std::set<int> Values(const TFontPixel& g) {
    std::set<int> out;
    TDIBX& cov = const_cast<TDIBX&>(g.Coverage);
    for (int y = 0; y < cov.GetHeight(); ++y)
        for (int x = 0; x < cov.GetWidth(); ++x)
            out.insert(int(cov.GetPixel(x, y)));
    return out;
}

int64_t Sum(const TFontPixel& g) {
    int64_t sum = 0;
    TDIBX& cov = const_cast<TDIBX&>(g.Coverage);
    for (int y = 0; y < cov.GetHeight(); ++y)
        for (int x = 0; x < cov.GetWidth(); ++x)
            sum += cov.GetPixel(x, y);
    return sum;
}

bool SameCoverage(const TFontPixel& a, const TFontPixel& b) {
    TDIBX& ca = const_cast<TDIBX&>(a.Coverage);
    TDIBX& cb = const_cast<TDIBX&>(b.Coverage);
    if (ca.GetWidth() != cb.GetWidth() || ca.GetHeight() != cb.GetHeight()) return false;
    for (int y = 0; y < ca.GetHeight(); ++y)
        for (int x = 0; x < ca.GetWidth(); ++x)
            if (ca.GetPixel(x, y) != cb.GetPixel(x, y)) return false;
    return true;
}

TEST(GreyTables, ReduceThenMapAsTheSystemDoes) {
    struct Case {
        int quality, v;
        int coverage;
    } cases[] = {{1, 0, 0},   {1, 1, 79},  {1, 2, 127}, {1, 3, 207}, {1, 4, 255}, {2, 0, 0},   {2, 1, 43},
                 {2, 7, 115}, {2, 8, 159}, {2, 16, 255}, {3, 0, 0},  {3, 1, 18},  {3, 7, 36},  {3, 8, 55},
                 {3, 23, 100}, {3, 24, 119}, {3, 40, 183}, {3, 64, 255}};
    for (const Case& c : cases)
        EXPECT_EQ(GreyCoverage(c.quality, c.v), c.coverage) << c.quality << " " << c.v;
    // FreeType's full range lands on each level's ends.
    for (int q = 1; q <= 3; ++q) {
        EXPECT_EQ(ReduceGrey(q, 0), 0);
        EXPECT_EQ(GreyCoverage(q, ReduceGrey(q, 255)), 255);
    }
    EXPECT_EQ(ReduceGrey(3, 128), 32);
    EXPECT_EQ(ReduceGrey(1, 100), 2);
}

TEST(FontCatalog, WindowsNamesResolveThroughTheSubstitutionTable) {
    EXPECT_EQ(FoldFaceName("ＭＳ Ｐゴシック"), "mspゴシック");
    EXPECT_EQ(FoldFaceName("MS　UI Gothic"), "msuigothic");
    struct Case {
        const char* name;
        const char* family;
    } cases[] = {{"ＭＳ ゴシック", "IPAGothic"}, {"MS Gothic", "IPAGothic"},  {"ＭＳ Ｐゴシック", "IPAPGothic"},
                 {"MS PGothic", "IPAPGothic"}, {"ＭＳ 明朝", "IPAMincho"},  {"ms mincho", "IPAMincho"},
                 {"ＭＳ Ｐ明朝", "IPAPMincho"}, {"MS PMincho", "IPAPMincho"}, {"MS UI Gothic", "IPAPGothic"}};
    TSystemFontCatalog catalog;
    for (const Case& c : cases) {
        const auto families = SubstituteFamilies(FoldFaceName(c.name));
        ASSERT_FALSE(families.empty()) << c.name;
        EXPECT_EQ(families.front(), c.family) << c.name;
        const auto file = catalog.Find(Sjis(c.name));
        ASSERT_TRUE(file) << c.name;
        EXPECT_EQ(file, catalog.FindFamily(c.family)) << c.name;
    }
    // Other names go to fontconfig, which must find a face of that very name.
    EXPECT_TRUE(catalog.Find("IPAGothic"));
    EXPECT_FALSE(catalog.Find("No Such Face Anywhere"));
}

// Answers "Broken" and "Bitmap" with files of the test's own, everything else as installed.
class TestCatalog : public TFontCatalog {
public:
    explicit TestCatalog(const std::filesystem::path& dir) : dir_(dir) {}
    std::optional<TFontFile> Find(std::string_view face) override {
        if (face == "Broken") return TFontFile{(dir_ / "broken.ttf").string(), 0};
        if (face == "Bitmap") return TFontFile{(dir_ / "box.bdf").string(), 0};
        return system_.Find(face);
    }

private:
    std::filesystem::path dir_;
    TSystemFontCatalog system_;
};

class FontPixels : public ::testing::Test {
protected:
    testing::TempDir dir;
    TestCatalog catalog{dir.Path()};
    TFontPixelManager fonts{catalog};
    const std::string gothic = Sjis("ＭＳ ゴシック");
};

TEST_F(FontPixels, MissingAndUnreadableFacesRasterizeWithTheDefaultSubstitute) {
    testing::WriteFile(dir / "broken.ttf", "this is not a font at all");
    // References stay valid while the glyph is cached.
    const TFontPixel& want = fonts.GetGlyph(Code("あ"), gothic, 0, 24);
    const TFontPixel& mincho = fonts.GetGlyph(Code("あ"), Sjis("ＭＳ 明朝"), 0, 24);
    EXPECT_FALSE(SameCoverage(want, mincho));
    for (const char* face : {"No Such Face Anywhere", "Broken"}) {
        const TFontPixel& g = fonts.GetGlyph(Code("あ"), face, 0, 24);
        ASSERT_FALSE(g.Empty()) << face;
        EXPECT_TRUE(SameCoverage(g, want)) << face;
    }
}

TEST_F(FontPixels, AFontWithoutOutlinesFailsAsTheSystemDoes) {
    testing::WriteFile(dir / "box.bdf",
                       "STARTFONT 2.1\nFONT -misc-box-medium-r-normal--8-80-75-75-c-80-iso10646-1\nSIZE 8 75 75\n"
                       "FONTBOUNDINGBOX 8 8 0 0\nSTARTPROPERTIES 2\nFONT_ASCENT 8\nFONT_DESCENT 0\nENDPROPERTIES\n"
                       "CHARS 1\nSTARTCHAR A\nENCODING 65\nSWIDTH 500 0\nDWIDTH 8 0\nBBX 8 8 0 0\nBITMAP\n"
                       "FF\n81\n81\n81\n81\n81\n81\nFF\nENDCHAR\nENDFONT\n");
    try {
        fonts.GetGlyph('A', "Bitmap", 0, 8);
        FAIL() << "no error";
    } catch (const ERuvoError& e) {
        EXPECT_EQ(e.Message(), "Error:GetOutlineTextMetrics");
    }
    EXPECT_EQ(fonts.CachedCount(), 0u);
    EXPECT_FALSE(fonts.GetGlyph('A', gothic, 0, 8).Empty());  // the manager goes on with other faces
}

TEST_F(FontPixels, CacheKeepsTheMostRecent256) {
    // 256 distinct glyphs (one character at 256 heights would be clamped; use codes instead).
    auto code = [](int i) { return uint16_t(0x889F + (i / 94) * 256 + i % 94); };  // kanji rows
    for (int i = 0; i < 256; ++i) fonts.GetGlyph(code(i), gothic, 0, 12);
    EXPECT_EQ(fonts.CachedCount(), 256u);
    EXPECT_EQ(fonts.Rasterized(), 256u);
    fonts.GetGlyph(code(0), gothic, 0, 12);  // a hit refreshes glyph 0
    EXPECT_EQ(fonts.Rasterized(), 256u);
    fonts.GetGlyph(code(256), gothic, 0, 12);  // the 257th evicts glyph 1, the least recently used
    EXPECT_EQ(fonts.CachedCount(), 256u);
    fonts.GetGlyph(code(0), gothic, 0, 12);
    EXPECT_EQ(fonts.Rasterized(), 257u);
    fonts.GetGlyph(code(1), gothic, 0, 12);
    EXPECT_EQ(fonts.Rasterized(), 258u);
    // Face, height, style and quality are all part of the key.
    fonts.GetGlyph(code(0), gothic, fsBold, 12);
    fonts.GetGlyph(code(0), gothic, 0, 13);
    fonts.GetGlyph(code(0), Sjis("ＭＳ 明朝"), 0, 12);
    fonts.SetQuality(0);
    fonts.GetGlyph(code(0), gothic, 0, 12);
    EXPECT_EQ(fonts.Rasterized(), 262u);
}

TEST_F(FontPixels, QualityLevelsUseOnlyTheirGreyValues) {
    for (int q = 0; q <= 3; ++q) {
        fonts.SetQuality(q);
        const std::set<int> values = Values(fonts.GetGlyph(Code("永"), gothic, 0, 20));
        std::set<int> allowed;
        const int levels = q == 0 ? 1 : q == 1 ? 4 : q == 2 ? 16 : 64;
        for (int v = 0; v <= levels; ++v) allowed.insert(q == 0 ? v * 255 : GreyCoverage(q, v));
        for (int v : values) EXPECT_TRUE(allowed.count(v)) << "quality " << q << " value " << v;
        EXPECT_TRUE(values.count(255)) << q;
        EXPECT_GE(values.size(), q == 0 ? 2u : 3u) << q;
    }
    fonts.SetQuality(9);
    EXPECT_EQ(fonts.Quality(), 3);
}

TEST_F(FontPixels, MetricsOfCharactersSpacesAndStyles) {
    const TFontPixel& a = fonts.GetGlyph(Code("あ"), gothic, 0, 24);
    EXPECT_EQ(a.CellHeight, 24);
    EXPECT_LE(a.OffsetX + a.Coverage.GetWidth() + a.TrailingSpace, 25);
    EXPECT_GE(a.OffsetX + a.Coverage.GetWidth() + a.TrailingSpace, 23);
    EXPECT_LE(a.OffsetY + a.Coverage.GetHeight(), 24);
    EXPECT_EQ(a.A + a.B + a.C, a.OffsetX + a.Coverage.GetWidth() + a.TrailingSpace);
    const int32_t ascent = fonts.Ascent();
    EXPECT_GT(ascent, 15);
    EXPECT_LT(ascent, 24);

    // A space has no pixels; its trailing space is its advance.
    const TFontPixel& space = fonts.GetGlyph(' ', gothic, 0, 24);
    EXPECT_TRUE(space.Empty());
    EXPECT_EQ(space.TrailingSpace, 12);  // half width in a monospaced face
    const TFontPixel& wide = fonts.GetGlyph(Code("　"), gothic, 0, 24);
    EXPECT_TRUE(wide.Empty());
    EXPECT_EQ(wide.TrailingSpace, 24);

    // A negative height is the em height (here the cell too: the Japanese faces' cell is the em square).
    EXPECT_GE(fonts.GetGlyph(Code("あ"), gothic, 0, -24).CellHeight, 24);
    // Heights are clamped.
    EXPECT_EQ(fonts.GetGlyph(Code("あ"), gothic, 0, 100000).Height, kMaxFontHeight);

    const int64_t regular = Sum(fonts.GetGlyph(Code("永"), gothic, 0, 24));
    EXPECT_GT(Sum(fonts.GetGlyph(Code("永"), gothic, fsBold, 24)), regular * 11 / 10);
    const TFontPixel& under = fonts.GetGlyph(Code("永"), gothic, fsUnderline | fsStrikeOut, 24);
    EXPECT_GT(under.UnderlineSize, 0);
    EXPECT_GT(under.UnderlineOffset, under.StrikeOffset);
    EXPECT_LT(under.UnderlineOffset + under.UnderlineSize, 25);
    EXPECT_GT(under.StrikeSize, 0);

    const TOutlineTextMetrics& m = fonts.Metrics(gothic, fsItalic, 16);
    EXPECT_EQ(m.Get(TOutlineTextMetrics::otmSize), 212);
    EXPECT_EQ(m.Get(TOutlineTextMetrics::tmHeight), 16);
    EXPECT_EQ(m.Get(TOutlineTextMetrics::tmAscent) + m.Get(TOutlineTextMetrics::tmDescent), 16);
    EXPECT_EQ(m.Bytes[TOutlineTextMetrics::tmItalic], 1);
}

struct Drawn {
    TDIBX colour, opacity;
    TRect out;
};

class GlyphDraw : public FontPixels {
protected:
    static constexpr uint32_t kText = 0xFFFFFF, kEdge = 0x0000FF, kShadow = 0x00FF00;
    std::unique_ptr<Drawn> Draw(uint16_t code, uint8_t style, int edge, int shadow, int size = 24) {
        auto p = std::make_unique<Drawn>();
        Drawn& d = *p;
        d.colour.SetSize(64, 64, 32);
        d.opacity.SetSize(64, 64, 8);
        d.colour.Clear(0);
        d.opacity.Clear(0);
        const TFontPixel& g = fonts.GetGlyph(code, gothic, style, size);
        d.out = fonts.DrawGlyph(g, d.colour, d.opacity, kShadow, kEdge, kText, true, true, shadow, edge,
                                Bounds(10, 10, size + 2 * edge + shadow, size + 2 * edge + shadow));
        return p;
    }
};

TEST_F(GlyphDraw, TextEdgeAndShadowByProperties) {
    const auto plainDrawn = Draw(Code("永"), 0, 0, 0);
    const auto framedDrawn = Draw(Code("永"), 0, 2, 2);
    Drawn &plain = *plainDrawn, &framed = *framedDrawn;
    int fullText = 0, edgeNextToText = 0, shadowOnly = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const uint32_t m = plain.opacity.GetPixel(x, y);
            const uint32_t c = framed.colour.GetPixel(x, y), o = framed.opacity.GetPixel(x, y);
            // Where the plain glyph is fully covered, the framed one shows the text colour, 2 px
            // further right and down (the edge width).
            if (m == 255 && x + 2 < 64 && y + 2 < 64) {
                EXPECT_EQ(framed.colour.GetPixel(x + 2, y + 2), kText);
                EXPECT_EQ(framed.opacity.GetPixel(x + 2, y + 2), 255u);
                ++fullText;
            }
            if (o == 255 && c == kEdge) ++edgeNextToText;
            if (o == 255 && c == kShadow) ++shadowOnly;
            if (o == 0) {
                EXPECT_EQ(c, 0u);
            }
        }
    EXPECT_GT(fullText, 20);
    EXPECT_GT(edgeNextToText, fullText / 2);
    EXPECT_GT(shadowOnly, 10);
    // The shadow lies right and below: the bottom-right corner of the touched area is shadow, never edge.
    EXPECT_FALSE(framed.out.IsEmpty());
    bool shadowAtBottom = false;
    for (int x = framed.out.Left; x < framed.out.Right; ++x)
        if (framed.opacity.GetPixel(x, framed.out.Bottom - 1) > 0) {
            EXPECT_EQ(framed.colour.GetPixel(x, framed.out.Bottom - 1), kShadow);
            shadowAtBottom = true;
        }
    EXPECT_TRUE(shadowAtBottom);
    // Nothing outside the rectangle reported.
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            if (x < framed.out.Left || x >= framed.out.Right || y < framed.out.Top || y >= framed.out.Bottom) {
                EXPECT_EQ(framed.opacity.GetPixel(x, y), 0u) << x << "," << y;
            }
}

TEST_F(GlyphDraw, EmptyGlyphTouchesNothingAndBarsSpanTheCell) {
    EXPECT_TRUE(Draw(' ', fsUnderline, 1, 1)->out.IsEmpty());
    const auto underDrawn = Draw(Code("ー"), fsUnderline, 0, 0);
    Drawn& under = *underDrawn;
    const TFontPixel& g = fonts.GetGlyph(Code("ー"), gothic, fsUnderline, 24);
    const int y = 10 + g.UnderlineOffset;
    for (int x = 10; x < 34; ++x) {
        EXPECT_EQ(under.opacity.GetPixel(x, y), 255u) << x;
        EXPECT_EQ(under.colour.GetPixel(x, y), kText) << x;
    }
    EXPECT_EQ(under.opacity.GetPixel(9, y), 0u);
    EXPECT_EQ(under.opacity.GetPixel(34, y), 0u);
}

TEST_F(GlyphDraw, HalfWidthGlyphsAreCentredInTheSquareCell) {
    const auto drawn = Draw('I', 0, 0, 0);
    Drawn& d = *drawn;
    int left = 64, right = -1;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            if (d.opacity.GetPixel(x, y) > 0) left = std::min(left, x), right = std::max(right, x);
    const int before = left - 10, after = 10 + 24 - 1 - right;
    EXPECT_LE(std::abs(before - after), 2) << before << " " << after;
}

TEST_F(GlyphDraw, GlyphsOverlapByCompositingNotByOverwriting) {
    Drawn d;
    d.colour.SetSize(64, 64, 16);
    d.opacity.SetSize(64, 64, 8);
    d.colour.Clear(0);
    d.opacity.Clear(0);
    const uint32_t red = d.colour.ColorToPixel(0x0000FF), blue = d.colour.ColorToPixel(0xFF0000);
    const TFontPixel& g = fonts.GetGlyph(Code("■"), gothic, 0, 20);
    fonts.DrawGlyph(g, d.colour, d.opacity, 0, 0, red, true, true, 0, 0, Bounds(0, 0, 20, 20));
    const TFontPixel& h = fonts.GetGlyph(Code("・"), gothic, 0, 20);
    const TRect r = fonts.DrawGlyph(h, d.colour, d.opacity, 0, 0, blue, true, true, 0, 0, Bounds(0, 0, 20, 20));
    ASSERT_FALSE(r.IsEmpty());
    // The dot lies on the square: blue in its middle, red around, opacity stays full.
    EXPECT_EQ(d.colour.GetPixel((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2), blue);
    EXPECT_EQ(d.opacity.GetPixel((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2), 255u);
}

} // namespace
} // namespace ruvo
