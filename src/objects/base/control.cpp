#include "objects/base/control.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>

#include "archive/serializer.hpp"
#include "graphics/surface/customdibx.hpp"
#include "objects/motion/motion.hpp"
#include "objects/base/propaccess.hpp"
#include "objects/world/screen.hpp"
#include "objects/world/world.hpp"

namespace ruvo {

namespace {

TRect RectOf(int64_t left, int64_t top, int64_t width, int64_t height) {
    return TRect{Saturate(left), Saturate(top), Saturate(left + width), Saturate(top + height)};
}

bool IsSnapshotName(const std::string& name) { return name.size() == 2 && name[0] == kInternalMark && name[1] == kInternalMark; }

// Drawing order of two siblings: true when a comes before b.
bool DrawnBefore(const TRuvoControl* a, const TRuvoControl* b) {
    const bool aSnap = IsSnapshotName(a->Name), bSnap = IsSnapshotName(b->Name);
    if (aSnap != bSnap) return bSnap;
    const bool aInternal = a->IsInternal(), bInternal = b->IsInternal();
    if (aInternal != bInternal) return aInternal;
    const int64_t ka = int64_t{a->Priority} + a->SubPriority, kb = int64_t{b->Priority} + b->SubPriority;
    if (ka != kb) return ka < kb;
    return a->Name < b->Name;
}

// The event code of a handler property, as the events carry it.
constexpr uint8_t Code(int id) { return static_cast<uint8_t>(id); }

} // namespace

double AngleRadians(int32_t angle) noexcept { return static_cast<double>(angle) * 2.0 * std::numbers::pi / 256.0; }

int32_t Saturate(int64_t v) noexcept {
    return static_cast<int32_t>(
        std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

TRuvoControl::TRuvoControl(TRuvoBaseList* owner) : TRuvoComponent(owner) {}

TRuvoControl::~TRuvoControl() {
    if (Owner) {
        const std::vector<TRuvoControl*> children = children_;
        for (TRuvoControl* child : children)
            if (Owner->IsRegistered(child)) Owner->DestroyObject(*child, false);
    }
    children_.clear();
    motion_.reset();  // quietly: the screen may be going too
    if (parent_) parent_->RemoveChild(this);
    if (Owner && Owner->focus_ == Id() && Id()) {
        Owner->focus_ = 0;
        Owner->RequestFocusSearch();
    }
}

// ---- names and order

// A control takes the name; the control holding it gives way under a numbered form of it.
void TRuvoControl::SetName(const std::string& name) {
    if (name == Name || name.empty()) return;
    if (!Owner) {
        Name = name;
        return;
    }
    if (TRuvoObject* holder = Owner->FindObject(name); holder && holder != this && Owner->IsRegistered(holder)) {
        Owner->AssignName(*holder, Owner->NameGivenWay(name));
        if (const TRuvoControl* c = holder->AsControl(); c && c->parent_) c->parent_->SortChildren();
    }
    Owner->AssignName(*this, name);
    if (parent_) parent_->SortChildren();
}

void TRuvoControl::SetPriority(int32_t priority) {
    TRuvoObject::SetPriority(priority);
    if (parent_) {
        parent_->SortChildren();
        Invalidate();
    }
}

void TRuvoControl::SortChildren() { std::stable_sort(children_.begin(), children_.end(), DrawnBefore); }

// ---- the tree

bool TRuvoControl::Contains(const TRuvoControl* c) const noexcept {
    for (; c; c = c->parent_)
        if (c == this) return true;
    return false;
}

int TRuvoControl::Depth() const {
    int depth = 0;
    for (const TRuvoControl* p = parent_; p && !p->IsScreen(); p = p->parent_) ++depth;
    return depth;
}

int TRuvoControl::SubtreeHeight() const {
    int height = 0;
    for (const TRuvoControl* child : children_) height = std::max(height, child->SubtreeHeight() + 1);
    return height;
}

void TRuvoControl::AddChild(TRuvoControl* child) {
    children_.push_back(child);
    SortChildren();
}

void TRuvoControl::RemoveChild(TRuvoControl* child) {
    std::erase(children_, child);
    if (child->parent_ == this) child->parent_ = nullptr;
}

void TRuvoControl::SetParent(TRuvoControl* parent) {
    if (parent == parent_ || Contains(parent)) return;
    if (parent && (parent->IsScreen() ? 0 : parent->Depth() + 1) + SubtreeHeight() >= kMaxObjectNesting) return;
    Invalidate();
    if (parent_) parent_->RemoveChild(this);
    parent_ = parent;
    if (parent_) parent_->AddChild(this);
    Invalidate();
    if (!Owner) return;
    // A control arriving on the front screen may be the one that should have the focus now.
    const TRuvoControl* focus = Owner->Focus();
    if (!focus || Contains(focus) || OnActiveScreen()) Owner->RequestFocusSearch();
}

bool TRuvoControl::InsideCabinet() const {
    for (const TRuvoControl* p = parent_; p; p = p->parent_)
        if (p->IsCabinet()) return true;
    return false;
}

TRuvoBase* TRuvoControl::GetBase() const { return parent_ ? parent_->GetBase() : nullptr; }

bool TRuvoControl::GetVisible() const { return OwnVisible && parent_ && parent_->GetVisible(); }

void TRuvoControl::SetVisible(bool visible) {
    if (visible == OwnVisible) return;
    Invalidate();
    OwnVisible = visible;
    Invalidate();
    if (!Owner) return;
    const TRuvoControl* focus = Owner->Focus();
    if (!focus ? visible : Contains(focus)) Owner->RequestFocusSearch();
}

bool TRuvoControl::OnActiveScreen() const {
    const TRuvoBase* base = GetBase();
    return base && Owner && base == &Owner->ActiveScreen();
}

// ---- geometry

// ScreenLeft or ScreenTop: the pivot placed at the position (the motion's while one runs, or scaled by
// the own zoom with PosZoomed) inside the parent, moved by the parent's scroll and PlusX / PlusY.
int64_t TRuvoControl::ScreenPosition(bool vertical) const {
    const int64_t z = vertical ? ZoomY() : ZoomX();
    const int64_t pos = vertical ? Top : Left, offset = vertical ? OffsetY : OffsetX;
    const int64_t plus = vertical ? PlusY : PlusX;
    const bool flip = vertical ? FlipV() : FlipH();
    const TRuvoControl* p = parent_;
    const int64_t parentPos = p ? (vertical ? p->ScreenTop() : p->ScreenLeft()) : 0;
    const int64_t parentScroll = p ? (vertical ? p->ScrollY() : p->ScrollX()) : 0;
    if (const int64_t scale = ParentScale(vertical); scale > 0) {
        const int64_t surfaceExtent = vertical ? p->DrawnSurface()->GetHeight() : p->DrawnSurface()->GetWidth();
        const int64_t ownExtent = vertical ? DrawnSurface()->GetHeight() : DrawnSurface()->GetWidth();
        const int64_t n = flip ? surfaceExtent + offset - pos - ownExtent : pos - offset;
        return ScaleToParent(n, scale) + parentPos + plus - parentScroll;
    }
    const int64_t pivot = PivotTerm(vertical);
    const int64_t x = motion_ ? (vertical ? MotionY : MotionX) : PosZoomed ? z * pos / 256 : pos;
    return p ? x + parentPos - parentScroll - pivot + plus : x - pivot + plus;
}

int64_t TRuvoControl::ParentScale(bool vertical) const {
    const TRuvoControl* p = parent_;
    if (!PosZoomed || motion_ || !p || p->IsScreen() || !DrawnSurface()) return 0;
    const TCustomDIBX* parentSurface = p->DrawnSurface();
    if (!parentSurface || (vertical ? ZoomY() != p->ZoomY() : ZoomX() != p->ZoomX())) return 0;
    const int64_t parentExtent = vertical ? p->Height : p->Width;
    const int64_t surfaceExtent = vertical ? parentSurface->GetHeight() : parentSurface->GetWidth();
    if (parentExtent == 0 || surfaceExtent <= 0) return 0;
    const int64_t r = std::llround(static_cast<double>(surfaceExtent) / static_cast<double>(parentExtent) * 65536.0);
    return r > 0 ? (int64_t{1} << 32) / r : 0;
}

int64_t TRuvoControl::ScaleToParent(int64_t value, int64_t scale) noexcept {
    // Scaled by the parent's extent per surface pixel (multiplying where a division by the reciprocal
    // would scale the wrong way: a half-size parent would place its children twice as far apart).
    const __int128 twice = static_cast<__int128>(value) * scale * 2 + 65536;
    const __int128 q = twice / 131072 - ((twice % 131072 != 0) && twice < 0);
    return static_cast<int64_t>(std::clamp<__int128>(q, INT64_MIN, INT64_MAX));
}

int64_t TRuvoControl::PivotTerm(bool vertical) const {
    const int64_t z = vertical ? ZoomY() : ZoomX();
    const int64_t offset = vertical ? OffsetY : OffsetX, size = vertical ? Height : Width;
    if (!(vertical ? FlipV() : FlipH())) return z == 256 ? offset : z * offset / 256;
    return z == 256 ? size - offset - 1 : size - z * offset / 256 - 1;
}

int32_t TRuvoControl::ScreenLeft() const { return Saturate(ScreenPosition(false)); }
int32_t TRuvoControl::ScreenTop() const { return Saturate(ScreenPosition(true)); }

TRect TRuvoControl::ScreenRect() const { return RectOf(ScreenLeft(), ScreenTop(), Width, Height); }

TRect TRuvoControl::ScreenClip() const {
    if (Clip[2] < 1 || Clip[3] < 1) return TRect{};
    return RectOf(int64_t{ScreenLeft()} + Clip[0], int64_t{ScreenTop()} + Clip[1], Clip[2], Clip[3]);
}

namespace {

// Setters of Left, Top and the pivot: the area is repainted before and after a change, and a motion's
// position for that axis is forgotten.
template <class Reset>
void SetPlace(TRuvoControl& c, int32_t& field, int32_t v, Reset reset) {
    if (field != v) {
        c.Invalidate();
        field = v;
        reset();
        c.Invalidate();
    }
    c.PositionChanged();
}

template <class T>
bool Repainted(TRuvoControl& c, T& field, T v) {
    if (field == v) return false;
    c.Invalidate();
    field = v;
    c.Invalidate();
    return true;
}

} // namespace

void TRuvoControl::SetLeft(int32_t v) { SetPlace(*this, Left, v, [&] { MotionX = 0; }); }
void TRuvoControl::SetTop(int32_t v) { SetPlace(*this, Top, v, [&] { MotionY = 0; }); }
void TRuvoControl::SetOffsetX(int32_t v) { SetPlace(*this, OffsetX, v, [] {}); }
void TRuvoControl::SetOffsetY(int32_t v) { SetPlace(*this, OffsetY, v, [] {}); }
void TRuvoControl::SetWidth(int32_t v) { Repainted(*this, Width, v); }
void TRuvoControl::SetHeight(int32_t v) { Repainted(*this, Height, v); }
void TRuvoControl::SetPlusX(int32_t v) { Repainted(*this, PlusX, v); }
void TRuvoControl::SetPlusY(int32_t v) { Repainted(*this, PlusY, v); }
void TRuvoControl::SetPosZoomed(bool v) { Repainted(*this, PosZoomed, v); }

void TRuvoControl::SetColor(int32_t v) {
    if (Color == v) return;
    Color = v;
    Invalidate();
}

void TRuvoControl::SetClip(int index, int32_t v) {
    if (Repainted(*this, Clip.at(static_cast<size_t>(index)), v)) ClipChanged();
}

void TRuvoControl::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
    if (Left == left && Top == top && Width == width && Height == height) return;
    Invalidate();
    Left = left;
    Top = top;
    Width = width;
    Height = height;
    Invalidate();
}

// ---- drawing

TCustomDIBX* TRuvoControl::GetSurface() const {
    TRuvoBase* base = GetBase();
    return base && Owner ? Owner->SurfaceOf(*base) : nullptr;
}

void TRuvoControl::Invalidate() { Invalidate(PaintedRect()); }

void TRuvoControl::Invalidate(const TRect& part) {
    TRuvoBase* base = GetBase();
    if (!base || !GetVisible()) return;
    TRect r = Intersect(PaintedRect(), part);
    if (parent_) r = Intersect(r, parent_->ScreenRect());
    if (r.IsEmpty()) return;
    if (const TRect clip = ScreenClip(); !clip.IsEmpty()) {
        r = Intersect(r, clip);
        if (r.IsEmpty()) return;
    }
    for (TRuvoControl* p = parent_; p; p = p->parent_) p->ChildInvalidated(r);
    base->AddDirtyRect(r);
}

void TRuvoControl::Paint() { PaintChildren(); }

std::optional<size_t> TRuvoControl::TopmostCover(const TRect& r) const {
    for (size_t i = children_.size(); i-- > 0;) {
        const TRuvoControl& c = *children_[i];
        if (!c.Opaque() || !c.GetVisible()) continue;
        const TRect clip = c.ScreenClip();
        if (Holds(clip.IsEmpty() ? c.ScreenRect() : Intersect(c.ScreenRect(), clip), r)) return i;
    }
    return std::nullopt;
}

bool TRuvoControl::ChildCovers(const TRect& r) const { return TopmostCover(r).has_value(); }

TRect TurnedBounds(const TRect& own, double left, double top, double right, double bottom, int64_t cx, int64_t cy,
                   int32_t angle) {
    const double a = AngleRadians(angle), c = std::cos(a), sn = std::sin(a);
    double l = 1e18, t = 1e18, r = -1e18, b = -1e18;
    for (const double x : {left, right})
        for (const double y : {top, bottom}) {
            const double rx = x * c - y * sn + double(cx), ry = x * sn + y * c + double(cy);
            l = std::min(l, rx), r = std::max(r, rx);
            t = std::min(t, ry), b = std::max(b, ry);
        }
    auto clamp = [](double v) { return Saturate(static_cast<int64_t>(std::clamp(v, -2e9, 2e9))); };
    return Union(own, TRect{clamp(std::floor(l)) - 1, clamp(std::floor(t)) - 1, clamp(std::ceil(r)) + 2,
                            clamp(std::ceil(b)) + 2});
}

namespace {

// A child paints inside its painted rectangle (what its repaints cover) and its own children inside its
// rectangle: one that misses the area is not visited, so a repaint of many small areas costs what they
// touch, not every child for each. A child without a size is always visited.
bool Misses(const TRuvoControl& child, const TRect& area) {
    TRect drawn = child.PaintedRect();
    if (!child.Children().empty()) drawn = Union(drawn, child.ScreenRect());
    return !drawn.IsEmpty() && Intersect(drawn, area).IsEmpty();
}

} // namespace

void TRuvoControl::PaintChildren() {
    TCustomDIBX* surface = GetSurface();
    if (!surface || children_.empty()) return;
    const TRect saved = surface->ClipRect;
    const TRect r = Intersect(ScreenRect(), surface->EffectiveClip());
    if (r.IsEmpty()) return;
    // Children beneath one that covers the area with opaque pixels would only be painted over.
    for (size_t i = TopmostCover(r).value_or(0); i < children_.size(); ++i) {
        TRuvoControl* child = children_[i];
        if (!child->GetVisible()) continue;
        const TRect k = child->ScreenClip();
        const TRect area = k.IsEmpty() ? r : Intersect(r, k);
        if (area.IsEmpty() || Misses(*child, area)) continue;
        surface->ResetClip();
        surface->AddClipRect(area);
        child->Paint();
        surface->ResetClip();
    }
    surface->ClipRect = saved;
}

// ---- input

bool TRuvoControl::ModeIn(TMouseMask mask) const noexcept { return MouseMode < 8 && (mask >> MouseMode) & 1; }

TRuvoControl* TRuvoControl::HitTest(int32_t x, int32_t y, TMouseMask mask) {
    if (!GetVisible()) return nullptr;
    const TRect r = ScreenRect();
    if (x < r.Left || x >= r.Right || y < r.Top || y >= r.Bottom) return nullptr;
    for (auto it = children_.rbegin(); it != children_.rend(); ++it)
        if (TRuvoControl* hit = (*it)->HitTest(x, y, mask)) return hit;
    return ModeIn(mask) ? this : nullptr;
}

std::vector<std::string> TRuvoControl::PointerParameters() const {
    const TRuvoBase* base = GetBase();
    if (!base) return {"0", "0"};
    return {std::to_string(int64_t{base->PointerX} - ScreenLeft()), std::to_string(int64_t{base->PointerY} - ScreenTop())};
}

namespace {

// The press of one button: queued unless the control is paused, already has one queued or running, is
// closing or is a screen; the screen then holds the press for the control until the button is let go.
// A control that takes presses keeps the press from the script's @LClick / @RClick; a screen does not.
void Press(TRuvoControl& c, uint8_t code, bool& press, uint8_t captureBit, TMouseMask modes) {
    TRuvoBase* base = c.GetBase();
    if (!base || !c.ModeIn(modes) || c.IsScreen()) return;
    if (!c.IsPaused() && !c.IsClosing() && c.Owner->Events().IndexOfPending(c.Id(), code) < 0) {
        c.Raise(code, c.PointerParameters());
        base->Capture |= captureBit;
    }
    press = false;
}

} // namespace

void TRuvoControl::LeftDown() {
    if (TRuvoBase* base = GetBase()) Press(*this, Code(PR_ONLBTNDOWN), base->LeftPress, TRuvoBase::kLeftCapture, kLeftPressMask);
}

void TRuvoControl::RightDown() {
    if (TRuvoBase* base = GetBase())
        Press(*this, Code(PR_ONRBTNDOWN), base->RightPress, TRuvoBase::kRightCapture, kRightPressMask);
}

void TRuvoControl::LeftUp() {
    if (!IsClosing()) Raise(Code(PR_ONLBTNUP), PointerParameters());
    if (TRuvoBase* base = GetBase()) base->Capture &= ~TRuvoBase::kLeftCapture;
}

void TRuvoControl::RightUp() {
    if (!IsClosing()) Raise(Code(PR_ONRBTNUP), PointerParameters());
    if (TRuvoBase* base = GetBase()) base->Capture &= ~TRuvoBase::kRightCapture;
}

void TRuvoControl::MouseMove() { Raise(Code(PR_ONMOUSEMOVE), PointerParameters()); }
void TRuvoControl::MouseLeave() { Raise(Code(PR_ONMOUSEOUT)); }
void TRuvoControl::MouseEnter() { Raise(Code(PR_ONMOUSEIN)); }

TRuvoControl* TRuvoControl::FindFocusTarget() {
    if (!GetVisible()) return nullptr;
    for (auto it = children_.rbegin(); it != children_.rend(); ++it)
        if (TRuvoControl* target = (*it)->FindFocusTarget()) return target;
    return HandleKey && !IsPaused() && !IsScreen() ? this : nullptr;
}

void TRuvoControl::KeyDown() { Raise(Code(PR_ONKEYDOWN)); }
void TRuvoControl::KeyUp() { Raise(Code(PR_ONKEYUP)); }
void TRuvoControl::KeyRepeat() { Raise(Code(PR_ONKEYREPEAT)); }

void TRuvoControl::SetHandleKey(bool on) {
    if (on == HandleKey) return;
    HandleKey = on;
    if (!Owner) return;
    const TRuvoControl* focus = Owner->Focus();
    if (on ? !focus : focus == this) Owner->RequestFocusSearch();
}

// ---- the motion player

void TRuvoControl::AttachMotion(std::unique_ptr<TRuvoMotion> motion) {
    FreeMotion();
    motion_ = std::move(motion);
}

void TRuvoControl::FreeMotion() {
    if (!motion_) return;
    Invalidate();
    motion_.reset();
    MotionX = MotionY = 0;
    SubPriority = 0;
    Invalidate();
}

bool TRuvoControl::Playing() const {
    return motion_ && !motion_->Finished() && !IsPaused() && !AnimationPaused();
}

bool TRuvoControl::AnimationPaused() const {
    if (IsInternal() && parent_) return parent_->AnimationPaused();
    return AniPaused;
}

bool TRuvoControl::Update() { return motion_ && motion_->Step() && MotionEnded(); }

bool TRuvoControl::MotionEnded() {
    if (GetFlagProperty(*this, PR_AUTOSCRAP)) return true;
    Raise(Code(PR_ONPLAYEND));
    return false;
}

// ---- properties

const TPropertyMap& TRuvoControl::ClassProperties() {
    static const TPropertyMap map = [] {
        using C = TRuvoControl;
        TPropertyMap m(TRuvoObject::ClassProperties());
        m.Str<C>(PR_PARENT, [](C& c) { return c.parent_ ? c.parent_->Name : std::string(); },
                 [](C& c, std::string v) {
                     if (c.IsScreen() || !c.Owner) return;
                     if (TRuvoControl* p = c.Owner->FindParent(v)) c.SetParent(p);
                 });
        m.Int<C>(PR_LEFT, [](C& c) { return c.Left; }, [](C& c, int32_t v) { c.SetLeft(v); });
        m.Int<C>(PR_TOP, [](C& c) { return c.Top; }, [](C& c, int32_t v) { c.SetTop(v); });
        m.Int<C>(PR_WIDTH, [](C& c) { return c.Width; }, [](C& c, int32_t v) { c.SetWidth(v); });
        m.Int<C>(PR_HEIGHT, [](C& c) { return c.Height; }, [](C& c, int32_t v) { c.SetHeight(v); });
        m.Int<C>(PR_COLOR, [](C& c) { return c.Color; }, [](C& c, int32_t v) { c.SetColor(v); });
        m.Int<C>(PR_OFFSETX, [](C& c) { return c.OffsetX; }, [](C& c, int32_t v) { c.SetOffsetX(v); });
        m.Int<C>(PR_OFFSETY, [](C& c) { return c.OffsetY; }, [](C& c, int32_t v) { c.SetOffsetY(v); });
        m.Flag<C>(PR_VISIBLE, [](C& c) { return c.GetVisible(); }, [](C& c, bool v) { c.SetVisible(v); });
        m.Int<C>(PR_IGNOREMOUSE, [](C& c) { return int32_t(c.MouseMode); },
                 // A mode outside a byte is transparent, as 5..7 are.
                 [](C& c, int32_t v) { c.MouseMode = static_cast<uint8_t>(v >= 0 && v <= 255 ? v : 1); });
        m.Str<C>(PR_CURSOR, [](C& c) { return c.Cursor; }, [](C& c, std::string v) { c.Cursor = std::move(v); });
        m.Flag<C>(PR_POSZOOMED, [](C& c) { return c.PosZoomed; }, [](C& c, bool v) { c.SetPosZoomed(v); });
        for (int i = 0; i < 4; ++i)
            m.Int<C>(PR_CLIPLEFT + i, [i](C& c) { return c.Clip[i]; }, [i](C& c, int32_t v) { c.SetClip(i, v); });
        m.Flag<C>(PR_ANIPAUSED, [](C& c) { return c.AnimationPaused(); }, [](C& c, bool v) { c.AniPaused = v; });
        m.Flag<C>(PR_PLAYING, [](C& c) { return c.Playing(); });
        m.Int<C>(PR_HANDLEKEY, [](C& c) { return int32_t(c.HandleKey); }, [](C& c, int32_t v) { c.SetHandleKey(v != 0); });
        m.Int<C>(PR_PLUSX, [](C& c) { return c.PlusX; }, [](C& c, int32_t v) { c.SetPlusX(v); });
        m.Int<C>(PR_PLUSY, [](C& c) { return c.PlusY; }, [](C& c, int32_t v) { c.SetPlusY(v); });
        for (size_t i = 0; i < kMouseHandlerIds.size(); ++i)
            m.Str<C>(kMouseHandlerIds[i], [i](C& c) { return c.MouseHandlers[i]; },
                     [i](C& c, std::string v) { c.MouseHandlers[i] = std::move(v); });
        for (size_t i = 0; i < kKeyHandlerIds.size(); ++i)
            m.Str<C>(kKeyHandlerIds[i], [i](C& c) { return c.KeyHandlers[i]; },
                     [i](C& c, std::string v) { c.KeyHandlers[i] = std::move(v); });
        return m;
    }();
    return map;
}

// ---- the persisted form

namespace {

// The least a child takes in the oldest record: type byte, name, priority, geometry, flags, colour,
// reserved rectangle, mouse mode, cursor, eight handlers, child count.
constexpr int64_t kMinChildBytes = 1 + 4 + 4 + 6 * 4 + 1 + 1 + 4 + 16 + 1 + 4 + 8 * 4 + 4;

} // namespace

void TRuvoControl::Sync(TSerializer& s) {
    TRuvoObject::Sync(s);
    for (int32_t* v : {&Left, &Top, &Width, &Height, &OffsetX, &OffsetY}) s.Int(*v);
    s.Bool(PosZoomed);
    for (int32_t* v : {&MotionX, &MotionY, &PlusX, &PlusY}) s.Int(*v, 130);
    for (int32_t& v : Clip) s.Int(v, 104);
    s.Bool(AniPaused, 104);
    s.Bool(OwnVisible);
    s.Int(Color);
    for (int32_t* v : {&Reserved.Left, &Reserved.Top, &Reserved.Right, &Reserved.Bottom}) s.Int(*v);
    s.Byte(MouseMode);
    s.Str(Cursor);
    s.Str(MouseHandlers[0]);
    s.Str(MouseHandlers[1], 102);
    for (size_t i = 2; i < MouseHandlers.size(); ++i) s.Str(MouseHandlers[i]);
    s.Bool(HandleKey, 118);
    for (std::string& h : KeyHandlers) s.Str(h, 118);
    SyncChildren(s);
}

void TRuvoControl::SyncChildren(TSerializer& s) {
    if (!s.Loading()) {
        std::vector<TRuvoControl*> saved;
        for (TRuvoControl* c : children_)
            if (!c->PendingDelete && c->GetCompoType() != 0 && !c->IsInternal()) saved.push_back(c);
        int32_t n = static_cast<int32_t>(saved.size());
        s.Count(n, kMinChildBytes);
        for (TRuvoControl* c : saved) {
            uint8_t code = c->GetCompoType();
            s.Byte(code);
            c->Sync(s);
        }
        return;
    }
    int32_t n = 0;
    s.Count(n, kMinChildBytes);
    if (!Owner) throw TSerializer::Damaged();
    TRuvoBaseList::TNestingScope deeper(*Owner);
    for (int32_t i = 0; i < n; ++i) {
        uint8_t code = 0;
        s.Byte(code);
        WithContext([&] { return "child " + std::to_string(i) + " of " + Name; }, [&] {
            TRuvoObject* object = Owner->CreateByType(code);
            TRuvoControl* child = object ? object->AsControl() : nullptr;
            if (!child) throw std::move(TSerializer::Damaged().AddContext("object type " + std::to_string(code) + " is not a drawing class"));
            // Sorted once, after the last child: sorting as each one arrives made loading quadratic in
            // the number of siblings. The nesting scope above bounds the depth.
            child->parent_ = this;
            children_.push_back(child);
            child->Sync(s);
        });
    }
    SortChildren();
}

} // namespace ruvo
