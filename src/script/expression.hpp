#pragma once
// The expressions held by command records, and the few things pages and tools do with them: read
// and write the stored form, tell an empty one, show it, compile one from source text.
#include <cstdint>
#include <string>
#include <string_view>

namespace ruvo {

class TStream;

// A stored expression kept as its bytes, read with every count and length bounded by the stream.
// Stands in for the evaluator's expression until that one can be loaded and saved by records.
class TExpression {
public:
    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const;
    int32_t OperationCount() const noexcept { return count_; }
    // The stored form, count included.
    const std::string& Bytes() const noexcept { return bytes_; }

private:
    int32_t count_ = 0;
    std::string bytes_ = std::string(4, '\0');
};

inline bool IsEmptyExpression(const TExpression& e) noexcept { return e.OperationCount() == 0; }
// Readable infix text in UTF-8.
std::string ExpressionText(const TExpression& e);
// One line per operation (UTF-8, lines joined by "\n").
std::string ExpressionOps(const TExpression& e);
// Compiles Shift-JIS source text into an expression; syntax errors throw ERuvoError.
TExpression CompileExpression(std::string_view sjisText);

} // namespace ruvo
