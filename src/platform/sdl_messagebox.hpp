#pragma once
// A message box the player draws itself over its window, for desktops where the system's message box
// cannot be shown (SDL then reports "No message system available"): a question such as the quit
// prompt must still be asked. It answers to the mouse and to keys: Enter or Y for the first button
// (はい, OK), Esc or N for the last (いいえ, キャンセル).
#include <SDL.h>
#include <SDL_ttf.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.hpp"

namespace ruvo::platform {

class TDrawnMessageBox {
public:
    // font may be null (no Japanese font found): the box is drawn without its words.
    TDrawnMessageBox(SDL_Renderer* renderer, TTF_Font* font, const std::string& textUtf8, const std::string& captionUtf8,
                     MessageButtons buttons);
    ~TDrawnMessageBox();
    TDrawnMessageBox(const TDrawnMessageBox&) = delete;
    TDrawnMessageBox& operator=(const TDrawnMessageBox&) = delete;

    // Draws the box over what the renderer holds, in the middle of its output; does not present.
    void Draw();
    // The answer an event gives, or nullopt while the box stays.
    std::optional<MessageAnswer> Handle(const SDL_Event& event);
    // Runs until answered; background draws what lies under the box before every presentation.
    MessageAnswer Run(const std::function<void()>& background);

    int ButtonCount() const noexcept { return static_cast<int>(buttons_.size()); }
    // Where button i is drawn, in renderer output pixels.
    SDL_Rect ButtonRect(int i) const;
    SDL_Rect BoxRect() const;
    // The answer of closing the box without choosing (Esc, the window's close box).
    MessageAnswer DismissAnswer() const noexcept { return buttons_.back().answer; }

private:
    struct Button {
        MessageAnswer answer;
        SDL_Texture* label = nullptr;
        int labelWidth = 0, labelHeight = 0;
    };
    struct Layout {
        SDL_Rect box, captionBar, text;
    };
    SDL_Texture* Render(const std::string& utf8, int wrapWidth, int& width, int& height);
    Layout Place() const;
    void OutputPoint(int windowX, int windowY, int& x, int& y) const;
    int ButtonAt(int x, int y) const;

    SDL_Renderer* renderer_;
    SDL_Texture* caption_ = nullptr;
    SDL_Texture* text_ = nullptr;
    int captionWidth_ = 0, captionHeight_ = 0, textWidth_ = 0, textHeight_ = 0;
    std::vector<Button> buttons_;
    int hovered_ = -1;
    int pressed_ = -1;
};

} // namespace ruvo::platform
