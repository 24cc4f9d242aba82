#include "params/dbtable.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>

#include "archive/serializer.hpp"
#include "archive/sjis.hpp"
#include "params/dbcell.hpp"
#include "params/limits.hpp"
#include "params/values.hpp"

namespace ruvo {

namespace {

// Size, name, type.
constexpr int64_t kMinFieldBytes = 4 + 4 + 1;

[[noreturn]] void Damaged(const std::string& what) { throw std::move(TSerializer::Damaged().AddContext(what)); }

int32_t FixedSize(int type) noexcept {
    switch (type) {
    case kDBInteger: return 4;
    case kDBFloat: return 10;
    case kDBFlag: return 1;
    default: return -1;
    }
}

// A holder given for names, values or flags: a variable, or a literal counting as one element; a
// reference to no variable counts as none.
bool Given(const TCustomParam* p) noexcept { return p && p->TypeCode() != 0; }

// Whether s occurs in v starting on a character boundary of v.
bool OccursIn(std::string_view s, std::string_view v) noexcept {
    for (size_t i = 0; i + s.size() <= v.size(); i = NextCharPos(v, i))
        if (v.compare(i, s.size(), s) == 0) return true;
    return false;
}

// Integers and reals by value (a real that is no number after every other), flags false first,
// strings by byte order.
int CompareCells(const TDBField& f, const uint8_t* a, const uint8_t* b) noexcept {
    switch (f.Type) {
    case kDBInteger: {
        const int32_t x = dbcell::LoadInt(a), y = dbcell::LoadInt(b);
        return (x > y) - (x < y);
    }
    case kDBFloat: {
        const Real x = ReadExtended(a), y = ReadExtended(b);
        const bool nx = std::isnan(x), ny = std::isnan(y);
        if (nx || ny) return nx - ny;
        return (x > y) - (x < y);
    }
    case kDBFlag: return (a[0] != 0) - (b[0] != 0);
    default: return dbcell::LoadText(f.Size, a).compare(dbcell::LoadText(f.Size, b));
    }
}

} // namespace

// ---- fields

int TDBFieldList::IndexOf(std::string_view name) const noexcept {
    for (size_t i = 0; i < items_.size(); ++i)
        if (SameTextSjis(items_[i].Name, name)) return static_cast<int>(i);
    return -1;
}

int TDBFieldList::AddField(std::string name, int type, int32_t maxLength) {
    int64_t size = FixedSize(type);
    if (type == kDBString) {
        if (maxLength > static_cast<int64_t>(kMaxStringLength)) return -1;
        size = std::max(maxLength, 0) + 1;
    }
    if (size < 0 || Count() >= kMaxDBFields || recordSize_ + size > kMaxDBTableBytes) return -1;
    if (!table_.FieldAdded(static_cast<int32_t>(size))) return -1;
    items_.push_back({static_cast<int32_t>(size), std::move(name), static_cast<uint8_t>(type)});
    offsets_.push_back(recordSize_);
    recordSize_ += static_cast<int32_t>(size);
    return Count() - 1;
}

void TDBFieldList::CopyFrom(const TDBFieldList& other) {
    items_ = other.items_;
    offsets_ = other.offsets_;
    recordSize_ = other.recordSize_;
}

void TDBFieldList::Assign(std::vector<TDBField> fields) {
    if (fields.size() > static_cast<size_t>(kMaxDBFields)) Damaged(std::to_string(fields.size()) + " fields");
    std::vector<int32_t> offsets;
    int64_t size = 0;
    for (const TDBField& f : fields) {
        const bool fits = f.Type == kDBString ? f.Size >= 0 && static_cast<size_t>(f.Size) <= kMaxStringLength + 1
                                              : f.Size == FixedSize(f.Type) && f.Size > 0;
        if (!fits) Damaged("a field of type " + std::to_string(f.Type) + " and " + std::to_string(f.Size) + " bytes");
        offsets.push_back(static_cast<int32_t>(size));
        size += f.Size;
        if (size > kMaxDBTableBytes) Damaged("records of " + std::to_string(size) + " bytes");
    }
    items_ = std::move(fields);
    offsets_ = std::move(offsets);
    recordSize_ = static_cast<int32_t>(size);
}

void TDBFieldList::Clear() noexcept {
    items_.clear();
    offsets_.clear();
    recordSize_ = 0;
}

bool SameFields(const TDBFieldList& a, const TDBFieldList& b) noexcept {
    return std::equal(a.Items().begin(), a.Items().end(), b.Items().begin(), b.Items().end(),
                      [](const TDBField& x, const TDBField& y) {
                          return x.Name == y.Name && x.Type == y.Type && x.Size == y.Size;
                      });
}

int64_t TDBSelection::Count(const TDBCustomTable& table) const {
    return all ? table.RecordCount() : static_cast<int64_t>(records.size());
}

// ---- what every table does through its records

void TDBCustomTable::Clear() {
    ClearRecords();
    Fields.Clear();
}

TDBSelection TDBCustomTable::Locate(const TCustomParam* names, const TCustomParam* values, bool ignoreCase,
                                    bool substring, int64_t limit) const {
    TDBSelection found;
    if (!Given(names) || !Given(values)) {
        found.all = true;
        return found;
    }
    struct TKey {
        int field = -1;
        int32_t i = 0;
        Real r = 0;
        bool b = false;
        std::string s;  // lower-cased for a search ignoring case
    };
    const int valueType = values->TypeCode();
    const bool folded = ignoreCase && substring;
    std::vector<TKey> keys;
    for (int i = 0, n = std::min(names->Count(), values->Count()); i < n; ++i) {
        TKey key;
        key.field = Fields.IndexOf(names->GetStrAt(i));
        if (key.field < 0) return found;  // the search ends before any record could match all keys
        switch (valueType) {
        case kDBInteger: key.i = values->GetIntAt(i); break;
        case kDBFloat: key.r = values->GetFloatAt(i); break;
        case kDBFlag: key.b = values->GetFlagAt(i); break;
        default: key.s = folded ? LowerSjis(values->GetStrAt(i)) : values->GetStrAt(i); break;
        }
        keys.push_back(std::move(key));
    }
    const auto matches = [&](int32_t r, const TKey& key) {
        switch (valueType) {
        case kDBInteger: {
            int32_t v = 0;
            return Get(r, key.field, v) && v == key.i;
        }
        case kDBFloat: {
            Real v = 0;
            return Get(r, key.field, v) && v == key.r;
        }
        case kDBFlag: {
            bool v = false;
            return Get(r, key.field, v) && v == key.b;
        }
        default: break;
        }
        const TDBField& f = Fields[key.field];
        std::string converted;
        std::string_view s;
        if (f.Type == kDBString) {
            s = dbcell::LoadText(f.Size, Record(r) + Fields.Offset(key.field));
        } else {
            converted = Text(r, key.field);
            s = converted;
        }
        if (!substring) return ignoreCase ? SameTextSjis(s, key.s) : s == key.s;
        if (s.empty()) return false;
        return ignoreCase ? OccursIn(LowerSjis(s), key.s) : OccursIn(s, key.s);
    };
    for (int32_t r = 0, count = RecordCount(); r < count && static_cast<int64_t>(found.records.size()) < limit; ++r)
        if (std::all_of(keys.begin(), keys.end(), [&](const TKey& key) { return matches(r, key); }))
            found.records.push_back(r);
    return found;
}

// ---- records back to back

const uint8_t* TDBTable::Record(int32_t i) const noexcept {
    static const uint8_t kNoBytes = 0;  // records of no fields
    if (i < 0 || i >= count_) return nullptr;
    if (Fields.RecordSize() == 0) return &kNoBytes;
    return bytes_.data() + static_cast<size_t>(i) * static_cast<size_t>(Fields.RecordSize());
}

bool TDBTable::FieldAdded(int32_t size) {
    const int64_t oldSize = Fields.RecordSize(), newSize = oldSize + size;
    if (newSize > kMaxDBTableBytes || count_ * newSize > kMaxDBTableBytes) return false;
    if (count_ == 0 || size == 0) return true;
    std::vector<uint8_t> grown(static_cast<size_t>(count_ * newSize), 0);
    for (int64_t r = 0; r < count_; ++r)
        std::copy_n(bytes_.begin() + r * oldSize, oldSize, grown.begin() + r * newSize);
    bytes_ = std::move(grown);
    return true;
}

bool TDBTable::Append() {
    const int64_t size = Fields.RecordSize();
    if (count_ == std::numeric_limits<int32_t>::max() || DataSize() + size > kMaxDBTableBytes) return false;
    bytes_.resize(bytes_.size() + static_cast<size_t>(size), 0);
    recNo_ = count_++;
    return true;
}

bool TDBTable::AppendFrom(const TDBCustomTable& source, const TDBSelection& records) {
    const int64_t n = records.Count(source), size = Fields.RecordSize();
    if (count_ + n > std::numeric_limits<int32_t>::max() || DataSize() + n * size > kMaxDBTableBytes) return false;
    if (n == 0) return true;
    if (size > 0) {
        // Gathered first: the source may be this table, whose bytes move as they grow.
        std::vector<uint8_t> added(static_cast<size_t>(n * size), 0);
        for (int64_t i = 0; i < n; ++i)
            if (const uint8_t* r = source.Record(records.At(i))) std::copy_n(r, size, added.begin() + i * size);
        bytes_.insert(bytes_.end(), added.begin(), added.end());
    }
    count_ += static_cast<int32_t>(n);
    recNo_ = count_ - 1;
    return true;
}

bool TDBTable::DeleteCurrent() {
    if (recNo_ < 0) return false;
    const int64_t size = Fields.RecordSize();
    bytes_.erase(bytes_.begin() + recNo_ * size, bytes_.begin() + (recNo_ + 1) * size);
    --count_;
    if (recNo_ >= count_) recNo_ = count_ - 1;
    return true;
}

bool TDBTable::SetRecNo(int32_t i) {
    if (i >= count_) return false;
    recNo_ = i < 0 ? -1 : i;
    return true;
}

void TDBTable::ClearRecords() {
    bytes_.clear();
    bytes_.shrink_to_fit();
    count_ = 0;
    recNo_ = -1;
}

void TDBTable::Sort(const TCustomParam& names, const TCustomParam& descending) {
    struct TKey {
        const TDBField* field;
        int32_t offset;
        bool descending;
    };
    std::vector<TKey> keys;
    const int n = Given(&names) && Given(&descending) ? std::min(names.Count(), descending.Count()) : 0;
    for (int i = 0; i < n; ++i)
        if (const int f = Fields.IndexOf(names.GetStrAt(i)); f >= 0)
            keys.push_back({&Fields[f], Fields.Offset(f), descending.GetFlagAt(i)});
    const int64_t size = Fields.RecordSize();
    // Without keys, or with records of no bytes, every order is already sorted.
    if (keys.empty() || size == 0 || count_ < 2) return;
    std::vector<int32_t> order(static_cast<size_t>(count_));
    std::iota(order.begin(), order.end(), 0);
    const uint8_t* base = bytes_.data();
    std::sort(order.begin(), order.end(), [&](int32_t a, int32_t b) {
        const uint8_t* ra = base + a * size;
        const uint8_t* rb = base + b * size;
        for (const TKey& k : keys)
            if (const int c = CompareCells(*k.field, ra + k.offset, rb + k.offset)) return k.descending ? c > 0 : c < 0;
        return false;
    });
    std::vector<uint8_t> sorted(bytes_.size());
    for (size_t i = 0; i < order.size(); ++i)
        std::copy_n(base + order[i] * size, size, sorted.begin() + static_cast<int64_t>(i) * size);
    bytes_ = std::move(sorted);
}

void TDBTable::Sync(TSerializer& s) {
    s.Str(Name);
    s.Byte(Status);
    int32_t fieldCount = Fields.Count();
    s.Count(fieldCount, kMinFieldBytes);
    if (s.Loading()) {
        if (fieldCount > kMaxDBFields) Damaged(std::to_string(fieldCount) + " fields");
        std::vector<TDBField> fields(static_cast<size_t>(fieldCount));
        for (TDBField& f : fields) {
            s.Int(f.Size);
            s.Str(f.Name);
            s.Byte(f.Type);
        }
        ClearRecords();
        Fields.Assign(std::move(fields));
    } else {
        for (TDBField f : Fields.Items()) {
            s.Int(f.Size);
            s.Str(f.Name);
            s.Byte(f.Type);
        }
    }
    const int64_t size = Fields.RecordSize();
    // Records of no fields take no bytes: any number of them fits.
    s.Count(count_, size);
    const int64_t bytes = count_ * size;
    if (s.Loading()) {
        if (bytes > kMaxDBTableBytes) Damaged("records of " + std::to_string(bytes) + " bytes in all");
        bytes_.resize(static_cast<size_t>(bytes));
        if (bytes > 0) s.Stream().ReadBuffer(bytes_.data(), bytes);
    } else if (bytes > 0) {
        s.Stream().WriteBuffer(bytes_.data(), bytes);
    }
    s.Int(recNo_);
    if (s.Loading() && (recNo_ < -1 || recNo_ >= count_)) Damaged("current record " + std::to_string(recNo_));
}

} // namespace ruvo
