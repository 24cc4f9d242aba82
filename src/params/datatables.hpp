#pragma once
// The data tables: small in-memory tables of typed records that scripts keep through the DB functions.
// A game table is saved with every saved game; a status table with the status data. This is the tables'
// model and persisted form: what a saved game or the status data holds is read, kept and written back.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ruvo {

class TSerializer;
class TStream;

// Field types: 1 integer (4 bytes), 2 real (10-byte extended), 3 flag (1 byte), 4 string (max length
// + 1 bytes, the text ending with a 0 byte).
struct TDBField {
    int32_t Size = 0;
    std::string Name;
    uint8_t Type = 0;
};

class TDBTable {
public:
    std::string Name;
    uint8_t Status = 0;  // 1: a status table, 0: a game table
    std::vector<TDBField> Fields;
    int32_t RecordCount = 0;
    std::vector<uint8_t> RecordBytes;  // the records back to back, RecordSize() bytes each, no padding
    int32_t RecNo = -1;                // the current record, -1 none

    int32_t RecordSize() const noexcept;
    // A field of a record as text (Shift-JIS): decimal, the real as text, "TRUE"/"FALSE", the string.
    std::string FieldText(int32_t record, size_t field) const;

    // Name, status, fields (size, name, type), record count, the records' bytes, current record.
    void Sync(TSerializer& s);
};

// A saved section of tables read apart from the running manager (Read), put in place by Apply.
struct TDBSection {
    std::vector<std::unique_ptr<TDBTable>> Tables;
    std::string ActiveName;  // game data only: the table active when it was saved
};

class TDBManager {
public:
    std::vector<std::unique_ptr<TDBTable>> Tables;
    int32_t Active = -1;

    // Index of the table of that name (case-insensitive), or -1.
    int32_t FindTable(std::string_view name) const noexcept;
    // Frees every game table (the reset command); no table is active.
    void ClearGameTables();

    // The section of the tables of one status (0 game data, 1 status data): format version 100, the
    // count, per table its kind byte (0) and record; the game section ends with the active table's name.
    void Save(TStream& s, uint8_t status) const;
    TDBSection Read(TStream& s, uint8_t status) const;
    // Replaces the tables of that status by the section's; each table read becomes active in turn, and
    // game data then makes the saved active table active again. Cannot fail.
    void Apply(TDBSection section, uint8_t status);
    void Load(TStream& s, uint8_t status) { Apply(Read(s, status), status); }
};

} // namespace ruvo
