#include "platform/sdl_messagebox.hpp"

#include <algorithm>

namespace ruvo::platform {

namespace {

constexpr int kPad = 12;
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 24;
constexpr int kButtonGap = 12;
constexpr int kMinBoxWidth = 240;
constexpr int kMinCaptionBar = 24;

void Fill(SDL_Renderer* r, const SDL_Rect& rect, uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha = 255) {
    SDL_SetRenderDrawColor(r, red, green, blue, alpha);
    SDL_RenderFillRect(r, &rect);
}

void Frame(SDL_Renderer* r, const SDL_Rect& rect, uint8_t red, uint8_t green, uint8_t blue) {
    SDL_SetRenderDrawColor(r, red, green, blue, 255);
    SDL_RenderDrawRect(r, &rect);
}

void Blit(SDL_Renderer* r, SDL_Texture* t, int x, int y, int w, int h) {
    if (!t) return;
    const SDL_Rect dest{x, y, w, h};
    SDL_RenderCopy(r, t, nullptr, &dest);
}

// The text as the box shows it: line breaks of any kind become LF.
std::string Lines(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

} // namespace

TDrawnMessageBox::TDrawnMessageBox(SDL_Renderer* renderer, TTF_Font* font, const std::string& textUtf8,
                                   const std::string& captionUtf8, MessageButtons buttons)
    : renderer_(renderer) {
    switch (buttons) {
    case MessageButtons::Ok: buttons_ = {{MessageAnswer::Ok}}; break;
    case MessageButtons::OkCancel: buttons_ = {{MessageAnswer::Ok}, {MessageAnswer::Cancel}}; break;
    case MessageButtons::YesNo: buttons_ = {{MessageAnswer::Yes}, {MessageAnswer::No}}; break;
    }
    if (!font) return;
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(renderer_, &w, &h);
    const int wrap = std::max(w - 4 * kPad - 16, 100);
    auto render = [&](const std::string& utf8, SDL_Color color, int& width, int& height) -> SDL_Texture* {
        if (utf8.empty()) return nullptr;
        SDL_Surface* s = TTF_RenderUTF8_Blended_Wrapped(font, utf8.c_str(), color, static_cast<uint32_t>(wrap));
        if (!s) return nullptr;
        SDL_Texture* t = SDL_CreateTextureFromSurface(renderer_, s);
        width = s->w;
        height = s->h;
        SDL_FreeSurface(s);
        return t;
    };
    caption_ = render(captionUtf8, SDL_Color{255, 255, 255, 255}, captionWidth_, captionHeight_);
    text_ = render(Lines(textUtf8), SDL_Color{0, 0, 0, 255}, textWidth_, textHeight_);
    for (Button& b : buttons_) {
        const char* label = b.answer == MessageAnswer::Yes      ? "はい"
                            : b.answer == MessageAnswer::No     ? "いいえ"
                            : b.answer == MessageAnswer::Cancel ? "キャンセル"
                                                                : "OK";
        b.label = render(label, SDL_Color{0, 0, 0, 255}, b.labelWidth, b.labelHeight);
    }
}

TDrawnMessageBox::~TDrawnMessageBox() {
    for (SDL_Texture* t : {caption_, text_})
        if (t) SDL_DestroyTexture(t);
    for (const Button& b : buttons_)
        if (b.label) SDL_DestroyTexture(b.label);
}

TDrawnMessageBox::Layout TDrawnMessageBox::Place() const {
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(renderer_, &w, &h);
    const int buttonsWidth = ButtonCount() * kButtonWidth + (ButtonCount() - 1) * kButtonGap;
    const int content = std::max({textWidth_, captionWidth_, buttonsWidth});
    const int captionBar = std::max(captionHeight_ + 8, kMinCaptionBar);
    Layout l;
    l.box.w = std::min(std::max(content + 2 * kPad, kMinBoxWidth), std::max(w - 8, buttonsWidth + 2 * kPad));
    l.box.h = captionBar + kPad + textHeight_ + kPad + kButtonHeight + kPad;
    l.box.x = std::max((w - l.box.w) / 2, 0);
    l.box.y = std::max((h - l.box.h) / 2, 0);
    l.captionBar = SDL_Rect{l.box.x, l.box.y, l.box.w, captionBar};
    l.text = SDL_Rect{l.box.x + kPad, l.box.y + captionBar + kPad, textWidth_, textHeight_};
    return l;
}

SDL_Rect TDrawnMessageBox::BoxRect() const { return Place().box; }

SDL_Rect TDrawnMessageBox::ButtonRect(int i) const {
    const SDL_Rect box = Place().box;
    const int buttonsWidth = ButtonCount() * kButtonWidth + (ButtonCount() - 1) * kButtonGap;
    return SDL_Rect{box.x + (box.w - buttonsWidth) / 2 + i * (kButtonWidth + kButtonGap),
                    box.y + box.h - kPad - kButtonHeight, kButtonWidth, kButtonHeight};
}

void TDrawnMessageBox::Draw() {
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(renderer_, &w, &h);
    const Layout l = Place();
    // The game stays visible, dimmed, so it is clear the box belongs to it.
    SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_BLEND);
    Fill(renderer_, SDL_Rect{0, 0, w, h}, 0, 0, 0, 96);
    SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_NONE);
    Fill(renderer_, l.box, 0xF0, 0xF0, 0xF0);
    Fill(renderer_, l.captionBar, 0x3A, 0x6E, 0xA5);
    Frame(renderer_, l.box, 0x40, 0x40, 0x40);
    Blit(renderer_, caption_, l.captionBar.x + kPad, l.captionBar.y + (l.captionBar.h - captionHeight_) / 2, captionWidth_,
         captionHeight_);
    Blit(renderer_, text_, l.text.x + (l.box.w - 2 * kPad - textWidth_) / 2, l.text.y, textWidth_, textHeight_);
    for (int i = 0; i < ButtonCount(); ++i) {
        const SDL_Rect r = ButtonRect(i);
        const bool down = pressed_ == i && hovered_ == i;
        if (down) Fill(renderer_, r, 0xC8, 0xC8, 0xC8);
        else if (hovered_ == i) Fill(renderer_, r, 0xE5, 0xF1, 0xFB);
        else Fill(renderer_, r, 0xE1, 0xE1, 0xE1);
        // The first button is the one Enter chooses.
        if (i == 0) Frame(renderer_, SDL_Rect{r.x - 1, r.y - 1, r.w + 2, r.h + 2}, 0x3A, 0x6E, 0xA5);
        Frame(renderer_, r, 0xA0, 0xA0, 0xA0);
        const Button& b = buttons_[static_cast<size_t>(i)];
        Blit(renderer_, b.label, r.x + (r.w - b.labelWidth) / 2 + (down ? 1 : 0), r.y + (r.h - b.labelHeight) / 2 + (down ? 1 : 0),
             b.labelWidth, b.labelHeight);
    }
}

