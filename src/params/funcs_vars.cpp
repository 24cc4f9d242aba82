// Variable and array functions.
#include <algorithm>

#include "archive/errors.hpp"
#include "archive/sjis.hpp"
#include "params/funcs_impl.hpp"
#include "params/limits.hpp"
#include "params/textlines.hpp"
#include "params/varset.hpp"

namespace ruvo::funcs {

void StoreStrings(TCustomParam& target, const std::vector<std::string>& items) {
    if (items.empty()) {
        target.SetStr({});
        return;
    }
    target.SetDims({static_cast<int32_t>(items.size())});
    for (size_t i = 0; i < items.size(); ++i) target.SetStrAt(static_cast<int>(i), items[i]);
}

std::vector<std::string> SplitLines(std::string_view s) {
    std::vector<std::string> lines;
    ForEachLine(s, [&](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

namespace {

// Splits at every character (Shift-JIS aware) that occurs in delims; empty pieces are kept.
std::vector<std::string> SplitAt(std::string_view s, std::string_view delims) {
    std::vector<std::string> delimChars;
    for (size_t i = 0; i < delims.size(); i = NextCharPos(delims, i))
        delimChars.emplace_back(delims.substr(i, CharLength(delims, i)));
    std::vector<std::string> pieces;
    std::string current;
    for (size_t i = 0; i < s.size(); i = NextCharPos(s, i)) {
        const std::string_view c = s.substr(i, CharLength(s, i));
        if (std::find(delimChars.begin(), delimChars.end(), c) != delimChars.end()) {
            pieces.push_back(std::move(current));
            current.clear();
        } else {
            current += c;
        }
    }
    pieces.push_back(std::move(current));
    return pieces;
}

bool IsMultiDimensional(const TCustomParam& p) { return p.Dims().size() > 1; }

// Replaces target's elements by the first `keep` of its own, then source's, then the rest of its own
// from position `at` (a one-dimensional result).
void Splice(TCustomParam& target, int at, int removeCount, const TCustomParam* source) {
    const std::unique_ptr<TCustomParam> old = target.Clone();
    const int oldCount = old->Count();
    const int inserted = source ? source->Count() : 0;
    const int64_t total = int64_t{oldCount} - removeCount + inserted;
    target.SetDims({static_cast<int32_t>(std::clamp<int64_t>(total, 0, INT32_MAX))});
    int k = 0;
    for (int i = 0; i < at; ++i) target.SetAtFrom(k++, *old, i);
    for (int i = 0; i < inserted; ++i) target.SetAtFrom(k++, *source, i);
    for (int i = at + removeCount; i < oldCount; ++i) target.SetAtFrom(k++, *old, i);
}

void GetArraySize(const TFuncCall& c) {
    const TCustomParam& v = VariableArg(c.args, 0, "GetArraySize");
    c.dest.SetInt(c.Has(1) ? v.DimSize(v.DimCount() - 1 - c.Int(1)) : v.Count());
}

void SetArray(const TFuncCall& c) {
    TCustomParam& v = VariableArg(c.args, 0, "SetArray");
    std::vector<int32_t> sizes;
    for (size_t i = 1; i < c.args.size(); ++i) sizes.push_back(c.Int(i));
    v.SetDims(std::move(sizes));
}

void FillMem(const TFuncCall& c) {
    TCustomParam& v = VariableArg(c.args, 0, "FillMem");
    switch (v.TypeCode()) {
    case 1: v.FillInt(c.Int(1)); break;
    case 2: v.FillFloat(c.Float(1)); break;
    case 3: v.FillFlag(c.args[1]->AsFlag()); break;
    case 4: v.FillStr(c.Str(1)); break;
    default: break;
    }
}

void CopyMem(const TFuncCall& c) {
    TCustomParam& target = VariableArg(c.args, 0, "CopyMem");
    target.CopyExact(VariableArg(c.args, 1, "CopyMem"));
}

void ArrayToString(const TFuncCall& c) {
    const TCustomParam& v = Whole(*c.args[0]);
    const std::string delimiter = c.Has(1) ? c.Str(1) : std::string("\r\n");
    std::string text;
    for (int i = 0; i < v.Count(); ++i) {
        if (i) text += delimiter;
        text += v.GetStrAt(i);
        CheckStringLength(text.size());
    }
    c.dest.SetStr(std::move(text));
}

void StringToArray(const TFuncCall& c) {
    const std::string text = c.Str(0);
    const std::string delims = c.Has(2) ? c.Str(2) : std::string("\r\n");
    const auto pieces = (!c.Has(2) || delims == "\r\n") ? SplitLines(text) : SplitAt(text, delims);
    if (IsVariable(*c.args[1])) StoreStrings(const_cast<TCustomParam&>(Whole(*c.args[1])), pieces);
    c.dest.SetInt(static_cast<int32_t>(pieces.size()));
}

void SortStr(const TFuncCall& c) {
    TCustomParam& v = VariableArg(c.args, 0, "SortStr");
    std::vector<std::string> items;
    for (int i = 0; i < v.Count(); ++i) items.push_back(v.GetStrAt(i));
    std::stable_sort(items.begin(), items.end(),
                     [](const std::string& a, const std::string& b) { return LowerSjis(a) < LowerSjis(b); });
    for (size_t i = 0; i < items.size(); ++i) v.SetStrAt(static_cast<int>(i), items[i]);
}

// AddArray (append) and InsertArray (before position a1): the elements of the source argument.
void InsertElements(const TFuncCall& c, const char* function, bool append) {
    TCustomParam& v = VariableArg(c.args, 0, function);
    const TCustomParam& source = Whole(*c.args[append ? 1 : 2]);
    if (!IsMultiDimensional(v) && !IsMultiDimensional(source)) {
        const int at = append ? v.Count() : std::clamp(c.Int(1), 0, v.Count());
        Splice(v, at, 0, &source);
    }
    c.dest.SetInt(v.Count());
}

void DeleteArray(const TFuncCall& c) {
    TCustomParam& v = VariableArg(c.args, 0, "DeleteArray");
    if (!IsMultiDimensional(v)) {
        const int at = std::clamp(c.Int(1), 0, v.Count() - 1);
        const int n = std::clamp(c.Int(2), 0, v.Count() - at);
        if (n > 0) Splice(v, at, n, nullptr);
    }
    c.dest.SetInt(v.Count());
}

void AssignTemp(const TFuncCall& c) {
    TParamCollection& vars = c.man.Vars();
    const std::string name = c.Str(0);
    if (!vars.Find(name)) return;
    vars.SetTempName(name);
    c.dest.SetFlag(true);
}

const TBuiltInFunction kVariableFunctions[] = {
    {sfGetArraySize, GetArraySize},
    {sfSetArray, SetArray},
    {sfFillMem, FillMem},
    {sfCopyMem, CopyMem},
    {sfArrayToString, ArrayToString},
    {sfStringToArray, StringToArray},
    {sfIndexOfStr, [](const TFuncCall& c) {
         c.dest.SetInt(Whole(*c.args[0]).IndexOfStr(c.Str(1), c.FlagOr(2, true), c.FlagOr(3, false)));
     }},
    {sfSortStr, SortStr},
    {sfVarExists, [](const TFuncCall& c) { c.dest.SetFlag(c.man.Vars().Find(c.Str(0)) != nullptr); }},
    {sfAddArray, [](const TFuncCall& c) { InsertElements(c, "AddArray", true); }},
    {sfInsertArray, [](const TFuncCall& c) { InsertElements(c, "InsertArray", false); }},
    {sfDeleteArray, DeleteArray},
    {sfCopyArray, [](const TFuncCall& c) {
         VariableArg(c.args, 0, "CopyArray").AssignConverted(Whole(*c.args[1]));
         c.dest.SetFlag(true);
     }},
    {sfAssignTemp, AssignTemp},
    {sfGetVarType, [](const TFuncCall& c) { c.dest.SetInt(c.args[0]->TypeCode()); }},
};

} // namespace

std::span<const TBuiltInFunction> VariableFunctions() { return kVariableFunctions; }

} // namespace ruvo::funcs
