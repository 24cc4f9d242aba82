#pragma once
// Helpers shared by the readers of the stored glyph form.
#include <string>

#include "archive/errors.hpp"

namespace ruvo {

// A stored text (or play state) that cannot be what it claims to be.
[[noreturn]] inline void StoredTextError(const std::string& why) {
    throw std::move(ERuvoError::FromUtf8("読み込みエラー").AddContext(why));
}

} // namespace ruvo
