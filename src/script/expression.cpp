#include "script/expression.hpp"

#include "archive/errors.hpp"
#include "archive/streams.hpp"

namespace ruvo {

namespace {

[[noreturn]] void Broken(const std::string& why) {
    throw std::move(ERuvoError::FromUtf8("読み込みエラー").AddContext("expression: " + why));
}

// Copies n bytes from the stream into out, after checking that they are there.
void Take(TStream& s, std::string& out, int64_t n) {
    if (n < 0 || n > s.Remaining()) Broken("runs past the end of the data");
    size_t at = out.size();
    out.resize(at + static_cast<size_t>(n));
    s.ReadBuffer(out.data() + at, n);
}

int32_t TakeInt(TStream& s, std::string& out) {
    Take(s, out, 4);
    const auto* p = reinterpret_cast<const uint8_t*>(out.data() + out.size() - 4);
    return static_cast<int32_t>(p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24);
}

uint8_t TakeByte(TStream& s, std::string& out) {
    Take(s, out, 1);
    return static_cast<uint8_t>(out.back());
}

void TakeString(TStream& s, std::string& out) {
    int32_t n = TakeInt(s, out);
    if (n > 0) Take(s, out, n);
}

} // namespace

void TExpression::LoadFromStream(TStream& s) {
    std::string bytes;
    int32_t count = TakeInt(s, bytes);
    // Every operation takes at least 9 bytes (code, name length, operand count).
    if (count < 0 || count > s.Remaining() / 9) Broken("operation count " + std::to_string(count) + " is not possible here");
    for (int32_t i = 0; i < count; ++i) {
        uint8_t code = TakeByte(s, bytes);
        TakeString(s, bytes);
        int32_t operands = TakeInt(s, bytes);
        if (code == 11) TakeByte(s, bytes);
        if (operands < 0 || operands > s.Remaining()) Broken("operand count " + std::to_string(operands) + " is not possible here");
        for (int32_t k = 0; k < operands; ++k) {
            switch (TakeByte(s, bytes)) {
            case 1: Take(s, bytes, 4); break;
            case 2: Take(s, bytes, 10); break;
            case 3: Take(s, bytes, 1); break;
            default: TakeString(s, bytes); break;
            }
        }
    }
    count_ = count;
    bytes_ = std::move(bytes);
}

void TExpression::SaveToStream(TStream& s) const { s.WriteBuffer(bytes_.data(), static_cast<int64_t>(bytes_.size())); }

std::string ExpressionText(const TExpression& e) {
    return e.OperationCount() == 0 ? std::string() : "<" + std::to_string(e.OperationCount()) + " operations>";
}

std::string ExpressionOps(const TExpression& e) { return ExpressionText(e); }

TExpression CompileExpression(std::string_view) {
    throw ERuvoError::FromUtf8("構文エラー");
}

} // namespace ruvo
