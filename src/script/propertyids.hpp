#pragma once
// The 162 numbered object properties as scripts and page records name them (PR_NAME .. PR_CARETHEIGHT),
// with the value type each one exchanges. Object-creating commands store one expression per property
// bit in their page's mask, so pages, the dump and the builder all need the names and types.
#include <cstdint>
#include <optional>
#include <string_view>

#include "params/valuetypes.hpp"

namespace ruvo {

constexpr int kPropertyCount = 162;

// "PR_NAME" for 0 ... "PR_CARETHEIGHT" for 161; nullptr outside 0..161.
const char* PropertyName(int id) noexcept;
// Exact name lookup ("PR_LEFT" → 3).
std::optional<int> PropertyIdByName(std::string_view name) noexcept;
// The stored type of a property (string, flag, real or integer); None outside 0..161.
TValueType PropertyType(int id) noexcept;

} // namespace ruvo
