#pragma once
// The image button (LT_BUTTON): an animated image with a picture for each of four looks (normal, hover,
// pressed, clicked). A left press is held by the button until it is let go; letting go over it clicks
// (PR_ONNOTIFY). Outside a group a click plays the clicked picture once, then the button goes
// (PR_AUTOSCRAP) or raises PR_ONPLAYEND and takes its look back. Buttons with the same PR_GROUPINDEX
// under one parent form a radio group: one of them is selected (drawn pressed), or none with
// PR_ALLOWALLUP.
#include <array>
#include <string>
#include <vector>

#include "objects/images/images.hpp"

namespace ruvo {

class TRuvoButton : public TRuvoImages {
public:
    enum TState : int32_t { kNormal = 0, kHover = 1, kPressed = 2, kClicked = 3 };

    using TRuvoImages::TRuvoImages;

    uint8_t GetCompoType() const override { return 3; }
    bool Update() override;
    void SetParent(TRuvoControl* parent) override;
    void LeftDown() override;
    void LeftUp() override;
    void MouseMove() override;
    void MouseLeave() override;
    static const TPropertyMap& ClassProperties();
    const TPropertyMap& Properties() const override { return ClassProperties(); }
    // After the images part: hover and pressed sources, group index, selected, allow-all-up, the notify
    // and idle handlers, the clicked source.
    void Sync(TSerializer& s) override;

    // In the clicked look only remembers the look to return to; otherwise takes look s when it differs
    // and has a picture (the normal look always), starting its frames and the motion again.
    void SetState(int32_t s);
    // The picture of look s (0 is PR_SOURCE); the shown frames change when s is the current look.
    void SetStateSource(int s, std::string source);
    const std::string& StateSource(int s) const { return s == kNormal ? Source : sources_[s - 1]; }
    void SetSelected(bool on);
    void SetGroupIndex(int32_t group);
    void SetAllowAllUp(bool on);
    // The members of the button's radio group in drawing order (empty outside a group).
    std::vector<TRuvoButton*> Group() const;

    int32_t State = kNormal;
    int32_t ReturnState = kNormal;
    int32_t Pressing = 0;  // 1 a captured press, -1 destroyed at the next update
    int32_t GroupIndex = 0;
    bool Selected = false;
    bool AllowAllUp = false;
    std::string OnNotify;

protected:
    TRuvoImageList& Frames() override;
    bool Repeats() const override { return State != kClicked; }
    bool Scraps() const override { return State == kClicked && AutoScrap; }
    void PlayEnded() override;
    // A look's motion plays round and round; the clicked look's ends the click like its last frame.
    bool MotionEnded() override;
    // A press let go over the button.
    virtual void Click();

private:
    bool PointerOver() const;
    // Picks the group's selected member (the changed one when selected, else the first selected, else
    // the first unless all may be up) and draws every member by its selection.
    void Normalise();
    void ShowState(int32_t s);

    std::array<std::string, 3> sources_;  // hover, pressed, clicked
    std::array<TRuvoImageList, 3> lists_;
};

} // namespace ruvo
