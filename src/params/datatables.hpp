#pragma once
// The data tables of a run: one manager holds the tables in order and marks one of them active, on which
// most DB functions work. A game table is saved with every saved game and dropped by the reset command;
// a status table is saved with the status data that survives from game to game.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "params/dbtable.hpp"

namespace ruvo {

class TStream;

// A saved section of tables read apart from the running manager (Read), put in place by Apply.
struct TDBSection {
    std::vector<std::unique_ptr<TDBTable>> Tables;
    std::string ActiveName;  // game data only: the table active when it was saved
};

// A record found by DirectFind, and the field asked for.
struct TDBFound {
    TDBCustomTable* table;
    int32_t record;
    int field;
};

class TDBManager {
public:
    std::vector<std::unique_ptr<TDBCustomTable>> Tables;
    int32_t Active = -1;  // index of the active table, -1 for none

    // A new table of that name and status, appended and made active; -1 when the name is empty or taken
    // (names compare without regard to case).
    int32_t CreateTable(std::string name, uint8_t status);
    // Index of the table of that name, or -1.
    int32_t FindTable(std::string_view name) const noexcept;
    TDBCustomTable* Table(std::string_view name) const noexcept;
    // Makes the named table active; false (and no change) when there is none.
    bool SetActive(std::string_view name);
    TDBCustomTable* ActiveTable() const noexcept;
    // Frees the named table; the active table stays active unless it was that one. False when not found.
    bool DeleteTable(std::string_view name);
    // Frees every table; no table is active.
    void Clear();
    // Frees every game table (the reset command); no table is active.
    void ClearGameTables();

    // The destination (another table than the active one) is cleared and receives the active table's
    // fields and copies of its chosen records. False when either is missing or the destination is full.
    bool CopyTo(std::string_view destination, const TDBSelection& records);
    // Copies of the source's chosen records are appended to the active table, whose fields must be the
    // same (SameFields); the source may be the active table. False otherwise, or when it is full.
    bool InsertFrom(std::string_view source, const TDBSelection& records);
    // The first record of the named table that Locate finds, and the index of the field named `field`;
    // nothing when the table, a match or the field is missing. Neither the active table nor any current
    // record changes.
    std::optional<TDBFound> DirectFind(std::string_view table, const TCustomParam* names, const TCustomParam* values,
                                       bool ignoreCase, bool substring, std::string_view field) const;

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
