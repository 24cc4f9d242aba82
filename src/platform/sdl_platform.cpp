// The window back end on SDL2: the game picture in a streaming texture under a tool bar of two buttons,
// desktop full screen with the picture scaled and letterboxed, input mapped to game pixels and
// Windows key codes, and SDL message boxes (drawn by the player itself where the desktop has none).
#include <SDL.h>
#include <SDL_ttf.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

#include "platform/fontfaces.hpp"
#include "platform/platform.hpp"
#include "platform/sdl_audio.hpp"
#include "platform/sdl_font.hpp"
#include "platform/sdl_keymap.hpp"
#include "platform/sdl_messagebox.hpp"
#include "platform/viewport.hpp"

extern char** environ;

namespace ruvo::platform {

namespace {

constexpr int kDockHeight = 22;
constexpr int kButtonWidth = 67;
constexpr int kButtonHeight = 18;
constexpr int kButtonTop = 2;
const char* const kButtonLabels[2] = {"終了", "画面切替"};

// The answer of a box closed without a choice.
MessageAnswer EscapeAnswer(MessageButtons buttons) {
    return buttons == MessageButtons::YesNo      ? MessageAnswer::No
           : buttons == MessageButtons::OkCancel ? MessageAnswer::Cancel
                                                 : MessageAnswer::Ok;
}

class TSdlPlatform : public TPlatform {
public:
    TSdlPlatform() {
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS | SDL_INIT_TIMER) != 0)
            throw std::runtime_error(std::string("cannot start SDL video: ") + SDL_GetError());
        const char* integer = std::getenv("RUVOPLAY_INTEGER_SCALE");
        integerScale_ = integer && *integer == '1';
        // For tests and for desktops whose message boxes misbehave: always draw them ourselves.
        const char* boxes = std::getenv("RUVOPLAY_MESSAGEBOX");
        drawnBoxesOnly_ = boxes && std::string(boxes) == "drawn";
    }
    ~TSdlPlatform() override {
        if (cursor_) SDL_FreeCursor(cursor_);
        for (auto* t : labels_)
            if (t) SDL_DestroyTexture(t);
        if (texture_) SDL_DestroyTexture(texture_);
        if (renderer_) SDL_DestroyRenderer(renderer_);
        if (window_) SDL_DestroyWindow(window_);
        if (TTF_WasInit()) TTF_Quit();
        SDL_Quit();
    }

    std::string_view Name() const override { return "sdl"; }
    uint32_t Ticks() override { return SDL_GetTicks(); }
    void Sleep(uint32_t ms) override { SDL_Delay(ms); }

