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
