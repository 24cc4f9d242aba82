#include "objects/images/trackobject.hpp"

#include "graphics/surface/customdibx.hpp"
#include "graphics/film/filmtrack.hpp"

namespace ruvo {

TRuvoTrackObject::TRuvoTrackObject(TRuvoBaseList* owner, const TCustomFrameList& track)
    : TRuvoControl(owner), track_(track) {
    MouseMode = static_cast<uint8_t>(track.MouseMode & 7);
    OwnVisible = false;
}

void TRuvoTrackObject::Follow() {
    const TRect drawn = track_.DrawnRect();
    // What it showed before goes, whether it moved or only changed its pixels.
    Invalidate();
    SetVisible(!drawn.IsEmpty());
    SetBounds(drawn.Left, drawn.Top, drawn.Width(), drawn.Height());
    Invalidate();
}

void TRuvoTrackObject::Paint() {
    if (TCustomDIBX* surface = GetSurface()) track_.Draw(TFilmCanvas{*surface, 0, 0});
    PaintChildren();
}

} // namespace ruvo
