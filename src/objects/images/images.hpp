#pragma once
// Animated images. TRuvoCustomImages steps through the frames of a picture by their delays: at the last
// frame it starts again (PR_REPEAT), asks to be destroyed (PR_AUTOSCRAP) or raises PR_ONPLAYEND at every
// frame it stays there; the last frame can be held longer by the wait expression given at creation.
// PR_BRIGHTNESS lightens or darkens the frames. TRuvoImages (LT_IMAGES) takes its frames from a layered
// image named by PR_SOURCE.
#include <string>

#include "objects/images/customimage.hpp"
#include "objects/images/imagelist.hpp"
#include "params/expr.hpp"

namespace ruvo {

class TRuvoCustomImages : public TRuvoCustomImage {
public:
    using TRuvoCustomImage::TRuvoCustomImage;

    bool IsPaused() const override { return Paused; }
    bool Update() override;
    bool Playing() const override;
    // The last frame's wait, from the creating command's PR_DELAY expression.
    void TakeCreationExpression(int id, const TRuvoParser& expression) override;
    static const TPropertyMap& ClassProperties();
    const TPropertyMap& Properties() const override { return ClassProperties(); }
    // After the image part: remaining time, index, brightness, paused, the last frame's wait.
    void Sync(TSerializer& s) override;

    // PR_INDEX: shows frame i, adds its delay to the remaining time (and the last frame's wait at the
    // last frame of a list of several); the size follows the frame.
    void GoTo(int32_t index);
    // PR_INDEX: the frame shown, or the motion's frame while one is attached.
    int32_t ShownIndex() const;
    // -255..255, 0 unchanged.
    void SetBrightness(int32_t brightness);
    void SetPaused(bool on);
    int FrameCount() { return Frames().Count(); }

    int32_t Remaining = 0;
    int32_t Index = -1;
    int32_t Brightness = 0;
    bool Paused = false;
    TRuvoParser LastFrameWait;

protected:
    // The frames shown (one list here; buttons keep one per state).
    virtual TRuvoImageList& Frames() = 0;
    const TRuvoImageList& Frames() const { return const_cast<TRuvoCustomImages*>(this)->Frames(); }
    // A new source: the frames and the motion go; a layered image gives the frames, and frame 0 is
    // shown; a frame list (".rmt") is played by a motion. Other names show nothing.
    void ShowSource(const std::string& source);
    // After a saved source was shown again: the saved frame, with the time it had left (showing it
    // would add its delay once more).
    void RestoreFrame(int32_t index, int32_t remaining);
    virtual bool Repeats() const = 0;
    virtual bool Scraps() const { return false; }
    // The last frame's time is up and the frames neither start again nor go: PR_ONPLAYEND.
    virtual void PlayEnded();
};

class TRuvoImages : public TRuvoCustomImages {
public:
    using TRuvoCustomImages::TRuvoCustomImages;

    uint8_t GetCompoType() const override { return 8; }
    static const TPropertyMap& ClassProperties();
    const TPropertyMap& Properties() const override { return ClassProperties(); }
    // After the animation part: repeat, auto-scrap, the source (loaded again), the end handler; from 104
    // the idle handler. The saved index is shown again.
    void Sync(TSerializer& s) override;

    // A new name drops the frames and the motion; a layered image (".zph") gives the frames, and frame 0
    // is shown. Other names show nothing.
    void SetSource(std::string source);

    bool Repeat = false;
    bool AutoScrap = false;
    std::string Source;
    std::string OnPlayEnd;
    std::string OnIdle;

protected:
    TRuvoImageList& Frames() override { return frames_; }
    bool Repeats() const override { return Repeat; }
    bool Scraps() const override { return AutoScrap; }

private:
    TRuvoImageList frames_;
};

// Whether a picture name (suffixes aside) names a layered image.
bool IsLayeredImageName(const std::string& name);

} // namespace ruvo
