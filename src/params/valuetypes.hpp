#pragma once
// Value type codes shared by variables, property types, page return types and function results.
#include <cstdint>

namespace ruvo {

enum class TValueType : int32_t {
    None = 0,
    Integer = 1,  // 32-bit signed
    Real = 2,     // 80-bit extended in files
    Flag = 3,
    String = 4,   // Shift-JIS bytes
};

constexpr bool IsValueType(int32_t code) noexcept { return code >= 1 && code <= 4; }

// Short names for the tables that give a type per row (properties, system functions).
namespace valuetype {
inline constexpr TValueType Int = TValueType::Integer;
inline constexpr TValueType Real = TValueType::Real;
inline constexpr TValueType Flag = TValueType::Flag;
inline constexpr TValueType Str = TValueType::String;
} // namespace valuetype

} // namespace ruvo
