// Writes the seed inputs of the fuzz targets into fuzz/corpus/NAME/ with the project's own builder and
// writers, so the seeds follow the formats as they change (make fuzz-seeds). Older archive versions and
// bitmap depths the writers do not make are hand-built as the tests build them.
//   make_fuzz_seeds SOURCE_DIR
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <unistd.h>

#include "archive/bigstreams.hpp"
#include "archive/installset.hpp"
#include "archive/sjis.hpp"
#include "archive/vrfiles.hpp"
#include "graphics/images/bmpfile.hpp"
#include "graphics/images/regionmap.hpp"
#include "objects/choices/button.hpp"
#include "objects/choices/mapimage.hpp"
#include "objects/choices/menu.hpp"
#include "objects/choices/prevmenutemplate.hpp"
#include "objects/text/mes.hpp"
#include "objects/base/propaccess.hpp"
#include "objects/world/world.hpp"
#include "params/datatables.hpp"
#include "params/exprbuild.hpp"
#include "params/varset.hpp"
#include "script/quietservices.hpp"
#include "script/gameproject.hpp"
#include "script/offlinegame.hpp"
#include "script/project.hpp"
#include "tools/commands.hpp"
#include "tools/pagesource.hpp"
#include "tools/prevmenusource.hpp"
#include "tools/projectsource.hpp"
#include "tools/regionsource.hpp"

#include "fuzz_support.hpp"

using namespace ruvo;
namespace fs = std::filesystem;

