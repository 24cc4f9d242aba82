#pragma once
// A screen (a drawing base, 画面1 and 画面2 to scripts): the root control objects are placed on. It keeps
// the rectangles that need repainting, a private surface it draws into while it is not the one shown,
// and the mouse as it was seen over it (position, buttons, wheel, the object under the pointer and the
// one a press is captured by).
#include <string>

#include "graphics/surface/dibx.hpp"
#include "objects/world/cliplist.hpp"
#include "objects/base/control.hpp"

namespace ruvo {

class TRuvoBase : public TRuvoControl {
public:
    // Capture bits: the left or the right press is held by the object under the pointer.
    static constexpr uint8_t kLeftCapture = 4;
    static constexpr uint8_t kRightCapture = 8;

    explicit TRuvoBase(TRuvoBaseList* owner);

    bool IsScreen() const override { return true; }
    TRuvoBase* GetBase() const override { return const_cast<TRuvoBase*>(this); }
    bool GetVisible() const override { return OwnVisible; }
    // Screens have no parent and keep their internal names.
    void SetParent(TRuvoControl*) override {}
    void SetName(const std::string&) override {}
    bool NeedsAutoName() const override { return false; }
    // The colour over the dirty rectangle, then the children.
    void Paint() override;

    // Adds a rectangle to the dirty list, clipped to the screen.
    void AddDirtyRect(const TRect& r);
    void AddWhole() { AddDirtyRect(TRect{0, 0, Width, Height}); }
    TClipList& Dirty() noexcept { return dirty_; }
    // The screen's size: its two surfaces follow it when both sides are positive.
    void Resize(int32_t width, int32_t height);
    TDIBX& PrivateSurface() noexcept { return surface_; }

    // ---- the mouse over the screen
    void SetPointer(int x, int y);
    int PointerX = 0, PointerY = 0;
    bool LeftEdge = false, RightEdge = false;  // a press since the last frame
    bool LeftPress = false, RightPress = false;  // latched for this frame (@LClick, @RClick)
    bool LeftHeld = false, RightHeld = false;
    bool WheelDownEdge = false, WheelUpEdge = false;
    bool WheelDown = false, WheelUp = false;
    bool Moved = false;
    uint8_t Capture = 0;
    TObjectId Hover = 0;  // the object under the pointer in the last frame
    std::string ShownCursor;

private:
    TClipList dirty_;
    TDIBX surface_;
};

} // namespace ruvo
