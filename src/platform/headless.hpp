#pragma once
// The deterministic back end: no window, a clock that advances exactly 16 ms per frame, input read from a
// script, message boxes answered by the script (or their default button) and printed on stderr. A box
// asked 20 times in one frame ends the run with an error instead of looping for ever. It reports no
// installed fonts and no display modes, so that a run gives the same results on every machine.
#include <cstdio>
#include <deque>
#include <map>
#include <vector>

#include "platform/platform.hpp"

namespace ruvo::platform {

struct ScriptedEvent {
    int frame;
    PlatformEvent event;
};

struct InputScript {
    std::vector<ScriptedEvent> events;          // in frame order
    std::vector<std::pair<int, MessageAnswer>> answers;  // frame from which the answer is offered
};

// One event per line: "FRAME click X Y", "FRAME rclick X Y", "FRAME move X Y", "FRAME key CODE",
// "FRAME wheel up|down", "FRAME answer ok|cancel|yes|no", "FRAME focus out|in" (the window loses or
// regains the focus). Blank lines and lines starting with "#" are
// skipped. Throws std::runtime_error naming the line of a malformed entry.
InputScript ParseInputScript(std::string_view text);

class THeadlessPlatform : public TPlatform {
public:
    static constexpr uint32_t kFrameMs = 16;

    explicit THeadlessPlatform(InputScript script, std::FILE* messages = stderr);
    std::string_view Name() const override { return "headless"; }

    uint32_t Ticks() override { return static_cast<uint32_t>(frame_) * kFrameMs; }
    void Sleep(uint32_t) override {}
    void FrameDone() override { ++frame_; }
    int Frame() const noexcept { return frame_; }

    void OpenWindow(const WindowSpec& spec) override;
    void SetTitle(std::string_view titleUtf8) override { title_ = titleUtf8; }
    bool SetFullScreen(bool on) override {
        fullScreen_ = on;
        return true;
    }
    bool FullScreen() const override { return fullScreen_; }
    std::vector<DisplayMode> DisplayModes() override { return {}; }
    void Present(const PictureView& picture, std::span<const Rect> changed) override;

    bool CaptureWindow(Capture& capture) override {
        capture = {width_, height_, picture_};
        return true;
    }
    bool PollEvent(PlatformEvent& event) override;
    void WarpPointer(int x, int y) override;
    void SetCursorPicture(const PictureView* picture, int hotX, int hotY) override;
    MessageAnswer ShowMessage(std::string_view textUtf8, std::string_view captionUtf8, MessageButtons buttons,
                              MessageIcon icon) override;
    void OpenUrl(std::string_view url) override;
    std::vector<std::string> FontFaces(bool) override { return {}; }

    const std::string& Title() const noexcept { return title_; }
    // The last presented picture, 0x00RRGGBB, top row first.
    const std::vector<uint32_t>& Picture() const noexcept { return picture_; }
    int PictureWidth() const noexcept { return width_; }
    int PictureHeight() const noexcept { return height_; }
    // Whether the last cursor asked for was the standard arrow.
    bool ArrowCursor() const noexcept { return arrowCursor_; }
    // The last cursor picture asked for (0xAARRGGBB, top row first), its size and hot spot; empty for
    // the arrow.
    struct CursorShape {
        int width = 0, height = 0, hotX = 0, hotY = 0;
        std::vector<uint32_t> pixels;
    };
    const CursorShape& Cursor() const noexcept { return cursor_; }

private:
    InputScript script_;
    size_t nextEvent_ = 0;
    std::deque<PlatformEvent> warps_;  // pointer moves asked by the player, delivered before scripted input
    std::FILE* messages_;
    int frame_ = 0;
    std::string title_;
    bool fullScreen_ = false;
    int width_ = 0, height_ = 0;
    std::vector<uint32_t> picture_;
    bool arrowCursor_ = true;
    CursorShape cursor_;
    // The same box asked again and again within a frame means nobody will ever answer it.
    std::string lastBox_;
    int lastBoxFrame_ = -1;
    int repeats_ = 0;
};

} // namespace ruvo::platform
