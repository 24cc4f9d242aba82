// Label lists: measuring with the font's widths, rendering, painting and the persisted style.
#include <gtest/gtest.h>

#include "archive/streams.hpp"
#include "text/labels.hpp"
#include "text_fixture.hpp"

namespace ruvo {
namespace {

class LabelsTest : public ::testing::Test {
protected:
    TFontPixelManager& fonts = testing::SharedFonts();
    TGxLabelList list{fonts};
    const TFontPixel& Glyph(char c) { return fonts.GetGlyph(uint8_t(c), list.FontName, list.Style, list.FontHeight); }
};

TEST_F(LabelsTest, LastGlyphOverhangWidensOnlyTheLabelEnd) {
    list.Style = fsItalic;
    list.FontHeight = 24;
    list.BorderWidth = 1;
    char overhanging = 0;
    for (char c : std::string("fdlTjk"))
        if (Glyph(c).C < 0) {
            overhanging = c;
            break;
        }
    ASSERT_NE(overhanging, 0) << "no italic glyph reaches past its advance";
    const TFontPixel& g = Glyph(overhanging);
    const int32_t plain = g.A + g.B + g.C + 2;
    const char other = Glyph('o').C >= 0 ? 'o' : ' ';
    ASSERT_GE(Glyph(other).C, 0);
    const int32_t x = Glyph(other).A + Glyph(other).B + Glyph(other).C + 2;
    TGxLabelDIB& ends = list.Add();
    ends.SetText(std::string(1, other) + overhanging);
    TGxLabelDIB& starts = list.Add();
    starts.SetText(std::string(1, overhanging) + other);
    list.Measure();
    EXPECT_EQ(ends.Advances, (std::vector<int32_t>{x, plain - g.C}));
    EXPECT_EQ(starts.Advances, (std::vector<int32_t>{plain, x}));
    EXPECT_EQ(ends.Width, x + plain - g.C);
    EXPECT_EQ(list.MaxWidth(), ends.Width);
    EXPECT_EQ(ends.Height, 24 + 2);
    EXPECT_EQ(list.Metrics.Get(TOutlineTextMetrics::tmHeight), 24);
}

TEST_F(LabelsTest, RendersAndPaintsInItsStyle) {
    TDIBX target;
    target.SetSize(100, 40, 32);
    target.Clear(0);
    list.Target = &target;
    list.FontHeight = 20;
    list.Color = 0x0000FF;  // red
    TGxLabelDIB& label = list.Add();
    label.SetText(Utf8ToSjis("■A"));
    list.Measure();
    EXPECT_TRUE(label.Dirty);
    label.Paint(5, 5);
    EXPECT_FALSE(label.Dirty);
    EXPECT_EQ(label.ColorSurface.GetWidth(), label.Width);
    EXPECT_GE((target.GetPixel(15, 15) >> 16), 254u);  // inside the square
    label.SetText(Utf8ToSjis("■A"));
    EXPECT_FALSE(label.Dirty);
    label.SetText("B");
    EXPECT_TRUE(label.Dirty);

    // With an edge the colour surface is drawn through its opacity.
    list.BorderWidth = 2;
    list.BorderColor = 0xFF0000;  // blue
    label.SetText(Utf8ToSjis("■"));
    list.Measure();
    target.Clear(0);
    label.Paint(0, 0);
    EXPECT_EQ(target.GetPixel(10, 10), 0xFF0000u);
    bool blue = false;
    for (int x = 0; x < 24; ++x) blue = blue || target.GetPixel(x, 10) == 0x0000FFu;
    EXPECT_TRUE(blue);
    EXPECT_EQ(list.Label(1), nullptr);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(LabelsTest, PersistedStyleFollowsTheVersion) {
    list.Antialias = 2;
    list.BorderWidth = 1;
    list.FontName = "f";
    list.Style = 5;
    list.ShadowWidth = 3;
    list.ShadowColor = 7;
    list.Metrics.Set(TOutlineTextMetrics::tmHeight, 33);
    TMemoryStream s;
    list.SaveToStream(s);
    EXPECT_EQ(s.Size(), 4 * 6 + 4 + 1 + 1 + 212 + 8);
    struct Case {
        int version, antialias, shadow;
    } cases[] = {{108, 3, 0}, {109, 2, 0}, {121, 2, 0}, {122, 2, 3}};
    for (const Case& c : cases) {
        TGxLabelList other(fonts);
        s.SetPosition(0);
        other.LoadFromStream(s, c.version);
        EXPECT_EQ(other.Antialias, c.antialias) << c.version;
        EXPECT_EQ(other.ShadowWidth, c.shadow) << c.version;
        EXPECT_EQ(other.FontName, "f");
        EXPECT_EQ(other.Style, 5);
        EXPECT_EQ(other.Metrics.Get(TOutlineTextMetrics::tmHeight), 33);
    }
    TGxLabelList old(fonts);
    TMemoryStream one;
    list.Antialias = 1;
    list.SaveToStream(one);
    one.SetPosition(0);
    old.LoadFromStream(one, 100);
    EXPECT_EQ(old.Antialias, 0);
}

} // namespace
} // namespace ruvo
