#pragma once
// A data table: typed fields and fixed-size records that scripts keep through the DB functions. Fields
// are integers (4 bytes), reals (the 10-byte extended form), flags (1 byte) and strings (max length + 1
// bytes ending with a 0 byte); a record is the fields' bytes back to back, without padding. Every value
// reads and writes as any of the four types through one conversion table (dbcell.cpp).
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "archive/extended.hpp"

namespace ruvo {

class TCustomParam;
class TDBCustomTable;
class TSerializer;

// Field type codes: the value type codes.
constexpr uint8_t kDBInteger = 1, kDBFloat = 2, kDBFlag = 3, kDBString = 4;

// Bounds no real game comes near; past them a field, a record or a load is refused like a bad argument.
constexpr int kMaxDBFields = 10000;                     // fields of one table
constexpr int64_t kMaxDBTableBytes = int64_t{64} << 20;  // all records of one table together, and one record

struct TDBField {
    int32_t Size = 0;  // bytes in the record
    std::string Name;
    uint8_t Type = 0;
};

// The fields of a table in order, with each field's offset in a record. Names are looked up without
// regard to case, first match; nothing prevents two fields of one name.
class TDBFieldList {
public:
    explicit TDBFieldList(TDBCustomTable& table) : table_(table) {}
    TDBFieldList(const TDBFieldList&) = delete;
    TDBFieldList& operator=(const TDBFieldList&) = delete;

    int Count() const noexcept { return static_cast<int>(items_.size()); }
    const TDBField& operator[](int i) const { return items_.at(static_cast<size_t>(i)); }
    const std::vector<TDBField>& Items() const noexcept { return items_; }
    int32_t Offset(int i) const { return offsets_.at(static_cast<size_t>(i)); }
    int32_t RecordSize() const noexcept { return recordSize_; }
    int IndexOf(std::string_view name) const noexcept;

    // Types 1..3 take their fixed size (maxLength ignored); a string takes maxLength + 1 bytes (a negative
    // maxLength counts as 0). Existing records get the new field as 0, 0.0, false or "". -1, and nothing
    // added, for another type or a table that would pass its bounds.
    int AddField(std::string name, int type, int32_t maxLength);
    // Takes over another list's fields as they are; only for a table without records.
    void CopyFrom(const TDBFieldList& other);
    // A stored field list, checked: known types of their own size (strings any size from 0), within
    // the bounds. Only for a table without records. Throws the damaged-save error.
    void Assign(std::vector<TDBField> fields);
    void Clear() noexcept;

private:
    TDBCustomTable& table_;
    std::vector<TDBField> items_;
    std::vector<int32_t> offsets_;
    int32_t recordSize_ = 0;
};

// Same number of fields, pairwise the same name (exact case), type and size.
bool SameFields(const TDBFieldList& a, const TDBFieldList& b) noexcept;

// Records chosen by a search: every record, or the listed ones in order.
struct TDBSelection {
    bool all = false;
    std::vector<int32_t> records;

    int64_t Count(const TDBCustomTable& table) const;
    int32_t At(int64_t i) const { return all ? static_cast<int32_t>(i) : records[static_cast<size_t>(i)]; }
};

// How a TSV text loaded: the 1-based line that failed it, with the reason.
struct TTsvLoad {
    bool loaded = false;
    int32_t line = 0;
    std::string problem;
};

class TDBCustomTable {
public:
    TDBCustomTable(std::string name, uint8_t status) : Name(std::move(name)), Status(status) {}
    virtual ~TDBCustomTable() = default;
    TDBCustomTable(const TDBCustomTable&) = delete;
    TDBCustomTable& operator=(const TDBCustomTable&) = delete;

    TDBFieldList Fields{*this};
    std::string Name;
    uint8_t Status = 0;  // 1: a status table, kept with the status data; 0: a game table

