// ruvotool dump: a readable listing of a script page, a project file or a frame list, or (--source)
// its builder source.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "archive/errors.hpp"
#include "archive/sjis.hpp"
#include "archive/streams.hpp"
#include "archive/vrfiles.hpp"
#include "graphics/film/filmkinds.hpp"
#include "graphics/film/filmmanager.hpp"
#include "script/page.hpp"
#include "script/project.hpp"
#include "params/properties.hpp"
#include "tools/cli.hpp"
#include "tools/commands.hpp"
#include "tools/filmsource.hpp"
#include "tools/pagesource.hpp"
#include "tools/prevmenusource.hpp"
#include "tools/projectsource.hpp"
#include "tools/sourcetext.hpp"
#include "tools/textsource.hpp"

namespace ruvo::tools {

namespace {

struct DumpInput {
    std::string name;  // Shift-JIS name of the page or file, as the player would ask for it
    TMemoryStream data;
};

// An archive starts with "vf"; no page or project file does (they start with a small version number).
bool StartsLikeAnArchive(TMemoryStream& data) {
    return data.Size() >= 2 && data.Memory()[0] == 'v' && data.Memory()[1] == 'f';
}

// FILE, or ARCHIVE:NAME read through the archive collection.
void ReadInput(const std::string& arg, DumpInput& in) {
    namespace fs = std::filesystem;
    std::error_code ec;
    size_t colon = arg.rfind(':');
    if (fs::is_regular_file(arg, ec) || colon == std::string::npos || colon == 0) {
        in.data.LoadFromFile(arg);
        if (StartsLikeAnArchive(in.data))
            throw std::runtime_error(arg + " is an archive: name one of its entries as " + arg +
                                     ":NAME (\"ruvotool archive list " + arg + "\" lists them)");
        in.name = Utf8ToSjisLossy(fs::path(arg).filename().string());
        return;
    }
    std::string archive = arg.substr(0, colon);
    std::string entry = arg.substr(colon + 1);
    std::replace(entry.begin(), entry.end(), '/', '\\');  // game names part folders with "\"
    in.name = SourceToSjis(entry);
    TVrFileCollection collection;
    collection.Open(archive);
    if (!collection.HasContainer()) throw std::runtime_error(archive + ": no such archive");
    if (collection.IndexOf(in.name) < 0)
        throw std::runtime_error(entry + ": no such entry in " + archive + " (\"ruvotool archive list " + archive +
                                 "\" lists them)");
    collection.Extract(in.name, in.data);
}

// printf into a growing listing.
[[gnu::format(printf, 2, 3)]] void Appendf(std::string& out, const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    if (n > 0) {
        const size_t at = out.size();
        out.resize(at + static_cast<size_t>(n) + 1);
        std::vsnprintf(out.data() + at, static_cast<size_t>(n) + 1, format, again);
        out.resize(at + static_cast<size_t>(n));
    }
    va_end(again);
}

std::string Utf8(const std::string& sjis) { return SjisToUtf8Lossy(sjis); }

std::string ExprText(const TExpression& e, bool ops) {
    if (e.Empty()) return "(empty)";
    if (!ops) return Utf8(ExpressionText(e));
    std::string listing = Utf8(e.Listing());
    while (!listing.empty() && listing.back() == '\n') listing.pop_back();
    for (size_t at; (at = listing.find('\n')) != std::string::npos;) listing.replace(at, 1, "; ");
    return "{" + listing + "}";
}

class DumpFields final : public TRecordVisitor {
public:
    DumpFields(int32_t version, bool ops) : version_(version), ops_(ops) {}
    std::vector<std::string> parts;

