#pragma once
// A motion player drives a control along a timeline (a frame-list file): while one is attached the
// control is placed at the motion's position (MotionX, MotionY) instead of Left and Top. The control
// owns it and steps it once per frame.
namespace ruvo {

class TRuvoMotion {
public:
    virtual ~TRuvoMotion() = default;
    // One frame's step; true in the step that reached the end of the timeline.
    virtual bool Step() = 0;
    virtual bool Finished() const = 0;
    // Back to the start of the timeline.
    virtual void Restart() = 0;
};

} // namespace ruvo
