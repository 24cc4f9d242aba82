#pragma once
// The box (LT_BOX): a rectangle filled with PR_COLOR and framed in PR_BORDERCOLOR, opaque, blended or
// added to what lies beneath by its alpha: 0 or less and 512 or more draw nothing, 1..254 blend, 255 is
// opaque, 256..511 add with intensity (alpha − 256) / 256. A negative colour leaves out the fill or the
// frame.
#include <string>

#include "objects/base/control.hpp"

namespace ruvo {

class TRuvoBox : public TRuvoControl {
public:
    using TRuvoControl::TRuvoControl;

    uint8_t GetCompoType() const override { return 2; }
    bool IsPaused() const override { return Paused; }
    void Paint() override;
    // Opaque: alpha 255 with a fill, and a frame (if any) in a colour.
    bool Opaque() const override { return Alpha == 255 && Color >= 0 && (BorderWidth <= 0 || BorderColor >= 0); }
    static const TPropertyMap& ClassProperties();
    const TPropertyMap& Properties() const override { return ClassProperties(); }
    // After the control part: border width and colour, alpha; from 104 the idle handler, the source,
    // repeat, auto-scrap, the end handler, paused and the animation pause.
    void Sync(TSerializer& s) override;

    // A new source frees the attached motion; a frame list (".rmt") attaches a new one, and the box
    // becomes its stage (the stage's size and place, the fill under the tracks).
    void SetSource(std::string source);
    // Repeat set while the motion has finished starts it again.
    void SetRepeat(bool on);

    int32_t BorderWidth = 0;
    int32_t BorderColor = 0;
    int32_t Alpha = 255;
    std::string OnIdle;
    std::string Source;
    bool Repeat = false;
    bool AutoScrap = false;
    std::string OnPlayEnd;
    bool Paused = false;
};

} // namespace ruvo
