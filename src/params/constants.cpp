#include "params/constants.hpp"

#include <array>
#include <cstdint>

#include "params/properties.hpp"

namespace ruvo {

namespace {

struct TConstant {
    std::string_view name;
    int32_t value;
};

// LT_NONE .. LT_CABINET: the type codes of the object classes (1 and 10 have no class).
constexpr std::array<std::string_view, 28> kObjectTypes = {
    "LT_NONE",   "LT_AUDIO",    "LT_BOX",     "LT_BUTTON",   "LT_CINEMA",  "LT_EDIT",       "LT_FIRE",
    "LT_HTTP",   "LT_IMAGES",   "LT_LABEL",   "LT_MAP",      "LT_MEMO",    "LT_MENU",       "LT_MES",
    "LT_PARTICLE", "LT_TIMER",  "LT_VIDEO",   "LT_SOUND",    "LT_MAPIMG",  "LT_WAVE",       "LT_TILE",
    "LT_SLIDER", "LT_SCROLLBAR", "LT_GAUGE",  "LT_CGLABEL",  "LT_PREVMENU", "LT_PROPMOTION", "LT_CABINET",
};

constexpr TConstant kModes[] = {
    {"IM_NONE", 0},       {"IM_ALL", 1},        {"IM_CLICK", 2},     {"IM_LCLICK", 3},   {"IM_RCLICK", 4},
    {"MT_NORMAL", 0},     {"MT_INC", 1},        {"MT_DEC", 2},
    {"OT_HORIZONTAL", 0}, {"OT_VERTICAL", 1},
    {"PM_NONE", 0},       {"PM_SNOW", 1},       {"PM_STAR", 2},      {"PM_FLUFF", 3},    {"PM_TWISTER", 4},
    {"HA_LEFT", 0},       {"HA_CENTER", 1},     {"HA_RIGHT", 2},
};

} // namespace

std::optional<int32_t> NamedConstant(std::string_view name) noexcept {
    if (name.size() < 4 || name[2] != '_') return std::nullopt;
    if (name.starts_with("PR_")) {
        if (auto id = PropertyIdByName(name)) return *id;
        return std::nullopt;
    }
    if (name.starts_with("LT_")) {
        for (size_t i = 0; i < kObjectTypes.size(); ++i)
            if (kObjectTypes[i] == name) return static_cast<int32_t>(i);
        return std::nullopt;
    }
    for (const TConstant& c : kModes)
        if (c.name == name) return c.value;
    return std::nullopt;
}

const char* ObjectTypeName(int code) noexcept {
    if (code < 0 || code >= static_cast<int>(kObjectTypes.size())) return nullptr;
    return kObjectTypes[static_cast<size_t>(code)].data();
}

} // namespace ruvo
