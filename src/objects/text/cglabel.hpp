#pragma once
// The image caption (LT_CGLABEL): text drawn with glyphs cut from a picture. PR_MAPTEXT lists the
// characters in the order of the picture's cells (left to right, then top to bottom), each cell
// PR_GLYPHWIDTH x PR_GLYPHHEIGHT; a character not in the map leaves its cell empty. The picture (its
// first frame) comes from the world's picture cache.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "graphics/surface/dibx.hpp"
#include "graphics/images/picture.hpp"
#include "objects/base/control.hpp"

namespace ruvo {

class TRuvoCGLabel : public TRuvoControl {
public:
    explicit TRuvoCGLabel(TRuvoBaseList* owner);
    ~TRuvoCGLabel() override;

    uint8_t GetCompoType() const override { return 24; }
    bool IsPaused() const override { return Paused; }
    void Paint() override;
    static const TPropertyMap& ClassProperties();
    const TPropertyMap& Properties() const override { return ClassProperties(); }
    // After the control part: source, text, map, glyph size, line spacing, paused, alignment, alpha,
    // idle handler; loading takes the picture again.
    void Sync(TSerializer& s) override;

    void SetSource(std::string source);
    void SetText(std::string text);
    void SetMapText(std::string map);
    // Glyph width or height (values below 1 become 1) or the line spacing: the size follows.
    void SetMetric(int32_t& field, int32_t value);
    // Per line, each character's cell in the map (-1 when absent).
    const std::vector<std::vector<int>>& Cells() const noexcept { return cells_; }
    int32_t PictureWidth() const;
    int32_t PictureHeight() const;

    std::string Source;
    std::string Text;
    std::string MapText;
    int32_t GlyphWidth = 1, GlyphHeight = 1;
    int32_t LineSpace = 0;
    bool Paused = false;
    int32_t HAlign = 0;
    int32_t Alpha = 255;
    std::string OnIdle;

private:
    void Layout();
    void Resize();

    std::vector<std::vector<int>> cells_;
    std::shared_ptr<const TPicture> held_;  // from the picture cache, whose frames the surfaces share
    std::unique_ptr<TDIBX> picture_, mask_;
};

} // namespace ruvo
