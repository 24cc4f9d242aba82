#include "objects/base/propaccess.hpp"

#include "archive/errors.hpp"
#include "objects/base/ruvoobject.hpp"
#include "params/values.hpp"

namespace ruvo {

namespace {

// A numeric default as a value of the property's type.
TPropValue AsTypeOf(int id, int32_t numeric) {
    switch (PropertyType(id)) {
    case TValueType::Real: return Real(numeric);
    case TValueType::Flag: return numeric != 0;
    case TValueType::String: return std::string();
    default: return numeric;
    }
}

} // namespace

TPropValue DefaultProperty(int id) { return AsTypeOf(id, PropertyInfo(id)->defaultValue); }
TPropValue CreationDefault(int id) { return AsTypeOf(id, PropertyInfo(id)->creationDefault); }

TPropValue ReadAsProperty(const TCustomParam& value, int id) {
    switch (PropertyType(id)) {
    case TValueType::Real: return value.AsFloat();
    case TValueType::Flag: return value.AsFlag();
    case TValueType::String: return value.AsStr();
    default: return value.AsInt();
    }
}

void StoreProperty(TCustomParam& variable, const TPropValue& value) {
    std::visit(
        [&](const auto& v) {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, int32_t>) variable.SetInt(v);
            else if constexpr (std::is_same_v<T, Real>) variable.SetFloat(v);
            else if constexpr (std::is_same_v<T, bool>) variable.SetFlag(v);
            else variable.SetStr(v);
        },
        value);
}

TPropValue GetProperty(TRuvoObject& object, int id) {
    if (id < 0 || id >= kPropertyCount) throw ERuvoError::FromUtf8("GetPropエラー");
    const TPropertyMap::TRow& row = object.Properties().Row(id);
    return row.get ? row.get(object) : DefaultProperty(id);
}

void SetProperty(TRuvoObject& object, int id, const TPropValue& value) {
    constexpr int kAppearX = 92, kAppearY = 93;
    if (id < 0 || id >= kPropertyCount || id == kAppearX || id == kAppearY)
        throw ERuvoError::FromUtf8("SetPropエラー");
    if (PropertyInfo(id)->readOnly) return;
    if (const TPropertyMap::TRow& row = object.Properties().Row(id); row.set) row.set(object, value);
}

int32_t GetIntProperty(TRuvoObject& object, int id) { return std::get<int32_t>(GetProperty(object, id)); }
bool GetFlagProperty(TRuvoObject& object, int id) { return std::get<bool>(GetProperty(object, id)); }
std::string GetStrProperty(TRuvoObject& object, int id) { return std::get<std::string>(GetProperty(object, id)); }

} // namespace ruvo
