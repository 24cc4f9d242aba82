#include "params/values.hpp"

#include <algorithm>

#include "archive/errors.hpp"
#include "archive/sjis.hpp"
#include "archive/streams.hpp"
#include "params/convert.hpp"
#include "params/limits.hpp"
#include "params/varset.hpp"

namespace ruvo {

namespace {

[[noreturn]] void BadIndex() { throw ERuvoError::FromUtf8("配列の添字が不正です"); }

[[noreturn]] void BadDims(const std::vector<int32_t>& sizes) {
    std::string joined;
    for (size_t i = 0; i < sizes.size(); ++i) joined.append(i ? "," : "").append(std::to_string(sizes[i]));
    throw ERuvoError(SysMessage("配列の要素数[%s]が不正です", {joined}));
}

// Conversions of one stored value to each requested type.
int32_t ToInt(int32_t v) { return v; }
int32_t ToInt(Real v) { return RealToInt(v); }
int32_t ToInt(uint8_t v) { return v ? 1 : 0; }
int32_t ToInt(const std::string& v) { return TextToIntDef(v, 0); }
Real ToReal(int32_t v) { return v; }
Real ToReal(Real v) { return v; }
Real ToReal(uint8_t v) { return v ? 1 : 0; }
Real ToReal(const std::string& v) { return TextToRealDef(v, 0); }
bool ToFlag(int32_t v) { return v != 0; }
bool ToFlag(Real v) { return v != 0; }
bool ToFlag(uint8_t v) { return v != 0; }
bool ToFlag(const std::string& v) { return TextToFlag(v); }
std::string ToText(int32_t v) { return IntToText(v); }
std::string ToText(Real v) { return RealToText(v); }
std::string ToText(uint8_t v) { return FlagToText(v != 0); }
std::string ToText(const std::string& v) { return v; }

template <class T>
T FromInt(int32_t v) {
    if constexpr (std::is_same_v<T, int32_t>) return v;
    else if constexpr (std::is_same_v<T, Real>) return v;
    else if constexpr (std::is_same_v<T, uint8_t>) return v != 0;
    else return IntToText(v);
}
template <class T>
T FromReal(Real v) {
    if constexpr (std::is_same_v<T, int32_t>) return RealToInt(v);
    else if constexpr (std::is_same_v<T, Real>) return v;
    else if constexpr (std::is_same_v<T, uint8_t>) return v != 0;
    else return RealToText(v);
}
template <class T>
T FromFlag(bool v) {
    if constexpr (std::is_same_v<T, int32_t>) return v ? 1 : 0;
    else if constexpr (std::is_same_v<T, Real>) return v ? 1 : 0;
    else if constexpr (std::is_same_v<T, uint8_t>) return v;
    else return FlagToText(v);
}
template <class T>
T FromText(std::string v) {
    if constexpr (std::is_same_v<T, int32_t>) return TextToIntDef(v, 0);
    else if constexpr (std::is_same_v<T, Real>) return TextToRealDef(v, 0);
    else if constexpr (std::is_same_v<T, uint8_t>) return TextToFlag(v);
    else return v;
}

bool ContainsText(std::string_view hay, std::string_view needle) {
    return hay.find(needle) != std::string_view::npos;
}

} // namespace

// --- TCustomParam ------------------------------------------------------------------------------------

int TCustomParam::DimSize(int i) const {
    if (i < 0 || i >= static_cast<int>(dims_.size())) return 1;
    return dims_[static_cast<size_t>(i)];
}

void TCustomParam::CheckPosition(int pos) const {
    if (pos < 0 || pos >= Count()) BadIndex();
}

int TCustomParam::ElementCount(const std::vector<int32_t>& sizes) {
    int64_t product = 1;
    for (int32_t d : sizes) {
        if (d < 1) BadDims(sizes);
        product *= d;
        if (product > kMaxArrayElements) BadDims(sizes);
    }
    return static_cast<int>(product);
}

void TCustomParam::SetDims(std::vector<int32_t> sizes) {
    ElementCount(sizes);
    dims_ = std::move(sizes);
}

void TCustomParam::FillInt(int32_t value) {
    for (int i = 0; i < Count(); ++i) SetIntAt(i, value);
}
void TCustomParam::FillFloat(Real value) {
    for (int i = 0; i < Count(); ++i) SetFloatAt(i, value);
}
void TCustomParam::FillFlag(bool value) {
    for (int i = 0; i < Count(); ++i) SetFlagAt(i, value);
}
void TCustomParam::FillStr(const std::string& value) {
    for (int i = 0; i < Count(); ++i) SetStrAt(i, value);
}

void TCustomParam::CopyExact(const TCustomParam& other) {
    if (typeid(*this) != typeid(other)) throw ERuvoError::FromUtf8("CopyMem:変数の型があいません");
    CloneFrom(other);
}

void TCustomParam::MakeScalar() {
    if (dims_.empty()) return;
    dims_.clear();
    SetCount(1);
}

int TCustomParam::IndexOfStr(std::string_view text, bool caseSensitive, bool partial) const {
    const std::string key = caseSensitive ? std::string(text) : LowerSjis(text);
    for (int i = 0; i < Count(); ++i) {
        const std::string element = caseSensitive ? GetStrAt(i) : LowerSjis(GetStrAt(i));
        const bool match = partial ? ContainsText(element, key) : element == key;
        if (match) return i;
    }
    return -1;
}

void TCustomParam::SetAtFrom(int pos, const TCustomParam& source, int srcPos) {
    switch (TypeCode()) {
    case 1: SetIntAt(pos, source.GetIntAt(srcPos)); break;
    case 2: SetFloatAt(pos, source.GetFloatAt(srcPos)); break;
    case 3: SetFlagAt(pos, source.GetFlagAt(srcPos)); break;
    case 4: SetStrAt(pos, source.GetStrAt(srcPos)); break;
    default: break;
    }
}

void TCustomParam::AssignConverted(const TCustomParam& source) {
    const std::vector<int32_t> dims = source.Dims();
    const int n = source.Count();
    if (dims.empty()) {
        MakeScalar();
    } else {
        SetDims(dims);
    }
    // A source whose count disagrees with its dimensions (a system array) is copied as far as both go.
    for (int i = 0; i < std::min(n, Count()); ++i) SetAtFrom(i, source, i);
}

std::unique_ptr<TCustomParam> NewParam(int typeCode) {
    switch (typeCode) {
    case 0: return std::make_unique<TParamVar>();
    case 1: return std::make_unique<TParamInt>();
    case 2: return std::make_unique<TParamFloat>();
    case 3: return std::make_unique<TParamFlag>();
    case 4: return std::make_unique<TParamStr>();
    default: return nullptr;
    }
}

std::vector<int32_t> ReadDims(TStream& s) {
    const int32_t k = ReadInt(s);
    if (k < 0 || k > s.Remaining() / 4) throw ERuvoError::FromUtf8("配列の次元数が不正です");
    std::vector<int32_t> dims(static_cast<size_t>(k));
    for (auto& d : dims) d = ReadInt(s);
    return dims;
}

void WriteDims(TStream& s, const std::vector<int32_t>& dims) {
    WriteInt(s, static_cast<int32_t>(dims.size()));
    for (int32_t d : dims) WriteInt(s, d);
}

// --- TParamValues -----------------------------------------------------------------------------------

template <class T, int Code>
void TParamValues<T, Code>::ResizeArray(int n) {
    if (dims_.empty()) {
        array_.clear();
        array_.push_back(std::move(scalar_));
        scalar_ = T{};
    }
    array_.resize(static_cast<size_t>(n));
}

template <class T, int Code>
void TParamValues<T, Code>::SetCount(int n) {
    if (n < 1 || n > kMaxArrayElements) BadDims({n});
    if (n == 1 && dims_.empty()) return;
    ResizeArray(n);
    dims_.assign(1, n);
}

template <class T, int Code>
int32_t TParamValues<T, Code>::GetIntAt(int pos) const { return ToInt(At(pos)); }
template <class T, int Code>
Real TParamValues<T, Code>::GetFloatAt(int pos) const { return ToReal(At(pos)); }
template <class T, int Code>
bool TParamValues<T, Code>::GetFlagAt(int pos) const { return ToFlag(At(pos)); }
template <class T, int Code>
std::string TParamValues<T, Code>::GetStrAt(int pos) const { return ToText(At(pos)); }

template <class T, int Code>
void TParamValues<T, Code>::SetIntAt(int pos, int32_t value) { Slot(pos) = FromInt<T>(value); }
template <class T, int Code>
void TParamValues<T, Code>::SetFloatAt(int pos, Real value) { Slot(pos) = FromReal<T>(value); }
template <class T, int Code>
void TParamValues<T, Code>::SetFlagAt(int pos, bool value) { Slot(pos) = FromFlag<T>(value); }
template <class T, int Code>
void TParamValues<T, Code>::SetStrAt(int pos, std::string value) {
    if constexpr (Code == 4) CheckStringLength(value.size());
    Slot(pos) = FromText<T>(std::move(value));
}

template <class T, int Code>
void TParamValues<T, Code>::CloneFrom(const TCustomParam& other) {
    const auto& source = dynamic_cast<const TParamValues&>(other);
    dims_ = source.dims_;
    scalar_ = source.scalar_;
    array_ = source.array_;
}

template <class T, int Code>
void TParamValues<T, Code>::SetDims(std::vector<int32_t> sizes) {
    const int n = ElementCount(sizes);
    if (sizes.empty()) {
        MakeScalar();
        return;
    }
    ResizeArray(n);
    dims_ = std::move(sizes);
}

template <class T, int Code>
void TParamValues<T, Code>::MakeScalar() {
    if (dims_.empty()) return;
    scalar_ = std::move(array_.front());
    std::vector<T>().swap(array_);
    dims_.clear();
}

template <class T, int Code>
std::unique_ptr<TCustomParam> TParamValues<T, Code>::Clone() const {
    auto copy = std::make_unique<TParamValues>();
    copy->CloneFrom(*this);
    return copy;
}

template <class T, int Code>
void TParamValues<T, Code>::SaveToStream(TStream& s) const {
    WriteDims(s, dims_);
    WriteInt(s, Count());
    for (int i = 0; i < Count(); ++i) {
        const T& v = At(i);
        if constexpr (std::is_same_v<T, int32_t>) WriteInt(s, v);
        else if constexpr (std::is_same_v<T, Real>) WriteReal(s, v);
        else if constexpr (std::is_same_v<T, uint8_t>) WriteByte(s, v ? 1 : 0);
        else WriteStr(s, v);
    }
}

template <class T, int Code>
void TParamValues<T, Code>::LoadFromStream(TStream& s) {
    std::vector<int32_t> dims = ReadDims(s);
    const int expected = ElementCount(dims);
    const int32_t n = ReadInt(s);
    constexpr int64_t kMinSize = std::is_same_v<T, Real> ? 10 : std::is_same_v<T, uint8_t> ? 1 : 4;
    if (n != expected || n > s.Remaining() / kMinSize)
        throw ERuvoError::FromUtf8("変数の要素数が次元と合いません");
    std::vector<T> values(static_cast<size_t>(n));
    for (T& v : values) {
        if constexpr (std::is_same_v<T, int32_t>) v = ReadInt(s);
        else if constexpr (std::is_same_v<T, Real>) v = ReadReal(s);
        else if constexpr (std::is_same_v<T, uint8_t>) v = ReadByte(s) != 0;
        else v = ReadStr(s);
    }
    dims_ = std::move(dims);
    if (dims_.empty()) {
        scalar_ = std::move(values.front());
        array_.clear();
    } else {
        scalar_ = T{};
        array_ = std::move(values);
    }
}

template class TParamValues<int32_t, 1>;
template class TParamValues<Real, 2>;
template class TParamValues<uint8_t, 3>;
template class TParamValues<std::string, 4>;

// --- TParamVar ----------------------------------------------------------------------------------------

TCustomParam* TParamVar::TargetValue() const noexcept { return target_ ? &target_->Value() : nullptr; }

int TParamVar::Count() const { return target_ ? TargetValue()->Count() : 1; }
void TParamVar::SetCount(int n) {
    if (target_) TargetValue()->SetCount(n);
}
int TParamVar::TypeCode() const { return target_ ? TargetValue()->TypeCode() : 0; }

int32_t TParamVar::GetIntAt(int pos) const { return target_ ? TargetValue()->GetIntAt(pos) : 0; }
Real TParamVar::GetFloatAt(int pos) const { return target_ ? TargetValue()->GetFloatAt(pos) : 0; }
bool TParamVar::GetFlagAt(int pos) const { return target_ ? TargetValue()->GetFlagAt(pos) : false; }
std::string TParamVar::GetStrAt(int pos) const { return target_ ? TargetValue()->GetStrAt(pos) : std::string(); }
void TParamVar::SetIntAt(int pos, int32_t value) {
    if (target_) TargetValue()->SetIntAt(pos, value);
}
void TParamVar::SetFloatAt(int pos, Real value) {
    if (target_) TargetValue()->SetFloatAt(pos, value);
}
void TParamVar::SetFlagAt(int pos, bool value) {
    if (target_) TargetValue()->SetFlagAt(pos, value);
}
void TParamVar::SetStrAt(int pos, std::string value) {
    if (target_) TargetValue()->SetStrAt(pos, std::move(value));
}

int TParamVar::DimCount() const { return target_ ? TargetValue()->DimCount() : 1; }
int TParamVar::DimSize(int i) const { return target_ ? TargetValue()->DimSize(i) : 1; }
std::vector<int32_t> TParamVar::Dims() const { return target_ ? TargetValue()->Dims() : std::vector<int32_t>{}; }

void TParamVar::CloneFrom(const TCustomParam& other) {
    const auto& source = dynamic_cast<const TParamVar&>(other);
    ownName_ = source.ownName_;
    referenced_ = source.referenced_;
    target_ = source.target_;
    reserved_ = source.reserved_;
    position_ = source.position_;
}

void TParamVar::SetDims(std::vector<int32_t> sizes) {
    if (target_) TargetValue()->SetDims(std::move(sizes));
}
void TParamVar::FillInt(int32_t value) {
    if (target_) TargetValue()->FillInt(value);
}
void TParamVar::FillFloat(Real value) {
    if (target_) TargetValue()->FillFloat(value);
}
void TParamVar::FillFlag(bool value) {
    if (target_) TargetValue()->FillFlag(value);
}
void TParamVar::FillStr(const std::string& value) {
    if (target_) TargetValue()->FillStr(value);
}
void TParamVar::CopyExact(const TCustomParam& other) {
    if (target_) TargetValue()->CopyExact(other);
}
void TParamVar::MakeScalar() {
    if (target_) TargetValue()->MakeScalar();
}
int TParamVar::IndexOfStr(std::string_view text, bool caseSensitive, bool partial) const {
    return target_ ? TargetValue()->IndexOfStr(text, caseSensitive, partial) : -1;
}

std::unique_ptr<TCustomParam> TParamVar::Clone() const {
    auto copy = std::make_unique<TParamVar>();
    copy->CloneFrom(*this);
    return copy;
}

void TParamVar::SaveToStream(TStream& s) const {
    WriteDims(s, {});
    WriteStr(s, ownName_);
    WriteStr(s, target_ ? target_->Name() : std::string());
    WriteByte(s, reserved_);
    WriteInt(s, position_);
}

void TParamVar::LoadFromStream(TStream& s) {
    ReadDims(s);  // a reference has no dimensions of its own
    ownName_ = ReadStr(s);
    referenced_ = ReadStr(s);
    reserved_ = ReadByte(s);
    position_ = ReadInt(s);
    target_ = nullptr;
}

} // namespace ruvo
