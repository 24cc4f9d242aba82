#include "params/properties.hpp"

#include <array>

namespace ruvo {

namespace {

constexpr TValueType Int = TValueType::Integer;
constexpr TValueType Real = TValueType::Real;
constexpr TValueType Flag = TValueType::Flag;
constexpr TValueType Str = TValueType::String;
constexpr bool kReadOnly = true;

// Name, type, default of a class that does not implement it, creation default, read-only.
constexpr std::array<TPropertyInfo, kPropertyCount> kProperties = {{
    /*   0 */ {"PR_NAME", Str},
    /*   1 */ {"PR_PARENT", Str},
    /*   2 */ {"PR_SOURCE", Str},
    /*   3 */ {"PR_LEFT", Int},
    /*   4 */ {"PR_TOP", Int},
    /*   5 */ {"PR_WIDTH", Int},
    /*   6 */ {"PR_HEIGHT", Int},
    /*   7 */ {"PR_ZOOMX", Int, 256, 256},
    /*   8 */ {"PR_COLOR", Int, 0xFFFFFF, -1},
    /*   9 */ {"PR_BORDERWIDTH", Int},
    /*  10 */ {"PR_BORDERCOLOR", Int, 0, -1},
    /*  11 */ {"PR_ALPHA", Int, 0, 255},
    /*  12 */ {"PR_PRIORITY", Int},
    /*  13 */ {"PR_OFFSETX", Int},
    /*  14 */ {"PR_OFFSETY", Int},
    /*  15 */ {"PR_FONTNAME", Str},
    /*  16 */ {"PR_FONTHEIGHT", Int, 0, 16},
    /*  17 */ {"PR_FONTSTYLE", Int},
    /*  18 */ {"PR_LINESPACE", Int},
    /*  19 */ {"PR_FONTCOLOR", Int},
    /*  20 */ {"PR_FONTLINKCOLOR", Int},
    /*  21 */ {"PR_FONTBORDERCOLOR", Int},
    /*  22 */ {"PR_FONTHOVERCOLOR", Int},
    /*  23 */ {"PR_FONTHOVERSTYLE", Int},
    /*  24 */ {"PR_HOVERCOLOR", Int, 0, -1},
    /*  25 */ {"PR_ANTIALIAS", Flag},
    /*  26 */ {"PR_DELAY", Int},
    /*  27 */ {"PR_PAUSED", Flag},
    /*  28 */ {"PR_VOLUME", Int, 0, 1000},
    /*  29 */ {"PR_REPEAT", Flag},
    /*  30 */ {"PR_BALANCE", Int},
    /*  31 */ {"PR_ANGLE", Int},
    /*  32 */ {"PR_ONPLAYING", Flag},
    /*  33 */ {"PR_ONNOTIFY", Str},
    /*  34 */ {"PR_ONMOUSEMOVE", Str},
    /*  35 */ {"PR_ONMOUSEOUT", Str},
    /*  36 */ {"PR_ONLBTNDOWN", Str},
    /*  37 */ {"PR_ONLBTNUP", Str},
    /*  38 */ {"PR_ONRBTNDOWN", Str},
    /*  39 */ {"PR_ONRBTNUP", Str},
    /*  40 */ {"PR_ONWHEELDOWN", Str},
    /*  41 */ {"PR_ONWHEELUP", Str},
    /*  42 */ {"PR_BRIGHTNESS", Int},
    /*  43 */ {"PR_ONPLAYEND", Str},
    /*  44 */ {"PR_INDEX", Int},
    /*  45 */ {"PR_COUNT", Int, 0, 0, kReadOnly},
    /*  46 */ {"PR_ONLINK", Str},
    /*  47 */ {"PR_VISIBLE", Flag, 0, 1},
    /*  48 */ {"PR_COLCOUNT", Int, 0, 1},
    /*  49 */ {"PR_ROWCOUNT", Int, 0, 1},
    /*  50 */ {"PR_TEXT", Str},
    /*  51 */ {"PR_MARGINX", Int},
    /*  52 */ {"PR_MARGINY", Int},
    /*  53 */ {"PR_HALIGN", Int},
    /*  54 */ {"PR_BORDERSOURCETL", Str},
    /*  55 */ {"PR_BORDERSOURCETC", Str},
    /*  56 */ {"PR_BORDERSOURCETR", Str},
    /*  57 */ {"PR_BORDERSOURCECL", Str},
    /*  58 */ {"PR_BORDERSOURCECC", Str},
    /*  59 */ {"PR_BORDERSOURCECR", Str},
    /*  60 */ {"PR_BORDERSOURCEBL", Str},
    /*  61 */ {"PR_BORDERSOURCEBC", Str},
    /*  62 */ {"PR_BORDERSOURCEBR", Str},
    /*  63 */ {"PR_BORDERHALIGNT", Int},
    /*  64 */ {"PR_BORDERHALIGNC", Int},
    /*  65 */ {"PR_BORDERHALIGNB", Int},
    /*  66 */ {"PR_BORDERVALIGNL", Int},
    /*  67 */ {"PR_BORDERVALIGNC", Int},
    /*  68 */ {"PR_BORDERVALIGNR", Int},
    /*  69 */ {"PR_SCROLLSOURCE", Str},
    /*  70 */ {"PR_CHECKSOURCE", Str},
    /*  71 */ {"PR_AUTOSCRAP", Flag},
    /*  72 */ {"PR_ONSELECT", Str},
    /*  73 */ {"PR_RCLICKSCRAP", Flag},
    /*  74 */ {"PR_ONOPENING", Str},
    /*  75 */ {"PR_ONOPENED", Str},
    /*  76 */ {"PR_ONCLOSING", Str},
    /*  77 */ {"PR_ONCLOSED", Str},
    /*  78 */ {"PR_CARETX", Int, 0, 0, kReadOnly},
    /*  79 */ {"PR_CARETY", Int, 0, 0, kReadOnly},
    /*  80 */ {"PR_IGNOREMOUSE", Int},
    /*  81 */ {"PR_TEXTPAUSED", Flag},
    /*  82 */ {"PR_TEXTDELAY", Int, 0, 256},
    /*  83 */ {"PR_HOVERSOURCE", Str},
    /*  84 */ {"PR_PRESSEDSOURCE", Str},
    /*  85 */ {"PR_GROUPINDEX", Int},
    /*  86 */ {"PR_ALLOWALLUP", Flag},
    /*  87 */ {"PR_SELECTED", Flag},
    /*  88 */ {"PR_CAPTUREMASK", Flag},
    /*  89 */ {"PR_POWER", Int},
    /*  90 */ {"PR_ORIGWIDTH", Int},
    /*  91 */ {"PR_ORIGHEIGHT", Int},
    /*  92 */ {"PR_APPEARX", Int},
    /*  93 */ {"PR_APPEARY", Int},
    /*  94 */ {"PR_PARTMOTION", Int},
    /*  95 */ {"PR_PARAM1", Real},
    /*  96 */ {"PR_PARAM2", Real},
    /*  97 */ {"PR_TOPINDEX", Int},
    /*  98 */ {"PR_READONLY", Flag},
    /*  99 */ {"PR_CURSOR", Str},
    /* 100 */ {"PR_POSZOOMED", Flag},
    /* 101 */ {"PR_ONPLAYSTART", Str},
    /* 102 */ {"PR_PARAM3", Real},
    /* 103 */ {"PR_ONMOUSEIN", Str},
    /* 104 */ {"PR_ONMAPIN", Str},
    /* 105 */ {"PR_ONMAPOUT", Str},
    /* 106 */ {"PR_MAPSOURCE", Str},
    /* 107 */ {"PR_AMP", Int, 0, 1},
    /* 108 */ {"PR_WAVELEN", Int, 0, 100},
    /* 109 */ {"PR_SCROLLX", Int},
    /* 110 */ {"PR_SCROLLY", Int},
    /* 111 */ {"PR_FLIPH", Flag},
    /* 112 */ {"PR_FLIPV", Flag},
    /* 113 */ {"PR_ONIDLE", Str},
    /* 114 */ {"PR_DISTANCEX", Int},
    /* 115 */ {"PR_DISTANCEY", Int},
    /* 116 */ {"PR_CLIPLEFT", Int},
    /* 117 */ {"PR_CLIPTOP", Int},
    /* 118 */ {"PR_CLIPWIDTH", Int},
    /* 119 */ {"PR_CLIPHEIGHT", Int},
    /* 120 */ {"PR_DURATION", Int},
    /* 121 */ {"PR_THUMBSOURCE", Str},
    /* 122 */ {"PR_BUTTONSOURCE", Str},
    /* 123 */ {"PR_MIN", Int},
    /* 124 */ {"PR_MAX", Int},
    /* 125 */ {"PR_VALUE", Int},
    /* 126 */ {"PR_ORIENTATION", Int},
    /* 127 */ {"PR_SMALLCHANGE", Int, 0, 1},
    /* 128 */ {"PR_LARGECHANGE", Int, 0, 1},
    /* 129 */ {"PR_MAPTEXT", Str},
    /* 130 */ {"PR_GLYPHWIDTH", Int, 0, 1},
    /* 131 */ {"PR_GLYPHHEIGHT", Int, 0, 1},
    /* 132 */ {"PR_ZOOMY", Int, 256, 256},
    /* 133 */ {"PR_CLICKEDSOURCE", Str},
    /* 134 */ {"PR_ANIPAUSED", Flag},
    /* 135 */ {"PR_ONHOLD", Str},
    /* 136 */ {"PR_ONRELEASE", Str},
    /* 137 */ {"PR_REVERSE", Flag},
    /* 138 */ {"PR_PLAYING", Flag, 0, 0, kReadOnly},
    /* 139 */ {"PR_REWINDONLOAD", Flag},
    /* 140 */ {"PR_COMPOTYPE", Int, 0, 0, kReadOnly},
    /* 141 */ {"PR_FONTSHADOWCOLOR", Int},
    /* 142 */ {"PR_FONTBORDER", Int},
    /* 143 */ {"PR_FONTSHADOW", Int},
    /* 144 */ {"PR_ONKEYDOWN", Str},
    /* 145 */ {"PR_ONKEYUP", Str},
    /* 146 */ {"PR_ONKEYREPEAT", Str},
    /* 147 */ {"PR_HANDLEKEY", Int},
    /* 148 */ {"PR_ONFOCUSIN", Str},
    /* 149 */ {"PR_ONFOCUSOUT", Str},
    /* 150 */ {"PR_OVERLAY", Flag, 0, 1},
    /* 151 */ {"PR_TAG", Str},
    /* 152 */ {"PR_CAPTURELINK", Flag},
    /* 153 */ {"PR_FONTHOVERBORDER", Int},
    /* 154 */ {"PR_FONTHOVERBORDERCOLOR", Int},
    /* 155 */ {"PR_FONTHOVERSHADOW", Int},
    /* 156 */ {"PR_FONTHOVERSHADOWCOLOR", Int},
    /* 157 */ {"PR_BARSIZE", Int},
    /* 158 */ {"PR_MUTEONLOAD", Flag},
    /* 159 */ {"PR_PLUSX", Int},
    /* 160 */ {"PR_PLUSY", Int},
    /* 161 */ {"PR_CARETHEIGHT", Int, 0, 0, kReadOnly},
}};

} // namespace

const TPropertyInfo* PropertyInfo(int id) noexcept {
    return id >= 0 && id < kPropertyCount ? &kProperties[static_cast<size_t>(id)] : nullptr;
}

const char* PropertyName(int id) noexcept {
    const TPropertyInfo* info = PropertyInfo(id);
    return info ? info->name : nullptr;
}

std::optional<int> PropertyIdByName(std::string_view name) noexcept {
    for (int id = 0; id < kPropertyCount; ++id)
        if (name == kProperties[static_cast<size_t>(id)].name) return id;
    return std::nullopt;
}

TValueType PropertyType(int id) noexcept {
    const TPropertyInfo* info = PropertyInfo(id);
    return info ? info->type : TValueType::None;
}

} // namespace ruvo
