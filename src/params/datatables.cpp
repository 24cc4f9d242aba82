#include "params/datatables.hpp"

#include <algorithm>
#include <cstring>
#include <limits>

#include "archive/extended.hpp"
#include "archive/serializer.hpp"
#include "archive/sjis.hpp"
#include "params/convert.hpp"

namespace ruvo {

namespace {

constexpr int32_t kTablesFormat = 100;
// Size, name, type.
constexpr int64_t kMinFieldBytes = 4 + 4 + 1;
// Kind, name, status, field count, record count, current record.
constexpr int64_t kMinTableBytes = 1 + 4 + 1 + 4 + 4 + 4;

int64_t SumOfSizes(const std::vector<TDBField>& fields) noexcept {
    int64_t size = 0;
    for (const TDBField& f : fields) size += f.Size;
    return size;
}

} // namespace

int32_t TDBTable::RecordSize() const noexcept { return static_cast<int32_t>(SumOfSizes(Fields)); }

std::string TDBTable::FieldText(int32_t record, size_t field) const {
    if (record < 0 || record >= RecordCount || field >= Fields.size()) return {};
    size_t offset = static_cast<size_t>(record) * static_cast<size_t>(RecordSize());
    for (size_t i = 0; i < field; ++i) offset += static_cast<size_t>(Fields[i].Size);
    const uint8_t* p = RecordBytes.data() + offset;
    const TDBField& f = Fields[field];
    switch (f.Type) {
    case 1:
        if (f.Size < 4) break;
        return IntToText(static_cast<int32_t>(p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24));
    case 2:
        if (f.Size < 10) break;
        return RealToText(ReadExtended(p));
    case 3:
        if (f.Size < 1) break;
        return FlagToText(p[0] != 0);
    case 4: {
        const auto* end = static_cast<const uint8_t*>(std::memchr(p, 0, static_cast<size_t>(f.Size)));
        return std::string(reinterpret_cast<const char*>(p), end ? static_cast<size_t>(end - p) : static_cast<size_t>(f.Size));
    }
    default: break;
    }
    return {};
}

void TDBTable::Sync(TSerializer& s) {
    s.Str(Name);
    s.Byte(Status);
    int32_t fieldCount = static_cast<int32_t>(Fields.size());
    s.Count(fieldCount, kMinFieldBytes);
    if (s.Loading()) Fields.assign(static_cast<size_t>(fieldCount), TDBField{});
    for (TDBField& f : Fields) {
        s.Int(f.Size);
        s.Str(f.Name);
        s.Byte(f.Type);
        if (f.Size < 0) throw std::move(TSerializer::Damaged().AddContext("a field of " + std::to_string(f.Size) + " bytes"));
    }
    const int64_t recordSize = SumOfSizes(Fields);
    if (recordSize > std::numeric_limits<int32_t>::max())
        throw std::move(TSerializer::Damaged().AddContext("records of " + std::to_string(recordSize) + " bytes"));
    // Records of no fields take no bytes: any number of them fits.
    s.Count(RecordCount, recordSize);
    const size_t bytes = static_cast<size_t>(RecordCount) * static_cast<size_t>(recordSize);
    if (s.Loading()) {
        RecordBytes.resize(bytes);
        if (bytes > 0) s.Stream().ReadBuffer(RecordBytes.data(), static_cast<int64_t>(bytes));
    } else if (bytes > 0) {
        s.Stream().WriteBuffer(RecordBytes.data(), static_cast<int64_t>(bytes));
    }
    s.Int(RecNo);
}

int32_t TDBManager::FindTable(std::string_view name) const noexcept {
    for (size_t i = 0; i < Tables.size(); ++i)
        if (SameTextSjis(Tables[i]->Name, name)) return static_cast<int32_t>(i);
    return -1;
}

void TDBManager::ClearGameTables() {
    std::erase_if(Tables, [](const auto& t) { return t->Status == 0; });
    Active = -1;
}

void TDBManager::Save(TStream& stream, uint8_t status) const {
    TSerializer s = TSerializer::Writer(stream, kTablesFormat);
    int32_t version = kTablesFormat;
    s.Int(version);
    int32_t count = static_cast<int32_t>(std::count_if(Tables.begin(), Tables.end(), [&](const auto& t) { return t->Status == status; }));
    s.Count(count, kMinTableBytes);
    for (const auto& table : Tables) {
        if (table->Status != status) continue;
        uint8_t kind = 0;
        s.Byte(kind);
        table->Sync(s);
    }
    if (status == 0) {
        std::string active = Active >= 0 && Active < static_cast<int32_t>(Tables.size()) ? Tables[static_cast<size_t>(Active)]->Name : std::string();
        s.Str(active);
    }
}

TDBSection TDBManager::Read(TStream& stream, uint8_t status) const {
    TSerializer s = TSerializer::Reader(stream, kTablesFormat);
    int32_t version = 0;
    s.Int(version);  // only one format exists
    int32_t count = 0;
    s.Count(count, kMinTableBytes);
    TDBSection section;
    for (int32_t i = 0; i < count; ++i) {
        WithContext([&] { return "data table " + std::to_string(i); }, [&] {
            uint8_t kind = 0;
            s.Byte(kind);
            auto table = std::make_unique<TDBTable>();
            table->Sync(s);
            section.Tables.push_back(std::move(table));
        });
    }
    if (status == 0) s.Str(section.ActiveName);
    return section;
}

void TDBManager::Apply(TDBSection section, uint8_t status) {
    std::erase_if(Tables, [&](const auto& t) { return t->Status == status; });
    Active = -1;
    for (auto& table : section.Tables) {
        Tables.push_back(std::move(table));
        Active = static_cast<int32_t>(Tables.size()) - 1;
    }
    if (status == 0) Active = section.ActiveName.empty() ? -1 : FindTable(section.ActiveName);
}

} // namespace ruvo
