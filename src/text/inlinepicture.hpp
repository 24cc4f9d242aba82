#pragma once
// Pictures shown inside message text (the IMG tag). The picture cache of the display objects provides
// them; the text engine only measures, animates and draws their frames.
#include <cstdint>
#include <memory>
#include <string_view>

namespace ruvo {

class TCustomDIBX;

// The frames of one picture with its own frame clock.
class TInlinePicture {
public:
    virtual ~TInlinePicture() = default;
    // Size of the first frame.
    virtual int32_t Width() const = 0;
    virtual int32_t Height() const = 0;
    // More than one frame: the picture wants the frame time.
    virtual bool Animates() const = 0;
    // Advances the frame clock by ms; true when another frame is now shown.
    virtual bool Advance(int32_t ms) = 0;
    // The frame shown now (null when there is none) and its 8-bit mask (null when it has none). The
    // frame's TransparentColor tells whether a colour key applies.
    virtual TCustomDIBX* Frame() = 0;
    virtual TCustomDIBX* Mask() = 0;
    // Derived frame surfaces (brightness copies) are dropped and rebuilt around a display change.
    virtual void ReleaseSurfaces() {}
    virtual void RestoreSurfaces() {}
};

class TInlinePictureSource {
public:
    virtual ~TInlinePictureSource() = default;
    // The picture of a game file name (Shift-JIS, "\" between folders); null when the file does not
    // exist or cannot be read.
    virtual std::unique_ptr<TInlinePicture> Load(std::string_view name) = 0;
};

} // namespace ruvo
