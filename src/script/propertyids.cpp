#include "script/propertyids.hpp"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <string_view>

namespace ruvo {

namespace {

const char* const kPropertyNames[kPropertyCount] = {
    "PR_NAME",
    "PR_PARENT",
    "PR_SOURCE",
    "PR_LEFT",
    "PR_TOP",
    "PR_WIDTH",
    "PR_HEIGHT",
    "PR_ZOOMX",
    "PR_COLOR",
    "PR_BORDERWIDTH",
    "PR_BORDERCOLOR",
    "PR_ALPHA",
    "PR_PRIORITY",
    "PR_OFFSETX",
    "PR_OFFSETY",
    "PR_FONTNAME",
    "PR_FONTHEIGHT",
    "PR_FONTSTYLE",
    "PR_LINESPACE",
    "PR_FONTCOLOR",
    "PR_FONTLINKCOLOR",
    "PR_FONTBORDERCOLOR",
    "PR_FONTHOVERCOLOR",
    "PR_FONTHOVERSTYLE",
    "PR_HOVERCOLOR",
    "PR_ANTIALIAS",
    "PR_DELAY",
    "PR_PAUSED",
    "PR_VOLUME",
    "PR_REPEAT",
    "PR_BALANCE",
    "PR_ANGLE",
    "PR_ONPLAYING",
    "PR_ONNOTIFY",
    "PR_ONMOUSEMOVE",
    "PR_ONMOUSEOUT",
    "PR_ONLBTNDOWN",
    "PR_ONLBTNUP",
    "PR_ONRBTNDOWN",
    "PR_ONRBTNUP",
    "PR_ONWHEELDOWN",
    "PR_ONWHEELUP",
    "PR_BRIGHTNESS",
    "PR_ONPLAYEND",
    "PR_INDEX",
    "PR_COUNT",
    "PR_ONLINK",
    "PR_VISIBLE",
    "PR_COLCOUNT",
    "PR_ROWCOUNT",
    "PR_TEXT",
    "PR_MARGINX",
    "PR_MARGINY",
    "PR_HALIGN",
    "PR_BORDERSOURCETL",
    "PR_BORDERSOURCETC",
    "PR_BORDERSOURCETR",
    "PR_BORDERSOURCECL",
    "PR_BORDERSOURCECC",
    "PR_BORDERSOURCECR",
    "PR_BORDERSOURCEBL",
    "PR_BORDERSOURCEBC",
    "PR_BORDERSOURCEBR",
    "PR_BORDERHALIGNT",
    "PR_BORDERHALIGNC",
    "PR_BORDERHALIGNB",
    "PR_BORDERVALIGNL",
    "PR_BORDERVALIGNC",
    "PR_BORDERVALIGNR",
    "PR_SCROLLSOURCE",
    "PR_CHECKSOURCE",
    "PR_AUTOSCRAP",
    "PR_ONSELECT",
    "PR_RCLICKSCRAP",
    "PR_ONOPENING",
    "PR_ONOPENED",
    "PR_ONCLOSING",
    "PR_ONCLOSED",
    "PR_CARETX",
    "PR_CARETY",
    "PR_IGNOREMOUSE",
    "PR_TEXTPAUSED",
    "PR_TEXTDELAY",
    "PR_HOVERSOURCE",
    "PR_PRESSEDSOURCE",
    "PR_GROUPINDEX",
    "PR_ALLOWALLUP",
    "PR_SELECTED",
    "PR_CAPTUREMASK",
    "PR_POWER",
    "PR_ORIGWIDTH",
    "PR_ORIGHEIGHT",
    "PR_APPEARX",
    "PR_APPEARY",
    "PR_PARTMOTION",
    "PR_PARAM1",
    "PR_PARAM2",
    "PR_TOPINDEX",
    "PR_READONLY",
    "PR_CURSOR",
    "PR_POSZOOMED",
    "PR_ONPLAYSTART",
    "PR_PARAM3",
    "PR_ONMOUSEIN",
    "PR_ONMAPIN",
    "PR_ONMAPOUT",
    "PR_MAPSOURCE",
    "PR_AMP",
    "PR_WAVELEN",
    "PR_SCROLLX",
    "PR_SCROLLY",
    "PR_FLIPH",
    "PR_FLIPV",
    "PR_ONIDLE",
    "PR_DISTANCEX",
    "PR_DISTANCEY",
    "PR_CLIPLEFT",
    "PR_CLIPTOP",
    "PR_CLIPWIDTH",
    "PR_CLIPHEIGHT",
    "PR_DURATION",
    "PR_THUMBSOURCE",
    "PR_BUTTONSOURCE",
    "PR_MIN",
    "PR_MAX",
    "PR_VALUE",
    "PR_ORIENTATION",
    "PR_SMALLCHANGE",
    "PR_LARGECHANGE",
    "PR_MAPTEXT",
    "PR_GLYPHWIDTH",
    "PR_GLYPHHEIGHT",
    "PR_ZOOMY",
    "PR_CLICKEDSOURCE",
    "PR_ANIPAUSED",
    "PR_ONHOLD",
    "PR_ONRELEASE",
    "PR_REVERSE",
    "PR_PLAYING",
    "PR_REWINDONLOAD",
    "PR_COMPOTYPE",
    "PR_FONTSHADOWCOLOR",
    "PR_FONTBORDER",
    "PR_FONTSHADOW",
    "PR_ONKEYDOWN",
    "PR_ONKEYUP",
    "PR_ONKEYREPEAT",
    "PR_HANDLEKEY",
    "PR_ONFOCUSIN",
    "PR_ONFOCUSOUT",
    "PR_OVERLAY",
    "PR_TAG",
    "PR_CAPTURELINK",
    "PR_FONTHOVERBORDER",
    "PR_FONTHOVERBORDERCOLOR",
    "PR_FONTHOVERSHADOW",
    "PR_FONTHOVERSHADOWCOLOR",
    "PR_BARSIZE",
    "PR_MUTEONLOAD",
    "PR_PLUSX",
    "PR_PLUSY",
    "PR_CARETHEIGHT",
};

struct IdRange {
    int first, last;
};

// The stored types; every identifier not listed is an integer.
constexpr IdRange kStringIds[] = {{0, 2},     {15, 15},   {33, 41},   {43, 43},   {46, 46},   {50, 50},
                                  {54, 62},   {69, 70},   {72, 72},   {74, 77},   {83, 84},   {99, 99},
                                  {101, 101}, {103, 106}, {113, 113}, {121, 122}, {129, 129}, {133, 133},
                                  {135, 136}, {144, 146}, {148, 149}, {151, 151}};
constexpr IdRange kFlagIds[] = {{25, 25},   {27, 27},   {29, 29},   {32, 32},   {47, 47},   {71, 71},
                                {73, 73},   {81, 81},   {86, 88},   {98, 98},   {100, 100}, {111, 112},
                                {134, 134}, {137, 139}, {150, 150}, {152, 152}, {158, 158}};
constexpr IdRange kRealIds[] = {{95, 96}, {102, 102}};

template <size_t N>
bool InRanges(const IdRange (&ranges)[N], int id) {
    return std::any_of(std::begin(ranges), std::end(ranges),
                        [id](const IdRange& r) { return id >= r.first && id <= r.last; });
}

} // namespace

const char* PropertyName(int id) noexcept {
    return id >= 0 && id < kPropertyCount ? kPropertyNames[id] : nullptr;
}

std::optional<int> PropertyIdByName(std::string_view name) noexcept {
    for (int id = 0; id < kPropertyCount; ++id)
        if (name == kPropertyNames[id]) return id;
    return std::nullopt;
}

TValueType PropertyType(int id) noexcept {
    if (id < 0 || id >= kPropertyCount) return TValueType::None;
    if (InRanges(kStringIds, id)) return TValueType::String;
    if (InRanges(kFlagIds, id)) return TValueType::Flag;
    if (InRanges(kRealIds, id)) return TValueType::Real;
    return TValueType::Integer;
}

} // namespace ruvo
