#include "params/limits.hpp"

namespace ruvo {

EScriptLimit EScriptLimit::OutOfMemory() { return EScriptLimit(SysMessage("メモリが足りません")); }

void CheckStringLength(size_t n) {
    if (n > kMaxStringLength)
        throw EScriptLimit(SysMessage("文字列が長すぎます（%sバイトを超えました）", {std::to_string(kMaxStringLength)}));
}

} // namespace ruvo