    // The byte written before the table in a saved section.
    virtual uint8_t Kind() const noexcept = 0;
    virtual int32_t RecordCount() const noexcept = 0;
    // The current record, -1 for none.
    virtual int32_t RecNo() const noexcept = 0;
    // Record i's bytes, or null when i is out of range.
    virtual const uint8_t* Record(int32_t i) const noexcept = 0;
    uint8_t* Record(int32_t i) noexcept { return const_cast<uint8_t*>(std::as_const(*this).Record(i)); }
    // The fields are about to grow by `size` bytes at the end of each record; false refuses (too large).
    virtual bool FieldAdded(int32_t size) = 0;
    // A zero-filled record at the end becomes current; false when the table is full.
    virtual bool Append() = 0;
    // Appends copies of the source's chosen records (the source may be this table) and makes the last
    // one current; false, and nothing appended, when the table would be full. The fields must agree.
    virtual bool AppendFrom(const TDBCustomTable& source, const TDBSelection& records) = 0;
    // Removes the current record; the next one (or else the new last one) becomes current. False when
    // there is no current record.
    virtual bool DeleteCurrent() = 0;
    // False when i >= RecordCount; otherwise the current record becomes i, or none for any negative i.
    virtual bool SetRecNo(int32_t i) = 0;
    virtual void ClearRecords() = 0;
    // The records whose fields named in `names` match the values of `values`, compared by the values'
    // type (integers, reals and flags by value; strings exactly, without regard to case, or as a part
    // of the value); at most `limit` of them. Without names or values: every record. A name that is no
    // field matches nothing.
    virtual TDBSelection Locate(const TCustomParam* names, const TCustomParam* values, bool ignoreCase,
                                bool substring, int64_t limit = INT64_MAX) const = 0;
    // Sorts the records by the fields named in names (names that are no field are skipped), each key
    // descending where its flag is set; integers and reals by value, flags false first, strings by byte
    // order. The current record keeps its number. The order of equal records is not kept.
    virtual void Sort(const TCustomParam& names, const TCustomParam& descending) = 0;
    // The persisted table: name, status, fields (size, name, type), record count, the records' bytes,
    // current record. Reading checks every count and size against the data and the bounds.
    virtual void Sync(TSerializer& s) = 0;

    bool First() { return RecordCount() > 0 && SetRecNo(0); }
    bool Last() { return RecordCount() > 0 && SetRecNo(RecordCount() - 1); }
    bool Next() { return RecNo() >= 0 && RecNo() + 1 < RecordCount() && SetRecNo(RecNo() + 1); }
    bool Prior() { return RecNo() > 0 && SetRecNo(RecNo() - 1); }
    // Removes the fields and the records.
    void Clear();

    // Field `field` of record `record` as (or from) an int32_t, Real, bool or std::string; false when
    // either is out of range. Strings are cut to the field's max length, never inside a character.
    template <class T>
    bool Get(int32_t record, int field, T& value) const;
    template <class T>
    bool Set(int32_t record, int field, const T& value);
    bool SetText(int32_t record, int field, std::string_view value);
    // A field as text, "" when out of range.
    std::string Text(int32_t record, int field) const;


    // Replaces fields and records by a tab-separated text: a header line of fields ("name type length"),
    // then one record a line (dbtsv.hpp). On failure the table is left empty.
    TTsvLoad LoadTsv(std::string_view text);
};

// Records back to back in one block.
class TDBTable final : public TDBCustomTable {
public:
    explicit TDBTable(std::string name = {}, uint8_t status = 0) : TDBCustomTable(std::move(name), status) {}

    uint8_t Kind() const noexcept override { return 0; }
    int32_t RecordCount() const noexcept override { return count_; }
    int32_t RecNo() const noexcept override { return recNo_; }
    using TDBCustomTable::Record;
    const uint8_t* Record(int32_t i) const noexcept override;
    bool FieldAdded(int32_t size) override;
    bool Append() override;
    bool AppendFrom(const TDBCustomTable& source, const TDBSelection& records) override;
    bool DeleteCurrent() override;
    bool SetRecNo(int32_t i) override;
    void ClearRecords() override;
    TDBSelection Locate(const TCustomParam* names, const TCustomParam* values, bool ignoreCase, bool substring,
                        int64_t limit = INT64_MAX) const override;
    void Sort(const TCustomParam& names, const TCustomParam& descending) override;
    void Sync(TSerializer& s) override;

    // Bytes the records take.
    int64_t DataSize() const noexcept { return static_cast<int64_t>(bytes_.size()); }

private:
    std::vector<uint8_t> bytes_;
    int32_t count_ = 0;
    int32_t recNo_ = -1;
};

} // namespace ruvo