    void Expr(const char* name, TExpression& value, int32_t since) override {
        if (version_ >= since) parts.push_back(std::string(name) + ": " + ExprText(value, ops_));
    }
    void Str(const char* name, std::string& value) override {
        parts.push_back(std::string(name) + ": " + FormatStringLiteral(value));
    }
    void Int(const char* name, int32_t& value, int32_t since, FieldHint) override {
        if (version_ >= since) parts.push_back(std::string(name) + ": " + std::to_string(value));
    }
    void Byte(const char* name, uint8_t& value, FieldHint) override {
        parts.push_back(std::string(name) + ": " + std::to_string(value));
    }
    void ExprList(const char* name, TExprList& list) override {
        std::string text = std::string(name) + ": [";
        for (size_t i = 0; i < list.size(); ++i) text += (i ? ", " : "") + ExprText(*list[i], ops_);
        parts.push_back(text + "]");
    }
    void Blob(const char* name, std::string& bytes) override {
        parts.push_back(std::string(name) + ": " + TextListing(bytes));
    }
    void Properties(TPropertyExprs& slots) override {
        for (auto& slot : slots) parts.push_back(std::string(PropertyName(slot.id)) + " = " + ExprText(*slot.expr, ops_));
    }

private:
    int32_t version_;
    bool ops_;
};

std::string PageListing(TPage& page, bool ops) {
    std::string out;
    Appendf(out, "page %s\nversion %d\nreturn type %d\n", Utf8(page.FileName).c_str(), page.Version, page.ReturnType);
    if (page.Version > kPageMaxVersion) {
        Appendf(out, "(a version above %d: the player reads this page as empty)\n", kPageMaxVersion);
        return out;
    }
    Appendf(out, "masks %d\n", page.StoredMaskCount);
    for (int code = 0; code < kMaskCount; ++code) {
        std::string bits;
        for (int bit = 0; bit < kMaskBytes * 8; ++bit)
            if (MaskHas(page.PropertyMasks[code], bit)) {
                const char* name = PropertyName(bit);
                bits += " " + (name ? std::string(name) : std::to_string(bit));
            }
        if (!bits.empty()) Appendf(out, "mask %s:%s\n", CommandName(code), bits.c_str());
    }
    Appendf(out, "commands %d\n", page.Count());
    for (int i = 0; i < page.Count(); ++i) {
        TCommand& c = *page.Items(i);
        DumpFields fields(page.Version, ops);
        c.VisitRecord(fields);
        std::string flags = "line " + std::to_string(c.Line);
        if (c.Disabled) flags += ", disabled";
        flags += c.Cont ? ", cont" : ", stop";
        std::string indent(c.Depth > 0 ? static_cast<size_t>(std::min(c.Depth, 40)) * 2 : 0, ' ');
        std::string line = indent + c.Name() + "  (" + flags + (c.Depth < 0 ? ", depth " + std::to_string(c.Depth) : "") + ")";
        for (size_t f = 0; f < fields.parts.size(); ++f) line += (f ? "; " : "  ") + fields.parts[f];
        Appendf(out, "%5d  %s\n", i, line.c_str());
    }
    return out;
}

std::string ProjectListing(const TProjectFile& p) {
    std::string out;
    Appendf(out, "version %d\n", p.Version);
    Appendf(out, "Title %s\n", FormatStringLiteral(p.Title).c_str());
    Appendf(out, "ScreenWidth %d\nScreenHeight %d\n", p.ScreenWidth, p.ScreenHeight);
    Appendf(out, "FullScreenWidth %d\nFullScreenHeight %d\n", p.FullScreenWidth, p.FullScreenHeight);
    Appendf(out, "StartPage %s\n", FormatStringLiteral(p.StartPage).c_str());
    Appendf(out, "ExitPage %s%s\n", FormatStringLiteral(p.ExitPage).c_str(), p.Version < 110 ? " (not stored before 110)" : "");
    Appendf(out, "RegistryKey %s\n", FormatStringLiteral(p.RegistryKey).c_str());
    Appendf(out, "ImageKey %d\n", p.ImageKey);
    Appendf(out, "WriteStatus %d%s\n", p.WriteStatus, p.Version < 104 ? " (not stored before 104)" : "");
    Appendf(out, "IdleSleep %d%s\n", p.IdleSleep, p.Version < 106 ? " (not stored before 106)" : "");
    Appendf(out, "StreamedExts %s%s\n", FormatStringLiteral(p.StreamedExts).c_str(),
                p.Version < 109 ? " (not stored before 109)" : "");
    Appendf(out, "DiscPrompt %s\n", FormatStringLiteral(p.DiscPrompt).c_str());
    Appendf(out, "QuitPrompt %s\n", FormatStringLiteral(p.QuitPrompt).c_str());
    Appendf(out, "variables %zu\n", p.Variables.size());
    for (const auto& v : p.Variables) {
        std::string value;
        switch (v.Type) {
        case 1: value = std::to_string(v.IntValue); break;
        case 2: {
            char buffer[64];
            std::snprintf(buffer, sizeof buffer, "%.21Lg", v.RealValue);
            value = buffer;
            break;
        }
        case 3: value = v.FlagValue ? "TRUE" : "FALSE"; break;
        case 4: value = FormatStringLiteral(v.StringValue); break;
        default: value = "(no value)"; break;
        }
        Appendf(out, "  type %d %s = %s\n", v.Type, FormatStringLiteral(v.Name).c_str(), value.c_str());
    }
    Appendf(out, "folder disks %d\n", p.FolderDisks.Count());
    for (const auto& [folder, disc] : p.FolderDisks) Appendf(out, "  %s = %d\n", FormatStringLiteral(folder).c_str(), disc);
    return out;
}

// Frame lists start with their signature; pages and project files with a small version number.
bool StartsLikeAFrameList(TMemoryStream& data) {
    return data.Size() >= 10 && (std::memcmp(data.Memory(), "RuvoCinema", 10) == 0 ||
                                 std::memcmp(data.Memory(), "RuvoMotion", 10) == 0);
}

std::string FieldsLine(const TFieldTexts& fields) {
    std::string line;
    for (size_t f = 0; f < fields.size(); ++f) line += (f ? "; " : "") + fields[f].first + "=" + fields[f].second;
    return line;
}

std::string FilmListing(TFilmManager& film, const std::string& name) {
    std::string out;
    Appendf(out, "frame list %s\n%s %d\n", Utf8(name).c_str(), film.Cinema ? "cinema" : "motion", film.Version);
    Appendf(out, "header  %s\n", FieldsLine(FilmHeaderTexts(film)).c_str());
    Appendf(out, "length %d frames (%.3f s at 60 frames per second)\n", film.Length(), film.Length() / 60.0);
    Appendf(out, "tracks %d\n", film.Count());
    for (int i = 0; i < film.Count(); ++i) {
        TCustomFrameList& t = film.Track(i);
        const TFilmTrackKind* kind = FindFilmTrackKind(t.KindByte);
        std::string where = "frames " + std::to_string(t.Start()) + ".." + std::to_string(t.End() - 1);
        where += t.Parent() ? ", after track " + std::to_string(t.ParentIndex) : ", no parent";
        if (t.HasFollower()) where += ", followed";
        where += ", base " + std::to_string(t.Base());
        Appendf(out, "%5d  %s (%s%s)  %s\n", i, kind->Word, kind->ClassName, t.KindByte & 0x80 ? ", high bit" : "",
                where.c_str());
        Appendf(out, "       %s\n", FieldsLine(FilmTrackTexts(t, film.Version)).c_str());
    }
    return out;
}

std::string PrevMenuListing(const TPrevMenuTemplate& menu, const std::string& name) {
    std::string out;
    Appendf(out, "menu template %s\nbuttons %zu\n", Utf8(name).c_str(), menu.Buttons.size());
    for (size_t i = 0; i < menu.Buttons.size(); ++i)
        Appendf(out, "%5zu  %s\n", i, WritePrevMenuButton(menu.Buttons[i]).c_str());
    return out;
}

bool IsProjectName(const std::string& name) {
    return name.size() >= 4 && LowerSjis(name.substr(name.size() - 4)) == ".rpb";
}

} // namespace

int RunDump(const Args& args) {
    TVerbCommandLine line("ruvotool dump",
                          "Lists a script page (.rsb), a project file (.rpb), a frame list or a menu template (.rmt), read from a file or from an entry of an "
                          "archive, or writes it back as builder source (docs/game-source.md).");
    CLI::App& app = line.App();
    bool ops = false, source = false;
    std::string input, output = "-";
    app.add_flag("--ops", ops, "show expressions as their operation lists");
    app.add_flag("--source", source, "write builder source that builds the same bytes again");
    app.add_option("-o,--output", output, "where the listing goes (- for standard output, the default)")
        ->type_name("FILE");
    app.add_option("INPUT", input, "FILE, or ARCHIVE:NAME for an entry of an archive")->required();
    if (auto exit = line.Parse(args)) return *exit;

    DumpInput in;
    ReadInput(input, in);
    in.data.SetPosition(0);
    if (StartsLikeAFrameList(in.data)) {
        TFilmManager film;
        TOutputFile out(output);
        if (!film.LoadFromStream(in.data, in.name)) {
            if (source) throw std::runtime_error(input + ": a frame-list version the player does not read has no source");
            out.Write("a frame-list version outside " + std::to_string(kFilmMinVersion) + ".." +
                      std::to_string(kFilmMaxVersion) + ": the player loads nothing from it\n");
            out.Close();
            return kExitOk;
        }
        out.Write(source ? WriteFilmSource(film) : FilmListing(film, in.name));
        out.Close();
        return kExitOk;
    }
    if (TPrevMenuTemplate::IsTemplate(in.data)) {
        TPrevMenuTemplate menu;
        WithContext([&] { return "reading " + Utf8(in.name); }, [&] { menu.LoadFromStream(in.data); });
        TOutputFile out(output);
        out.Write(source ? WritePrevMenuSource(menu) : PrevMenuListing(menu, in.name));
        out.Close();
        return kExitOk;
    }
    if (IsProjectName(in.name)) {
        TProjectFile project;
        TOutputFile out(output);
        if (!project.LoadFromStream(in.data)) {
            if (source) throw std::runtime_error(input + ": a project version above " + std::to_string(kProjectMaxVersion) +
                                                 " has no source: the player stops without reading it");
            out.Write("version above " + std::to_string(kProjectMaxVersion) + ": the player stops without a message\n");
            out.Close();
            return kExitOk;
        }
        out.Write(source ? WriteProjectSource(project) : ProjectListing(project));
        out.Close();
        return kExitOk;
    }
    TPage page;
    page.LoadFromStream(in.name, in.data);
    TOutputFile out(output);
    out.Write(source ? WritePageSource(page) : PageListing(page, ops));
    out.Close();
    return kExitOk;
}

} // namespace ruvo::tools
