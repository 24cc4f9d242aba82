#pragma once
// What the player needs of the machine it runs on: a clock, a window to present the game's picture in,
// input, message boxes and a way to open web addresses. Back ends are chosen by name ("sdl", "headless").
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ruvo::platform {

enum class MouseButton { Left, Right, Middle };

struct PlatformEvent {
    enum class Kind {
        MouseDown,    // button, x, y
        MouseUp,      // button, x, y
        MouseMove,    // x, y
        Wheel,        // delta: +1 up, -1 down
        KeyDown,      // key: Windows virtual-key code; repeat set for auto-repeats
        KeyUp,        // key
        FocusLost,
        FocusGained,
        CloseRequest, // the window's close box
        QuitButton,   // the tool bar's quit button
        ScreenSwitch, // the tool bar's full-screen button
    };
    Kind kind;
    MouseButton button = MouseButton::Left;
    int x = 0, y = 0;  // game pixels, relative to the display panel
    int delta = 0;
    int key = 0;
    bool repeat = false;
};

enum class MessageButtons { Ok, OkCancel, YesNo };
enum class MessageIcon { Information, Warning, Question };
enum class MessageAnswer { Ok, Cancel, Yes, No };

// A picture of 32-bit pixels 0x00RRGGBB; rows are `stride` bytes apart (negative for bottom-up memory).
struct PictureView {
    const uint8_t* firstRow = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;
    uint32_t Pixel(int x, int y) const {
        return reinterpret_cast<const uint32_t*>(firstRow + y * stride)[x];
    }
};

struct Rect {
    int left, top, right, bottom;  // right and bottom exclusive
};

struct DisplayMode {
    int width, height, bitsPerPixel, refreshRate;
};

struct WindowSpec {
    std::string titleUtf8;
    int screenWidth = 640;
    int screenHeight = 480;
};

// A sound device that plays 16-bit stereo; it asks its fill function for samples on a thread of its own.
class TAudioDevice {
public:
    virtual ~TAudioDevice() = default;
    // Nothing is asked of the fill function before Start; after the device is destroyed, nothing more.
    virtual void Start() = 0;
    // Frames the device asks for at a time.
    virtual int BufferFrames() const = 0;
    // Times the device had to wait for samples (its own count, where it keeps one).
    virtual uint64_t Underruns() const { return 0; }
};
// Writes `frames` interleaved stereo frames; runs on the device's thread.
using AudioFill = std::function<void(int16_t* out, int frames)>;

class TPlatform {
public:
    virtual ~TPlatform() = default;
    virtual std::string_view Name() const = 0;

    // Milliseconds of the platform's clock (wraps at 2^32 like the system's multimedia timer).
    virtual uint32_t Ticks() = 0;
    virtual void Sleep(uint32_t ms) = 0;
    // Called once at the end of every frame; the headless back end's clock advances here.
    virtual void FrameDone() {}

    virtual void OpenWindow(const WindowSpec& spec) = 0;
    virtual void SetTitle(std::string_view titleUtf8) = 0;
    virtual bool SetFullScreen(bool on) = 0;
    virtual bool FullScreen() const = 0;
    virtual std::vector<DisplayMode> DisplayModes() = 0;
    // Shows the picture; only the changed rectangles need to be taken over.
    virtual void Present(const PictureView& picture, std::span<const Rect> changed) = 0;

    // What the player shows now (game picture and tool bar), top row first, 0x00RRGGBB.
    struct Capture {
        int width = 0, height = 0;
        std::vector<uint32_t> pixels;
    };
    virtual bool CaptureWindow(Capture& capture) = 0;

    virtual bool PollEvent(PlatformEvent& event) = 0;
    // Moves the system pointer to a game pixel; a MouseMove event to that point follows.
    virtual void WarpPointer(int x, int y) = 0;
    // The pointer's shape over the game: a picture with its hot spot, or the standard arrow for null.
    // A cursor picture's pixels carry their opacity in the top byte (0xAARRGGBB, 255 opaque).
    virtual void SetCursorPicture(const PictureView* picture, int hotX, int hotY) = 0;
    virtual MessageAnswer ShowMessage(std::string_view textUtf8, std::string_view captionUtf8, MessageButtons buttons,
                                      MessageIcon icon) = 0;
    virtual void OpenUrl(std::string_view url) = 0;
    // The family names (UTF-8) of the installed fonts, or of the fixed-pitch ones only; sorted, each once.
    virtual std::vector<std::string> FontFaces(bool fixedPitchOnly) = 0;
    // A sound device at `rate` frames a second asking for about bufferFrames at a time, or null where
    // there is none (headless runs, machines without sound).
    virtual std::unique_ptr<TAudioDevice> OpenAudio(int /*rate*/, int /*bufferFrames*/, AudioFill /*fill*/) { return nullptr; }
};

// Options of the headless back end.
struct HeadlessOptions {
    std::string inputScript;  // text of the scripted input (see ParseInputScript)
};

// The back end of that name ("sdl" or "headless"); throws std::runtime_error for an unknown or
// unavailable one.
std::unique_ptr<TPlatform> CreatePlatform(std::string_view name, const HeadlessOptions& headless = {});
// "sdl" when a display is reachable, else "headless".
std::string DefaultPlatformName();

} // namespace ruvo::platform
