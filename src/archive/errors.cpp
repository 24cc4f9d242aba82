#include "archive/errors.hpp"

#include "archive/sjis.hpp"

namespace ruvo {

std::string SysMessage(std::string_view utf8Template, std::initializer_list<std::string_view> sjisArgs) {
    const std::string text = Utf8ToSjisLossy(utf8Template);
    std::string out;
    auto arg = sjisArgs.begin();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && text[i + 1] == 's' && arg != sjisArgs.end()) {
            out += *arg++;
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

ERuvoError::ERuvoError(std::string message) : message_(std::move(message)) { Render(); }

ERuvoError ERuvoError::FromUtf8(std::string_view utf8Message) {
    return ERuvoError(Utf8ToSjisLossy(utf8Message));
}

ERuvoError& ERuvoError::AddContext(std::string utf8Context) {
    context_.push_back(std::move(utf8Context));
    Render();
    return *this;
}

void ERuvoError::Render() {
    rendered_.clear();
    for (auto it = context_.rbegin(); it != context_.rend(); ++it) {
        rendered_ += *it;
        rendered_ += ": ";
    }
    rendered_ += SjisToUtf8Lossy(message_);
}

} // namespace ruvo