    void OpenWindow(const WindowSpec& spec) override {
        screenWidth_ = std::max(spec.screenWidth, 1);
        screenHeight_ = std::max(spec.screenHeight, 1);
        window_ = SDL_CreateWindow(spec.titleUtf8.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                   screenWidth_, screenHeight_ + kDockHeight, SDL_WINDOW_SHOWN);
        if (!window_) throw std::runtime_error(std::string("cannot open the window: ") + SDL_GetError());
        renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_ACCELERATED);
        if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
        if (!renderer_) throw std::runtime_error(std::string("cannot draw in the window: ") + SDL_GetError());
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, screenWidth_,
                                     screenHeight_);
        if (!texture_) throw std::runtime_error(std::string("cannot make the screen texture: ") + SDL_GetError());
        ClearTexture();
        MakeLabels();
        Render();
    }

    void SetTitle(std::string_view titleUtf8) override {
        if (window_) SDL_SetWindowTitle(window_, std::string(titleUtf8).c_str());
    }

    bool SetFullScreen(bool on) override {
        if (!window_ || on == fullScreen_) return true;
        if (SDL_SetWindowFullscreen(window_, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) return false;
        fullScreen_ = on;
        if (!on) SDL_SetWindowSize(window_, screenWidth_, screenHeight_ + kDockHeight);
        Render();
        return true;
    }
    bool FullScreen() const override { return fullScreen_; }

    // The modes the display reports; the desktop's mode is not switched (full screen is a scaled desktop window).
    std::vector<DisplayMode> DisplayModes() override {
        std::vector<DisplayMode> modes;
        const int display = window_ ? std::max(SDL_GetWindowDisplayIndex(window_), 0) : 0;
        for (int i = 0, n = SDL_GetNumDisplayModes(display); i < n; ++i) {
            SDL_DisplayMode m;
            if (SDL_GetDisplayMode(display, i, &m) != 0) continue;
            // Bits as stored, as games know them: 32 for 8-bit RGB in 4 bytes, 16 for 5-5-5.
            const int bytes = SDL_BYTESPERPIXEL(m.format);
            modes.push_back({m.w, m.h, bytes >= 2 ? bytes * 8 : static_cast<int>(SDL_BITSPERPIXEL(m.format)), m.refresh_rate});
        }
        return modes;
    }

    void Present(const PictureView& picture, std::span<const Rect> changed) override {
        if (!texture_) return;
        for (const Rect& r : changed) {
            SDL_Rect area{std::max(r.left, 0), std::max(r.top, 0), 0, 0};
            area.w = std::min({r.right, picture.width, screenWidth_}) - area.x;
            area.h = std::min({r.bottom, picture.height, screenHeight_}) - area.y;
            if (area.w <= 0 || area.h <= 0) continue;
            void* pixels;
            int pitch;
            if (SDL_LockTexture(texture_, &area, &pixels, &pitch) != 0) continue;
            // Row by row: the picture's rows may run bottom-up.
            for (int y = 0; y < area.h; ++y)
                std::memcpy(static_cast<uint8_t*>(pixels) + static_cast<std::ptrdiff_t>(y) * pitch,
                            picture.firstRow + (area.y + y) * picture.stride + area.x * 4,
                            static_cast<size_t>(area.w) * 4);
            SDL_UnlockTexture(texture_);
        }
        Render();
    }

    bool CaptureWindow(Capture& capture) override {
        if (!renderer_) return false;
        Draw();  // the back buffer is undefined after a present: draw it again, then read it
        int w, h;
        SDL_GetRendererOutputSize(renderer_, &w, &h);
        capture.width = w;
        capture.height = h;
        capture.pixels.assign(static_cast<size_t>(w) * h, 0);
        const bool ok = SDL_RenderReadPixels(renderer_, nullptr, SDL_PIXELFORMAT_RGB888, capture.pixels.data(), w * 4) == 0;
        SDL_RenderPresent(renderer_);
        return ok;
    }

    bool PollEvent(PlatformEvent& event) override {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
            if (Translate(e, event)) return true;
        }
        return false;
    }

    void WarpPointer(int x, int y) override {
        if (!window_ || !renderer_) return;
        int wx, wy;
        PictureViewport().ToWindow(x, y, wx, wy);
        OutputToWindow(wx, wy);
        SDL_WarpMouseInWindow(window_, wx, wy);
    }

    void SetCursorPicture(const PictureView* picture, int hotX, int hotY) override {
        SDL_Cursor* cursor = nullptr;
        if (picture && picture->width > 0 && picture->height > 0) {
            // A copy: the picture's rows may run bottom-up.
            SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, picture->width, picture->height, 32, SDL_PIXELFORMAT_ARGB8888);
            if (s) {
                for (int y = 0; y < picture->height; ++y)
                    for (int x = 0; x < picture->width; ++x)
                        static_cast<uint32_t*>(s->pixels)[y * (s->pitch / 4) + x] = picture->Pixel(x, y);
                cursor = SDL_CreateColorCursor(s, hotX, hotY);
                SDL_FreeSurface(s);
            }
        }
        if (!cursor) cursor = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
        if (!cursor) return;
        SDL_SetCursor(cursor);
        if (cursor_) SDL_FreeCursor(cursor_);
        cursor_ = cursor;
    }

    std::vector<std::string> FontFaces(bool fixedPitchOnly) override { return InstalledFontFaces(fixedPitchOnly); }
    std::unique_ptr<TAudioDevice> OpenAudio(int rate, int bufferFrames, AudioFill fill) override {
        return OpenSdlAudio(rate, bufferFrames, std::move(fill));
    }

    MessageAnswer ShowMessage(std::string_view textUtf8, std::string_view captionUtf8, MessageButtons buttons,
                              MessageIcon icon) override {
        const std::string text(textUtf8), caption(captionUtf8);
        SDL_MessageBoxButtonData data[2];
        int count = 0;
        auto add = [&](MessageAnswer a, const char* label, uint32_t flags) {
            data[count++] = SDL_MessageBoxButtonData{flags, static_cast<int>(a), label};
        };
        switch (buttons) {
        case MessageButtons::Ok: add(MessageAnswer::Ok, "OK", SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT); break;
        case MessageButtons::OkCancel:
            add(MessageAnswer::Ok, "OK", SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT);
            add(MessageAnswer::Cancel, "キャンセル", SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT);
            break;
        case MessageButtons::YesNo:
            add(MessageAnswer::Yes, "はい", SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT);
            add(MessageAnswer::No, "いいえ", SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT);
            break;
        }
        const uint32_t flags = icon == MessageIcon::Warning ? SDL_MESSAGEBOX_WARNING : SDL_MESSAGEBOX_INFORMATION;
        const SDL_MessageBoxData box{flags, window_, caption.c_str(), text.c_str(), count, data, nullptr};
        int pressed = -1;
        if (!drawnBoxesOnly_ && SDL_ShowMessageBox(&box, &pressed) == 0)
            return pressed < 0 ? EscapeAnswer(buttons) : static_cast<MessageAnswer>(pressed);
        // No message system on this desktop: the question must still be asked, so the player draws it.
        return ShowDrawnMessage(text, caption, buttons);
    }

    // The desktop's opener gets the address as one argument; no shell ever sees it.
    void OpenUrl(std::string_view url) override {
        const std::string address(url);
        char* argv[] = {const_cast<char*>("xdg-open"), const_cast<char*>(address.c_str()), nullptr};
        pid_t pid;
        if (posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ) == 0) {
            // Reaped off the main thread so the frame loop never waits for the opener.
            std::thread([pid] {
                int status;
                waitpid(pid, &status, 0);
            }).detach();
        }
    }

