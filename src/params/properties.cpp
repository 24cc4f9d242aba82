#include "params/properties.hpp"

#include <array>

namespace ruvo {

namespace {

using namespace valuetype;

constexpr std::array<TPropertyInfo, kPropertyCount> kProperties = {{
#define RUVO_PROPERTY_ROW(name, type, def, creation, readOnly) {#name, type, def, creation, readOnly},
    RUVO_PROPERTY_TABLE(RUVO_PROPERTY_ROW)
#undef RUVO_PROPERTY_ROW
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
