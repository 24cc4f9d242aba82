#include "params/dbtable.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

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

// The first `max` bytes of a key in an order memcmp follows: integers big-endian with the sign bit
// flipped, reals by sign, exponent and mantissa (no number after every other, -0 as 0), flags 0 or 1,
// strings up to their 0 byte and padded with zeros to the field's size (so a shorter text sorts before a
// longer one it begins). Answers the bytes written.
int32_t PutKey(const TDBField& f, const uint8_t* p, uint8_t* out, int32_t max) noexcept {
    uint8_t key[10];
    int32_t size = 0;
    switch (f.Type) {
    case kDBInteger: {
        const uint32_t v = static_cast<uint32_t>(dbcell::LoadInt(p)) ^ 0x80000000u;
        for (int i = 0; i < 4; ++i) key[i] = static_cast<uint8_t>(v >> (24 - 8 * i));
        size = 4;
        break;
    }
    case kDBFloat: {
        size = 10;
        Real v = ReadExtended(p);
        if (std::isnan(v)) {
            std::memset(key, 0xFF, 10);
            break;
        }
        if (v == 0) v = 0;
        uint8_t raw[10];
        WriteExtended(v, raw);
        key[0] = raw[9];
        key[1] = raw[8];
        for (int i = 0; i < 8; ++i) key[2 + i] = raw[7 - i];
        if (key[0] & 0x80) {
            for (uint8_t& b : key) b = static_cast<uint8_t>(~b);
        } else {
            key[0] |= 0x80;
        }
        break;
    }
    case kDBFlag:
        key[0] = p[0] != 0;
        size = 1;
        break;
    default: {
        const int32_t n = std::min(f.Size, max);
        const std::string_view text = dbcell::LoadText(f.Size, p);
        const size_t copied = std::min(text.size(), static_cast<size_t>(n));
        if (copied > 0) std::memcpy(out, text.data(), copied);
        std::memset(out + copied, 0, static_cast<size_t>(n) - copied);
        return n;
    }
    }
    const int32_t n = std::min(size, max);
    std::memcpy(out, key, static_cast<size_t>(n));
    return n;
}

// Integers and reals by value (a real that is no number after every other), flags false first,
// strings by byte order: the order PutKey's bytes give.
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
    default: {
        const int c = dbcell::LoadText(f.Size, a).compare(dbcell::LoadText(f.Size, b));
        return (c > 0) - (c < 0);
    }
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
    const int64_t size = type == kDBString ? int64_t{std::max(maxLength, 0)} + 1 : FixedSize(type);
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

// ---- records back to back

const uint8_t* TDBTable::Record(int32_t i) const noexcept {
    static const uint8_t kNoBytes = 0;  // records of no fields
    if (i < 0 || i >= count_) return nullptr;
    if (Fields.RecordSize() == 0) return &kNoBytes;
    return bytes_.data() + static_cast<size_t>(i) * static_cast<size_t>(Fields.RecordSize());
}