private:
    MessageAnswer ShowDrawnMessage(const std::string& text, const std::string& caption, MessageButtons buttons) {
        TTF_Font* font = nullptr;
        if (TTF_WasInit() || TTF_Init() == 0) {
            const std::string path = JapaneseFontPath();
            if (!path.empty()) font = TTF_OpenFont(path.c_str(), 14);
        }
        MessageAnswer answer;
        if (renderer_) {
            answer = TDrawnMessageBox(renderer_, font, text, caption, buttons).Run([this] { Draw(); });
            Render();
        } else {
            // Before the game's window exists (a start-up question): a window of the box's own.
            SDL_Window* window = SDL_CreateWindow(caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, 480, 200,
                                                  SDL_WINDOW_SHOWN);
            SDL_Renderer* renderer = window ? SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE) : nullptr;
            if (renderer) {
                answer = TDrawnMessageBox(renderer, font, text, caption, buttons).Run([renderer] {
                    SDL_SetRenderDrawColor(renderer, 0x80, 0x80, 0x80, 255);
                    SDL_RenderClear(renderer);
                });
                SDL_DestroyRenderer(renderer);
            } else {
                answer = EscapeAnswer(buttons);
            }
            if (window) SDL_DestroyWindow(window);
        }
        if (font) TTF_CloseFont(font);
        return answer;
    }

    // Where the picture is drawn in the window now.
    Viewport PictureViewport() const {
        int w, h;
        SDL_GetRendererOutputSize(renderer_, &w, &h);
        if (!fullScreen_) {
            Viewport v = FitPicture(w, h - kDockHeight, screenWidth_, screenHeight_, false);
            v.y += kDockHeight;
            return v;
        }
        return FitPicture(w, h, screenWidth_, screenHeight_, integerScale_);
    }

    // The output may be larger than the window on high-density screens; pointer positions are in window
    // units. toOutput: window units to output pixels, else back.
    void ScaleWindowOutput(int& x, int& y, bool toOutput) const {
        int ww, wh, ow, oh;
        SDL_GetWindowSize(window_, &ww, &wh);
        SDL_GetRendererOutputSize(renderer_, &ow, &oh);
        const int fromW = toOutput ? ww : ow, fromH = toOutput ? wh : oh, toW = toOutput ? ow : ww, toH = toOutput ? oh : wh;
        if (fromW > 0 && fromH > 0) {
            x = x * toW / fromW;
            y = y * toH / fromH;
        }
    }
    void WindowToOutput(int& x, int& y) const { ScaleWindowOutput(x, y, true); }
    void OutputToWindow(int& x, int& y) const { ScaleWindowOutput(x, y, false); }

    bool ToolBarVisible() const { return !fullScreen_ || pointerOnTopRow_; }

    int ButtonAt(int x, int y) const {
        if (!ToolBarVisible() || y < kButtonTop || y >= kButtonTop + kButtonHeight) return -1;
        for (int i = 0; i < 2; ++i)
            if (x >= ButtonLeft(i) && x < ButtonLeft(i) + kButtonWidth) return i;
        return -1;
    }
    static int ButtonLeft(int i) { return 2 + i * (kButtonWidth + 1); }

    bool Translate(const SDL_Event& e, PlatformEvent& out) {
        using Kind = PlatformEvent::Kind;
        switch (e.type) {
        case SDL_QUIT: out = {Kind::CloseRequest}; return true;
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) { out = {Kind::FocusLost}; return true; }
            if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) { out = {Kind::FocusGained}; return true; }
            if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) Render();
            return false;
        case SDL_MOUSEMOTION: {
            int x = e.motion.x, y = e.motion.y;
            WindowToOutput(x, y);
            const bool onTop = y <= 0;
            if (fullScreen_ && onTop != pointerOnTopRow_) {
                pointerOnTopRow_ = onTop;
                Render();
            }
            return PointerEvent(Kind::MouseMove, MouseButton::Left, x, y, out);
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            int x = e.button.x, y = e.button.y;
            WindowToOutput(x, y);
            const MouseButton b = e.button.button == SDL_BUTTON_RIGHT    ? MouseButton::Right
                                  : e.button.button == SDL_BUTTON_MIDDLE ? MouseButton::Middle
                                                                         : MouseButton::Left;
            const int button = ButtonAt(x, y);
            if (e.type == SDL_MOUSEBUTTONDOWN && b == MouseButton::Left && button >= 0) {
                pressedButton_ = button;
                Render();
                return false;
            }
            if (e.type == SDL_MOUSEBUTTONUP && pressedButton_ >= 0) {
                const int was = pressedButton_;
                pressedButton_ = -1;
                Render();
                if (button == was) {
                    out = {was == 0 ? Kind::QuitButton : Kind::ScreenSwitch};
                    return true;
                }
                return false;
            }
            return PointerEvent(e.type == SDL_MOUSEBUTTONDOWN ? Kind::MouseDown : Kind::MouseUp, b, x, y, out);
        }
        case SDL_MOUSEWHEEL:
            if (e.wheel.y == 0) return false;
            out = {Kind::Wheel};
            out.delta = e.wheel.y > 0 ? 1 : -1;
            return true;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            const int vk = VirtualKeyOf(e.key.keysym);
            if (vk == 0) return false;
            out = {e.type == SDL_KEYDOWN ? Kind::KeyDown : Kind::KeyUp};
            out.key = vk;
            out.repeat = e.key.repeat != 0;
            return true;
        }
        default: return false;
        }
    }

    bool PointerEvent(PlatformEvent::Kind kind, MouseButton b, int x, int y, PlatformEvent& out) {
        const Viewport v = PictureViewport();
        int px, py;
        v.ToPicture(x, y, px, py);
        // Presses outside the picture (tool bar, borders) are not the game's; moves are clamped to it.
        const bool inside = px >= 0 && py >= 0 && px < screenWidth_ && py < screenHeight_;
        if (!inside && kind != PlatformEvent::Kind::MouseMove && kind != PlatformEvent::Kind::MouseUp) return false;
        out = {kind};
        out.button = b;
        out.x = std::clamp(px, 0, screenWidth_ - 1);
        out.y = std::clamp(py, 0, screenHeight_ - 1);
        return true;
    }

    void ClearTexture() {
        void* pixels;
        int pitch;
        if (SDL_LockTexture(texture_, nullptr, &pixels, &pitch) == 0) {
            std::memset(pixels, 0, static_cast<size_t>(pitch) * screenHeight_);
            SDL_UnlockTexture(texture_);
        }
    }

    void MakeLabels() {
        if (TTF_Init() != 0) return;
        const std::string path = JapaneseFontPath();
        TTF_Font* font = path.empty() ? nullptr : TTF_OpenFont(path.c_str(), 12);
        if (!font) return;  // buttons without labels still work
        for (int i = 0; i < 2; ++i) {
            if (SDL_Surface* s = TTF_RenderUTF8_Blended(font, kButtonLabels[i], SDL_Color{0, 0, 0, 255})) {
                labels_[i] = SDL_CreateTextureFromSurface(renderer_, s);
                SDL_FreeSurface(s);
            }
        }
        TTF_CloseFont(font);
    }

    void DrawToolBar() {
        SDL_SetRenderDrawColor(renderer_, 0xF0, 0xF0, 0xF0, 255);
        const SDL_Rect dock{0, 0, fullScreen_ ? 4 + 2 * (kButtonWidth + 1) : screenWidth_, kDockHeight};
        SDL_RenderFillRect(renderer_, &dock);
        for (int i = 0; i < 2; ++i) {
            const SDL_Rect r{ButtonLeft(i), kButtonTop, kButtonWidth, kButtonHeight};
            const bool down = pressedButton_ == i;
            SDL_SetRenderDrawColor(renderer_, down ? 0xC8 : 0xE1, down ? 0xC8 : 0xE1, down ? 0xC8 : 0xE1, 255);
            SDL_RenderFillRect(renderer_, &r);
            SDL_SetRenderDrawColor(renderer_, 0xA0, 0xA0, 0xA0, 255);
            SDL_RenderDrawRect(renderer_, &r);
            if (labels_[i]) {
                int w, h;
                SDL_QueryTexture(labels_[i], nullptr, nullptr, &w, &h);
                const SDL_Rect t{r.x + (r.w - w) / 2 + (down ? 1 : 0), r.y + (r.h - h) / 2 + (down ? 1 : 0), w, h};
                SDL_RenderCopy(renderer_, labels_[i], nullptr, &t);
            }
        }
    }

    void Render() {
        if (!renderer_) return;
        Draw();
        SDL_RenderPresent(renderer_);
    }

    void Draw() {
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        SDL_RenderClear(renderer_);
        const Viewport v = PictureViewport();
        const SDL_Rect dest{v.x, v.y, v.width, v.height};
        SDL_RenderCopy(renderer_, texture_, nullptr, &dest);
        if (ToolBarVisible()) DrawToolBar();
    }

    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    SDL_Texture* labels_[2] = {nullptr, nullptr};
    SDL_Cursor* cursor_ = nullptr;
    int screenWidth_ = 0, screenHeight_ = 0;
    bool fullScreen_ = false;
    bool integerScale_ = false;
    bool drawnBoxesOnly_ = false;
    bool pointerOnTopRow_ = false;
    int pressedButton_ = -1;
};

} // namespace

std::unique_ptr<TPlatform> CreateSdlPlatform() { return std::make_unique<TSdlPlatform>(); }

} // namespace ruvo::platform
