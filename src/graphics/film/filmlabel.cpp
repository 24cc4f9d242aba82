#include "graphics/film/filmlabel.hpp"

namespace ruvo {

void TLabelFrameList::SyncOwn(TFilmFields& f) {
    SyncTransform(f);
    SyncZoomY(f);
    f.Str("text", Text);
    f.Str("font", FontName);
    f.Int("font_height", FontHeight);
    f.Int("font_style", FontStyle);
    f.Int("font_color", FontColor);
    f.Int("line_space", LineSpace);
    f.Byte("halign", HAlign);
    f.Byte("antialias", Antialias, TFilmByte::Flag);
}

void TLabelFrameList::LoadResources(TFilmResources& resources, std::string_view) {
    frame_ = {};
    if (TFilmLabelRenderer* renderer = resources.Labels())
        renderer->Render(*this, frame_);
}

void TLabelFrameList::Draw(const TFilmCanvas& canvas) const {
    if (!Active() || !frame_.Colour || !frame_.Coverage || CurAlpha <= 0 || CurAlpha >= 512)
        return;
    TDIBX& colour = *frame_.Colour;
    const TRect whole{0, 0, colour.GetWidth(), colour.GetHeight()};
    const int32_t x = canvas.OriginX + CurX, y = canvas.OriginY + CurY;
    if (CurAngle != 0 || CurZoomX != 256 || CurZoomY != 256)
        canvas.Target.DrawRotateMasked(x, y, CurZoomX, CurZoomY, colour, whole, AnchorX, AnchorY, CurAngle, FlipH,
                                       FlipV, *frame_.Coverage, CurAlpha);
    else
        DrawWithBlend(canvas.Target, x - AnchorX, y - AnchorY, colour, whole, frame_.Coverage.get(), FlipH, FlipV,
                      CurAlpha);
}

} // namespace ruvo
