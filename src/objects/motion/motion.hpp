#pragma once
// A motion player drives a control along a timeline (a frame-list file): while one is attached the
// control is placed at the motion's position (MotionX, MotionY) instead of Left and Top. The control
// owns it and steps it once per frame.
#include <cstdint>

namespace ruvo {

class TCustomDIBX;

class TRuvoMotion {
public:
    virtual ~TRuvoMotion() = default;
    // One frame's step; true in the step that reached the end of the timeline.
    virtual bool Step() = 0;
    virtual bool Finished() const = 0;
    // Back to the start of the timeline.
    virtual void Restart() = 0;
    // Draws what the timeline shows now into the control's surface (the world's clip applies).
    virtual void Paint(TCustomDIBX& /*target*/) {}
    // PR_COUNT and PR_INDEX of a control with a motion: the timeline's length and the frame shown
    // (frames of 1/60 s).
    virtual int32_t Length() const { return 0; }
    virtual int32_t Frame() const { return 0; }
    // PR_INDEX set: the timeline continues from frame i.
    virtual void GoToFrame(int32_t /*i*/) {}
};

} // namespace ruvo
