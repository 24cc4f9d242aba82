#pragma once
// The variable set: named, typed variables with their scopes, the 49 system variables, the values kept
// beside them (message speed, cursor file, selection, history format, "@Temp" target), and their
// saved-game and status-data forms.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "archive/hash.hpp"
#include "params/sysvars.hpp"
#include "params/values.hpp"

namespace ruvo {

class TStream;
class TSerializer;

// Names of the evaluator's temporaries: "____%d" values, "____d_%d" element references, "____arg"
// (the value of the whole expression).
inline constexpr std::string_view kTempPrefix = "____";
inline constexpr std::string_view kResultTemp = "____arg";
inline bool IsTemporaryName(std::string_view name) noexcept { return name.substr(0, kTempPrefix.size()) == kTempPrefix; }
// A value temporary, "____" and digits only.
bool IsValueTemporaryName(std::string_view name) noexcept;

// The values kept beside the variables and saved with them: message speed ("@TextDelay"), cursor file
// ("@Cursor"), the last selection ("@SelStr", "@SelIndex"), the six values of the history format and the
// name of the variable "@Temp" stands for.
struct TKeptValues {
    int32_t TextDelay = 50;
    std::string CursorFile;
    std::string SelStr;
    int32_t SelIndex = 0;
    std::array<int32_t, 6> HistoryFormat{};
    std::string TempName;

    // In the game section's order; a field the version lacks keeps its value.
    void Sync(TSerializer& s);
};

// Scope byte of the variable command.
enum class TVarScope : uint8_t { Global = 0, CallBound = 1, Local = 2, Status = 3 };

class TParamCollectionItem : public THashCollectionItem {
public:
    explicit TParamCollectionItem(std::unique_ptr<TCustomParam> value) : value_(std::move(value)) {}

    TCustomParam& Value() const noexcept { return *value_; }
    // 0 for a reference holder, else its type code; the type byte of the stored variable list.
    int ClassCode() const;
    bool IsSystem() const noexcept { return system_; }
    bool IsReference() const noexcept { return reference_; }

    uint8_t reserved = 0;
    uint8_t status = 0;  // 1: kept across games, saved in the status data
    int32_t frame = -1;  // call depth that owns the variable, -1 for none
    uint8_t local = 0;   // 1: visible only at its own call depth

    // Name, holder, status, reserved, frame, local.
    void Sync(TSerializer& s);

private:
    friend class TParamCollection;
    std::unique_ptr<TCustomParam> value_;
    bool system_ = false;
    bool reference_ = false;
};

// Variable records read from a saved list, not in any set yet.
using TVariableRecords = std::vector<std::unique_ptr<TParamCollectionItem>>;

// A game section read apart from the running set (ReadGame), put in place as a whole (ApplyGame).
struct TGameVariables {
    TVariableRecords Records;
    TKeptValues Kept;
};

class TParamCollection : public THashCollectionOf<TParamCollectionItem> {
public:
    TParamCollection();
    ~TParamCollection() override;

    // The owners of the system variables bind them here (sysvars.hpp).
    TSystemVars& SystemVars() noexcept { return systemVars_; }

    // Call depth, set by the call mechanism whenever the call stack changes.
    int Depth() const noexcept { return depth_; }
    void SetDepth(int depth) noexcept {
        depth_ = depth;
        generation_ = NewGeneration();
    }

    // A local of the current depth when there is one, else the oldest non-local of that name.
    TParamCollectionItem* Find(std::string_view name) const noexcept;
    // Find with a per-caller memo: the result is reused while no record was added or deleted and the
    // depth did not change since (records must be added and deleted through this class, and their
    // frame and local fields set before they are added or by Declare).
    TParamCollectionItem* Find(std::string_view name, TLookupMemo& memo) const noexcept;
    TParamCollectionItem* FindLocal(std::string_view name) const noexcept;
    TParamCollectionItem* FindGlobal(std::string_view name) const noexcept;

    // A new unnamed record with a new holder of that type (0: an unbound reference).
    TParamCollectionItem& Add(int typeCode);
    // A new record named name (not validated: temporaries and loaded records use it too).
    TParamCollectionItem& AddNamed(std::string name, int typeCode);
    // Deletes one record; references bound to it become unbound.
    void DeleteItem(TParamCollectionItem& item);

