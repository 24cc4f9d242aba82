#pragma once
// A command record is described once, by its class, as an ordered walk over its fields
// (`TCommand::VisitRecord`). Reading, writing, the dump listing and the game builder are visitors of
// that walk, so the stored layout, the listing and the source format cannot disagree.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "script/expression.hpp"

namespace ruvo {

// How a person writes an integer or byte field (the builder and the dump use it; the record does not).
enum class FieldHint {
    None,
    Flag,            // byte 0/1
    ValueType,       // byte: 1 int, 2 float, 3 flag, 4 str
    CommandIndex,    // index of a command in another page (Jump, Call, GameSave, PCReset)
    WhileExit,       // While: index after the loop
    WhileLoopBack,   // WhileLoop: index of its While
    BreakTarget,     // Break: index after the loop
    ContinueTarget,  // Continue: index of the loop's WhileLoop
};

using TExprPtr = std::unique_ptr<TExpression>;
using TExprList = std::vector<TExprPtr>;

// One property expression slot of an object-creating command.
struct TPropertyExpr {
    int id;
    TExprPtr expr;
};
using TPropertyExprs = std::vector<TPropertyExpr>;  // ascending by id

class TRecordVisitor {
public:
    virtual ~TRecordVisitor() = default;
    // `since`: the field exists only in pages of at least that version (0: always).
    virtual void Expr(const char* name, TExpression& value, int32_t since = 0) = 0;
    virtual void Str(const char* name, std::string& value) = 0;
    virtual void Int(const char* name, int32_t& value, int32_t since = 0, FieldHint hint = FieldHint::None) = 0;
    virtual void Byte(const char* name, uint8_t& value, FieldHint hint = FieldHint::None) = 0;
    // int32 count, then that many expressions.
    virtual void ExprList(const char* name, TExprList& list) = 0;
    // int32 size, then that many bytes, kept as they are.
    virtual void Blob(const char* name, std::string& bytes) = 0;
    // One expression per slot in ascending id order, no count (the page's mask says which).
    virtual void Properties(TPropertyExprs& slots) = 0;
};

} // namespace ruvo