void TDrawnMessageBox::OutputPoint(int windowX, int windowY, int& x, int& y) const {
    x = windowX;
    y = windowY;
    SDL_Window* window = SDL_RenderGetWindow(renderer_);
    int ww = 0, wh = 0, ow = 0, oh = 0;
    if (window) SDL_GetWindowSize(window, &ww, &wh);
    SDL_GetRendererOutputSize(renderer_, &ow, &oh);
    if (ww > 0 && wh > 0) {
        x = windowX * ow / ww;
        y = windowY * oh / wh;
    }
}

int TDrawnMessageBox::ButtonAt(int x, int y) const {
    for (int i = 0; i < ButtonCount(); ++i) {
        const SDL_Rect r = ButtonRect(i);
        if (x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h) return i;
    }
    return -1;
}

std::optional<MessageAnswer> TDrawnMessageBox::Handle(const SDL_Event& e) {
    int x = 0, y = 0;
    switch (e.type) {
    case SDL_QUIT: return DismissAnswer();
    case SDL_KEYDOWN:
        switch (e.key.keysym.sym) {
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
        case SDLK_y: return buttons_.front().answer;
        case SDLK_ESCAPE:
        case SDLK_n: return DismissAnswer();
        default: return std::nullopt;
        }
    case SDL_MOUSEMOTION:
        OutputPoint(e.motion.x, e.motion.y, x, y);
        hovered_ = ButtonAt(x, y);
        return std::nullopt;
    case SDL_MOUSEBUTTONDOWN:
        if (e.button.button != SDL_BUTTON_LEFT) return std::nullopt;
        OutputPoint(e.button.x, e.button.y, x, y);
        pressed_ = hovered_ = ButtonAt(x, y);
        return std::nullopt;
    case SDL_MOUSEBUTTONUP: {
        if (e.button.button != SDL_BUTTON_LEFT) return std::nullopt;
        OutputPoint(e.button.x, e.button.y, x, y);
        const int was = pressed_;
        pressed_ = -1;
        // A press and its release on the same button choose it, as with any button.
        if (was >= 0 && ButtonAt(x, y) == was) return buttons_[static_cast<size_t>(was)].answer;
        return std::nullopt;
    }
    default: return std::nullopt;
    }
}

MessageAnswer TDrawnMessageBox::Run(const std::function<void()>& background) {
    for (;;) {
        background();
        Draw();
        SDL_RenderPresent(renderer_);
        SDL_Event e;
        if (!SDL_WaitEventTimeout(&e, 100)) continue;
        if (const auto answer = Handle(e)) {
            // Closing the window while the box is up still closes it: the player sees the request next.
            if (e.type == SDL_QUIT) SDL_PushEvent(&e);
            return *answer;
        }
    }
}

} // namespace ruvo::platform
