#include "params/functable.hpp"

#include <array>

namespace ruvo {

namespace {

using namespace valuetype;
constexpr TValueType Prop = TValueType::None;

constexpr std::array<TSysFuncInfo, kSysFuncCount> kTable = {{
#define RUVO_SYSFUNC_ROW(n, Name, minArgs, maxArgs, result) {#Name, minArgs, maxArgs, result},
    RUVO_SYSFUNC_TABLE(RUVO_SYSFUNC_ROW)
#undef RUVO_SYSFUNC_ROW
}};

// The X-macro rows must stand in number order, so that row n is function n.
constexpr bool InNumberOrder() {
    int expected = 0;
#define RUVO_SYSFUNC_CHECK(n, Name, minArgs, maxArgs, result) \
    if (n != expected++) return false;
    RUVO_SYSFUNC_TABLE(RUVO_SYSFUNC_CHECK)
#undef RUVO_SYSFUNC_CHECK
    return expected == kSysFuncCount;
}
static_assert(InNumberOrder());

} // namespace

const TSysFuncInfo* SysFuncInfo(int number) noexcept {
    if (number < 0 || number >= kSysFuncCount) return nullptr;
    return &kTable[static_cast<size_t>(number)];
}

int FindSysFunc(std::string_view name) noexcept {
    for (size_t i = 0; i < kTable.size(); ++i)
        if (kTable[i].name == name) return static_cast<int>(i);
    return -1;
}

} // namespace ruvo
