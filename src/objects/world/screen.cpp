#include "objects/world/screen.hpp"

#include "objects/world/world.hpp"

namespace ruvo {

TRuvoBase::TRuvoBase(TRuvoBaseList* owner) : TRuvoControl(owner) {}

void TRuvoBase::Paint() {
    TCustomDIBX* surface = GetSurface();
    if (!surface) return;
    TRect area = ScreenRect();
    if (const TRect clip = ScreenClip(); !clip.IsEmpty()) area = Intersect(area, clip);
    // Under a picture that covers the area the colour would only be painted over.
    if (Color >= 0 && !ChildCovers(Intersect(area, surface->EffectiveClip())))
        surface->FillRect(area, static_cast<uint32_t>(surface->ColorToPixel(Color)));
    PaintChildren();
}

void TRuvoBase::AddDirtyRect(const TRect& r) { dirty_.Add(r, TRect{0, 0, Width, Height}); }

void TRuvoBase::Resize(int32_t width, int32_t height) {
    if (width == Width && height == Height) return;
    Width = width;
    Height = height;
    if (width > 0 && height > 0) {
        surface_.SetSize(width, height, 32);
        surface_.Clear(0);
    }
    dirty_.Clear();
    AddWhole();
}

void TRuvoBase::SetPointer(int x, int y) {
    if (x != PointerX || y != PointerY) Moved = true;
    PointerX = x;
    PointerY = y;
}

} // namespace ruvo
