// ruvotool save: list the saved games of a "save.dat", and dump a saved game or the status data.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "archive/errors.hpp"
#include "archive/sjis.hpp"
#include "objects/world/objectdump.hpp"
#include "objects/world/savedworld.hpp"
#include "objects/world/timerlist.hpp"
#include "objects/world/world.hpp"
#include "params/valuetext.hpp"
#include "params/vardump.hpp"
#include "script/callman.hpp"
#include "script/offlinegame.hpp"
#include "script/runcontext.hpp"
#include "script/savefile.hpp"
#include "script/savegame.hpp"
#include "script/statusdata.hpp"
#include "tools/cli.hpp"
#include "tools/commands.hpp"
#include "tools/tablelisting.hpp"

namespace ruvo::tools {

namespace fs = std::filesystem;

namespace {

void OpenSaveFile(TSaveArchive& archive, const std::string& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) throw ERuvoError(SysMessage("%s:ファイルがありません", {Utf8ToSjisLossy(path)}));
    archive = TSaveArchive(path);
}

// The version of the status data: the three digits after "Status", or 0 without the tag.
int32_t StatusVersion(TMemoryStream& entry) {
    const std::string head(reinterpret_cast<const char*>(entry.Memory()),
                           static_cast<size_t>(std::min<int64_t>(entry.Size(), 9)));
    if (head.size() < 9 || head.compare(0, 6, "Status") != 0) return 0;
    return std::stoi(head.substr(6));
}

int List(const std::string& path) {
    TSaveArchive archive;
    OpenSaveFile(archive, path);
    std::vector<std::pair<int32_t, std::string>> lines;
    bool damaged = false;
    for (const TSavedGameListing& game : ListSavedGames(archive)) {
        if (game.Header) {
            lines.emplace_back(game.Slot, std::to_string(game.Slot) + "\t" + std::to_string(game.Header->Version) + "\t" +
                                              TextLineUtf8(game.Header->Title));
        } else {
            std::fprintf(stderr, "ruvotool save: %s: %s\n", SjisToUtf8Lossy(game.EntryName).c_str(), game.Error.c_str());
            damaged = true;
        }
    }
    std::stable_sort(lines.begin(), lines.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& line : lines) std::printf("%s\n", line.second.c_str());
    if (archive.Has(kStatusEntryName)) {
        try {
            TMemoryStream entry;
            archive.Read(kStatusEntryName, entry);
            std::printf("status\t%d\n", StatusVersion(entry));
        } catch (const ERuvoError& e) {
            std::fprintf(stderr, "ruvotool save: %s: %s\n", std::string(kStatusEntryName).c_str(), e.what());
            damaged = true;
        }
    }
    return damaged ? kExitFailure : kExitOk;
}

// ---- a saved game read without a running game

std::string Flag(bool on) { return on ? "1" : "0"; }

std::string ArgsText(const std::vector<std::string>& args) {
    std::string text = "[";
    for (size_t i = 0; i < args.size(); ++i) text += (i ? "," : "") + TextLineUtf8(args[i]);
    return text + "]";
}

std::string DumpInterpreter(TCallMan& cm, const TOfflineGame& game) {
    const TRuvoBaseList* world = cm.Context.World;
    const auto senderName = [&](TObjectId id) { return world ? TextLineUtf8(world->NameOf(id)) : std::string(); };
    std::string page = cm.CurrentPage ? TextLineUtf8(cm.CurrentPage->FileName) : std::string();
    if (cm.CurrentPage && game.Missing(cm.CurrentPage->FileName)) page += " (not in the game folder)";
    std::string out = "[interpreter]\n";
    out += "page\t" + page + "\nindex\t" + std::to_string(cm.Index) + "\nstarted\t" + Flag(cm.Started) +
           "\ncont\t" + Flag(cm.Cont) + "\nstate\t" + std::to_string(cm.State) + "\nlevel\t" + std::to_string(cm.Level) +
           "\nsender\t" + senderName(cm.Sender) + "\nargs\t" + ArgsText(cm.Args) + "\n";
    for (int i = 0; i < cm.Stack.Count(); ++i) {
        const TStack& f = cm.Stack[i];
        out += "frame\t" + std::to_string(i) + "\tpage=" + TextLineUtf8(f.PageName) + " index=" + std::to_string(f.Index) +
               " started=" + Flag(f.Started) + " cont=" + Flag(f.Cont) + " result=" + TextLineUtf8(f.ResultVar) +
               " sender=" + senderName(f.Sender) + " args=" + ArgsText(f.Args) +
               " state=" + std::to_string(f.State ? f.State->Size() : 0) + " bytes";
        if (f.Result) out += " value=" + ValueTextUtf8(*f.Result);
        out += "\n";
    }
    return out;
}

// The objects as --dump-objects shows them, then the queued events.
std::string DumpWorld(TRuvoBaseList& world) {
    std::string out = "[world]\n" + DumpObjects(world) + "[events]\n";
    const TTimerList& events = world.Events();
    for (int i = 0; i < events.Count(); ++i) {
        const TTimerData& e = events[i];
        out += "event\t" + std::to_string(i) + "\thandler=" + TextLineUtf8(e.Handler) + " sender=" +
               TextLineUtf8(world.NameOf(e.Sender)) + " code=" + std::to_string(e.Code) +
               " state=" + std::to_string(e.State) + " params=" + ArgsText(e.Parameters) + "\n";
    }
    return out;
}

std::string DumpHistory(const TRuvoNewHistory& h) {
    std::string out = "[history]\n";
    out += "mode\t" + std::string(h.PageMode() ? "page" : "old") + "\ncount\t" + std::to_string(h.Count()) +
           "\ncapacity\t" + std::to_string(h.Capacity) + "\n";
    for (size_t i = 0; i < h.Entries.size(); ++i) {
        const THistoryOldData& e = h.Entries[i];
        out += "entry\t" + std::to_string(i) + "\tpage=" + TextLineUtf8(e.PageFile) + " command=" +
               std::to_string(e.CommandIndex) + " pageindex=" + std::to_string(e.PageIndex) + " size=" +
               std::to_string(e.WindowWidth) + "x" + std::to_string(e.WindowHeight) + "\n";
    }
    for (size_t i = 0; i < h.Pages.size(); ++i) {
        const TRuvoHistData& p = h.Pages[i];
        out += "historypage\t" + std::to_string(i) + "\theight=" + std::to_string(p.TotalHeight) + "\n";
        for (const TRuvoHistData::TPiece& piece : p.Pieces)
            out += "piece\tpage=" + TextLineUtf8(piece.PageFile) + " command=" + std::to_string(piece.CommandIndex) +
                   " lines=" + std::to_string(piece.FirstLine) + "-" + std::to_string(piece.LastLine) +
                   " height=" + std::to_string(piece.Height) + " text=" + TextLineUtf8(piece.Text) + "\n";
    }
    if (!h.Pending.PageFile.empty())
        out += "pending\twindow=" + TextLineUtf8(h.Pending.WindowName) + " page=" + TextLineUtf8(h.Pending.PageFile) +
               " command=" + std::to_string(h.Pending.CommandIndex) + "\n";
    return out;
}

std::string DumpKept(const TKeptValues& k) {
    std::string out = "[kept]\n";
    out += "@TextDelay=" + std::to_string(k.TextDelay) + "\n@Cursor=" + TextLineUtf8(k.CursorFile) +
           "\n@SelStr=" + TextLineUtf8(k.SelStr) + "\n@SelIndex=" + std::to_string(k.SelIndex) + "\nhistory format=";
    for (size_t i = 0; i < k.HistoryFormat.size(); ++i) out += (i ? "," : "") + std::to_string(k.HistoryFormat[i]);
    return out + "\n@Temp=" + TextLineUtf8(k.TempName) + "\n";
}

std::string DumpTables(const TDBSection& section, bool gameData) {
    std::string out = "[tables]\n";
    if (gameData) out += "active\t" + TextLineUtf8(section.ActiveName) + "\n";
    for (const auto& t : section.Tables) out += ListTable(*t);
    return out;
}

std::string DumpGameEntry(TMemoryStream& entry, int32_t slot, const fs::path& gameFolder) {
    TOfflineGame game(gameFolder);
    TGameParts parts = game.Parts();
    TLoadedGame loaded(entry, parts);
    std::string out = "slot\t" + std::to_string(slot) + "\nversion\t" + std::to_string(loaded.Header.Version) +
                      "\ntitle\t" + TextLineUtf8(loaded.Header.Title) + "\nresume\t" +
                      TextLineUtf8(loaded.Header.ResumePage) + "\t" + std::to_string(loaded.Header.ResumeIndex) + "\n";
    if (!loaded.Header.ResumePage.empty())
        out += "(the interpreter below runs the resume page first, as after loading)\n";
    out += DumpInterpreter(loaded.Interpreter(), game);
    out += DumpWorld(loaded.World->World());
    out += DumpHistory(loaded.History);
    const TKeptValues kept = loaded.Variables.Kept;
    const std::optional<TDBSection> tables = std::move(loaded.Tables);
    game.Vars().ApplyGame(std::move(loaded.Variables));
    out += "[variables]\n" + FormatVariableDump(game.Vars()) + DumpKept(kept);
    if (tables) out += DumpTables(*tables, true);
    return out;
}

std::string DumpStatusEntry(TMemoryStream& entry) {
    TOfflineGame game;
    TStatusParts parts = game.StatusParts();
    TLoadedStatus status(entry, parts);
    std::string out = "status\t" + std::to_string(status.Version) + "\n";
    game.Vars().ApplyStatus(std::move(status.Variables));
    out += "[variables]\n" + FormatVariableDump(game.Vars());
    out += "[read]\n";
    for (const TRuvoRead& item : status.ReadMarks.Items())
        for (size_t i = 0; i < item.CommandIndexes.size(); ++i)
            out += TextLineUtf8(item.PageName) + "\t" + std::to_string(item.CommandIndexes[i]) + "\t" +
                   std::to_string(item.PageIndexes[i]) + "\n";
    if (const auto& p = status.ReadMarks.Pending(); !p.PageName.empty())
        out += "pending\twindow=" + TextLineUtf8(p.WindowName) + " page=" + TextLineUtf8(p.PageName) + " command=" +
               std::to_string(p.CommandIndex) + " pageindex=" + std::to_string(p.PageIndex) + "\n";
    out += "[images]\ndither\t" + Flag(status.ImageSettings.Dither) + "\n";
    if (status.Tables) out += DumpTables(*status.Tables, false);
    return out;
}

int Dump(const std::string& path, const std::string& which, const std::string& gameFolder, const std::string& output) {
    std::optional<int32_t> slot;
    if (which != "status") {
        slot = SlotOfEntryName(std::string(kGameEntryPrefix) + which);
        if (!slot) throw EUsageError("the slot is a number, or \"status\": " + which);
    }
    TSaveArchive archive;
    OpenSaveFile(archive, path);
    const std::string name = slot ? GameEntryName(*slot) : std::string(kStatusEntryName);
    if (!archive.Has(name)) {
        std::fprintf(stderr, "ruvotool save dump: %s holds no %s\n", path.c_str(),
                     slot ? ("slot " + which).c_str() : "status data");
        return kExitFailure;
    }
    TMemoryStream entry;
    std::string text;
    WithContext([&] { return SjisToUtf8Lossy(name); }, [&] {
        archive.Read(name, entry);
        const fs::path folder = !gameFolder.empty() ? fs::path(gameFolder) : fs::absolute(path).parent_path();
        text = slot ? DumpGameEntry(entry, *slot, folder) : DumpStatusEntry(entry);
    });
    TOutputFile out(output);
    out.Write(text);
    out.Close();
    return kExitOk;
}

} // namespace

