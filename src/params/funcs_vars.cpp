// Variable and array functions.
#include <algorithm>

#include "archive/errors.hpp"
#include "archive/sjis.hpp"
#include "params/funcs_impl.hpp"
#include "params/varset.hpp"

namespace ruvo::funcs {

namespace {

// Splits into lines at CR LF, LF or CR; a final line break adds no empty line.
std::vector<std::string> SplitLines(std::string_view s) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\r' && s[i] != '\n') continue;
        lines.emplace_back(s.substr(start, i - start));
        if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < s.size()) lines.emplace_back(s.substr(start));
    return lines;
}

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

// target becomes a one-dimensional array of the strings, or an empty scalar when there are none.
void StoreStrings(TCustomParam& target, const std::vector<std::string>& items) {
    if (items.empty()) {
        target.SetStr({});
        return;
    }
    target.SetDims({static_cast<int32_t>(items.size())});
    for (size_t i = 0; i < items.size(); ++i) target.SetStrAt(static_cast<int>(i), items[i]);
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

} // namespace

bool CallVariableFunction(TSysFuncMan& man, int number, TCustomParam& dest, TArgs args) {
    TParamCollection& vars = man.Vars();
    switch (number) {
    case 4: {
        const TCustomParam& v = VariableArg(args, 0, "GetArraySize");
        if (args.size() > 1) dest.SetInt(v.DimSize(v.DimCount() - 1 - args[1]->AsInt()));
        else dest.SetInt(v.Count());
        return true;
    }
    case 21: {
        TCustomParam& v = VariableArg(args, 0, "SetArray");
        std::vector<int32_t> sizes;
        for (size_t i = 1; i < args.size(); ++i) sizes.push_back(args[i]->AsInt());
        v.SetDims(std::move(sizes));
        return true;
    }
    case 22: {
        TCustomParam& v = VariableArg(args, 0, "FillMem");
        switch (v.TypeCode()) {
        case 1: v.FillInt(args[1]->AsInt()); break;
        case 2: v.FillFloat(args[1]->AsFloat()); break;
        case 3: v.FillFlag(args[1]->AsFlag()); break;
        case 4: v.FillStr(args[1]->AsStr()); break;
        default: break;
        }
        return true;
    }
    case 23: {
        TCustomParam& target = VariableArg(args, 0, "CopyMem");
        const TCustomParam& source = VariableArg(args, 1, "CopyMem");
        target.CopyExact(source);
        return true;
    }
    case 28: {
        const TCustomParam& v = Whole(*args[0]);
        const std::string delimiter = args.size() > 1 ? args[1]->AsStr() : std::string("\r\n");
        std::string text;
        for (int i = 0; i < v.Count(); ++i) text += (i ? delimiter : std::string()) + v.GetStrAt(i);
        dest.SetStr(std::move(text));
        return true;
    }
    case 29: {
        const std::string text = args[0]->AsStr();
        const std::string delims = args.size() > 2 ? args[2]->AsStr() : std::string("\r\n");
        const auto pieces = (args.size() <= 2 || delims == "\r\n") ? SplitLines(text) : SplitAt(text, delims);
        if (IsVariable(*args[1])) StoreStrings(const_cast<TCustomParam&>(Whole(*args[1])), pieces);
        dest.SetInt(static_cast<int32_t>(pieces.size()));
        return true;
    }
    case 30:
        dest.SetInt(Whole(*args[0]).IndexOfStr(args[1]->AsStr(), FlagArg(args, 2, true), FlagArg(args, 3, false)));
        return true;
    case 31: {
        TCustomParam& v = VariableArg(args, 0, "SortStr");
        std::vector<std::string> items;
        for (int i = 0; i < v.Count(); ++i) items.push_back(v.GetStrAt(i));
        std::stable_sort(items.begin(), items.end(),
                         [](const std::string& a, const std::string& b) { return LowerSjis(a) < LowerSjis(b); });
        for (size_t i = 0; i < items.size(); ++i) v.SetStrAt(static_cast<int>(i), items[i]);
        return true;
    }
    case 50: dest.SetFlag(vars.Find(args[0]->AsStr()) != nullptr); return true;
    case 66:
    case 67: {
        TCustomParam& v = VariableArg(args, 0, number == 66 ? "AddArray" : "InsertArray");
        const TCustomParam& source = Whole(*args[number == 66 ? 1 : 2]);
        if (!IsMultiDimensional(v) && !IsMultiDimensional(source)) {
            const int at = number == 66 ? v.Count() : std::clamp(args[1]->AsInt(), 0, v.Count());
            Splice(v, at, 0, &source);
        }
        dest.SetInt(v.Count());
        return true;
    }
    case 68: {
        TCustomParam& v = VariableArg(args, 0, "DeleteArray");
        if (!IsMultiDimensional(v)) {
            const int at = std::clamp(args[1]->AsInt(), 0, v.Count() - 1);
            const int n = std::clamp(args[2]->AsInt(), 0, v.Count() - at);
            if (n > 0) Splice(v, at, n, nullptr);
        }
        dest.SetInt(v.Count());
        return true;
    }
    case 70: {
        TCustomParam& v = VariableArg(args, 0, "CopyArray");
        v.AssignConverted(Whole(*args[1]));
        dest.SetFlag(true);
        return true;
    }
    case 84: {
        const std::string name = args[0]->AsStr();
        if (vars.Find(name)) {
            vars.SetTempName(name);
            dest.SetFlag(true);
        }
        return true;
    }
    case 130: dest.SetInt(args[0]->TypeCode()); return true;
    default: return false;
    }
}

} // namespace ruvo::funcs
