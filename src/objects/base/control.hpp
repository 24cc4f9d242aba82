#pragma once
// The common part of everything that is drawn or clicked: position, size, pivot and clip, the parent and
// the children (drawn in order, the first at the bottom, never outside their parent), on-screen geometry,
// invalidation and painting, hit testing by mouse mode, the mouse, key and focus events, an attached
// motion, and the persisted form shared by every drawing class.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "graphics/surface/pixelformat.hpp"
#include "objects/base/ruvoobject.hpp"

namespace ruvo {

class TCustomDIBX;
class TRuvoBase;
class TRuvoMotion;

// A set of mouse modes (PR_IGNOREMOUSE values 0..7): bit m stands for mode m. The modes mean IM_NONE 0
// every event, IM_ALL 1 transparent, IM_CLICK 2 hover events only, IM_LCLICK 3 all but the left
// button, IM_RCLICK 4 all but the right button; 5..7 behave like 1.
using TMouseMask = uint8_t;
constexpr TMouseMask kLeftPressMask = 1u << 0 | 1u << 4;
constexpr TMouseMask kRightPressMask = 1u << 0 | 1u << 3;
constexpr TMouseMask kHoverMask = 1u << 0 | 1u << 2 | 1u << 3 | 1u << 4;

// Controls inside one another, screen excluded: a parent change that would nest deeper is ignored, and a
// saved game nesting deeper is damaged, so painting, hit testing and loading never recurse without end.
constexpr int kMaxObjectNesting = 1000;

// Coordinates are worked out in 64 bits and kept in 32: scripts may store any integer.
int32_t Saturate(int64_t v) noexcept;
// An angle in 256ths of a turn, in radians; worked out in doubles, so any integer a script stores is safe.
double AngleRadians(int32_t angle) noexcept;

// The handler properties of the pointer and the keys, in the order of the persisted form.
constexpr std::array<int, 9> kMouseHandlerIds = {34, 103, 35, 36, 37, 38, 39, 40, 41};
constexpr std::array<int, 5> kKeyHandlerIds = {144, 145, 146, 148, 149};

class TRuvoControl : public TRuvoComponent {
public:
    explicit TRuvoControl(TRuvoBaseList* owner);
    // Destroys the children, frees the motion and lets the world forget the control.
    ~TRuvoControl() override;

    TRuvoControl* AsControl() noexcept override { return this; }
    void SetName(const std::string& name) override;
    void SetPriority(int32_t priority) override;
    bool InsideCabinet() const override;
    // Steps the motion: at its end the control asks to be destroyed (PR_AUTOSCRAP) or raises
    // PR_ONPLAYEND once.
    bool Update() override;
    static const TPropertyMap& ClassProperties();
    const TPropertyMap& Properties() const override { return ClassProperties(); }
    // After the object part: geometry, clip, visibility, colour, mouse and key handlers, then the
    // children, each as its type code and its own record.
    void Sync(TSerializer& s) override;

    // ---- the tree
    TRuvoControl* Parent() const noexcept { return parent_; }
    // Ignored for the current parent, a control inside this one, and a nesting past kMaxObjectNesting.
    virtual void SetParent(TRuvoControl* parent);
    const std::vector<TRuvoControl*>& Children() const noexcept { return children_; }
    // Whether c is this control or lies inside it.
    bool Contains(const TRuvoControl* c) const noexcept;
    // Drawing order: the flip snapshot (0x01 0x01) last, other internal objects first, then by
    // Priority + SubPriority and by name.
    void SortChildren();
    void RemoveChild(TRuvoControl* child);
    virtual bool IsScreen() const { return false; }
    virtual bool IsCabinet() const { return false; }
    // The screen the control is shown on (through its parents), or null.
    virtual TRuvoBase* GetBase() const;
    // Effective visibility: the own flag, a parent, and a visible parent.
    virtual bool GetVisible() const;
    void SetVisible(bool visible);
    bool OnActiveScreen() const;

    // ---- what the geometry reads of classes with zoom, flips, scrolling and a surface of their own
    virtual int32_t ZoomX() const { return 256; }
    virtual int32_t ZoomY() const { return 256; }
    virtual bool FlipH() const { return false; }
    virtual bool FlipV() const { return false; }
    virtual int32_t ScrollX() const { return 0; }
    virtual int32_t ScrollY() const { return 0; }
    // The surface the control draws from (images), or null.
    virtual TCustomDIBX* DrawnSurface() const { return nullptr; }

    // ---- geometry: the top-left of the drawn rectangle on the screen surface, and that rectangle
    int32_t ScreenLeft() const;
    int32_t ScreenTop() const;
    TRect ScreenRect() const;
    // The pivot's distance from the drawn rectangle's left (top) edge on the screen: the offset scaled by
    // the zoom, measured from the far edge under a flip.
    int64_t PivotTerm(bool vertical) const;
    // What painting the control may touch: its screen rectangle, or more for a turned image or caption
    // (what Invalidate repaints, and outside which PaintChildren does not visit it).
    virtual TRect PaintedRect() const { return ScreenRect(); }
    // The clip rectangle on the screen; empty when no clip is set (ClipWidth or ClipHeight below 1).
    TRect ScreenClip() const;
    void SetLeft(int32_t v);
    void SetTop(int32_t v);
    void SetOffsetX(int32_t v);
    void SetOffsetY(int32_t v);
    void SetWidth(int32_t v);
    void SetHeight(int32_t v);
    void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height);
    void SetPlusX(int32_t v);
    void SetPlusY(int32_t v);
    void SetPosZoomed(bool v);
    void SetColor(int32_t v);
    // index 0..3: ClipLeft, ClipTop, ClipWidth, ClipHeight.
    void SetClip(int index, int32_t v);
    // The text classes move their attached input windows.
    virtual void PositionChanged() {}
    virtual void ClipChanged() {}

