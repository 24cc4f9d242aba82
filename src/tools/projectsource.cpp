#include "tools/projectsource.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "archive/extended.hpp"
#include "tools/sourcetext.hpp"

namespace ruvo::tools {

namespace {

const char* const kDefaultDiscPrompt = "ディスク%dを入れてから[OK]をクリックしてください";
const char* const kDefaultQuitPrompt = "終了します";

int32_t ToInt(std::string_view text) {
    text = Trim(text);
    int32_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty())
        throw std::runtime_error("an integer is expected, not \"" + std::string(text) + "\"");
    return value;
}

uint8_t ToFlag(std::string_view text) {
    text = Trim(text);
    if (text == "true" || text == "TRUE") return 1;
    if (text == "false" || text == "FALSE") return 0;
    int32_t v = ToInt(text);
    if (v < 0 || v > 255) throw std::runtime_error("a flag is true, false or a byte value");
    return static_cast<uint8_t>(v);
}

std::pair<int32_t, int32_t> ToSize(std::string_view text) {
    auto parts = SplitTopLevel(text);
    if (parts.size() != 2) throw std::runtime_error("a size is written WIDTH, HEIGHT");
    return {ToInt(parts[0]), ToInt(parts[1])};
}

Real ToReal(std::string_view text) {
    text = Trim(text);
    if (text.substr(0, 4) == "hex\"" && text.size() >= 5 && text.back() == '"') {
        std::string bytes = FromHex(text.substr(4, text.size() - 5));
        if (bytes.size() != 10) throw std::runtime_error("a stored real has 10 bytes");
        return ReadExtended(reinterpret_cast<const uint8_t*>(bytes.data()));
    }
    std::string s(text);
    char* end = nullptr;
    Real value = std::strtold(s.c_str(), &end);
    if (s.empty() || *end != '\0') throw std::runtime_error("a number is expected, not \"" + s + "\"");
    return value;
}

std::string RealSource(Real value) {
    if (!std::isfinite(value)) {
        uint8_t bytes[10];
        WriteExtended(value, bytes);
        return "hex\"" + ToHex(std::string_view(reinterpret_cast<const char*>(bytes), 10)) + "\"";
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.21Lg", value);
    std::string text = buffer;
    if (text.find_first_of(".eEn") == std::string::npos) text += ".0";
    return text;
}

// "name" or a bare word up to a space or "=".
std::string ReadName(std::string_view& rest) {
    rest = Trim(rest);
    if (!rest.empty() && rest.front() == '"') {
        size_t pos = 0;
        std::string name = ParseStringLiteral(rest, pos);
        rest = Trim(rest.substr(pos));
        return name;
    }
    size_t end = rest.find_first_of(" \t=");
    std::string name = SourceToSjis(rest.substr(0, end));
    if (name.empty()) throw std::runtime_error("a name is expected");
    rest = end == std::string_view::npos ? std::string_view() : Trim(rest.substr(end));
    return name;
}

void ReadVariable(std::string_view rest, TProjectFile& p) {
    rest = Trim(rest);
    size_t space = rest.find_first_of(" \t");
    std::string_view typeWord = rest.substr(0, space);
    TProjectVariable v;
    const auto type = ValueTypeFromSourceName(typeWord);
    v.Type = type ? *type : ToFlag(typeWord);
    rest = space == std::string_view::npos ? std::string_view() : rest.substr(space);
    v.Name = ReadName(rest);
    std::string_view value;
    if (!rest.empty()) {
        if (rest.front() != '=') throw std::runtime_error("write var TYPE NAME = VALUE");
        value = Trim(rest.substr(1));
    }
    switch (v.Type) {
    case 1: v.IntValue = value.empty() ? 0 : ToInt(value); break;
    case 2: v.RealValue = value.empty() ? 0 : ToReal(value); break;
    case 3: v.FlagValue = value.empty() ? 0 : ToFlag(value); break;
    case 4: v.StringValue = value.empty() ? std::string() : StringLiteralValue(value); break;
    default:
        if (!value.empty()) throw std::runtime_error("a variable of type " + std::to_string(v.Type) + " has no value");
    }
    p.Variables.push_back(std::move(v));
}

void ReadDisc(std::string_view rest, TProjectFile& p) {
    std::string folder = ReadName(rest);
    if (rest.empty() || rest.front() != '=') throw std::runtime_error("write disc \"FOLDER\" = NUMBER");
    p.FolderDisks.Add(std::move(folder), ToInt(rest.substr(1)));
}

void ReadSetting(std::string_view key, std::string_view value, TProjectFile& p, bool& fullScreenGiven, bool& startGiven) {
    if (key == "version") {
        p.Version = ToInt(value);
        if (p.Version > kProjectMaxVersion) throw std::runtime_error("the player reads project versions up to 110");
    } else if (key == "title") p.Title = StringLiteralValue(value);
    else if (key == "screen") std::tie(p.ScreenWidth, p.ScreenHeight) = ToSize(value);
    else if (key == "fullscreen") std::tie(p.FullScreenWidth, p.FullScreenHeight) = ToSize(value), fullScreenGiven = true;
    else if (key == "start") p.StartPage = PageNameFromSource(value), startGiven = true;
    else if (key == "exit") p.ExitPage = PageNameFromSource(value);
    else if (key == "registry_key") p.RegistryKey = StringLiteralValue(value);
    else if (key == "image_key") p.ImageKey = ToInt(value);
    else if (key == "write_status") p.WriteStatus = ToFlag(value);
    else if (key == "idle_sleep") p.IdleSleep = ToFlag(value);
    else if (key == "streamed_exts") p.StreamedExts = StringLiteralValue(value);
    else if (key == "disc_prompt") p.DiscPrompt = StringLiteralValue(value);
    else if (key == "quit_prompt") p.QuitPrompt = StringLiteralValue(value);
    else throw std::runtime_error("unknown project setting \"" + std::string(key) + "\"");
}

} // namespace

TProjectFile BuildProjectSource(std::string_view source, const std::string& file) {
    TProjectFile p;
    p.DiscPrompt = SourceToSjis(kDefaultDiscPrompt);
    p.QuitPrompt = SourceToSjis(kDefaultQuitPrompt);
    bool fullScreenGiven = false, startGiven = false;
    int lineNo = 0;
    size_t pos = source.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    while (pos <= source.size()) {
        size_t end = source.find('\n', pos);
        if (end == std::string_view::npos) end = source.size();
        std::string_view line = Trim(StripTrailingComment(source.substr(pos, end - pos)));
        pos = end + 1;
        ++lineNo;
        if (line.empty() || line.front() == '#') continue;
        try {
            if (line.substr(0, 4) == "var ") ReadVariable(line.substr(4), p);
            else if (line.substr(0, 5) == "disc ") ReadDisc(line.substr(5), p);
            else {
                size_t eq = line.find('=');
                if (eq == std::string_view::npos) throw std::runtime_error("write KEY = VALUE");
                ReadSetting(Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)), p, fullScreenGiven, startGiven);
            }
        } catch (const std::exception& e) {
            throw ESourceError(file, lineNo, e.what());
        }
    }
    if (!fullScreenGiven) p.FullScreenWidth = p.ScreenWidth, p.FullScreenHeight = p.ScreenHeight;
    if (!startGiven) throw ESourceError(file, lineNo, "the project names no start page (start = \"main.rsb\")");
    return p;
}

