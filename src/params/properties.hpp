#pragma once
// The 162 numbered object properties (PR_NAME .. PR_CARETHEIGHT): their names, the value type each one
// exchanges, what an object answers when its class does not implement one, what the object-creating
// commands apply when an expression yields nothing, and which ones scripts cannot write. Expressions
// (GetProp's result type), pages (property expressions), the tools and the objects share this table.
#include <cstdint>
#include <optional>
#include <string_view>

#include "params/valuetypes.hpp"

namespace ruvo {

constexpr int kPropertyCount = 162;

// One row per identifier, in identifier order: name, type, the default of a class that does not
// implement it, the value the object-creating commands apply when an expression yields nothing, and
// whether scripts cannot write it.
#define RUVO_PROPERTY_TABLE(X) \
    X(PR_NAME, Str, 0, 0, false) \
    X(PR_PARENT, Str, 0, 0, false) \
    X(PR_SOURCE, Str, 0, 0, false) \
    X(PR_LEFT, Int, 0, 0, false) \
    X(PR_TOP, Int, 0, 0, false) \
    X(PR_WIDTH, Int, 0, 0, false) \
    X(PR_HEIGHT, Int, 0, 0, false) \
    X(PR_ZOOMX, Int, 256, 256, false) \
    X(PR_COLOR, Int, 0xFFFFFF, -1, false) \
    X(PR_BORDERWIDTH, Int, 0, 0, false) \
    X(PR_BORDERCOLOR, Int, 0, -1, false) \
    X(PR_ALPHA, Int, 0, 255, false) \
    X(PR_PRIORITY, Int, 0, 0, false) \
    X(PR_OFFSETX, Int, 0, 0, false) \
    X(PR_OFFSETY, Int, 0, 0, false) \
    X(PR_FONTNAME, Str, 0, 0, false) \
    X(PR_FONTHEIGHT, Int, 0, 16, false) \
    X(PR_FONTSTYLE, Int, 0, 0, false) \
    X(PR_LINESPACE, Int, 0, 0, false) \
    X(PR_FONTCOLOR, Int, 0, 0, false) \
    X(PR_FONTLINKCOLOR, Int, 0, 0, false) \
    X(PR_FONTBORDERCOLOR, Int, 0, 0, false) \
    X(PR_FONTHOVERCOLOR, Int, 0, 0, false) \
    X(PR_FONTHOVERSTYLE, Int, 0, 0, false) \
    X(PR_HOVERCOLOR, Int, 0, -1, false) \
    X(PR_ANTIALIAS, Flag, 0, 0, false) \
    X(PR_DELAY, Int, 0, 0, false) \
    X(PR_PAUSED, Flag, 0, 0, false) \
    X(PR_VOLUME, Int, 0, 1000, false) \
    X(PR_REPEAT, Flag, 0, 0, false) \
    X(PR_BALANCE, Int, 0, 0, false) \
    X(PR_ANGLE, Int, 0, 0, false) \
    X(PR_ONPLAYING, Str, 0, 0, false) \
    X(PR_ONNOTIFY, Str, 0, 0, false) \
    X(PR_ONMOUSEMOVE, Str, 0, 0, false) \
    X(PR_ONMOUSEOUT, Str, 0, 0, false) \
    X(PR_ONLBTNDOWN, Str, 0, 0, false) \
    X(PR_ONLBTNUP, Str, 0, 0, false) \
    X(PR_ONRBTNDOWN, Str, 0, 0, false) \
    X(PR_ONRBTNUP, Str, 0, 0, false) \
    X(PR_ONWHEELDOWN, Str, 0, 0, false) \
    X(PR_ONWHEELUP, Str, 0, 0, false) \
    X(PR_BRIGHTNESS, Int, 0, 0, false) \
    X(PR_ONPLAYEND, Str, 0, 0, false) \
    X(PR_INDEX, Int, 0, 0, false) \
    X(PR_COUNT, Int, 0, 0, true) \
    X(PR_ONLINK, Str, 0, 0, false) \
    X(PR_VISIBLE, Flag, 0, 1, false) \
    X(PR_COLCOUNT, Int, 0, 1, false) \
    X(PR_ROWCOUNT, Int, 0, 1, false) \
    X(PR_TEXT, Str, 0, 0, false) \
    X(PR_MARGINX, Int, 0, 0, false) \
    X(PR_MARGINY, Int, 0, 0, false) \
    X(PR_HALIGN, Int, 0, 0, false) \
    X(PR_BORDERSOURCETL, Str, 0, 0, false) \
    X(PR_BORDERSOURCETC, Str, 0, 0, false) \
    X(PR_BORDERSOURCETR, Str, 0, 0, false) \
    X(PR_BORDERSOURCECL, Str, 0, 0, false) \
    X(PR_BORDERSOURCECC, Str, 0, 0, false) \
    X(PR_BORDERSOURCECR, Str, 0, 0, false) \
    X(PR_BORDERSOURCEBL, Str, 0, 0, false) \
    X(PR_BORDERSOURCEBC, Str, 0, 0, false) \
    X(PR_BORDERSOURCEBR, Str, 0, 0, false) \
    X(PR_BORDERHALIGNT, Int, 0, 0, false) \
    X(PR_BORDERHALIGNC, Int, 0, 0, false) \
    X(PR_BORDERHALIGNB, Int, 0, 0, false) \
    X(PR_BORDERVALIGNL, Int, 0, 0, false) \
    X(PR_BORDERVALIGNC, Int, 0, 0, false) \
    X(PR_BORDERVALIGNR, Int, 0, 0, false) \
    X(PR_SCROLLSOURCE, Str, 0, 0, false) \
    X(PR_CHECKSOURCE, Str, 0, 0, false) \
    X(PR_AUTOSCRAP, Flag, 0, 0, false) \
    X(PR_ONSELECT, Str, 0, 0, false) \
    X(PR_RCLICKSCRAP, Flag, 0, 0, false) \
    X(PR_ONOPENING, Str, 0, 0, false) \
    X(PR_ONOPENED, Str, 0, 0, false) \
    X(PR_ONCLOSING, Str, 0, 0, false) \
    X(PR_ONCLOSED, Str, 0, 0, false) \
    X(PR_CARETX, Int, 0, 0, true) \
    X(PR_CARETY, Int, 0, 0, true) \
    X(PR_IGNOREMOUSE, Int, 0, 0, false) \
    X(PR_TEXTPAUSED, Flag, 0, 0, false) \
    X(PR_TEXTDELAY, Int, 0, 256, false) \
    X(PR_HOVERSOURCE, Str, 0, 0, false) \
    X(PR_PRESSEDSOURCE, Str, 0, 0, false) \
    X(PR_GROUPINDEX, Int, 0, 0, false) \
    X(PR_ALLOWALLUP, Flag, 0, 0, false) \
    X(PR_SELECTED, Flag, 0, 0, false) \
    X(PR_CAPTUREMASK, Flag, 0, 0, false) \
    X(PR_POWER, Int, 0, 0, false) \
    X(PR_ORIGWIDTH, Int, 0, 0, false) \
    X(PR_ORIGHEIGHT, Int, 0, 0, false) \
    X(PR_APPEARX, Int, 0, 0, false) \
    X(PR_APPEARY, Int, 0, 0, false) \
    X(PR_PARTMOTION, Int, 0, 0, false) \
    X(PR_PARAM1, Real, 0, 0, false) \
    X(PR_PARAM2, Real, 0, 0, false) \
    X(PR_TOPINDEX, Int, 0, 0, false) \
    X(PR_READONLY, Flag, 0, 0, false) \
    X(PR_CURSOR, Str, 0, 0, false) \
    X(PR_POSZOOMED, Flag, 0, 0, false) \
    X(PR_ONPLAYSTART, Str, 0, 0, false) \
    X(PR_PARAM3, Real, 0, 0, false) \
    X(PR_ONMOUSEIN, Str, 0, 0, false) \
    X(PR_ONMAPIN, Str, 0, 0, false) \
    X(PR_ONMAPOUT, Str, 0, 0, false) \
    X(PR_MAPSOURCE, Str, 0, 0, false) \
    X(PR_AMP, Int, 0, 1, false) \
    X(PR_WAVELEN, Int, 0, 100, false) \
    X(PR_SCROLLX, Int, 0, 0, false) \
    X(PR_SCROLLY, Int, 0, 0, false) \
    X(PR_FLIPH, Flag, 0, 0, false) \
    X(PR_FLIPV, Flag, 0, 0, false) \
    X(PR_ONIDLE, Str, 0, 0, false) \
    X(PR_DISTANCEX, Int, 0, 0, false) \
    X(PR_DISTANCEY, Int, 0, 0, false) \
    X(PR_CLIPLEFT, Int, 0, 0, false) \
    X(PR_CLIPTOP, Int, 0, 0, false) \
    X(PR_CLIPWIDTH, Int, 0, 0, false) \
    X(PR_CLIPHEIGHT, Int, 0, 0, false) \
    X(PR_DURATION, Int, 0, 0, false) \
    X(PR_THUMBSOURCE, Str, 0, 0, false) \
    X(PR_BUTTONSOURCE, Str, 0, 0, false) \
    X(PR_MIN, Int, 0, 0, false) \
    X(PR_MAX, Int, 0, 0, false) \
    X(PR_VALUE, Int, 0, 0, false) \
    X(PR_ORIENTATION, Int, 0, 0, false) \
    X(PR_SMALLCHANGE, Int, 0, 1, false) \
    X(PR_LARGECHANGE, Int, 0, 1, false) \
    X(PR_MAPTEXT, Str, 0, 0, false) \
    X(PR_GLYPHWIDTH, Int, 0, 1, false) \
    X(PR_GLYPHHEIGHT, Int, 0, 1, false) \
    X(PR_ZOOMY, Int, 256, 256, false) \
    X(PR_CLICKEDSOURCE, Str, 0, 0, false) \
    X(PR_ANIPAUSED, Flag, 0, 0, false) \
    X(PR_ONHOLD, Str, 0, 0, false) \
    X(PR_ONRELEASE, Str, 0, 0, false) \
    X(PR_REVERSE, Flag, 0, 0, false) \
    X(PR_PLAYING, Flag, 0, 0, true) \
    X(PR_REWINDONLOAD, Flag, 0, 0, false) \
    X(PR_COMPOTYPE, Int, 0, 0, true) \
    X(PR_FONTSHADOWCOLOR, Int, 0, 0, false) \
    X(PR_FONTBORDER, Int, 0, 0, false) \
    X(PR_FONTSHADOW, Int, 0, 0, false) \
    X(PR_ONKEYDOWN, Str, 0, 0, false) \
    X(PR_ONKEYUP, Str, 0, 0, false) \
    X(PR_ONKEYREPEAT, Str, 0, 0, false) \
    X(PR_HANDLEKEY, Int, 0, 0, false) \
    X(PR_ONFOCUSIN, Str, 0, 0, false) \
    X(PR_ONFOCUSOUT, Str, 0, 0, false) \
    X(PR_OVERLAY, Flag, 0, 1, false) \
    X(PR_TAG, Str, 0, 0, false) \
    X(PR_CAPTURELINK, Flag, 0, 0, false) \
    X(PR_FONTHOVERBORDER, Int, 0, 0, false) \
    X(PR_FONTHOVERBORDERCOLOR, Int, 0, 0, false) \
    X(PR_FONTHOVERSHADOW, Int, 0, 0, false) \
    X(PR_FONTHOVERSHADOWCOLOR, Int, 0, 0, false) \
    X(PR_BARSIZE, Int, 0, 0, false) \
    X(PR_MUTEONLOAD, Flag, 0, 0, false) \
    X(PR_PLUSX, Int, 0, 0, false) \
    X(PR_PLUSY, Int, 0, 0, false) \
    X(PR_CARETHEIGHT, Int, 0, 0, true)

// The identifiers by name, for the player's own code: PR_LEFT is 3.
enum TPropertyId : int {
#define RUVO_PROPERTY_ID(name, type, def, creation, readOnly) name,
    RUVO_PROPERTY_TABLE(RUVO_PROPERTY_ID)
#undef RUVO_PROPERTY_ID
};
static_assert(PR_CARETHEIGHT == kPropertyCount - 1);

struct TPropertyInfo {
    const char* name;               // "PR_LEFT"
    TValueType type;
    int32_t defaultValue = 0;       // numeric and flag properties; string properties default to ""
    int32_t creationDefault = 0;    // when a creating command's expression for it yields nothing
    bool readOnly = false;          // SetProp ignores it
};

// The row of a property, or null outside 0..161.
const TPropertyInfo* PropertyInfo(int id) noexcept;
// "PR_NAME" for 0 ... "PR_CARETHEIGHT" for 161; nullptr outside 0..161.
const char* PropertyName(int id) noexcept;
// Exact name lookup ("PR_LEFT" → 3).
std::optional<int> PropertyIdByName(std::string_view name) noexcept;
// The stored type of a property (string, flag, real or integer); None outside 0..161.
TValueType PropertyType(int id) noexcept;

} // namespace ruvo
