// The window back end on a real (virtual) display: run under Xvfb when there is no desktop.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>

#include "platform/platform.hpp"

namespace ruvo::platform {
namespace {

bool HaveDisplay() {
    const char* d = std::getenv("DISPLAY");
    return d && *d;
}

class SdlWindow : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveDisplay()) GTEST_SKIP() << "no display (make test runs these under Xvfb)";
        platform = CreatePlatform("sdl");
        platform->OpenWindow({"テスト", 64, 48});
    }
    std::unique_ptr<TPlatform> platform;
};

std::vector<PlatformEvent> Drain(TPlatform& p) {
    std::vector<PlatformEvent> events;
    PlatformEvent e;
    for (int i = 0; i < 20; ++i) {  // give the display server a moment to deliver
        while (p.PollEvent(e)) events.push_back(e);
        SDL_Delay(5);
    }
    return events;
}

TEST_F(SdlWindow, ShowsThePictureUnderTheToolBar) {
    std::vector<uint32_t> pixels(64 * 48, 0x00FF8000);
    for (int y = 10; y < 20; ++y)
        for (int x = 30; x < 40; ++x) pixels[y * 64 + x] = 0x000000FF;
    const PictureView view{reinterpret_cast<const uint8_t*>(pixels.data()), 64, 48, 64 * 4};
    const Rect all{0, 0, 64, 48};
    platform->Present(view, std::span<const Rect>(&all, 1));
    TPlatform::Capture shot;
    ASSERT_TRUE(platform->CaptureWindow(shot));
    ASSERT_EQ(shot.width, 64);
    ASSERT_EQ(shot.height, 48 + 22);  // the tool bar's dock is on top
    auto at = [&](int x, int y) { return shot.pixels[static_cast<size_t>(y) * shot.width + x] & 0xFFFFFF; };
    EXPECT_EQ(at(0, 22), 0xFF8000u);
    EXPECT_EQ(at(35, 22 + 15), 0x0000FFu);
    EXPECT_EQ(at(63, 22 + 47), 0xFF8000u);
    EXPECT_NE(at(1, 1), 0xFF8000u);  // tool bar, not picture

    // Only the changed rectangle is taken over.
    std::fill(pixels.begin(), pixels.end(), 0x00112233);
    const Rect corner{0, 0, 2, 2};
    platform->Present(view, std::span<const Rect>(&corner, 1));
    ASSERT_TRUE(platform->CaptureWindow(shot));
    EXPECT_EQ(at(1, 23), 0x112233u);
    EXPECT_EQ(at(5, 30), 0xFF8000u);
}

TEST_F(SdlWindow, MapsInputToGamePixelsAndKeyCodes) {
    Drain(*platform);
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.x = 10;
    e.button.y = 22 + 5;
    e.button.windowID = SDL_GetWindowID(SDL_GetWindowFromID(1)) ? 1 : 0;
    SDL_PushEvent(&e);
    SDL_Event k{};
    k.type = SDL_KEYDOWN;
    k.key.keysym.scancode = SDL_SCANCODE_RETURN;
    k.key.keysym.sym = SDLK_RETURN;
    SDL_PushEvent(&k);
    k.key.keysym.scancode = SDL_SCANCODE_A;
    k.key.keysym.sym = SDLK_a;
    k.key.repeat = 1;
    SDL_PushEvent(&k);
    SDL_Event toolbar{};
    toolbar.type = SDL_MOUSEBUTTONDOWN;
    toolbar.button.button = SDL_BUTTON_LEFT;
    toolbar.button.x = 10;
    toolbar.button.y = 5;
    SDL_PushEvent(&toolbar);
    toolbar.type = SDL_MOUSEBUTTONUP;
    SDL_PushEvent(&toolbar);

    const auto events = Drain(*platform);
    std::vector<PlatformEvent> mine;
    for (const auto& ev : events)
        if (ev.kind != PlatformEvent::Kind::FocusGained && ev.kind != PlatformEvent::Kind::FocusLost &&
            ev.kind != PlatformEvent::Kind::MouseMove)
            mine.push_back(ev);
    ASSERT_EQ(mine.size(), 4u);
    EXPECT_EQ(mine[0].kind, PlatformEvent::Kind::MouseDown);
    EXPECT_EQ(mine[0].x, 10);
    EXPECT_EQ(mine[0].y, 5);
    EXPECT_EQ(mine[1].kind, PlatformEvent::Kind::KeyDown);
    EXPECT_EQ(mine[1].key, 13);
    EXPECT_FALSE(mine[1].repeat);
    EXPECT_EQ(mine[2].key, 'A');
    EXPECT_TRUE(mine[2].repeat);
    EXPECT_EQ(mine[3].kind, PlatformEvent::Kind::QuitButton);  // "終了" is the first button
}

TEST_F(SdlWindow, WarpingThePointerComesBackAsAMoveToTheSamePixel) {
    Drain(*platform);
    platform->WarpPointer(20, 30);
    bool seen = false;
    for (const auto& ev : Drain(*platform))
        if (ev.kind == PlatformEvent::Kind::MouseMove) seen = ev.x == 20 && ev.y == 30;
    if (!seen) GTEST_SKIP() << "this display server does not report warped pointers";
    SUCCEED();
}

TEST_F(SdlWindow, FullScreenLetterboxesAndKeepsGameCoordinates) {
    ASSERT_TRUE(platform->SetFullScreen(true));
    EXPECT_TRUE(platform->FullScreen());
    EXPECT_FALSE(platform->DisplayModes().empty());
    ASSERT_TRUE(platform->SetFullScreen(false));
    TPlatform::Capture shot;
    ASSERT_TRUE(platform->CaptureWindow(shot));
    EXPECT_EQ(shot.width, 64);
    EXPECT_EQ(shot.height, 70);
}

} // namespace
} // namespace ruvo::platform