std::string WriteProjectSource(const TProjectFile& p) {
    auto flag = [](uint8_t v) { return v == 1 ? std::string("true") : v == 0 ? std::string("false") : std::to_string(v); };
    auto name = [](const std::string& sjis) {
        std::string utf8;
        bool bare = !sjis.empty() && SjisToUtf8Exact(sjis, utf8) && utf8.find_first_of(" \t=\"#") == std::string::npos;
        for (char c : sjis) bare = bare && static_cast<uint8_t>(c) >= 0x20;
        return bare ? utf8 : FormatStringLiteral(sjis);
    };
    std::string out = "# Project, written by ruvotool dump --source\n";
    out += "version = " + std::to_string(p.Version) + "\n";
    out += "title = " + FormatStringLiteral(p.Title) + "\n";
    out += "screen = " + std::to_string(p.ScreenWidth) + ", " + std::to_string(p.ScreenHeight) + "\n";
    out += "fullscreen = " + std::to_string(p.FullScreenWidth) + ", " + std::to_string(p.FullScreenHeight) + "\n";
    out += "start = " + FormatPageNameLiteral(p.StartPage) + "\n";
    if (p.Version >= 110) out += "exit = " + FormatPageNameLiteral(p.ExitPage) + "\n";
    out += "registry_key = " + FormatStringLiteral(p.RegistryKey) + "\n";
    out += "image_key = " + std::to_string(p.ImageKey) + "\n";
    if (p.Version >= 104) out += "write_status = " + flag(p.WriteStatus) + "\n";
    if (p.Version >= 106) out += "idle_sleep = " + flag(p.IdleSleep) + "\n";
    if (p.Version >= 109) out += "streamed_exts = " + FormatStringLiteral(p.StreamedExts) + "\n";
    out += "disc_prompt = " + FormatStringLiteral(p.DiscPrompt) + "\n";
    out += "quit_prompt = " + FormatStringLiteral(p.QuitPrompt) + "\n";
    for (const auto& v : p.Variables) {
        const char* type = ValueTypeSourceName(v.Type);
        std::string head = "var " + (type ? std::string(type) : std::to_string(v.Type)) + " " + name(v.Name);
        switch (v.Type) {
        case 1: out += head + " = " + std::to_string(v.IntValue) + "\n"; break;
        case 2: out += head + " = " + RealSource(v.RealValue) + "\n"; break;
        case 3: out += head + " = " + flag(v.FlagValue) + "\n"; break;
        case 4: out += head + " = " + FormatStringLiteral(v.StringValue) + "\n"; break;
        default: out += head + "\n"; break;
        }
    }
    for (const auto& [folder, disc] : p.FolderDisks) out += "disc " + FormatStringLiteral(folder) + " = " + std::to_string(disc) + "\n";
    return out;
}

} // namespace ruvo::tools