TDBSelection TDBTable::Locate(const TCustomParam* names, const TCustomParam* values, bool ignoreCase, bool substring,
                              int64_t limit) const {
    TDBSelection found;
    if (!Given(names) || !Given(values)) {
        found.all = true;
        return found;
    }
    struct TKey {
        int field = -1;
        const TDBField* f = nullptr;
        int32_t offset = 0;
        int32_t i = 0;
        Real r = 0;
        bool b = false;
        std::string s;  // lower-cased for a search for a part ignoring case
        bool holdsZero = false;  // a text with a 0 byte is never a field's text
    };
    const int valueType = values->TypeCode();
    const bool plainText = valueType == kDBString && !ignoreCase && !substring;
    std::vector<TKey> keys;
    for (int i = 0, n = std::min(names->Count(), values->Count()); i < n; ++i) {
        TKey key;
        key.field = Fields.IndexOf(names->GetStrAt(i));
        if (key.field < 0) return found;  // the search ends before any record could match all keys
        key.f = &Fields[key.field];
        key.offset = Fields.Offset(key.field);
        switch (valueType) {
        case kDBInteger: key.i = values->GetIntAt(i); break;
        case kDBFloat: key.r = values->GetFloatAt(i); break;
        case kDBFlag: key.b = values->GetFlagAt(i); break;
        default:
            key.s = ignoreCase && substring ? LowerSjis(values->GetStrAt(i)) : values->GetStrAt(i);
            key.holdsZero = key.s.find('\0') != std::string::npos;
            break;
        }
        keys.push_back(std::move(key));
    }
    // The plain comparison of a string field with a text, straight on the stored bytes: the text up to
    // the field's 0 byte (or its end) is the key.
    const auto sameText = [](const TKey& key, const uint8_t* p) {
        const size_t n = key.s.size(), size = static_cast<size_t>(key.f->Size);
        if (n > size || std::memcmp(p, key.s.data(), n) != 0) return false;
        return n == size || p[n] == 0;
    };
    const auto matches = [&](const uint8_t* record, const TKey& key) {
        const uint8_t* p = record + key.offset;
        switch (valueType) {
        case kDBInteger: return dbcell::ReadInt(*key.f, p) == key.i;
        case kDBFloat: return dbcell::ReadReal(*key.f, p) == key.r;
        case kDBFlag: return dbcell::ReadFlag(*key.f, p) == key.b;
        default: break;
        }
        if (plainText && key.f->Type == kDBString) return !key.holdsZero && sameText(key, p);
        std::string converted;
        std::string_view s;
        if (key.f->Type == kDBString) {
            s = dbcell::LoadText(key.f->Size, p);
        } else {
            converted = dbcell::ReadText(*key.f, p);
            s = converted;
        }
        if (!substring) return ignoreCase ? SameTextSjis(s, key.s) : s == key.s;
        if (s.empty()) return false;
        return ignoreCase ? OccursIn(LowerSjis(s), key.s) : OccursIn(s, key.s);
    };
    for (int32_t r = 0; r < count_ && static_cast<int64_t>(found.records.size()) < limit; ++r) {
        const uint8_t* record = Record(r);
        bool all = true;
        for (const TKey& key : keys)
            if (!matches(record, key)) {
                all = false;
                break;
            }
        if (all) found.records.push_back(r);
    }
    return found;
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
    std::vector<bool> used(static_cast<size_t>(Fields.Count()));
    const int n = Given(&names) && Given(&descending) ? std::min(names.Count(), descending.Count()) : 0;
    for (int i = 0; i < n; ++i) {
        const int f = Fields.IndexOf(names.GetStrAt(i));
        // A field already a key decides nothing more: where it tied before, it ties again.
        if (f < 0 || used[static_cast<size_t>(f)]) continue;
        used[static_cast<size_t>(f)] = true;
        keys.push_back({&Fields[f], Fields.Offset(f), descending.GetFlagAt(i)});
    }
    const int64_t size = Fields.RecordSize();
    // Without keys, or with records of no bytes, every order is already sorted.
    if (keys.empty() || size == 0 || count_ < 2) return;

    // Each record with the first 16 bytes of its keys in memcmp order (a descending key inverted), so
    // that most comparisons look at no record; where those tie the records' keys decide.
    struct TEntry {
        uint64_t head0, head1;
        int32_t record;
    };
    std::vector<TEntry> entries;
    entries.reserve(static_cast<size_t>(count_));
    for (int32_t r = 0; r < count_; ++r) {
        uint8_t head[16] = {};
        const uint8_t* record = bytes_.data() + r * size;
        for (int32_t at = 0, k = 0; at < 16 && k < static_cast<int32_t>(keys.size()); ++k) {
            const int32_t written = PutKey(*keys[k].field, record + keys[k].offset, head + at, 16 - at);
            if (keys[k].descending)
                for (int32_t i = at; i < at + written; ++i) head[i] = static_cast<uint8_t>(~head[i]);
            at += written;
        }
        uint64_t h0 = 0, h1 = 0;
        for (int i = 0; i < 8; ++i) {
            h0 = h0 << 8 | head[i];
            h1 = h1 << 8 | head[8 + i];
        }
        entries.push_back({h0, h1, r});
    }
    const uint8_t* base = bytes_.data();
    std::sort(entries.begin(), entries.end(), [&](const TEntry& a, const TEntry& b) {
        if (a.head0 != b.head0) return a.head0 < b.head0;
        if (a.head1 != b.head1) return a.head1 < b.head1;
        const uint8_t* ra = base + a.record * size;
        const uint8_t* rb = base + b.record * size;
        for (const TKey& k : keys)
            if (const int c = CompareCells(*k.field, ra + k.offset, rb + k.offset)) return k.descending ? c > 0 : c < 0;
        return false;
    });

    // The records move into their places along the permutation's cycles, through one spare record.
    std::vector<uint8_t> spare(static_cast<size_t>(size));
    for (int32_t start = 0; start < count_; ++start) {
        if (entries[static_cast<size_t>(start)].record < 0 || entries[static_cast<size_t>(start)].record == start) continue;
        std::copy_n(base + start * size, size, spare.begin());
        int32_t to = start;
        while (true) {
            TEntry& e = entries[static_cast<size_t>(to)];
            const int32_t from = e.record;
            e.record = -1;
            if (from == start) {
                std::copy_n(spare.begin(), size, bytes_.begin() + to * size);
                break;
            }
            std::copy_n(bytes_.begin() + from * size, size, bytes_.begin() + to * size);
            to = from;
        }
    }
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
