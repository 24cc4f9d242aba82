// The message box the player draws itself when the desktop cannot show one: drawn over the game, answered
// with the mouse and with keys, and reached from the tool bar's 終了 button. Run under Xvfb when there
// is no desktop; RUVOPLAY_MESSAGEBOX=drawn stands in for a desktop without a message system.
#include <gtest/gtest.h>

#include <SDL.h>
#include <SDL_ttf.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "app/player.hpp"
#include "platform/platform.hpp"
#include "platform/sdl_font.hpp"
#include "platform/sdl_messagebox.hpp"
#include "support/tempdir.hpp"

namespace ruvo::platform {
namespace {

bool HaveDisplay() {
    const char* d = std::getenv("DISPLAY");
    return d && *d;
}

// A box drawn into a plain surface: no window or display needed.
class DrawnBox : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(TTF_Init(), 0);
        surface = SDL_CreateRGBSurfaceWithFormat(0, 320, 240, 32, SDL_PIXELFORMAT_RGB888);
        renderer = SDL_CreateSoftwareRenderer(surface);
        ASSERT_NE(renderer, nullptr) << SDL_GetError();
        const std::string path = JapaneseFontPath();
        if (!path.empty()) font = TTF_OpenFont(path.c_str(), 14);
    }
    void TearDown() override {
        if (font) TTF_CloseFont(font);
        if (renderer) SDL_DestroyRenderer(renderer);
        if (surface) SDL_FreeSurface(surface);
        TTF_Quit();
    }
    uint32_t Pixel(int x, int y) const {
        return static_cast<const uint32_t*>(surface->pixels)[y * surface->pitch / 4 + x] & 0xFFFFFF;
    }
    static SDL_Event Key(SDL_Keycode key) {
        SDL_Event e{};
        e.type = SDL_KEYDOWN;
        e.key.keysym.sym = key;
        return e;
    }
    static SDL_Event Mouse(Uint32 type, int x, int y, Uint8 button = SDL_BUTTON_LEFT) {
        SDL_Event e{};
        e.type = type;
        e.button.button = button;
        e.button.x = x;
        e.button.y = y;
        return e;
    }

    SDL_Surface* surface = nullptr;
    SDL_Renderer* renderer = nullptr;
    TTF_Font* font = nullptr;
};

TEST_F(DrawnBox, IsDrawnOverTheDimmedGame) {
    SDL_SetRenderDrawColor(renderer, 0xFF, 0x80, 0x00, 255);
    SDL_RenderClear(renderer);
    TDrawnMessageBox box(renderer, font, "「テスト」を終了しますか？", "テスト", MessageButtons::YesNo);
    box.Draw();
    SDL_RenderPresent(renderer);
    const SDL_Rect r = box.BoxRect();
    ASSERT_GT(r.w, 0);
    EXPECT_GE(r.x, 0);
    EXPECT_LE(r.x + r.w, 320);
    EXPECT_EQ(Pixel(2, 2) >> 16, 0xFFu * 159 / 255) << std::hex << Pixel(2, 2);  // the game, dimmed
    EXPECT_EQ(Pixel(r.x + r.w / 2, r.y + 2), 0x3A6EA5u);                          // the caption bar
    EXPECT_EQ(box.ButtonCount(), 2);
    const SDL_Rect yes = box.ButtonRect(0), no = box.ButtonRect(1);
    EXPECT_LT(yes.x + yes.w, no.x);
    EXPECT_TRUE(SDL_HasIntersection(&yes, &r) && SDL_HasIntersection(&no, &r));
    if (!font) GTEST_SKIP() << "no Japanese font: the words are not drawn";
    // The question's words: dark pixels between the caption bar and the buttons.
    int dark = 0;
    for (int y = r.y + 24; y < yes.y; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) dark += (Pixel(x, y) & 0xFF) < 0x60;
    EXPECT_GT(dark, 30);
}

TEST_F(DrawnBox, AnswersKeysAndClicks) {
    const struct {
        MessageButtons buttons;
        SDL_Keycode key;
        std::optional<MessageAnswer> answer;
    } keys[] = {
        {MessageButtons::YesNo, SDLK_RETURN, MessageAnswer::Yes}, {MessageButtons::YesNo, SDLK_y, MessageAnswer::Yes},
        {MessageButtons::YesNo, SDLK_ESCAPE, MessageAnswer::No},  {MessageButtons::YesNo, SDLK_n, MessageAnswer::No},
        {MessageButtons::YesNo, SDLK_a, std::nullopt},            {MessageButtons::OkCancel, SDLK_KP_ENTER, MessageAnswer::Ok},
        {MessageButtons::OkCancel, SDLK_ESCAPE, MessageAnswer::Cancel}, {MessageButtons::Ok, SDLK_ESCAPE, MessageAnswer::Ok},
    };
    for (const auto& k : keys) {
        TDrawnMessageBox box(renderer, font, "?", "", k.buttons);
        EXPECT_EQ(box.Handle(Key(k.key)), k.answer) << SDL_GetKeyName(k.key);
    }

    TDrawnMessageBox box(renderer, font, "終了しますか？", "テスト", MessageButtons::YesNo);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    EXPECT_EQ(box.Handle(quit), MessageAnswer::No);
    const SDL_Rect yes = box.ButtonRect(0), no = box.ButtonRect(1);
    // Pressed on one button and released on the other chooses nothing; a right click neither.
    EXPECT_EQ(box.Handle(Mouse(SDL_MOUSEBUTTONDOWN, yes.x + 2, yes.y + 2)), std::nullopt);
    EXPECT_EQ(box.Handle(Mouse(SDL_MOUSEBUTTONUP, no.x + 2, no.y + 2)), std::nullopt);
    EXPECT_EQ(box.Handle(Mouse(SDL_MOUSEBUTTONDOWN, no.x + 5, no.y + 5, SDL_BUTTON_RIGHT)), std::nullopt);
    EXPECT_EQ(box.Handle(Mouse(SDL_MOUSEBUTTONUP, no.x + 5, no.y + 5, SDL_BUTTON_RIGHT)), std::nullopt);
    EXPECT_EQ(box.Handle(Mouse(SDL_MOUSEBUTTONDOWN, no.x + no.w / 2, no.y + no.h / 2)), std::nullopt);
    EXPECT_EQ(box.Handle(Mouse(SDL_MOUSEBUTTONUP, no.x + no.w / 2, no.y + no.h / 2)), MessageAnswer::No);
    EXPECT_EQ(box.Handle(Mouse(SDL_MOUSEBUTTONDOWN, yes.x + 1, yes.y + 1)), std::nullopt);
    EXPECT_EQ(box.Handle(Mouse(SDL_MOUSEBUTTONUP, yes.x + yes.w - 1, yes.y + yes.h - 1)), MessageAnswer::Yes);
}

