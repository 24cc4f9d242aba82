#pragma once
// The table of the 142 system functions: name (case-sensitive in source text), argument bounds and
// result type. Shared by the compiler (name and count checks) and the evaluator (result typing).
#include <cstdint>
#include <string_view>

namespace ruvo {

constexpr int kSysFuncCount = 142;

struct TSysFuncInfo {
    std::string_view name;
    int minArgs;
    int maxArgs;     // negative: no limit
    int resultType;  // 1 integer, 2 float, 3 flag, 4 string; 0: the type of the property (GetProp)
};

// Entry n, or null when n is outside 0..141.
const TSysFuncInfo* SysFuncInfo(int number) noexcept;
// Number of the function of that exact name, or -1.
int FindSysFunc(std::string_view name) noexcept;

// Numbers the evaluator and the function manager refer to by name.
enum TSysFuncNumber : uint8_t {
    sfGetProp = 2,
    sfOpenUrl = 135,
    sfCalc = 136,
};

} // namespace ruvo
