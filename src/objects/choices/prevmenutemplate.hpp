#pragma once
// Preview menu templates (".rmt" files tagged "RuvoPrevMenu103"): the buttons of a preview menu, each
// with its caption, its place in the menu, a picture for each look (normal, hover, pressed, clicked)
// and one for a disabled button, whether only the pictures' opaque pixels take the mouse, and a cursor.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ruvo {

class TStream;

struct TPrevMenuButton {
    std::string Caption;
    int32_t Left = 0, Top = 0;
    std::array<std::string, 4> Sources;  // normal, hover, pressed, clicked
    std::string DisabledSource;
    bool CaptureMask = false;
    std::string Cursor;
    bool operator==(const TPrevMenuButton&) const = default;
};

class TPrevMenuTemplate {
public:
    static constexpr std::string_view kTag = "RuvoPrevMenu103";

    // Whether a stream starts with the template tag (the position is kept).
    static bool IsTemplate(TStream& stream);
    // The tag, the button count, then each button: caption, left, top, the four look pictures, the
    // disabled picture (strings as a length and the bytes, integers as int32), the capture-mask byte
    // and the cursor. Throws ERuvoError on a wrong tag, truncated or impossible content; the template is
    // unchanged then.
    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const;

    std::vector<TPrevMenuButton> Buttons;
};

} // namespace ruvo