namespace {

using fuzz::Bytes;

fs::path gCorpus;

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Seed(const std::string& target, const std::string& name, const std::string& bytes) {
    const fs::path folder = gCorpus / target;
    fs::create_directories(folder);
    std::ofstream(folder / ("seed-" + name), std::ios::binary) << bytes;
}

std::string I32(int32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[size_t(i)] = char(uint32_t(v) >> (8 * i));
    return s;
}

std::string Str(const std::string& s) { return I32(int32_t(s.size())) + s; }

// Pages of the demo and of the every-command game, keyed by their seed name.
std::map<std::string, std::unique_ptr<TPage>> Pages(const fs::path& source) {
    std::map<std::string, std::unique_ptr<TPage>> pages;
    for (const char* game : {"examples/demo", "tests/tools/allcodes"}) {
        for (const auto& entry : fs::recursive_directory_iterator(source / game)) {
            if (entry.path().extension() != ".rvs") continue;
            std::vector<tools::TLabelRef> labels;  // left unresolved: a seed needs no real targets
            const std::string name = fs::relative(entry.path(), source / game).replace_extension("").string();
            std::string seed = fs::path(game).filename().string() + "-" + name;
            for (char& c : seed)
                if (c == '/') c = '-';
            pages[seed] = tools::BuildPageSource(ReadText(entry.path()), entry.path().string(), name + ".rsb", &labels);
        }
    }
    return pages;
}

std::string PageBytes(TPage& page) {
    TMemoryStream s;
    page.SaveToStream(s);
    return Bytes(s);
}

void PageSeeds(const std::map<std::string, std::unique_ptr<TPage>>& pages) {
    for (const auto& [name, page] : pages) Seed("page", name, PageBytes(*page));
    // Every version the reader takes, on the page with every command.
    TPage& all = *pages.at("allcodes-main");
    for (int32_t version = kPageMinVersion; version <= kPageMaxVersion; ++version) {
        all.Version = version;
        Seed("page", "allcodes-main-v" + std::to_string(version), PageBytes(all));
    }
    all.Version = kPageMaxVersion;
}

void ProjectSeeds(const fs::path& source) {
    for (const char* game : {"examples/demo", "tests/tools/allcodes"}) {
        const fs::path file = source / game / "project.rvp";
        TProjectFile project = tools::BuildProjectSource(ReadText(file), file.string());
        for (int32_t version : {103, 104, 106, 109, 110}) {
            project.Version = version;
            TMemoryStream s;
            project.SaveToStream(s);
            Seed("project", fs::path(game).filename().string() + "-v" + std::to_string(version), Bytes(s));
        }
    }
}

// An archive of memory entries: deflated, raw (5 MiB would be too large for a seed, so one is marked
// raw by rewriting), empty, and in a subfolder.
std::string SmallArchive() {
    TVrFileCollection archive;
    const std::map<std::string, std::string> entries = {
        {"ruvo.rpb", "project"}, {"bg\\title.txt", std::string(300, 'a') + "title"}, {"empty", ""},
        {Utf8ToSjis("画像\\背景.txt"), "japanese"}};
    for (const auto& [name, content] : entries) {
        TVrFile& entry = archive.AddMemoryFile(name);
        entry.Data->Write(content.data(), int64_t(content.size()));
        entry.CrcOfContent = name == "empty";
    }
    TGxBigMemoryStream out;
    archive.WriteTo(out);
    return Bytes(out.Memory());
}

// Archives of the versions the writer no longer makes (the fixtures of the archive tests).
const std::map<std::string, std::string> kOldArchives = {
    {"v0", std::string("\x01\x00\x00\x00\x05\x00\x00\x00" "a.txt" "\x15\x00\x00\x00\x22\x00\x00\x00"
                       "\x78\x01\xCB\x48\xCD\xC9\xC9\x07\x00\x06\x2C\x02\x15", 34)},
    {"v100", std::string("vf\x64\x00\x00\x00\x02\x00\x00\x00\x02\x00\x00\x00\x86\x08\x01\x00\x00\x00\x9A"
                         "\xC6\x91\x5A\x3C\x44\x6B\x1F\x6A\xBB\xAA\xF7\x4E"
                         "\x78\x01\xCB\x48\xCD\xC9\xC9\x07\x00\x06\x2C\x02\x15"
                         "\x78\x01\xCB\xC8\x54\x28\xC9\x48\x2D\x4A\x55\xC8\x40\x67\x00\x00\x7D\x1E\x09\x5C", 66)},
    {"v101", std::string("vf\x65\x00\x00\x00\x01\x00\x00\x00\x05\x00\x00\x00\x93\x44\x8D\xBC\xCF"
                         "\xCB\x91\x5A\x3C\x00\x00\x00\x00\x5A\x6B\x1F\x6A\x00\x00\x00\x00\x01"
                         "\x78\x56\x34\x12\x0F\x24\x8B\x88RAW!", 48)},
};

void ArchiveSeeds(const std::string& game) {
    Seed("archive", "demo-game.dat", game);
    Seed("archive", "small", SmallArchive());
    for (const auto& [version, bytes] : kOldArchives) Seed("archive", version, bytes);

    // The containers: a kind byte, two bytes of directory length (".ext" only), then the container.
    const std::string archive = SmallArchive();
    const std::string exe = "MZ" + std::string(62, '\0');
    Seed("archive_container", "exe", std::string("\0\0\0", 3) + exe + archive + I32(int32_t(exe.size())) + "rv");
    TGxBigMemoryStream in;
    in.Write(archive.data(), int64_t(archive.size()));
    in.SetPosition(0);
    TVrFileCollection read;
    read.ReadDirectory(in);
    const size_t directory = size_t(read[0].Offset);
    Seed("archive_container", "ext",
         std::string(1, '\1') + char(directory & 0xFF) + char(directory >> 8) + archive.substr(0, directory) + archive);
    Seed("archive_container", "parts", std::string("\2\0\0", 3) + archive);
    Seed("archive_container", "resource", std::string("\3\0\0", 3) + archive);
    for (const auto& [version, bytes] : kOldArchives)
        Seed("archive_container", "parts-" + version, std::string("\2\0\0", 3) + bytes);
}

const char* const kExpressions[] = {
    "1 + 2 * 3", "a = (a + 1) % 7", "s = \"abc\" ++ IntToStr(a)", "a = a << 2 | 255 & 15 ^ 3 >> 1",
    "s = \"he\\\"llo\\n\"", "a = Length(s)", "a = 1 <> 2", "a = (3 >= 2) == (1 < 0)",
    "s = Calc(\"1 + 1\")", "a = Random(10)", "y[2, 3] = 5", "x = -a + 1.25",
    "s = \"\x82\xa0\x82\xa2\" ++ s", "a = Int(\"12\") * -(3 - a) / 2",
};

void ExpressionSeeds() {
    int n = 0;
    for (const char* text : kExpressions) {
        const std::string sjis = text;
        Seed("exprtext", std::to_string(n), sjis);
        try {
            TBuildRuvoParser compiled;
            compiled.Compile(sjis);
            TMemoryStream s;
            compiled.WriteTo(s);
            Seed("expression", std::to_string(n), Bytes(s));
        } catch (const ERuvoError& e) {
            std::fprintf(stderr, "expression %s: %s (text seed only)\n", text, e.what());
        }
        ++n;
    }
}

void InstallSetSeeds() {
    TRuvoInstallSet record;
    record.Title = Utf8ToSjis("ゲーム");
    record.Groups17 = {{1, 2, 3, 4}, {5, 6, 7, 8}};
    record.CreatedFiles = {"save\\a.dat", "shot.bmp"};
    record.InstalledWhole = true;
    record.Texts25 = {"x", "y"};
    record.Text26 = "z";
    for (int version : {0, 99, 100, 101, 102, 103, 104, 105, 106, 107}) {
        record.Version = version;
        TMemoryStream s;
        record.SaveToStream(s);
        Seed("installset", "v" + std::to_string(version), Bytes(s));
    }
}

void VarsetSeeds() {
    TParamCollection vars;
    vars.Declare("i", 1, TVarScope::Global).Value().SetInt(42);
    vars.Declare("f", 2, TVarScope::Global).Value().SetStr("2.5");
    vars.Declare("b", 3, TVarScope::Global).Value().SetInt(1);
    vars.Declare("s", 4, TVarScope::Global).Value().SetStr(Utf8ToSjis("文字"));
    TParamCollectionItem& array = vars.Declare("arr", 1, TVarScope::Global);
    array.Value().SetCount(5);
    array.Value().SetIntAt(3, 7);
    vars.Declare("kept", 4, TVarScope::Status).Value().SetStr("status");
    TParamCollectionItem& ref = vars.AddNamed("r", 0);
    auto& var = static_cast<TParamVar&>(ref.Value());
    var.SetReferencedName("arr");
    var.Bind(&array, 3);
    vars.SetSelStr("choice");
    TMemoryStream status;
    vars.SaveStatus(status);
    Seed("varset", "status", std::string(1, '\0') + Bytes(status));
    TMemoryStream game;
    vars.SaveGame(game);
    for (int version : {107, 112, 113, 120, 121, 134})
        Seed("varset", "game-v" + std::to_string(version), std::string(1, char(1 + 2 * (version - 107))) + Bytes(game));
}

// The interpreter stopped at each command of the every-command page that keeps a state, in a call.
void CallManSeeds(TPage& page) {
    const std::string pageBytes = PageBytes(page);
    fuzz::TInterpreter rig(pageBytes);
    TCallMan& interpreter = rig.interpreter;
    interpreter.CurrentPage = interpreter.GetPage("main.rsb");
    interpreter.Args = {"1", "two"};
    TStack& frame = interpreter.Stack.Push();
    frame.PageName = "main.rsb";
    frame.Index = 3;
    frame.Args = {"x"};
    frame.ResultVar = "s";
    frame.Result = NewParam(4);
    auto stateAt = [&](int index, bool started) {
        interpreter.Index = index;
        interpreter.Started = started;
        TMemoryStream state;
        interpreter.SaveTo(state);
        return Bytes(state);
    };
    const std::string level = I32(TCallMan::kLevelSavedFrom);
    Seed("callman", "not-started", Str(pageBytes) + level + stateAt(0, false));
    // A seed at every command that keeps a state of its own while it runs.
    for (int i = 0; i < page.Count(); ++i) {
        const std::string state = stateAt(i, true);
        if (state.size() > stateAt(i, false).size()) Seed("callman", "at-" + std::to_string(i), Str(pageBytes) + level + state);
    }
}

// A game saved in the middle of a call: objects on the screen (one of them the sender of a queued
// event and of the call), a timer, history, variables of every kind, a game and a status table, read
// marks. The pages are those of an offline game without a folder (empty), as the target reads them.
void PlaySavedGame(TOfflineGame& game) {
    const TGameParts parts = game.Parts();
    TRuvoBaseList& world = *parts.Context.World;
    world.SetSize(64, 48);
    TRuvoObject& box = *world.CreateByType(2);
    box.SetName("box");
    SetProperty(box, PR_PARENT, std::string());
    SetProperty(box, PR_WIDTH, 20);
    SetProperty(box, PR_HEIGHT, 10);
    TRuvoObject& label = *world.CreateByType(9);
    label.SetName("who");
    SetProperty(label, PR_PARENT, std::string("box"));
    SetProperty(label, PR_TEXT, Utf8ToSjis("名前"));
    world.CreateByType(15)->SetName("tick");
    world.Events().Queue(box.Id(), "click.rsb", {"1", "x"}, 36);

    TParamCollection& vars = parts.Vars;
    vars.Declare("g", 1, TVarScope::Global).Value().SetInt(43);
    vars.Declare("s", 4, TVarScope::Global).Value().SetStr(Utf8ToSjis("文字"));
    TParamCollectionItem& array = vars.Declare("arr", 1, TVarScope::Global);
    array.Value().SetCount(3);
    array.Value().SetIntAt(2, 7);
    vars.Declare("st", 1, TVarScope::Status).Value().SetInt(8);
    vars.SetTempName("g");

    TCallMan& interpreter = parts.Interpreter;
    interpreter.CurrentPage = interpreter.GetPage("sub.rsb");
    interpreter.Args = {"2"};
    interpreter.Sender = box.Id();
    interpreter.Level = 3;
    TStack& frame = interpreter.Stack.Push();
    frame.PageName = "main.rsb";
    frame.ResultVar = "g";
    frame.Args = {"x"};
    frame.Result = NewParam(1);

    parts.History.Capacity = 9;
    parts.History.Entries = {{"a.rsb", 3, 0, 640, 120}, {"b.rsb", 0, 1, 0, 0}};
    for (const auto& [name, status] : {std::pair{"Items", 0}, std::pair{"Seen", 1}}) {
        auto table = std::make_unique<TDBTable>(name, uint8_t(status));
        table->Fields.AddField("n", kDBInteger, 0);
        for (int32_t n = 1; n <= 2; ++n) {
            table->Append();
            table->Set(table->RecNo(), 0, n);
        }
        parts.Tables.Tables.push_back(std::move(table));
    }
    parts.Tables.Active = 0;
    game.StatusParts().ReadMarks.SetPending("mes", "a.rsb", 0, 4);
    game.StatusParts().ReadMarks.CommitPending("mes");
    game.StatusParts().ImageSettings.Dither = true;
}

// A seed the reader stops on part way would only fuzz the sections before the fault.
template <class Loaded, class Parts>
void ExpectReadsWhole(const std::string& bytes, Parts (TOfflineGame::*parts)(), const std::string& what) {
    TOfflineGame fresh;
    TMemoryStream in(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    Loaded loaded(in, (fresh.*parts)());
    if (in.Remaining() != 0) throw ERuvoError("the seed " + what + " is not read to its end");
}

void SavedataSeeds() {
    TOfflineGame game;
    PlaySavedGame(game);
    for (int32_t version : {107, 113, 116, 121, 123, kSaveVersion}) {
        TMemoryStream s;
        WriteGameEntry(s, TSaveRequest{1, Utf8ToSjis("セーブ"), version == 123 ? "resume.rsb" : "", 0}, game.Parts(), version);
        const std::string name = "game-v" + std::to_string(version);
        ExpectReadsWhole<TLoadedGame>(Bytes(s), &TOfflineGame::Parts, name);
        Seed("savedata", name, Bytes(s));
    }
    for (int32_t version : {0, 100, 101, 102, kStatusVersion}) {
        TMemoryStream s;
        WriteStatusEntry(s, game.StatusParts(), version);
        const std::string name = "status-v" + std::to_string(version);
        ExpectReadsWhole<TLoadedStatus>(Bytes(s), &TOfflineGame::StatusParts, name);
        Seed("savedata", name, Bytes(s));
    }
}

// Data tables: a game and a status section of tables of every field type, and TSV texts.
void DataTableSeeds() {
    TDBManager tables;
    for (const auto& [name, status] : {std::pair{"Items", 0}, std::pair{"Seen", 1}, std::pair{"Empty", 0}}) {
        tables.CreateTable(name, uint8_t(status));
        if (std::string(name) == "Empty") continue;
        TDBCustomTable& t = *tables.ActiveTable();
        t.Fields.AddField("id", kDBInteger, 0);
        t.Fields.AddField("rate", kDBFloat, 0);
        t.Fields.AddField("ok", kDBFlag, 0);
        t.Fields.AddField("name", kDBString, 12);
        for (int32_t r = 0; r < 3; ++r) {
            t.Append();
            t.Set(r, 0, r * 7 - 3);
            t.Set(r, 1, Real(r) / 4);
            t.Set(r, 2, r % 2 == 0);
            t.Set(r, 3, Utf8ToSjis(r == 1 ? "名前" : "name"));
        }
        t.SetRecNo(1);
    }
    tables.SetActive("items");
    for (uint8_t status : {0, 1}) {
        TMemoryStream s;
        tables.Save(s, status);
        Seed("datatables", status ? "status" : "game", std::string(1, char(status)) + Bytes(s));
    }
    Seed("tsv", "header", "id int\tname\tprice float\tok bool\tcode str 3\r\n");
    Seed("tsv", "records", Utf8ToSjis("id int\tname\tprice float\tok bool\tcode str 3\r\n1\tりんご\t1.5\tTRUE\tabcdef\r\n"
                                      "\r\n2\tみか\\\"ん\\\\\\n\n3\t表n\tx\tfalse\r\t\tab"));
    Seed("tsv", "faulty", "a int\t\tb\r\n1\t2\r\n");
}

// Bitmaps: 24-bit files from the writer, the other depths hand-built.
std::string BitmapFile(int width, int height, int bits, const std::string& extra, const std::string& pixels,
                       uint32_t compression = 0) {
    const uint32_t offset = uint32_t(14 + 40 + extra.size());
    std::string header = "BM" + I32(int32_t(offset + pixels.size())) + I32(0) + I32(int32_t(offset));
    header += I32(40) + I32(width) + I32(height) + std::string("\1\0", 2) + char(bits) + '\0' + I32(int32_t(compression)) +
              I32(int32_t(pixels.size())) + I32(2835) + I32(2835) + I32(0) + I32(0);
    return header + extra + pixels;
}

void BitmapSeeds() {
    for (auto [w, h] : {std::pair{1, 1}, std::pair{3, 2}}) {
        std::vector<uint32_t> colours(size_t(w * h));
        for (size_t i = 0; i < colours.size(); ++i) colours[i] = uint32_t(0x102030 * (i + 1));
        TMemoryStream s;
        WriteBitmap24(s, w, h, colours);
        Seed("bitmap", "24-" + std::to_string(w) + "x" + std::to_string(h), Bytes(s));
    }
    const std::string palette2 = std::string("\0\0\0\0\xFF\xFF\xFF\0", 8);
    Seed("bitmap", "1bit", BitmapFile(9, 2, 1, palette2, std::string("\xAA\x80\0\0\x55\0\0\0", 8)));
    Seed("bitmap", "4bit", BitmapFile(3, 1, 4, palette2 + std::string(56, '\x40'), std::string("\x01\x20\0\0", 4)));
    Seed("bitmap", "8bit-top-down", BitmapFile(2, -2, 8, palette2, std::string("\0\1\0\0\1\0\0\0", 8)));
    Seed("bitmap", "16bit", BitmapFile(2, 1, 16, "", std::string("\x1F\0\xE0\x03", 4)));
    Seed("bitmap", "16bit-fields", BitmapFile(2, 1, 16, I32(0xF800) + I32(0x07E0) + I32(0x001F),
                                              std::string("\x1F\0\xE0\x07", 4), 3));
    Seed("bitmap", "32bit-fields", BitmapFile(1, 1, 32, I32(0xFF0000) + I32(0xFF00) + I32(0xFF),
                                              std::string("\x10\x20\x30\0", 4), 3));
}

} // namespace

// The world's section with the text objects: a message window half way through its second page, a
// caption and an image caption, at the versions the message window's record distinguishes (the
// target's first byte picks the version: index 3 is 113, 9 is 134).
void WorldTextSeeds() {
    TQuietServices services;
    TParamCollection vars;
    TRuvoBaseList world(services, vars);
    world.SetSize(64, 48);
    auto& mes = static_cast<TRuvoMes&>(*world.CreateByType(13));
    mes.SetName("mes");
    SetProperty(mes, PR_PARENT, std::string());
    SetProperty(mes, PR_WIDTH, 60);
    SetProperty(mes, PR_HEIGHT, 40);
    SetProperty(mes, PR_TEXTDELAY, 256);
    SetProperty(mes, PR_TEXT, Utf8ToSjis("一<BR CLEAR><A HREF=\"x\">二</A>三四<EVENT VALUE=\"e\">"));
    SetProperty(mes, PR_INDEX, 1);
    for (int i = 0; i < 4; ++i) {
        services.clock += 16;
        world.Update();
    }
    auto& caption = *world.CreateByType(9);
    caption.SetName("who");
    SetProperty(caption, PR_PARENT, std::string("mes"));
    SetProperty(caption, PR_TEXT, Utf8ToSjis("名前\n二行目"));
    auto& cg = *world.CreateByType(24);
    SetProperty(cg, PR_PARENT, std::string("mes"));
    SetProperty(cg, PR_MAPTEXT, std::string("0123456789"));
    SetProperty(cg, PR_TEXT, std::string("42"));
    for (const auto& [index, version] : {std::pair{3, 113}, std::pair{9, 134}}) {
        TMemoryStream s;
        world.SaveToStream(s, version);
        Seed("world", "text-objects-" + std::to_string(version), std::string(1, char(index)) + Bytes(s));
    }
}

// Reads a world's section at its version into a fresh world and insists that nothing is left over, so
// that a seed covers the whole record of every object in it.
void ExpectWorldReadsWhole(const std::string& bytes, int32_t version, const std::string& what) {
    TQuietServices services;
    TParamCollection vars;
    TRuvoBaseList world(services, vars);
    TMemoryStream in(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    world.LoadFromStream(in, version);
    if (in.Remaining() != 0) throw ERuvoError("the seed " + what + " is not read to its end");
}

// Writes the world at each (version index of the fuzz target, version) pair as world/NAME-VERSION.
void WorldSeed(TRuvoBaseList& world, const std::string& name, std::initializer_list<std::pair<int, int32_t>> versions) {
    for (const auto& [index, version] : versions) {
        TMemoryStream s;
        world.SaveToStream(s, version);
        const std::string seed = name + "-" + std::to_string(version);
        ExpectWorldReadsWhole(Bytes(s), version, seed);
        Seed("world", seed, std::string(1, char(index)) + Bytes(s));
    }
}

// The classes with choices and pictures, in the states their records keep: a menu opening and one
// closing, with items, check marks, frame cells, scroll bar and check pictures; a radio group of
// buttons with one selected and one in its clicked look; a map image with a region map and a hovered
// region; a playing cinema held half way; a turned and zoomed caption; a message window showing history
// pages. The pictures, region maps and films are absent: the saved form names them only. Written at 134
// and 129 (the control's motion fields and the list box pictures came with 130 and 134), and the
// history window also at 113 (the records without their shown texts).
void WorldChoiceSeeds() {
    TQuietServices services;
    TParamCollection vars;
    TRuvoBaseList world(services, vars);
    world.SetSize(320, 240);
    auto menu = [&](const std::string& name, uint8_t play) -> TRuvoMenu& {
        auto& m = static_cast<TRuvoMenu&>(*world.CreateByType(12));
        m.SetName(name);
        SetProperty(m, PR_PARENT, std::string());
        SetProperty(m, PR_ROWCOUNT, 3);
        SetProperty(m, PR_DELAY, 200);
        SetProperty(m, PR_HOVERCOLOR, 0x2040);
        SetProperty(m, PR_RCLICKSCRAP, true);
        SetProperty(m, PR_AUTOSCRAP, true);
        SetProperty(m, PR_TEXT, Utf8ToSjis("はい\nいいえ\n三つ目\n四つ目\n五つ目"));
        SetProperty(m, PR_TOPINDEX, 1);
        SetProperty(m, PR_INDEX, 2);
        for (int id : {PR_ONSELECT, PR_ONMAPIN, PR_ONMAPOUT, PR_ONOPENING, PR_ONOPENED, PR_ONCLOSING, PR_ONCLOSED})
            SetProperty(m, id, std::string("h.rsb"));
        int cell = 0;
        for (int id : {PR_BORDERSOURCETL, PR_BORDERSOURCETC, PR_BORDERSOURCETR, PR_BORDERSOURCECL, PR_BORDERSOURCECC,
                       PR_BORDERSOURCECR, PR_BORDERSOURCEBL, PR_BORDERSOURCEBC, PR_BORDERSOURCEBR})
            SetProperty(m, id, "cell" + std::to_string(cell++) + ".zph");
        SetProperty(m, PR_BORDERHALIGNT, 1);
        SetProperty(m, PR_BORDERVALIGNL, 2);
        SetProperty(m, PR_SCROLLSOURCE, std::string("bar.zph"));
        SetProperty(m, PR_CHECKSOURCE, std::string("check.zph"));
        m.ItemData = {1, 0, 1, 0, 2};
        m.SetPlayMode(play);
        m.SetHover(2);
        return m;
    };
    menu("opening", kMenuOpenFade);
    menu("closing", kMenuOpen).SetPlayMode(kMenuCloseFade);

    for (int i = 0; i < 3; ++i) {
        auto& b = static_cast<TRuvoButton&>(*world.CreateByType(3));
        b.SetName("radio" + std::to_string(i));
        SetProperty(b, PR_PARENT, std::string());
        SetProperty(b, PR_LEFT, 10 + 40 * i);
        SetProperty(b, PR_SOURCE, std::string("b.zph"));
        SetProperty(b, PR_HOVERSOURCE, std::string("bh.zph"));
        SetProperty(b, PR_CLICKEDSOURCE, std::string("bc.zph"));
        SetProperty(b, PR_GROUPINDEX, 7);
        SetProperty(b, PR_ALLOWALLUP, i == 2);
        SetProperty(b, PR_ONNOTIFY, std::string("n.rsb"));
        if (i == 1) SetProperty(b, PR_SELECTED, true);
        if (i == 2) b.SetState(TRuvoButton::kClicked);
    }

    auto& map = static_cast<TRuvoMapImage&>(*world.CreateByType(18));
    map.SetName("map");
    SetProperty(map, PR_PARENT, std::string());
    SetProperty(map, PR_SOURCE, std::string("map.zph"));
    SetProperty(map, PR_HOVERSOURCE, std::string("hover.zph"));
    SetProperty(map, PR_MAPSOURCE, std::string("map.rgn"));
    SetProperty(map, PR_RCLICKSCRAP, true);
    for (int id : {PR_ONSELECT, PR_ONMAPIN, PR_ONMAPOUT}) SetProperty(map, id, std::string("h.rsb"));
    map.SetHoverRegion(1);

    auto& cinema = *world.CreateByType(4);
    cinema.SetName("film");
    SetProperty(cinema, PR_PARENT, std::string());
    SetProperty(cinema, PR_SOURCE, std::string("op.rcf"));
    SetProperty(cinema, PR_REPEAT, true);
    SetProperty(cinema, PR_ONPLAYEND, std::string("end.rsb"));

    auto& caption = *world.CreateByType(9);
    caption.SetName("title");
    SetProperty(caption, PR_PARENT, std::string());
    SetProperty(caption, PR_TEXT, Utf8ToSjis("題名\n副題"));
    SetProperty(caption, PR_ANGLE, 45);
    SetProperty(caption, PR_ZOOMX, 384);
    SetProperty(caption, PR_ZOOMY, 128);
    SetProperty(caption, PR_FLIPH, true);

    auto& log = static_cast<TRuvoMes&>(*world.CreateByType(13));
    log.SetName("log");
    SetProperty(log, PR_PARENT, std::string());
    SetProperty(log, PR_WIDTH, 200);
    SetProperty(log, PR_HEIGHT, 120);
    TMesData& data = log.Data();
    data.Pieces = {{"a.rsb", 3, 0, 0, 0}, {"b.rsb", 9, 1, 0, 40}};
    data.Record.Pieces = {{"a.rsb", 3, -1, -1, 20, Utf8ToSjis("一行目")}, {"", 4, 0, 2, 40, Utf8ToSjis("二行目")}};
    data.Record.TotalHeight = 60;
    log.SourceKind = TRuvoMes::skHistory;

    for (int i = 0; i < 3; ++i) {
        services.clock += 16;
        world.Update();
    }
    SetProperty(cinema, PR_PAUSED, true);
    WorldSeed(world, "choices", {{8, 129}, {9, 134}});
    WorldSeed(world, "history-window", {{3, 113}});
}

// A record written by its own writer as a seed of the target.
template <class T>
void RecordSeed(const std::string& target, const std::string& name, const T& record) {
    TMemoryStream s;
    record.SaveToStream(s);
    Seed(target, name, Bytes(s));
}

// Region maps of every shape from the builder's region source, and the demo's map.
void RegionMapSeeds(const fs::path& source) {
    auto seed = [](const std::string& name, const TRegionMap& map) { RecordSeed("regionmap", name, map); };
    seed("shapes", tools::BuildRegionSource("\"r\" rect 0, 0, 9, 9\n\"e\" ellipse -3, 2, 12, 7\n"
                                            "\"star\" polygon 10,0, 16,20, 0,7, 20,7, 4,20\n", "shapes.rvr"));
    seed("empty", TRegionMap{});
    for (const auto& entry : fs::recursive_directory_iterator(source / "examples" / "demo"))
        if (entry.path().extension() == ".rvr")
            seed("demo-" + entry.path().stem().string(), tools::BuildRegionSource(ReadText(entry.path()), entry.path().string()));
}

// Preview menu templates from the builder's menu source, and an empty one.
void PrevMenuSeeds() {
    auto seed = [](const std::string& name, const TPrevMenuTemplate& menu) { RecordSeed("prevmenu", name, menu); };
    seed("buttons", tools::BuildPrevMenuSource("\"はい\" 0, 0, \"n.zph\", \"h.zph\", \"\", \"c.zph\", \"d.zph\", mask\n"
                                               "\"later\" 120, -4, \"l.zph\", cursor \"hand.cur\"\n", "buttons.rvt"));
    seed("empty", TPrevMenuTemplate{});
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds SOURCE_DIR\n");
        return 2;
    }
    const fs::path source = argv[1];
    gCorpus = source / "fuzz" / "corpus";
    try {
        auto pages = Pages(source);
        PageSeeds(pages);
        ProjectSeeds(source);
        const fs::path built = fs::temp_directory_path() / ("ruvo-fuzz-seeds-" + std::to_string(::getpid()));
        fs::remove_all(built);
        if (tools::RunBuild({(source / "examples" / "demo").string(), "-o", built.string()}) != 0) return 1;
        ArchiveSeeds(ReadText(built / "game.dat"));
        fs::remove_all(built);
        ExpressionSeeds();
        InstallSetSeeds();
        VarsetSeeds();
        CallManSeeds(*pages.at("allcodes-main"));
        SavedataSeeds();
        DataTableSeeds();
        BitmapSeeds();
        WorldTextSeeds();
        WorldChoiceSeeds();
        RegionMapSeeds(source);
        PrevMenuSeeds();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_fuzz_seeds: %s\n", e.what());
        return 1;
    }
    return 0;
}
