#include "text/markup.hpp"

#include "archive/sjis.hpp"

namespace ruvo {

namespace {

bool StartsWithText(std::string_view text, size_t at, std::string_view word) noexcept {
    return text.size() - at >= word.size() && SameTextSjis(text.substr(at, word.size()), word);
}

constexpr std::string_view kRawOpeners[] = {"<!--", "<SCRIPT", "<STYLE"};
constexpr std::string_view kRawClosers[] = {"-->", "</SCRIPT>", "</STYLE>"};
constexpr std::string_view kEscapable = "%<>\\{}";

// Length of the raw-block word at this point, 0 when there is none.
template <size_t N>
size_t MatchAny(std::string_view text, size_t at, const std::string_view (&words)[N]) noexcept {
    for (std::string_view w : words)
        if (StartsWithText(text, at, w))
            return w.size();
    return 0;
}

class TTokenizer {
public:
    explicit TTokenizer(std::string_view text) : text_(text) {}

    std::vector<std::string> Run(TMarkupScan* scan) {
        while (i_ < text_.size()) {
            if (token_.empty())
                start_ = i_;
            if (IsLeadByte(text_[i_]) && i_ + 1 < text_.size()) {
                // A double-byte character is never markup, whatever its second byte.
                Append(text_.substr(i_, 2));
                i_ += 2;
            } else if (quoted_) {
                Quoted();
            } else if (const size_t n = MatchAny(text_, i_, kRawOpeners)) {
                if (rawDepth_ == 0)
                    Emit();
                Append(text_.substr(i_, n));
                ++rawDepth_;
                i_ += n;
            } else if (const size_t n2 = MatchAny(text_, i_, kRawClosers)) {
                if (rawDepth_ > 0)
                    --rawDepth_;
                Append(text_.substr(i_, n2));
                if (rawDepth_ == 0)
                    Emit();
                i_ += n2;
            } else if (rawDepth_ > 0) {
                token_ += text_[i_];
                if (text_[i_] == '\r')
                    token_ += '\n';
                ++i_;
            } else {
                Plain();
            }
        }
        if (scan) {
            if (tagDepth_ > 0 && !token_.empty())
                scan->OpenTag = start_;
            if (quoted_)
                scan->OpenQuote = quoteAt_;
        }
        Emit();
        if (scan)
            scan->Starts = std::move(starts_);
        return std::move(out_);
    }

private:
    void Append(std::string_view s) { token_.append(s); }
    void Emit() {
        if (!token_.empty()) {
            out_.push_back(std::move(token_));
            starts_.push_back(start_);
        }
        token_.clear();
        start_ = i_;
    }
    bool EndsWithSpace() const noexcept { return !token_.empty() && token_.back() == ' '; }

    void Quoted() {
        const char c = text_[i_++];
        if (c == '"')
            quoted_ = false;
        if (c != '\r' && c != '\n' && c != '\t')
            token_ += c;
    }

    void Plain() {
        const char c = text_[i_];
        switch (c) {
        case '<':
            if (tagDepth_ == 0)
                Emit();
            token_ += '<';
            ++tagDepth_;
            break;
        case '>':
            if (tagDepth_ == 0) {
                Other(c);
                break;
            }
            if (--tagDepth_ == 0) {
                token_ += '>';
                Emit();
                BlockRules();
            }
            break;
        case '\\':
            if (i_ + 1 >= text_.size()) {
                token_ += '\\';
            } else if (kEscapable.find(text_[i_ + 1]) != std::string_view::npos) {
                token_ += text_[i_ + 1];
                ++i_;
            }
            break;
        case '\r':
            if (tagDepth_ == 0 && (pre_ || textarea_)) {
                Emit();
                if (pre_) {
                    out_.emplace_back("<BR>");
                    starts_.push_back(i_);
                }
            } else if (!token_.empty() && (i_ == 0 || text_[i_ - 1] != ' ')) {
                token_ += ' ';
            }
            break;
        case '\x14':
            if (!(EndsWithSpace() && !pre_ && !textarea_))
                token_ += ' ';
            break;
        case '\t':
            if (pre_ || textarea_)
                token_.append(8, ' ');
            break;
        case '"':
            quoted_ = true;
            quoteAt_ = i_;
            token_ += '"';
            break;
        default:
            Other(c);
        }
        ++i_;
    }

    void Other(char c) {
        if (c == ' ' && EndsWithSpace())
            return;  // runs of spaces collapse to one
        token_ += c;
    }

