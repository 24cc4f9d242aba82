#pragma once
// A compiled expression: a flat list of three-address operations over the variable set, its stored
// form (inside script pages and saved objects), and its evaluation.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "params/values.hpp"

namespace ruvo {

class TStream;
class TParamCollection;
class TSysFuncMan;

enum TOpeCode : uint8_t {
    ocNone, ocTo, ocPlus, ocMinus, ocMul, ocDiv, ocMod, ocOr, ocAnd, ocXor, ocDimTo, ocFunc,
    ocEqual, ocBig, ocSmall, ocEBig, ocESmall, ocShiftL, ocShiftR, ocComboStr, ocNEqual,
};
constexpr int kLastOpeCode = ocNEqual;

// "ocTo" for ocTo and so on.
std::string_view OpeCodeName(int code) noexcept;

// One loaded operation. Operands are constants or references (TParamVar) bound at each evaluation.
struct TOpeData {
    TOpeCode code = ocNone;
    std::string dest;
    int func = 0;  // ocFunc only
    std::vector<std::unique_ptr<TCustomParam>> operands;

    // Derived on load: the reference operands, and whether dest names a temporary.
    std::vector<TParamVar*> references;
    std::vector<TCustomParam*> args;  // the operands as the functions take them
    bool destIsTemp = false;
    bool destIsResult = false;  // dest is "____arg"
    TLookupMemo destLookup;
    void Prepare();
};

class TRuvoParser {
public:
    TRuvoParser() = default;
    TRuvoParser(TRuvoParser&&) noexcept = default;
    TRuvoParser& operator=(TRuvoParser&&) noexcept = default;

    // The stored form: int32 count, then per operation the code byte, destination, operand count, the
    // function byte (ocFunc only) and the operands (type byte and value). Hostile input throws.
    void LoadFromStream(TStream& s);
    void SaveToStream(TStream& s) const;
    // Deep copy: constants copied, references by name.
    void CloneFrom(const TRuvoParser& other);

    // Runs the operations. Any error stops the evaluation quietly (see LastStop); afterwards Result is a
    // copy of "____arg" when the last operation assigned it, and every temporary made here is deleted.
    // A passed limit or exhausted memory (EScriptLimit, limits.hpp) is not quiet: it leaves here.
    void Evaluate(TParamCollection& vars, TSysFuncMan& funcs);
    const TCustomParam* Result() const noexcept { return result_.get(); }
    std::unique_ptr<TCustomParam> TakeResult() noexcept { return std::move(result_); }

    // Where the last evaluation stopped: the operation index (-1 when it ran to the end) and the
    // message in Shift-JIS.
    struct TStop {
        int operation = -1;
        std::string message;
    };
    const TStop& LastStop() const noexcept { return stop_; }

    const std::vector<TOpeData>& Operations() const noexcept { return ops_; }
    bool Empty() const noexcept { return ops_.empty(); }
    // One line per operation, "ocPlus ____1 <- a:var, 2:int" (Shift-JIS text).
    std::string Listing() const;
    static std::string DescribeOperation(const TOpeData& op);

private:
    void Execute(TOpeData& op, TParamCollection& vars, TSysFuncMan& funcs,
                 std::vector<class TParamCollectionItem*>& temps);
    // Deletes the temporaries this evaluation made and keeps the list for the next one.
    void ReleaseTemporaries(TParamCollection& vars, std::vector<class TParamCollectionItem*>& temps);

    std::vector<TOpeData> ops_;
    std::unique_ptr<TCustomParam> result_;
    TStop stop_;
    std::vector<class TParamCollectionItem*> spareTemps_;  // kept between evaluations: no allocation
};

} // namespace ruvo
