#pragma once
// The player state behind the system variables that belong to other subsystems (call mechanism, mouse,
// keys, screens, clock, history, media, display objects). Each subsystem overrides what it owns; a bare
// TSystemState answers the defaults (nothing pressed, no call, a 640 x 480 screen, the local clock).
#include <cstdint>
#include <string>
#include <vector>

#include "archive/extended.hpp"

namespace ruvo {

class TCustomParam;

struct TLocalTime {
    int year = 0, month = 0, day = 0;
    int week = 1;  // 1 = Sunday .. 7 = Saturday
    int hour = 0, minute = 0, second = 0;
};

class TSystemState {
public:
    virtual ~TSystemState() = default;

    // Call mechanism: the current call's result holder (null when there is no call), its parameters and
    // the name of the object whose event started it.
    virtual TCustomParam* CallResult() { return nullptr; }
    virtual std::vector<std::string> CallParams() { return {}; }
    virtual std::string SenderName() { return {}; }

    // Mouse and keys of the current frame. Keys 0..255 are virtual keys, 256 wheel down, 257 wheel up.
    virtual bool LeftClick() { return false; }
    virtual void SetLeftClick(bool) {}
    virtual bool RightClick() { return false; }
    virtual void SetRightClick(bool) {}
    virtual bool LeftPush() { return false; }
    virtual bool RightPush() { return false; }
    virtual int32_t MouseX() { return 0; }
    virtual void SetMouseX(int32_t) {}
    virtual int32_t MouseY() { return 0; }
    virtual void SetMouseY(int32_t) {}
    virtual bool KeyPush(int) { return false; }
    virtual bool KeyClick(int) { return false; }
    virtual bool KeyRepeat(int) { return false; }
    virtual bool WheelDown() { return false; }
    virtual bool WheelUp() { return false; }

    // Message history.
    virtual int32_t HistoryCount() { return 0; }
    virtual int32_t HistoryMaxCount() { return 0; }
    virtual void SetHistoryMaxCount(int32_t) {}

    // Project, screens and display.
    virtual int32_t ScreenWidth() { return 640; }
    virtual int32_t ScreenHeight() { return 480; }
    virtual std::string Title() { return {}; }
    virtual bool FullScreen() { return false; }
    virtual void SetFullScreen(bool) {}
    virtual bool CGDither() { return false; }
    virtual void SetCGDither(bool) {}
    virtual int32_t DisplayModeCount() { return 0; }
    virtual int32_t DisplayModeIndex() { return 0; }
    virtual void SetDisplayModeIndex(int32_t) {}
    virtual std::string ActiveCompo() { return {}; }
    virtual void SetActiveCompo(const std::string&) {}
    // Installed font names, one per line (CR LF).
    virtual std::string Fonts() { return {}; }
    virtual std::string FixedFonts() { return {}; }

    // Clocks: the player clock, the system clock, frames updated, and the date and time of this tick.
    virtual int32_t TickCount() { return 0; }
    virtual int32_t PCTickCount();
    virtual int32_t UpdateCount() { return 0; }
    virtual TLocalTime Now();

    // Media.
    virtual bool SoundOn() { return true; }
    virtual void SetSoundOn(bool) {}
    virtual std::string MidiPort() { return {}; }
    virtual void SetMidiPort(const std::string&) {}
    virtual std::vector<std::string> MidiPorts() { return {}; }
};

} // namespace ruvo
