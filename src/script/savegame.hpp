#pragma once
// One saved game, the entry "GAMESAVEDATA" + slot: version, title, resume page and index, then the
// sections of the display world, the message history, the interpreter, the variables and the data
// tables, in that order. Written as version 134 (older on request); read from version 107 on into new objects, which
// replace the running game's only once the whole entry has been read.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "archive/serializer.hpp"
#include "objects/text/history.hpp"
#include "params/datatables.hpp"
#include "params/varset.hpp"

namespace ruvo {

class TCallMan;
class TLoadedWorld;
class TSaveArchive;
class TSavedWorld;
class TStream;
struct TRunContext;
struct TSaveRequest;

// The oldest saved game this player reads, and the newest version whose data tables are not saved.
constexpr int32_t kOldestGameVersion = 107;
constexpr int32_t kGameWithoutTables = 122;

// The running game's parts, in the order of their sections.
struct TGameParts {
    TRunContext& Context;  // the interpreter's run context (its services, functions and project)
    const TSavedWorld& World;
    TRuvoNewHistory& History;
    TCallMan& Interpreter;
    TParamCollection& Vars;
    TDBManager& Tables;
};

// The fields before the sections.
struct TGameHeader {
    int32_t Version = 0;
    std::string Title;
    std::string ResumePage;
    int32_t ResumeIndex = 0;
};

// Reads the header; throws ERuvoError for a version outside 107..134 or a damaged header.
TGameHeader ReadGameHeader(TStream& in);

// A saved game of "save.dat" as a list shows it: its slot, and its header or why it cannot be read.
struct TSavedGameListing {
    int32_t Slot = 0;
    std::string EntryName;
    std::optional<TGameHeader> Header;
    std::string Error;  // UTF-8, when there is no header
};
// The entries named as saved games, in the file's order (an entry whose name has no number is none).
std::vector<TSavedGameListing> ListSavedGames(const TSaveArchive& archive);

// Writes the entry at a version up to 134, each section holding what that version has. Older versions
// serve tests and fuzz seeds (below 107 only makes an entry this player refuses).
void WriteGameEntry(TStream& out, const TSaveRequest& request, const TGameParts& parts, int32_t version = kSaveVersion);

// A game entry read into objects of its own, the running game untouched.
class TLoadedGame {
public:
    // Reads the whole entry; throws ERuvoError (with the section as context) for anything it cannot
    // use. The resume page, when the entry names one, is already pushed onto the read interpreter.
    TLoadedGame(TStream& in, const TGameParts& running);
    ~TLoadedGame();
    TLoadedGame(const TLoadedGame&) = delete;
    TLoadedGame& operator=(const TLoadedGame&) = delete;

    // Replaces the running game's world, history, interpreter, variables and (when the entry has them)
    // game data tables by the read ones. Cannot fail.
    void Commit(const TGameParts& running);

    TGameHeader Header;
    std::unique_ptr<TLoadedWorld> World;
    TRuvoNewHistory History;
    TCallMan& Interpreter() const noexcept { return *interpreter_; }
    TGameVariables Variables;
    std::optional<TDBSection> Tables;  // versions above 122

private:
    void PushResumePage();

    // The read interpreter runs on variables and a context of its own until it is taken over.
    std::unique_ptr<TParamCollection> interpreterVars_;
    std::unique_ptr<TRunContext> interpreterContext_;
    std::unique_ptr<TCallMan> interpreter_;
};

} // namespace ruvo