    // Temporaries of running evaluations ("____" names): found by Find like any variable, but kept
    // beside the indexed records and recycled, since every evaluation makes and drops them.
    TParamCollectionItem& AddTemporary(std::string_view name, int typeCode);
    void DeleteTemporary(TParamCollectionItem& item);
    int TemporaryCount() const noexcept { return static_cast<int>(temporaries_.size()); }

    // Non-empty, no space, not starting with a digit; else "\"name\"：変数名が不正です".
    static void CheckName(std::string_view name);
    // The variable command's creation rule. initial is asked for the initial value only when the
    // variable is not an existing status variable; a null answer leaves the value as it is.
    TParamCollectionItem& Declare(const std::string& name, int typeCode, TVarScope scope,
                                  const std::function<std::unique_ptr<TCustomParam>()>& initial = {});

    // A detached copy of the variable's value, or null when the name is absent.
    std::unique_ptr<TCustomParam> Snapshot(std::string_view name) const;
    // Deletes every variable whose frame equals depth (returning from that call).
    void DeleteFrame(int depth);
    // Deletes every variable that is neither a system nor a status variable; resets the kept values.
    void Reset();

    // The game section of a saved game: the variables that are neither system nor status variables
    // and the values kept beside them. Reading deletes those variables first; a field the version lacks
    // keeps its value.
    void SyncGame(TSerializer& s);
    void SaveGame(TStream& s);
    void LoadGame(TStream& s, int version);
    // The same section read without touching the set (the kept values start as this set's), and put in
    // place later: Reset's deletion, then the records, then the kept values. Applying cannot fail.
    TGameVariables ReadGame(TSerializer& s) const;
    void ApplyGame(TGameVariables game);
    // The status section: the status variables; reading adds them without deleting anything.
    void SaveStatus(TStream& s) const;
    void LoadStatus(TStream& s);
    TVariableRecords ReadStatus(TStream& s) const;
    void ApplyStatus(TVariableRecords records);

    // Values kept beside the set.
    int32_t TextDelay() const noexcept { return kept_.TextDelay; }
    void SetTextDelay(int32_t value) noexcept { kept_.TextDelay = value; }
    const std::string& CursorFile() const noexcept { return kept_.CursorFile; }
    void SetCursorFile(std::string value) { kept_.CursorFile = std::move(value); }
    const std::string& SelStr() const noexcept { return kept_.SelStr; }
    void SetSelStr(std::string value) { kept_.SelStr = std::move(value); }
    int32_t SelIndex() const noexcept { return kept_.SelIndex; }
    void SetSelIndex(int32_t value) noexcept { kept_.SelIndex = value; }
    std::array<int32_t, 6>& HistoryFormat() noexcept { return kept_.HistoryFormat; }
    const std::array<int32_t, 6>& HistoryFormat() const noexcept { return kept_.HistoryFormat; }
    const std::string& TempName() const noexcept { return kept_.TempName; }
    void SetTempName(std::string value) { kept_.TempName = std::move(value); }

private:
    TParamCollectionItem& Insert(std::unique_ptr<TParamCollectionItem> item);
    void WriteList(TSerializer& s, const std::vector<TParamCollectionItem*>& records) const;
    static TVariableRecords ReadList(TSerializer& s, bool statusList);
    // Adds read records in order, binding each reference to the variable its name finds at that point.
    void InsertRecords(TVariableRecords records);
    void DeleteWhere(const std::function<bool(const TParamCollectionItem&)>& pred);

    TSystemVars systemVars_;
    int depth_ = 0;
    TParamCollectionItem* FindTemporary(std::string_view name) const noexcept;
    TParamCollectionItem* FindIndexed(std::string_view name) const noexcept;

    // Stamps unique across all sets, so that a memo never matches another set's records.
    static uint64_t NewGeneration() noexcept;
    uint64_t generation_ = NewGeneration();  // changes whenever a lookup's answer may change
    int indexedTempNames_ = 0;     // indexed records whose names look like temporaries
    std::vector<TParamCollectionItem*> references_;  // records holding a TParamVar
    std::vector<std::unique_ptr<TParamCollectionItem>> temporaries_;       // live, oldest first
    std::array<std::vector<std::unique_ptr<TParamCollectionItem>>, 5> spareTemporaries_;  // by type code
    TKeptValues kept_;
};

} // namespace ruvo