    // The tag just emitted may open or close a PRE or TEXTAREA block.
    void BlockRules() {
        const std::string& tag = out_.back();
        auto skipBreak = [&] {
            if (i_ + 1 < text_.size() && text_[i_ + 1] == '\r')
                ++i_;
        };
        auto dropBreakBefore = [&] {
            if (out_.size() >= 2 && out_[out_.size() - 2] == "<BR>") {
                out_.erase(out_.end() - 2);
                starts_.erase(starts_.end() - 2);
            }
        };
        if (StartsWithText(tag, 0, "<PRE") && !textarea_) {
            pre_ = true;
            skipBreak();
        } else if (StartsWithText(tag, 0, "</PRE") && !textarea_) {
            dropBreakBefore();
            pre_ = false;
        } else if (StartsWithText(tag, 0, "<TEXTAREA") && !pre_) {
            textarea_ = true;
            skipBreak();
        } else if (StartsWithText(tag, 0, "</TEXTAREA") && !pre_) {
            dropBreakBefore();
            textarea_ = false;
        }
    }

    std::string_view text_;
    size_t i_ = 0;
    std::string token_;
    std::vector<std::string> out_;
    std::vector<size_t> starts_;
    size_t start_ = 0, quoteAt_ = 0;  // where the current token and the last opening quote are
    int tagDepth_ = 0, rawDepth_ = 0;
    bool quoted_ = false, pre_ = false, textarea_ = false;
};

std::string_view TrimBlanks(std::string_view s) noexcept {
    while (!s.empty() && uint8_t(s.front()) <= ' ')
        s.remove_prefix(1);
    while (!s.empty() && uint8_t(s.back()) <= ' ')
        s.remove_suffix(1);
    return s;
}

} // namespace

std::vector<std::string> TokenizeMarkup(std::string_view text, TMarkupScan* scan) { return TTokenizer(text).Run(scan); }

bool IsRawBlockToken(std::string_view token) noexcept { return MatchAny(token, 0, kRawOpeners) > 0; }

bool TTag::IsTag(std::string_view token) noexcept {
    return token.size() >= 3 && token.front() == '<' && token.back() == '>';
}

TTag::TTag(std::string_view token) {
    for (std::string_view raw : kRawOpeners)
        if (token.substr(0, raw.size()) == raw)
            return;
    std::string_view rest = token.substr(1, token.size() - 2);
    bool first = true;
    for (;;) {
        rest = TrimBlanks(rest);
        if (rest.empty())
            break;
        size_t p = 0;
        while (p < rest.size() && rest[p] != ' ' && rest[p] != '=')
            p = NextCharPos(rest, p);
        p = std::min(p, rest.size());
        const std::string_view name = rest.substr(0, p);
        std::string_view value;
        bool last = false;
        if (p < rest.size() && rest[p] == '=') {
            std::string_view v = rest.substr(p + 1);
            if (v.empty()) {
                last = true;  // "=" at the very end: empty value, and nothing more is read
                rest = {};
            } else if (const char q = v.front(); (q == '"' || q == '\'') && v.find(q, 1) != std::string_view::npos) {
                const size_t close = v.find(q, 1);
                value = v.substr(1, close - 1);
                rest = v.substr(close + 1);
            } else {
                if (q == '"' || q == '\'')
                    v.remove_prefix(1);  // an opening quote without partner is dropped
                const size_t space = v.find(' ');
                value = v.substr(0, space);
                rest = space == std::string_view::npos ? std::string_view{} : v.substr(space + 1);
            }
        } else {
            rest = rest.substr(p);
        }
        if (first)
            name_ = std::string(name);
        else
            attributes_.emplace_back(std::string(name), std::string(value));
        first = false;
        if (last)
            break;
    }
}

const std::string* TTag::Find(std::string_view attribute) const noexcept {
    for (const auto& [name, value] : attributes_)
        if (!name.empty() && SameTextSjis(name, attribute))
            return &value;
    return nullptr;
}

std::string UnescapeValue(std::string_view value) {
    std::string out;
    for (size_t i = 0; i < value.size(); i = NextCharPos(value, i)) {
        const size_t n = CharLength(value, i);
        if (n == 1 && value[i] == '\\' && i + 1 < value.size()) {
            const char next = value[i + 1];
            if (next == '"' || next == '\\') {
                out += next;
                ++i;
                continue;
            }
            if (next == 'n') {
                out += "\r\n";
                ++i;
                continue;
            }
        }
        out.append(value.substr(i, n));
    }
    return out;
}

} // namespace ruvo
