#include "platform/headless.hpp"

#include <algorithm>
#include <sstream>
#include <stdexcept>

namespace ruvo::platform {

namespace {

[[noreturn]] void Malformed(int line, const std::string& text, const char* why) {
    throw std::runtime_error("input script line " + std::to_string(line) + ": " + why + ": \"" + text + "\"");
}

MessageAnswer DefaultAnswer(MessageButtons buttons) {
    return buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
}

bool Offers(MessageButtons buttons, MessageAnswer answer) {
    switch (buttons) {
    case MessageButtons::Ok: return answer == MessageAnswer::Ok;
    case MessageButtons::OkCancel: return answer == MessageAnswer::Ok || answer == MessageAnswer::Cancel;
    case MessageButtons::YesNo: return answer == MessageAnswer::Yes || answer == MessageAnswer::No;
    }
    return false;
}

const char* AnswerName(MessageAnswer a) {
    switch (a) {
    case MessageAnswer::Ok: return "ok";
    case MessageAnswer::Cancel: return "cancel";
    case MessageAnswer::Yes: return "yes";
    case MessageAnswer::No: return "no";
    }
    return "?";
}

} // namespace

InputScript ParseInputScript(std::string_view text) {
    InputScript script;
    std::istringstream in{std::string(text)};
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        std::istringstream words(line);
        std::string verb;
        int frame;
        if (!(words >> frame)) {
            std::istringstream blank(line);
            std::string first;
            if (!(blank >> first) || first[0] == '#') continue;
            Malformed(number, line, "expected a frame number");
        }
        if (frame < 0) Malformed(number, line, "negative frame");
        if (!(words >> verb)) Malformed(number, line, "expected an event");
        PlatformEvent e{};
        auto point = [&] {
            if (!(words >> e.x >> e.y)) Malformed(number, line, "expected X Y");
        };
        auto add = [&](PlatformEvent ev, int at) { script.events.push_back({at, ev}); };
        if (verb == "click" || verb == "rclick") {
            point();
            e.button = verb == "click" ? MouseButton::Left : MouseButton::Right;
            e.kind = PlatformEvent::Kind::MouseMove;
            add(e, frame);
            e.kind = PlatformEvent::Kind::MouseDown;
            add(e, frame);
            e.kind = PlatformEvent::Kind::MouseUp;
            add(e, frame);
        } else if (verb == "move") {
            point();
            e.kind = PlatformEvent::Kind::MouseMove;
            add(e, frame);
        } else if (verb == "key") {
            if (!(words >> e.key) || e.key < 0 || e.key > 255) Malformed(number, line, "expected a key code 0..255");
            e.kind = PlatformEvent::Kind::KeyDown;
            add(e, frame);
            e.kind = PlatformEvent::Kind::KeyUp;  // released in the next frame, so the key is seen held once
            add(e, frame + 1);
        } else if (verb == "wheel") {
            std::string dir;
            words >> dir;
            if (dir != "up" && dir != "down") Malformed(number, line, "expected up or down");
            e.kind = PlatformEvent::Kind::Wheel;
            e.delta = dir == "up" ? 1 : -1;
            add(e, frame);
        } else if (verb == "focus") {
            std::string how;
            words >> how;
            if (how != "out" && how != "in") Malformed(number, line, "expected out or in");
            e.kind = how == "out" ? PlatformEvent::Kind::FocusLost : PlatformEvent::Kind::FocusGained;
            add(e, frame);
        } else if (verb == "answer") {
            std::string a;
            words >> a;
            MessageAnswer answer;
            if (a == "ok") answer = MessageAnswer::Ok;
            else if (a == "cancel") answer = MessageAnswer::Cancel;
            else if (a == "yes") answer = MessageAnswer::Yes;
            else if (a == "no") answer = MessageAnswer::No;
            else Malformed(number, line, "expected ok, cancel, yes or no");
            script.answers.push_back({frame, answer});
        } else {
            Malformed(number, line, "unknown event");
        }
        std::string extra;
        if (words >> extra) Malformed(number, line, "unexpected text after the event");
    }
    std::stable_sort(script.events.begin(), script.events.end(),
                     [](const ScriptedEvent& a, const ScriptedEvent& b) { return a.frame < b.frame; });
    std::stable_sort(script.answers.begin(), script.answers.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    return script;
}

THeadlessPlatform::THeadlessPlatform(InputScript script, std::FILE* messages)
    : script_(std::move(script)), messages_(messages) {}

void THeadlessPlatform::OpenWindow(const WindowSpec& spec) {
    title_ = spec.titleUtf8;
    width_ = spec.screenWidth;
    height_ = spec.screenHeight;
    picture_.assign(static_cast<size_t>(std::max(width_, 0)) * static_cast<size_t>(std::max(height_, 0)), 0);
}

void THeadlessPlatform::Present(const PictureView& picture, std::span<const Rect> changed) {
    const Rect whole{0, 0, picture.width, picture.height};
    if (picture.width != width_ || picture.height != height_) {
        // A new size: everything is taken over.
        width_ = picture.width;
        height_ = picture.height;
        picture_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0);
        changed = std::span<const Rect>(&whole, 1);
    }
    for (const Rect& r : changed) {
        const int left = std::max(r.left, 0), right = std::min(r.right, width_);
        for (int y = std::max(r.top, 0); y < std::min(r.bottom, height_); ++y)
            for (int x = left; x < right; ++x) picture_[static_cast<size_t>(y) * width_ + x] = picture.Pixel(x, y);
    }
}

