#pragma once
// Where the player hands the window's mouse and keyboard events between frames (game pixels, Windows
// virtual-key codes). The display world takes them and turns them into what the next frame sees.
namespace ruvo {

class TInputSink {
public:
    virtual ~TInputSink() = default;
    virtual void MouseDown(bool left, int x, int y) = 0;
    virtual void MouseUp() = 0;
    virtual void MouseMove(int x, int y) = 0;
    // +1 up, -1 down.
    virtual void Wheel(int delta) = 0;
    // repeat: the system's auto-repeat of a held key.
    virtual void KeyDown(int key, bool repeat) = 0;
    virtual void KeyUp(int key) = 0;
    // The player lost the focus: every key and button is let go.
    virtual void ReleaseAll() = 0;
};

} // namespace ruvo