int RunSave(const Args& args) {
    TVerbCommandLine line("ruvotool save", "Lists the saved games of a save.dat, and shows a saved game or the status data.");
    CLI::App& app = line.App();
    app.require_subcommand(1);
    std::string path, which, gameFolder, output = "-";

    CLI::App* list = app.add_subcommand("list", "one line per saved game: SLOT, VERSION, TITLE (tab between), "
                                                "sorted by slot; then \"status\" and its version");
    list->add_option("SAVE.DAT", path, "the save file")->required();

    CLI::App* dump = app.add_subcommand("dump", "show a saved game (its resume place, interpreter, world, history, "
                                                "variables as --dump-vars writes them, data tables) or the status data");
    dump->add_option("SAVE.DAT", path, "the save file")->required();
    dump->add_option("SLOT", which, "a slot number, or \"status\"")->required();
    dump->add_option("--game", gameFolder,
                     "the game's folder, whose pages tell how a running command's state is stored (default: the "
                     "folder of SAVE.DAT)")
        ->type_name("DIR");
    dump->add_option("-o,--output", output, "where to write (- for standard output, the default)")->type_name("FILE|-");

    if (auto exit = line.Parse(args)) return *exit;
    if (list->parsed()) return List(path);
    return Dump(path, which, gameFolder, output);
}

} // namespace ruvo::tools
