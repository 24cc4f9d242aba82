#include "params/datatables.hpp"

#include <algorithm>

#include "archive/serializer.hpp"
#include "archive/sjis.hpp"

namespace ruvo {

namespace {

constexpr int32_t kTablesFormat = 100;
// Kind, name, status, field count, record count, current record.
constexpr int64_t kMinTableBytes = 1 + 4 + 1 + 4 + 4 + 4;

} // namespace

int32_t TDBManager::CreateTable(std::string name, uint8_t status) {
    if (name.empty() || FindTable(name) >= 0) return -1;
    Tables.push_back(std::make_unique<TDBTable>(std::move(name), status));
    Active = static_cast<int32_t>(Tables.size()) - 1;
    return Active;
}

int32_t TDBManager::FindTable(std::string_view name) const noexcept {
    for (size_t i = 0; i < Tables.size(); ++i)
        if (SameTextSjis(Tables[i]->Name, name)) return static_cast<int32_t>(i);
    return -1;
}

TDBCustomTable* TDBManager::Table(std::string_view name) const noexcept {
    const int32_t i = FindTable(name);
    return i >= 0 ? Tables[static_cast<size_t>(i)].get() : nullptr;
}

bool TDBManager::SetActive(std::string_view name) {
    const int32_t i = FindTable(name);
    if (i < 0) return false;
    Active = i;
    return true;
}

TDBCustomTable* TDBManager::ActiveTable() const noexcept {
    return Active >= 0 && Active < static_cast<int32_t>(Tables.size()) ? Tables[static_cast<size_t>(Active)].get() : nullptr;
}

bool TDBManager::DeleteTable(std::string_view name) {
    const int32_t i = FindTable(name);
    if (i < 0) return false;
    Tables.erase(Tables.begin() + i);
    if (Active == i) Active = -1;
    else if (Active > i) --Active;
    return true;
}

void TDBManager::Clear() {
    Tables.clear();
    Active = -1;
}

void TDBManager::ClearGameTables() {
    std::erase_if(Tables, [](const auto& t) { return t->Status == 0; });
    Active = -1;
}

bool TDBManager::CopyTo(std::string_view destination, const TDBSelection& records) {
    TDBCustomTable* active = ActiveTable();
    TDBCustomTable* dest = Table(destination);
    if (!active || !dest || dest == active) return false;
    dest->Clear();
    dest->Fields.CopyFrom(active->Fields);
    return dest->AppendFrom(*active, records);
}

bool TDBManager::InsertFrom(std::string_view source, const TDBSelection& records) {
    TDBCustomTable* active = ActiveTable();
    const TDBCustomTable* from = Table(source);
    if (!active || !from || !SameFields(from->Fields, active->Fields)) return false;
    return active->AppendFrom(*from, records);
}

std::optional<TDBFound> TDBManager::DirectFind(std::string_view table, const TCustomParam* names,
                                               const TCustomParam* values, bool ignoreCase, bool substring,
                                               std::string_view field) const {
    TDBCustomTable* t = Table(table);
    if (!t) return std::nullopt;
    const TDBSelection found = t->Locate(names, values, ignoreCase, substring, 1);
    const int f = t->Fields.IndexOf(field);
    if (found.Count(*t) == 0 || f < 0) return std::nullopt;
    return TDBFound{t, found.At(0), f};
}

void TDBManager::Save(TStream& stream, uint8_t status) const {
    TSerializer s = TSerializer::Writer(stream, kTablesFormat);
    int32_t version = kTablesFormat;
    s.Int(version);
    int32_t count = static_cast<int32_t>(std::count_if(Tables.begin(), Tables.end(), [&](const auto& t) { return t->Status == status; }));
    s.Count(count, kMinTableBytes);
    for (const auto& table : Tables) {
        if (table->Status != status) continue;
        uint8_t kind = table->Kind();
        s.Byte(kind);
        table->Sync(s);
    }
    if (status == 0) {
        const TDBCustomTable* active = ActiveTable();
        std::string name = active ? active->Name : std::string();
        s.Str(name);
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
            // The writer puts only tables of the section's status in it.
            if (table->Status != status)
                throw std::move(TSerializer::Damaged().AddContext("a table of status " + std::to_string(table->Status)));
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
