#include "script/savegame.hpp"

#include "archive/errors.hpp"
#include "archive/serializer.hpp"
#include "objects/world/savedworld.hpp"
#include "script/callman.hpp"
#include "script/gameproject.hpp"
#include "script/runcontext.hpp"
#include "script/savefile.hpp"

namespace ruvo {

namespace {

// Runs one section's reader or writer, naming the section when it fails.
template <class Fn>
void Section(const char* name, Fn&& fn) {
    WithContext([name] { return std::string(name); }, std::forward<Fn>(fn));
}

} // namespace

TGameHeader ReadGameHeader(TStream& in) {
    TGameHeader h;
    h.Version = ReadInt(in);
    if (h.Version < kOldestGameVersion || h.Version > kSaveVersion)
        throw std::move(TSerializer::Damaged().AddContext("a saved game of version " + std::to_string(h.Version) +
                                                          " (this player reads " + std::to_string(kOldestGameVersion) +
                                                          " to " + std::to_string(kSaveVersion) + ")"));
    h.Title = ReadStr(in);
    h.ResumePage = ReadStr(in);
    h.ResumeIndex = ReadInt(in);
    return h;
}

std::vector<TSavedGameListing> ListSavedGames(const TSaveArchive& archive) {
    std::vector<TSavedGameListing> list;
    for (const std::string& name : archive.Names()) {
        const auto slot = SlotOfEntryName(name);
        if (!slot) continue;
        TSavedGameListing& item = list.emplace_back(TSavedGameListing{*slot, name, std::nullopt, {}});
        try {
            TMemoryStream entry;
            archive.Read(name, entry);
            item.Header = ReadGameHeader(entry);
        } catch (const ERuvoError& e) {
            item.Error = e.what();
        }
    }
    return list;
}

void WriteGameEntry(TStream& out, const TSaveRequest& request, const TGameParts& parts, int32_t version) {
    if (version > kSaveVersion)
        throw ERuvoError("a saved game cannot be written as version " + std::to_string(version));
    WriteInt(out, version);
    WriteStr(out, request.Title);
    WriteStr(out, request.ResumePage);
    WriteInt(out, request.ResumeIndex);
    Section("display world", [&] { parts.World.Save(out, version); });
    TSerializer s = TSerializer::Writer(out, version);
    parts.History.Sync(s);
    parts.Interpreter.Sync(s);
    parts.Vars.SyncGame(s);
    if (version > kGameWithoutTables) parts.Tables.Save(out, 0);
}

TLoadedGame::TLoadedGame(TStream& in, const TGameParts& running) {
    Section("header", [&] { Header = ReadGameHeader(in); });
    const int32_t version = Header.Version;
    Section("display world", [&] { World = running.World.Load(in, version); });
    Section("message history", [&] {
        // Older games lack the capacity and the format: those of the running game stay.
        History.Capacity = running.History.Capacity;
        History.Engine = running.History.Engine;
        TSerializer s = TSerializer::Reader(in, version);
        History.Sync(s);
    });
    Section("interpreter", [&] {
        interpreterVars_ = std::make_unique<TParamCollection>();
        TRunContext& context = running.Context;
        interpreterContext_ = std::make_unique<TRunContext>(TRunContext{context.Services, *interpreterVars_, context.Funcs});
        interpreterContext_->Project = context.Project;
        interpreterContext_->World = &World->World();
        interpreter_ = std::make_unique<TCallMan>(*interpreterContext_, running.Interpreter.Opener(), running.Interpreter.Limits());
        interpreter_->LoadFrom(in, version);
        PushResumePage();
    });
    Section("variables", [&] {
        TSerializer s = TSerializer::Reader(in, version);
        Variables = running.Vars.ReadGame(s);
    });
    if (version > kGameWithoutTables) Section("data tables", [&] { Tables = running.Tables.Read(in, 0); });
}

TLoadedGame::~TLoadedGame() = default;

// The saved resume page runs first; when it ends, the restored game goes on where it was.
void TLoadedGame::PushResumePage() {
    if (Header.ResumePage.empty()) return;
    TCallMan& cm = *interpreter_;
    if (cm.CurrentPage) cm.PushContext();
    cm.CurrentPage = cm.GetPage(Header.ResumePage);
    if (Header.ResumeIndex > 0) cm.Index = Header.ResumeIndex;
    // The command at the resume place has not begun: a started command stays with the pushed frame.
    cm.Started = false;
}

void TLoadedGame::Commit(const TGameParts& running) {
    World->Commit();
    running.History = std::move(History);
    // Before the variables: the pages the running interpreter lets go take their own variables with them.
    running.Interpreter.TakeOver(*interpreter_);
    running.Vars.ApplyGame(std::move(Variables));
    if (Tables) running.Tables.Apply(std::move(*Tables), 0);
}

} // namespace ruvo