bool THeadlessPlatform::PollEvent(PlatformEvent& event) {
    if (!warps_.empty()) {
        event = warps_.front();
        warps_.pop_front();
        return true;
    }
    if (nextEvent_ >= script_.events.size() || script_.events[nextEvent_].frame > frame_) return false;
    event = script_.events[nextEvent_++].event;
    return true;
}

void THeadlessPlatform::WarpPointer(int x, int y) {
    PlatformEvent e{PlatformEvent::Kind::MouseMove};
    e.x = std::clamp(x, 0, std::max(width_ - 1, 0));
    e.y = std::clamp(y, 0, std::max(height_ - 1, 0));
    warps_.push_back(e);
}

void THeadlessPlatform::SetCursorPicture(const PictureView* picture, int hotX, int hotY) {
    arrowCursor_ = picture == nullptr;
    cursor_ = {};
    if (!picture) return;
    cursor_ = {picture->width, picture->height, hotX, hotY, {}};
    cursor_.pixels.reserve(static_cast<size_t>(picture->width) * static_cast<size_t>(picture->height));
    for (int y = 0; y < picture->height; ++y)
        for (int x = 0; x < picture->width; ++x) cursor_.pixels.push_back(picture->Pixel(x, y));
}

MessageAnswer THeadlessPlatform::ShowMessage(std::string_view textUtf8, std::string_view captionUtf8,
                                             MessageButtons buttons, MessageIcon) {
    const std::string box = std::string(captionUtf8) + "\n" + std::string(textUtf8);
    repeats_ = (box == lastBox_ && frame_ == lastBoxFrame_) ? repeats_ + 1 : 0;
    lastBox_ = box;
    lastBoxFrame_ = frame_;
    if (repeats_ >= 20)
        throw std::runtime_error("the message box \"" + std::string(textUtf8) + "\" keeps coming back; "
                                 "give its answers with --input (FRAME answer ok|cancel|yes|no)");
    MessageAnswer answer = DefaultAnswer(buttons);
    // The first scripted answer that is due and that this box offers is used up.
    for (auto it = script_.answers.begin(); it != script_.answers.end() && it->first <= frame_; ++it) {
        if (Offers(buttons, it->second)) {
            answer = it->second;
            script_.answers.erase(it);
            break;
        }
    }
    if (messages_)
        std::fprintf(messages_, "[%.*s] %.*s -> %s\n", static_cast<int>(captionUtf8.size()), captionUtf8.data(),
                     static_cast<int>(textUtf8.size()), textUtf8.data(), AnswerName(answer));
    return answer;
}

void THeadlessPlatform::OpenUrl(std::string_view url) {
    if (messages_) std::fprintf(messages_, "[open] %.*s\n", static_cast<int>(url.size()), url.data());
}

} // namespace ruvo::platform