    // ---- drawing
    TCustomDIBX* GetSurface() const;
    // Adds the visible part of the control to its screen's dirty list.
    void Invalidate();
    // The same for a part of it only (screen coordinates).
    void Invalidate(const TRect& part);
    // Passed up the parent chain for every invalidated rectangle (a wave redraws its children).
    virtual void ChildInvalidated(const TRect&) {}
    // The class draws itself into the surface's current clip, then its children.
    virtual void Paint();
    void PaintChildren();
    // Whether the control paints every pixel of its screen rectangle with opaque colour (what lies
    // beneath it there need not be painted).
    virtual bool Opaque() const { return false; }
    // Whether a visible child covers r with opaque pixels.
    bool ChildCovers(const TRect& r) const;

    // ---- input
    // The topmost control at a screen point whose mouse mode is in the mask (this one or a child).
    virtual TRuvoControl* HitTest(int32_t x, int32_t y, TMouseMask mask);
    bool ModeIn(TMouseMask mask) const noexcept;
    // The pointer relative to the drawn rectangle, as the mouse events' parameters.
    std::vector<std::string> PointerParameters() const;
    virtual void LeftDown();
    virtual void LeftUp();
    virtual void RightDown();
    virtual void RightUp();
    virtual void MouseMove();
    virtual void MouseLeave();
    virtual void MouseEnter();
    virtual void WhileCaptured() {}
    // Menus and map images take a right click as a cancel (the world's right-click list).
    virtual bool RightClickCancel() { return false; }
    virtual std::string GetCursorFile() const { return Cursor; }
    // The last visible control of this subtree (children first, from the last) that can take the focus.
    virtual TRuvoControl* FindFocusTarget();
    virtual void KeyDown();
    virtual void KeyUp();
    virtual void KeyRepeat();
    virtual void FocusGained() {}
    void SetHandleKey(bool on);

    // ---- the motion player
    TRuvoMotion* GetMotion() const noexcept { return motion_.get(); }
    void AttachMotion(std::unique_ptr<TRuvoMotion> motion);
    // Frees the motion; the position, MotionX/MotionY and SubPriority go back to the control's own.
    void FreeMotion();
    // PR_PLAYING: a motion runs and neither PR_PAUSED nor PR_ANIPAUSED stops it.
    virtual bool Playing() const;
    // PR_ANIPAUSED; an internal object reads its parent's.
    bool AnimationPaused() const;

    int32_t Left = 0, Top = 0, Width = 0, Height = 0, OffsetX = 0, OffsetY = 0;
    bool OwnVisible = true;
    int32_t Color = 0;
    TRect Reserved{0, 0, 1, 1};  // kept and saved; nothing reads it
    std::array<std::string, kMouseHandlerIds.size()> MouseHandlers;
    uint8_t MouseMode = 0;
    std::string Cursor;
    bool PosZoomed = false;
    std::array<int32_t, 4> Clip{};  // ClipLeft, ClipTop, ClipWidth, ClipHeight
    int32_t MotionX = 0, MotionY = 0;
    int32_t PlusX = 0, PlusY = 0;
    bool AniPaused = false;
    bool HandleKey = false;
    std::array<std::string, kKeyHandlerIds.size()> KeyHandlers;

protected:
    // The motion reached its end (once): true asks for the control's destruction (PR_AUTOSCRAP),
    // otherwise PR_ONPLAYEND is raised.
    virtual bool MotionEnded();
    // ScreenLeft (ScreenTop when vertical), before it is brought within 32 bits; tiles place themselves
    // their own way.
    virtual int64_t ScreenPosition(bool vertical) const;
    // Inside a parent image of the same zoom, with PosZoomed and no motion, positions and sizes follow the
    // parent's scaling of its surface: the parent's extent per surface pixel in 16.16 (the reciprocal of
    // the rounded surface / extent ratio), or 0 when that rule does not apply.
    int64_t ParentScale(bool vertical) const;
    // A length in the parent's surface pixels brought to the screen by a ParentScale, rounded half up.
    static int64_t ScaleToParent(int64_t value, int64_t scale) noexcept;

private:
    // The index of the topmost visible child that covers r with opaque pixels.
    std::optional<size_t> TopmostCover(const TRect& r) const;
    void AddChild(TRuvoControl* child);
    int Depth() const;
    int SubtreeHeight() const;
    void SyncChildren(TSerializer& s);

    TRuvoControl* parent_ = nullptr;
    std::vector<TRuvoControl*> children_;
    std::unique_ptr<TRuvoMotion> motion_;
};

// The screen rectangle own joined with the bounding box of a picture turned by angle (256ths of a turn)
// about its pivot at (cx, cy): the picture's edges given relative to the pivot, already zoomed. A pixel
// of margin on every side covers the rounding of the turned draw.
TRect TurnedBounds(const TRect& own, double left, double top, double right, double bottom, int64_t cx, int64_t cy,
                   int32_t angle);

} // namespace ruvo
