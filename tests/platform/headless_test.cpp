#include <gtest/gtest.h>

#include "platform/headless.hpp"

namespace ruvo::platform {
namespace {

using Kind = PlatformEvent::Kind;

std::vector<Kind> KindsAt(THeadlessPlatform& p) {
    std::vector<Kind> kinds;
    PlatformEvent e;
    while (p.PollEvent(e)) kinds.push_back(e.kind);
    return kinds;
}

TEST(HeadlessPlatform, DeliversScriptedInputAtItsFrameAndAdvances16MsPerFrame) {
    THeadlessPlatform p(ParseInputScript("# a comment\n"
                                         "2 key 13\n"
                                         "0 click 10 20\n"
                                         "\n"
                                         "2 wheel down\n"),
                        nullptr);
    EXPECT_EQ(p.Ticks(), 0u);
    EXPECT_EQ(KindsAt(p), (std::vector<Kind>{Kind::MouseMove, Kind::MouseDown, Kind::MouseUp}));
    p.FrameDone();
    EXPECT_EQ(p.Ticks(), 16u);
    EXPECT_TRUE(KindsAt(p).empty());
    p.FrameDone();
    EXPECT_EQ(KindsAt(p), (std::vector<Kind>{Kind::KeyDown, Kind::Wheel}));
    p.FrameDone();
    EXPECT_EQ(KindsAt(p), (std::vector<Kind>{Kind::KeyUp}));  // the key is held for one frame
    EXPECT_EQ(p.Ticks(), 48u);
}

TEST(HeadlessPlatform, MalformedScriptsNameTheLine) {
    for (const char* bad : {"x click 1 2", "1 click 1", "1 key 300", "1 wheel sideways", "1 answer maybe",
                            "1 jump", "1 move 1 2 3", "-1 key 3"}) {
        try {
            ParseInputScript(std::string("\n") + bad);
            ADD_FAILURE() << bad;
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find("line 2"), std::string::npos) << e.what();
        }
    }
}

TEST(HeadlessPlatform, MessageBoxesTakeTheScriptedAnswerThatFitsElseTheDefault) {
    THeadlessPlatform p(ParseInputScript("0 answer no\n0 answer cancel\n5 answer ok\n"), nullptr);
    // An OK/Cancel box skips the "no" meant for a Yes/No box.
    EXPECT_EQ(p.ShowMessage("a", "b", MessageButtons::OkCancel, MessageIcon::Information), MessageAnswer::Cancel);
    EXPECT_EQ(p.ShowMessage("a", "b", MessageButtons::YesNo, MessageIcon::Question), MessageAnswer::No);
    // The "ok" is not due before frame 5.
    EXPECT_EQ(p.ShowMessage("a", "b", MessageButtons::OkCancel, MessageIcon::Information), MessageAnswer::Ok);
    EXPECT_EQ(p.ShowMessage("a", "b", MessageButtons::YesNo, MessageIcon::Question), MessageAnswer::Yes);
}

TEST(HeadlessPlatform, ABoxThatKeepsComingBackEndsTheRun) {
    THeadlessPlatform p(ParseInputScript("0 answer cancel\n"), nullptr);
    EXPECT_EQ(p.ShowMessage("insert disc", "i", MessageButtons::OkCancel, MessageIcon::Information),
              MessageAnswer::Cancel);
    EXPECT_THROW(
        for (int i = 0; i < 25; ++i) p.ShowMessage("insert disc", "i", MessageButtons::OkCancel, MessageIcon::Information),
        std::runtime_error);
    p.FrameDone();  // another frame, another chance
    EXPECT_EQ(p.ShowMessage("insert disc", "i", MessageButtons::OkCancel, MessageIcon::Information), MessageAnswer::Ok);
}

TEST(HeadlessPlatform, PresentTakesOverTheChangedRectangles) {
    THeadlessPlatform p(InputScript{}, nullptr);
    p.OpenWindow({"t", 4, 2});
    std::vector<uint32_t> pixels(8);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint32_t>(i + 1);
    PictureView view{reinterpret_cast<const uint8_t*>(pixels.data()), 4, 2, 16};
    const Rect r{1, 1, 3, 2};
    p.Present(view, std::span<const Rect>(&r, 1));
    EXPECT_EQ(p.Picture(), (std::vector<uint32_t>{0, 0, 0, 0, 0, 6, 7, 0}));
    // A bottom-up picture (negative stride) of a new size is taken over whole.
    PictureView up{reinterpret_cast<const uint8_t*>(pixels.data() + 4), 4, 2, -16};
    p.OpenWindow({"t", 4, 2});
    p.Present(PictureView{up.firstRow, 4, 2, -16}, {});
    EXPECT_EQ(p.Picture(), std::vector<uint32_t>(8, 0));  // same size: nothing changed, nothing taken
    PictureView small{reinterpret_cast<const uint8_t*>(pixels.data() + 4), 2, 2, -16};
    p.Present(small, {});
    EXPECT_EQ(p.Picture(), (std::vector<uint32_t>{5, 6, 1, 2}));
}

} // namespace
} // namespace ruvo::platform
