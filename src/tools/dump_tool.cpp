// ruvotool dump: a readable listing of a script page or a project file, or (--source) its builder
// source.
#include <cstdio>
#include <filesystem>

#include "archive/errors.hpp"
#include "archive/sjis.hpp"
#include "archive/streams.hpp"
#include "archive/vrfiles.hpp"
#include "script/page.hpp"
#include "script/project.hpp"
#include "params/properties.hpp"
#include "tools/commands.hpp"
#include "tools/pagesource.hpp"
#include "tools/projectsource.hpp"
#include "tools/sourcetext.hpp"

namespace ruvo::tools {

namespace {

struct DumpInput {
    std::string name;  // Shift-JIS name of the page or file, as the player would ask for it
    TMemoryStream data;
};

// FILE, or ARCHIVE:NAME read through the archive collection.
void ReadInput(const std::string& arg, DumpInput& in) {
    namespace fs = std::filesystem;
    std::error_code ec;
    size_t colon = arg.rfind(':');
    if (fs::is_regular_file(arg, ec) || colon == std::string::npos || colon == 0) {
        in.data.LoadFromFile(arg);
        in.name = Utf8ToSjisLossy(fs::path(arg).filename().string());
        return;
    }
    std::string archive = arg.substr(0, colon);
    in.name = SourceToSjis(arg.substr(colon + 1));
    TVrFileCollection collection;
    collection.Open(archive);
    if (!collection.HasContainer()) throw std::runtime_error(archive + ": no such archive");
    if (collection.IndexOf(in.name) < 0) throw std::runtime_error(arg.substr(colon + 1) + ": no such entry in " + archive);
    collection.Extract(in.name, in.data);
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
        parts.push_back(std::string(name) + ": " + std::to_string(bytes.size()) + " bytes hex\"" + ToHex(bytes) + "\"");
    }
    void Properties(TPropertyExprs& slots) override {
        for (auto& slot : slots) parts.push_back(std::string(PropertyName(slot.id)) + " = " + ExprText(*slot.expr, ops_));
    }

private:
    int32_t version_;
    bool ops_;
};

void DumpPage(TPage& page, bool ops) {
    std::printf("page %s\nversion %d\nreturn type %d\n", Utf8(page.FileName).c_str(), page.Version, page.ReturnType);
    if (page.Version > kPageMaxVersion) {
        std::printf("(a version above %d: the player reads this page as empty)\n", kPageMaxVersion);
        return;
    }
    std::printf("masks %d\n", page.StoredMaskCount);
    for (int code = 0; code < kMaskCount; ++code) {
        std::string bits;
        for (int bit = 0; bit < kMaskBytes * 8; ++bit)
            if (MaskHas(page.PropertyMasks[code], bit)) {
                const char* name = PropertyName(bit);
                bits += " " + (name ? std::string(name) : std::to_string(bit));
            }
        if (!bits.empty()) std::printf("mask %s:%s\n", CommandName(code), bits.c_str());
    }
    std::printf("commands %d\n", page.Count());
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
        std::printf("%5d  %s\n", i, line.c_str());
    }
}

void DumpProject(const TProjectFile& p) {
    std::printf("version %d\n", p.Version);
    std::printf("Title %s\n", FormatStringLiteral(p.Title).c_str());
    std::printf("ScreenWidth %d\nScreenHeight %d\n", p.ScreenWidth, p.ScreenHeight);
    std::printf("FullScreenWidth %d\nFullScreenHeight %d\n", p.FullScreenWidth, p.FullScreenHeight);
    std::printf("StartPage %s\n", FormatStringLiteral(p.StartPage).c_str());
    std::printf("ExitPage %s%s\n", FormatStringLiteral(p.ExitPage).c_str(), p.Version < 110 ? " (not stored before 110)" : "");
    std::printf("RegistryKey %s\n", FormatStringLiteral(p.RegistryKey).c_str());
    std::printf("ImageKey %d\n", p.ImageKey);
    std::printf("WriteStatus %d%s\n", p.WriteStatus, p.Version < 104 ? " (not stored before 104)" : "");
    std::printf("IdleSleep %d%s\n", p.IdleSleep, p.Version < 106 ? " (not stored before 106)" : "");
    std::printf("StreamedExts %s%s\n", FormatStringLiteral(p.StreamedExts).c_str(),
                p.Version < 109 ? " (not stored before 109)" : "");
    std::printf("DiscPrompt %s\n", FormatStringLiteral(p.DiscPrompt).c_str());
    std::printf("QuitPrompt %s\n", FormatStringLiteral(p.QuitPrompt).c_str());
    std::printf("variables %zu\n", p.Variables.size());
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
        std::printf("  type %d %s = %s\n", v.Type, FormatStringLiteral(v.Name).c_str(), value.c_str());
    }
    std::printf("folder disks %d\n", p.FolderDisks.Count());
    for (const auto& [folder, disc] : p.FolderDisks) std::printf("  %s = %d\n", FormatStringLiteral(folder).c_str(), disc);
}

bool IsProjectName(const std::string& name) {
    return name.size() >= 4 && LowerSjis(name.substr(name.size() - 4)) == ".rpb";
}

} // namespace

int RunDump(const Args& args) {
    bool ops = false, source = false;
    std::string input;
    for (const auto& a : args) {
        if (a == "--ops") ops = true;
        else if (a == "--source") source = true;
        else if (input.empty() && (a.empty() || a[0] != '-')) input = a;
        else {
            std::fprintf(stderr, "usage: ruvotool dump [--ops] [--source] FILE|ARCHIVE:NAME\n");
            return 2;
        }
    }
    if (input.empty()) {
        std::fprintf(stderr, "usage: ruvotool dump [--ops] [--source] FILE|ARCHIVE:NAME\n");
        return 2;
    }
    DumpInput in;
    ReadInput(input, in);
    in.data.SetPosition(0);
    if (IsProjectName(in.name)) {
        TProjectFile project;
        if (!project.LoadFromStream(in.data)) {
            std::printf("version above %d: the player stops without a message\n", kProjectMaxVersion);
            return 0;
        }
        if (source) std::fputs(WriteProjectSource(project).c_str(), stdout);
        else DumpProject(project);
        return 0;
    }
    TPage page;
    page.LoadFromStream(in.name, in.data);
    if (source) std::fputs(WritePageSource(page).c_str(), stdout);
    else DumpPage(page, ops);
    return 0;
}

} // namespace ruvo::tools
