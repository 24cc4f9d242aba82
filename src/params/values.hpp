#pragma once
// Value holders of variables, constants and expression operands: typed scalars and row-major arrays
// (TParamInt, TParamFloat, TParamFlag, TParamStr) and the element reference TParamVar.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "archive/extended.hpp"
#include "params/valuetypes.hpp"

namespace ruvo {

class TStream;
class TParamCollectionItem;

// Upper bound of an array's element count; beyond it SetDims refuses like for a size below 1, so
// a script cannot exhaust memory with one declaration.
constexpr int64_t kMaxArrayElements = int64_t{1} << 24;

class TCustomParam {
public:
    TCustomParam() = default;
    virtual ~TCustomParam() = default;
    TCustomParam(const TCustomParam&) = delete;
    TCustomParam& operator=(const TCustomParam&) = delete;

    virtual int Count() const = 0;
    // Resizes to n values (new ones empty) as a one-dimensional array, or a scalar when n is 1 and the
    // holder was one.
    virtual void SetCount(int n) = 0;
    // 1 to 4; 0 for an unbound reference.
    virtual int TypeCode() const = 0;

    virtual bool AsFlag() const { return GetFlagAt(0); }
    virtual Real AsFloat() const { return GetFloatAt(0); }
    virtual int32_t AsInt() const { return GetIntAt(0); }
    virtual std::string AsStr() const { return GetStrAt(0); }
    // Scalar writes: an array becomes a scalar holding the new value.
    virtual void SetFlag(bool value) { MakeScalar(); SetFlagAt(0, value); }
    virtual void SetFloat(Real value) { MakeScalar(); SetFloatAt(0, value); }
    virtual void SetInt(int32_t value) { MakeScalar(); SetIntAt(0, value); }
    virtual void SetStr(std::string value) { MakeScalar(); SetStrAt(0, std::move(value)); }

    // Element access by flat position with conversion; a position outside 0..Count-1 throws.
    virtual int32_t GetIntAt(int pos) const = 0;
    virtual void SetIntAt(int pos, int32_t value) = 0;
    virtual Real GetFloatAt(int pos) const = 0;
    virtual void SetFloatAt(int pos, Real value) = 0;
    virtual bool GetFlagAt(int pos) const = 0;
    virtual void SetFlagAt(int pos, bool value) = 0;
    virtual std::string GetStrAt(int pos) const = 0;
    virtual void SetStrAt(int pos, std::string value) = 0;

    // 1 for a scalar.
    virtual int DimCount() const { return dims_.empty() ? 1 : static_cast<int>(dims_.size()); }
    // 1 when i is out of range.
    virtual int DimSize(int i) const;
    // The dimension sizes; empty for a scalar.
    virtual std::vector<int32_t> Dims() const { return dims_; }
    // Copies dimensions and values from a holder of the same class.
    virtual void CloneFrom(const TCustomParam& other) = 0;
    // Every size at least 1 (and the product bounded), else "配列の要素数[%s]が不正です". Values at the
    // kept flat positions stay.
    virtual void SetDims(std::vector<int32_t> sizes);
    virtual void FillInt(int32_t value);
    virtual void FillFloat(Real value);
    virtual void FillFlag(bool value);
    virtual void FillStr(const std::string& value);
    // Like CloneFrom; a holder of another class raises "CopyMem:変数の型があいません".
    virtual void CopyExact(const TCustomParam& other);
    virtual void SaveToStream(TStream& s) const = 0;
    virtual void LoadFromStream(TStream& s) = 0;
    virtual void MakeScalar();
    // Position of the first element whose string form matches, or -1. Exact matches compare whole
    // strings (ignoring ASCII case unless caseSensitive); partial ones look for text inside the element,
    // both sides lower-cased unless caseSensitive.
    virtual int IndexOfStr(std::string_view text, bool caseSensitive, bool partial) const;

    // A detached copy of the same class.
    virtual std::unique_ptr<TCustomParam> Clone() const = 0;

    // Takes the source's dimensions and copies every element converted to this holder's type.
    void AssignConverted(const TCustomParam& source);
    // Element pos of this holder from element srcPos of source, converted to this holder's type.
    void SetAtFrom(int pos, const TCustomParam& source, int srcPos);

protected:
    // Throws "配列の添字が不正です" unless 0 <= pos < Count().
    void CheckPosition(int pos) const;
    // Validated element count of sizes.
    static int ElementCount(const std::vector<int32_t>& sizes);

    std::vector<int32_t> dims_;  // empty for a scalar
};

// A new holder of type code 1..4, or an unbound reference for 0; other codes give null.
std::unique_ptr<TCustomParam> NewParam(int typeCode);

// A scalar keeps its value inline (no allocation: temporaries are made and dropped at every
// evaluation); an array keeps its values in a row-major list.
template <class T, int Code>
class TParamValues : public TCustomParam {
public:
    TParamValues() = default;
    explicit TParamValues(T value) : scalar_(std::move(value)) {}

    int Count() const override { return dims_.empty() ? 1 : static_cast<int>(array_.size()); }
    void SetCount(int n) override;
    int TypeCode() const override { return Code; }

