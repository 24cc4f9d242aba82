#pragma once
// The player's exception: it carries the system's own message text in Shift-JIS (what a message box
// shows) and gathers context as it rises ("reading page x.rsb, command 12") for logs and terminals.
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace ruvo {

// A system message: the template (UTF-8 in the code) in Shift-JIS, each "%s" replaced in turn by the next
// argument (already Shift-JIS), as in "%s:ファイルがありません".
std::string SysMessage(std::string_view utf8Template, std::initializer_list<std::string_view> sjisArgs = {});

class ERuvoError : public std::exception {
public:
    // message: the system's text in Shift-JIS.
    explicit ERuvoError(std::string message);
    // Same, from UTF-8 source text (the Japanese texts are written in UTF-8 in the code).
    static ERuvoError FromUtf8(std::string_view utf8Message);

    // The system's message text in Shift-JIS, without context.
    const std::string& Message() const noexcept { return message_; }
    // Adds an outer context in UTF-8; the innermost context is added first.
    ERuvoError& AddContext(std::string utf8Context);
    const std::vector<std::string>& Context() const noexcept { return context_; }

    // UTF-8 rendering: outer context first, then the message.
    const char* what() const noexcept override { return rendered_.c_str(); }

private:
    void Render();
    std::string message_;
    std::vector<std::string> context_;
    std::string rendered_;
};

// Runs fn; an ERuvoError leaving it gains the context given by ctx() (UTF-8), built only on failure.
template <class Fn, class Ctx>
decltype(auto) WithContext(Ctx&& ctx, Fn&& fn) {
    try {
        return fn();
    } catch (ERuvoError& e) {
        e.AddContext(ctx());
        throw;
    }
}

} // namespace ruvo
