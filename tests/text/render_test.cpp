// Rendered pages checked by properties: text colour where coverage is full, the edge around it, the
// shadow behind; links, hover, ruby, reveal opacity and inline pictures.
#include <gtest/gtest.h>

#include "text_fixture.hpp"

namespace ruvo {
namespace {

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF;  // 32-bit pixels

class RenderTest : public testing::TextTest {
protected:
    TDIBX target;
    void SetUp() override {
        target.SetSize(200, 100, 32);
        target.Clear(kWhite);
        engine.Target = &target;
        engine.ClipRect = Bounds(0, 0, 200, 100);
        engine.AreaWidth = 180;
        engine.AreaHeight = 80;
        engine.FadeTime = 0;
    }
    TWdPage& Render(const std::string& markup) {
        pages.clear();
        Show(markup);
        pages[0]->Render(false);
        return *pages[0];
    }
    // Pixels of the colour surface that are fully opaque, by colour.
    std::map<uint32_t, int> OpaqueColours(const TRect& r) {
        std::map<uint32_t, int> out;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                if (engine.OpacitySurface.GetPixel(x, y) == 255) ++out[engine.ColorSurface.GetPixel(x, y)];
        return out;
    }
    std::map<uint32_t, int> TargetColours(const TRect& r) {
        std::map<uint32_t, int> out;
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x) ++out[target.GetPixel(x, y)];
        return out;
    }
};

TEST_F(RenderTest, TextEdgeAndShadowLandInTheirColours) {
    TWdPage& page = Render("<FONT SIZE=24 COLOR=#FF0000 BCOLOR=#0000FF SCOLOR=#00FF00 BORDER=2 SHADOW=2>永</FONT>");
    const TWdChar& c = static_cast<const TWdChar&>(*engine.Glyph(0));
    EXPECT_EQ(c.Width, 30);
    const auto colours = OpaqueColours(c.Rendered());
    EXPECT_GT(colours.count(kRed) ? colours.at(kRed) : 0, 20);
    EXPECT_GT(colours.count(kBlue) ? colours.at(kBlue) : 0, 20);
    EXPECT_GT(colours.count(kGreen) ? colours.at(kGreen) : 0, 20);
    // Every fully covered text pixel is surrounded (within the edge width) by text or edge, never shadow.
    for (int y = 2; y < 28; ++y)
        for (int x = 2; x < 28; ++x)
            if (engine.ColorSurface.GetPixel(x, y) == kRed && engine.OpacitySurface.GetPixel(x, y) == 255) {
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        EXPECT_NE(engine.ColorSurface.GetPixel(x + dx, y + dy), kGreen) << x << "," << y;
            }
    // Painted with an edge, the colour surface goes through its opacity onto the target.
    page.Paint();
    const auto painted = TargetColours(Bounds(0, 0, 40, 40));
    EXPECT_EQ(painted.at(kRed), colours.at(kRed));
    EXPECT_EQ(painted.at(kBlue), colours.at(kBlue));
}

TEST_F(RenderTest, PlainTextPaintsItsCoverageInTheTextColour) {
    engine.TextColor = 0x0000FF;  // red
    engine.AreaLeft = 10;
    engine.AreaTop = 20;
    TWdPage& page = Render("<FONT SIZE=24>永</FONT>");
    page.Paint();
    // Full coverage blends as (255 - 255) x d + 255 x s, over 256: red to within one step.
    int red = 0;
    for (const auto& [pixel, n] : TargetColours(Bounds(10, 20, 34, 44)))
        if ((pixel >> 16) >= 254 && (pixel & 0xFFFF) <= 0x0101) red += n;
    EXPECT_GT(red, 20);
    EXPECT_EQ(TargetColours(Bounds(0, 0, 10, 100)).size(), 1u);  // nothing left of the area
    // Half way through its fade the text blends with the background.
    engine.Glyph(0)->SetAlpha(128);
    target.Clear(kWhite);
    page.Paint();
    int half = 0, full = 0;
    for (const auto& [pixel, n] : TargetColours(Bounds(10, 20, 34, 44))) {
        const uint32_t green = (pixel >> 8) & 0xFF;
        half += green >= 0x70 && green <= 0x90 ? n : 0;
        full += green < 0x70 ? n : 0;
    }
    EXPECT_GT(half, 20);
    EXPECT_EQ(full, 0);
    // A glyph not revealed yet paints nothing; nor does a page outside the clip.
    engine.Glyph(0)->SetAlpha(0);
    target.Clear(kWhite);
    page.Paint();
    EXPECT_EQ(TargetColours(Bounds(0, 0, 200, 100)).size(), 1u);
    engine.Glyph(0)->SetAlpha(255);
    engine.ClipRect = Bounds(100, 0, 200, 100);
    page.Paint();
    EXPECT_EQ(TargetColours(Bounds(0, 0, 200, 100)).size(), 1u);
}

TEST_F(RenderTest, LinksUnderlineAndHoverByRun) {
    engine.LinkColor = 0xFF0000;   // blue
    engine.HoverColor = 0x00FF00;  // green
    TWdPage& page = Render("<FONT SIZE=20><A HREF=\"go\">ab<BR>cd</A>e</FONT>");
    auto colourOf = [&](int glyph) {
        const auto colours = OpaqueColours(static_cast<const TWdChar&>(*engine.Glyph(glyph)).Rendered());
        return colours.count(kBlue) ? kBlue : colours.empty() ? 0u : colours.begin()->first;
    };
    EXPECT_EQ(colourOf(0), kBlue);
    // The underline runs along the bottom of the link glyphs.
    const TWdChar& b = static_cast<const TWdChar&>(*engine.Glyph(1));
    int underlined = 0;
    for (int x = b.X; x < b.X + b.Width; ++x)
        for (int y = 14; y < 20; ++y) underlined += engine.OpacitySurface.GetPixel(x, y) == 255;
    EXPECT_GE(underlined, 20);

    // Pointing at b hovers the run a, b: the break ends it.
    page.SetPointer(engine.Glyph(1)->ScreenX() + 5, engine.Glyph(1)->ScreenY() + 5);
    ASSERT_EQ(page.Hover(), engine.Glyph(0));
    EXPECT_EQ(page.Link(), "go");
    EXPECT_EQ(page.LinkText(), "ab");
    EXPECT_GT(OpaqueColours(static_cast<const TWdChar&>(*engine.Glyph(1)).Rendered()).count(kGreen), 0u);
    EXPECT_EQ(OpaqueColours(static_cast<const TWdChar&>(*engine.Glyph(3)).Rendered()).count(kGreen), 0u);
    EXPECT_FALSE(engine.ChangedRects.empty());
    // Pointing at d hovers the other run; the first one is blue again.
    page.SetPointer(engine.Glyph(4)->ScreenX() + 5, engine.Glyph(4)->ScreenY() + 5);
    EXPECT_EQ(page.Hover(), engine.Glyph(3));
    EXPECT_EQ(page.LinkText(), "cd");
    EXPECT_EQ(OpaqueColours(static_cast<const TWdChar&>(*engine.Glyph(1)).Rendered()).count(kGreen), 0u);
    // Plain text, a point outside, and no pointer all clear the hover.
    page.SetPointer(engine.Glyph(5)->ScreenX() + 5, engine.Glyph(5)->ScreenY() + 5);
    EXPECT_EQ(page.Hover(), nullptr);
    page.SetPointer(-1, -1);
    EXPECT_EQ(page.Hover(), nullptr);
    EXPECT_EQ(page.HitTest(500, 5), nullptr);
    // Glyphs still fading cannot be hit.
    engine.Glyph(0)->SetAlpha(200);
    EXPECT_EQ(page.HitTest(engine.Glyph(0)->ScreenX() + 5, engine.Glyph(0)->ScreenY() + 5), nullptr);
}

TEST_F(RenderTest, RubyIsDrawnOnceOverItsGroup) {
    Render("<FONT SIZE=20><RUBY VALUE=\"かんじ\">漢字</RUBY></FONT>");
    const TWdChar& first = static_cast<const TWdChar&>(*engine.Glyph(0));
    const TWdChar& second = static_cast<const TWdChar&>(*engine.Glyph(1));
    EXPECT_EQ(first.Height, 30);
    // The band above the characters (10 pixels) holds ruby pixels over both glyphs.
    int left = 0, right = 0;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 40; ++x)
            if (engine.OpacitySurface.GetPixel(x, y) > 0) (x < 20 ? left : right)++;
    EXPECT_GT(left, 5);
    EXPECT_GT(right, 5);
    EXPECT_EQ(first.Rendered().Top, 0);
    EXPECT_EQ(second.Rendered().Top, 0);
}