// The platform asks with a drawn box when told the desktop has none.
class DrawnBoxInAWindow : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveDisplay()) GTEST_SKIP() << "no display (make test runs these under Xvfb)";
        setenv("RUVOPLAY_MESSAGEBOX", "drawn", 1);
    }
    void TearDown() override { unsetenv("RUVOPLAY_MESSAGEBOX"); }
};

void PushKey(SDL_Keycode key) {
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = key;
    SDL_PushEvent(&e);
}

TEST_F(DrawnBoxInAWindow, AnswersWithKeysAndLeavesTheWindowAsItWas) {
    auto platform = CreatePlatform("sdl");
    platform->OpenWindow({"テスト", 64, 48});
    PushKey(SDLK_n);
    EXPECT_EQ(platform->ShowMessage("終了しますか？", "テスト", MessageButtons::YesNo, MessageIcon::Question), MessageAnswer::No);
    PushKey(SDLK_RETURN);
    EXPECT_EQ(platform->ShowMessage("終了しますか？", "テスト", MessageButtons::YesNo, MessageIcon::Question), MessageAnswer::Yes);
    PushKey(SDLK_ESCAPE);
    EXPECT_EQ(platform->ShowMessage("ディスクを入れてください", "情報", MessageButtons::OkCancel, MessageIcon::Information),
              MessageAnswer::Cancel);
    // Closing the window while asked: dismissed, and the close request still reaches the game.
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    EXPECT_EQ(platform->ShowMessage("?", "", MessageButtons::YesNo, MessageIcon::Question), MessageAnswer::No);
    PlatformEvent e;
    bool closeRequest = false;
    while (platform->PollEvent(e)) closeRequest = closeRequest || e.kind == PlatformEvent::Kind::CloseRequest;
    EXPECT_TRUE(closeRequest);
    TPlatform::Capture shot;
    ASSERT_TRUE(platform->CaptureWindow(shot));
    EXPECT_EQ(shot.pixels[static_cast<size_t>(shot.width) * (22 + 10) + 10] & 0xFFFFFF, 0u);  // the black game, not dimmed grey
}

TEST_F(DrawnBoxInAWindow, BeforeTheWindowExistsTheBoxHasAWindowOfItsOwn) {
    auto platform = CreatePlatform("sdl");
    PushKey(SDLK_y);
    EXPECT_EQ(platform->ShowMessage("インストールし直してください", "情報", MessageButtons::Ok, MessageIcon::Information),
              MessageAnswer::Ok);
}

Uint32 PressQuitThenYes(Uint32, void*) {
    // The tool bar's 終了 button sits at the left of the dock, then the question is answered with Y.
    for (Uint32 type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
        SDL_Event e{};
        e.type = type;
        e.button.button = SDL_BUTTON_LEFT;
        e.button.x = 10;
        e.button.y = 5;
        SDL_PushEvent(&e);
    }
    PushKey(SDLK_y);
    return 0;
}

// Closes the window if the question was never answered, so that a failure cannot hang the tests.
std::atomic<bool> watchdogFired{false};
Uint32 Watchdog(Uint32, void*) {
    watchdogFired = true;
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    return 0;
}

TEST_F(DrawnBoxInAWindow, TheQuitButtonAsksAndYesEndsTheGame) {
    using ruvo::testing::TempDir;
    using ruvo::testing::WriteFile;
    TempDir dir;
    WriteFile(dir / "src" / "project.rvp", "title = \"テスト\"\nscreen = 64, 48\nstart = \"main.rsb\"\n");
    WriteFile(dir / "src" / "main.rvs", "Wait\n");  // waits for ever: only the quit button ends it
    const std::string build = std::string(RUVO_TOOL_PATH) + " build '" + (dir / "src").string() + "' -o '" +
                              (dir / "game").string() + "' > /dev/null 2>&1";
    ASSERT_EQ(std::system(build.c_str()), 0);

    TPlayerOptions options;
    options.gameFolders = {(dir / "game").string()};
    auto platform = CreatePlatform("sdl");
    watchdogFired = false;
    const SDL_TimerID press = SDL_AddTimer(300, PressQuitThenYes, nullptr);
    const SDL_TimerID watchdog = SDL_AddTimer(20000, Watchdog, nullptr);
    {
        TPlayer player(options, *platform, dir / "ruvoplay");
        EXPECT_EQ(player.Run(), 0);
    }
    SDL_RemoveTimer(press);
    SDL_RemoveTimer(watchdog);
    EXPECT_FALSE(watchdogFired) << "the question was not answered: the game ran until the watchdog closed it";
}

} // namespace
} // namespace ruvo::platform