    int32_t GetIntAt(int pos) const override;
    void SetIntAt(int pos, int32_t value) override;
    Real GetFloatAt(int pos) const override;
    void SetFloatAt(int pos, Real value) override;
    bool GetFlagAt(int pos) const override;
    void SetFlagAt(int pos, bool value) override;
    std::string GetStrAt(int pos) const override;
    void SetStrAt(int pos, std::string value) override;

    void CloneFrom(const TCustomParam& other) override;
    void SetDims(std::vector<int32_t> sizes) override;
    void SaveToStream(TStream& s) const override;
    void LoadFromStream(TStream& s) override;
    void MakeScalar() override;
    std::unique_ptr<TCustomParam> Clone() const override;

    // Direct access for the holder's own type.
    const T& At(int pos) const {
        CheckPosition(pos);
        return dims_.empty() ? scalar_ : array_[static_cast<size_t>(pos)];
    }

private:
    T& Slot(int pos) {
        CheckPosition(pos);
        return dims_.empty() ? scalar_ : array_[static_cast<size_t>(pos)];
    }
    // Makes the array form hold n values (new ones empty), taking over the scalar when there was one.
    void ResizeArray(int n);

    T scalar_{};
    std::vector<T> array_;  // used while dims_ is not empty
};

using TParamInt = TParamValues<int32_t, 1>;
using TParamFloat = TParamValues<Real, 2>;
using TParamFlag = TParamValues<uint8_t, 3>;
using TParamStr = TParamValues<std::string, 4>;

extern template class TParamValues<int32_t, 1>;
extern template class TParamValues<Real, 2>;
extern template class TParamValues<uint8_t, 3>;
extern template class TParamValues<std::string, 4>;

// A remembered name lookup (see TParamCollection::Find).
struct TLookupMemo {
    uint64_t generation = 0;
    TParamCollectionItem* item = nullptr;
};

// A reference to a variable record and an element position in it. Scalar reads and writes go to that
// element, positional ones to the given position; unbound, it reads empty values and ignores writes.
class TParamVar : public TCustomParam {
public:
    explicit TParamVar(std::string referenced = {}) : referenced_(std::move(referenced)) {}

    // Name of the variable this reference was written with (an operand's variable name).
    const std::string& ReferencedName() const noexcept { return referenced_; }
    void SetReferencedName(std::string name) { referenced_ = std::move(name); }
    const std::string& OwnName() const noexcept { return ownName_; }
    void SetOwnName(std::string name) { ownName_ = std::move(name); }
    TParamCollectionItem* Target() const noexcept { return target_; }
    // The referenced holder, or null when unbound.
    TCustomParam* TargetValue() const noexcept;
    int Position() const noexcept { return position_; }
    void Bind(TParamCollectionItem* target, int position) noexcept {
        target_ = target;
        position_ = position;
    }
    void Unbind() noexcept { target_ = nullptr; }
    TLookupMemo lookup;  // of an expression operand

    int Count() const override;
    void SetCount(int n) override;
    int TypeCode() const override;
    bool AsFlag() const override { return GetFlagAt(position_); }
    Real AsFloat() const override { return GetFloatAt(position_); }
    int32_t AsInt() const override { return GetIntAt(position_); }
    std::string AsStr() const override { return GetStrAt(position_); }
    void SetFlag(bool value) override { SetFlagAt(position_, value); }
    void SetFloat(Real value) override { SetFloatAt(position_, value); }
    void SetInt(int32_t value) override { SetIntAt(position_, value); }
    void SetStr(std::string value) override { SetStrAt(position_, std::move(value)); }
    int32_t GetIntAt(int pos) const override;
    void SetIntAt(int pos, int32_t value) override;
    Real GetFloatAt(int pos) const override;
    void SetFloatAt(int pos, Real value) override;
    bool GetFlagAt(int pos) const override;
    void SetFlagAt(int pos, bool value) override;
    std::string GetStrAt(int pos) const override;
    void SetStrAt(int pos, std::string value) override;
    int DimCount() const override;
    int DimSize(int i) const override;
    std::vector<int32_t> Dims() const override;
    void CloneFrom(const TCustomParam& other) override;
    void SetDims(std::vector<int32_t> sizes) override;
    void FillInt(int32_t value) override;
    void FillFloat(Real value) override;
    void FillFlag(bool value) override;
    void FillStr(const std::string& value) override;
    void CopyExact(const TCustomParam& other) override;
    void SaveToStream(TStream& s) const override;
    void LoadFromStream(TStream& s) override;
    void MakeScalar() override;
    int IndexOfStr(std::string_view text, bool caseSensitive, bool partial) const override;
    std::unique_ptr<TCustomParam> Clone() const override;

private:
    std::string ownName_;
    std::string referenced_;
    TParamCollectionItem* target_ = nullptr;
    uint8_t reserved_ = 0;
    int position_ = 0;
};

// Reads the dimension list of a stored holder: count and sizes, bounded by the bytes left.
std::vector<int32_t> ReadDims(TStream& s);
void WriteDims(TStream& s, const std::vector<int32_t>& dims);

} // namespace ruvo