TEST_F(RenderTest, PicturesPaintWithTheirOpacityAndAnimate) {
    pictures.known["pic"] = {10, 10, 2, 0x0000FF};
    TWdPage& page = Render("a<IMG SRC=pic>");
    const TWdGlyph& pic = *engine.Glyph(1);
    EXPECT_EQ(pic.Width, 10);
    page.Paint();
    EXPECT_EQ(target.GetPixel(pic.ScreenX() + 5, pic.ScreenY() + 5), 0x0000FFu);
    engine.Alpha = 128;
    target.Clear(0);
    page.Paint();
    EXPECT_EQ(target.GetPixel(pic.ScreenX() + 5, pic.ScreenY() + 5), 126u);  // alpha 255 x 128 / 256 = 127
    engine.Alpha = 256 + 128;  // additive, factor 255 x 128 / 256
    target.Clear(0x000010);
    page.Paint();
    EXPECT_EQ(target.GetPixel(pic.ScreenX() + 5, pic.ScreenY() + 5), 0x10u + 126u);

    // Revealed, the picture ticks with the frame time and repaints when its frame changes.
    engine.Alpha = 255;
    page.Render(true);
    page.Start();
    engine.DelayRate = 0;
    TStepResult step = page.Step(16);
    EXPECT_EQ(step.Text, "a*");
    for (int k = 0; k < 5; ++k) page.Step(16);  // 96 ms
    EXPECT_EQ(static_cast<testing::FakePicture*>(static_cast<const TWdImg&>(pic).Picture())->CurrentFrame(), 0);
    page.Step(16);
    EXPECT_EQ(static_cast<testing::FakePicture*>(static_cast<const TWdImg&>(pic).Picture())->CurrentFrame(), 1);
    ASSERT_FALSE(engine.ChangedRects.empty());
    EXPECT_EQ(engine.ChangedRects.back(), pic.ScreenRect());

    // Around a display change the frames drop and rebuild their derived surfaces.
    auto* frames = static_cast<testing::FakePicture*>(static_cast<const TWdImg&>(pic).Picture());
    engine.ReleaseSurfaces();
    engine.RestoreSurfaces();
    EXPECT_EQ(frames->released, 1);
    EXPECT_EQ(frames->restored, 1);
}

TEST_F(RenderTest, ScrollModeRendersThePageBelowTheArea) {
    engine.Paging = false;
    engine.AreaHeight = 20;
    TWdPage& page = Render("<FONT SIZE=16>あ<BR>い<BR>う</FONT>");
    EXPECT_EQ(engine.ColorSurface.GetHeight(), 48);
    EXPECT_GT(OpaqueColours(Bounds(0, 32, 16, 48)).size() + 0, 0u);
    page.ScrollY = 32;
    page.Paint();
    // The third row now shows at the area's top; the first is outside the area.
    EXPECT_GT(TargetColours(Bounds(0, 0, 16, 16)).size(), 1u);
    EXPECT_EQ(page.HitTest(5, 5), engine.Glyph(4));
}

} // namespace
} // namespace ruvo
