#pragma once
// The sound settings dialog ("ruvoplay /config", "ruvoplay --config [GAMEFOLDER]"): the "DirectSound"
// check box and the "DelayTime" track bar of "game.ini", drawn by the player itself, in a window or
// headless. Keyboard as in such dialogs: Tab and Shift+Tab move the focus (check box, track bar when
// enabled, OK, キャンセル), Alt+S toggles the check box, Alt+D goes to the track bar, the arrows, Home
// and End move it, Space presses the focused control, Enter is OK (or the focused button), Escape is
// キャンセル. The track bar and its labels are enabled only without DirectSound.
#include <cstdint>
#include <filesystem>
#include <string>

#include "app/gameini.hpp"
#include "graphics/surface/dibx.hpp"

namespace ruvo {

namespace platform {
class TPlatform;
}

class TConfigDialog {
public:
    static constexpr int kWidth = 270, kHeight = 179;
    enum class TFocus { CheckBox, TrackBar, Ok, Cancel };

    explicit TConfigDialog(const TGameIni& ini);

    // Windows virtual-key codes; Alt (18) makes the next letter a mnemonic.
    void KeyDown(int key);
    void KeyUp(int key);
    // A left click at a point of the client area.
    void Click(int x, int y);

    bool DirectSound() const noexcept { return directSound_; }
    int Position() const noexcept { return position_; }  // 1..5
    TFocus Focus() const noexcept { return focus_; }
    bool DelayEnabled() const noexcept { return !directSound_; }
    // "%dms" of the track bar's position × 100.
    std::string ValueText() const;
    bool Closed() const noexcept { return closed_; }
    bool Accepted() const noexcept { return accepted_; }
    // What OK writes.
    TGameIni Result() const { return {directSound_, position_ * 100}; }

    // The client area, 0x00RRGGBB.
    void Paint(TDIBX& surface) const;

private:
    void Toggle();
    void MoveTrack(int to);
    void Press(bool ok);
    void Tab(bool back);

    bool directSound_;
    int position_;
    TFocus focus_ = TFocus::CheckBox;
    bool closed_ = false, accepted_ = false;
    bool altArmed_ = false, shiftHeld_ = false;
};

// Shows the dialog for the "game.ini" of a folder until it closes; OK writes the file. frameLimit: a
// headless run ends after so many frames when nothing closed it. screenshot: the dialog at the end, as
// PNG. Returns the exit code (0, or 1 when the file could not be written).
int RunConfigDialog(platform::TPlatform& platform, const std::filesystem::path& folder, long long frameLimit,
                    const std::filesystem::path& screenshot);

} // namespace ruvo
