#include "app/gameini.hpp"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "archive/sjis.hpp"

namespace ruvo {

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
}

// Integer values as the settings file writes them; anything else is no value.
bool ParseInteger(std::string_view s, long long& out) {
    s = Trim(s);
    const auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

} // namespace

int NormaliseDelayTime(long long ms) {
    return static_cast<int>(std::clamp<long long>(ms / 100 * 100, 100, 500));
}

TGameIni ParseGameIni(std::string_view text) {
    TGameIni ini;
    std::istringstream in{std::string(text)};
    std::string line;
    bool inSound = false;
    while (std::getline(in, line)) {
        const std::string_view l = Trim(line);
        if (l.empty() || l.front() == ';') continue;
        if (l.front() == '[') {
            const size_t close = l.find(']');
            inSound = close != std::string_view::npos && SameTextSjis(Trim(l.substr(1, close - 1)), "Sound");
            continue;
        }
        const size_t eq = l.find('=');
        if (!inSound || eq == std::string_view::npos) continue;
        const std::string_view key = Trim(l.substr(0, eq));
        const std::string_view value = Trim(l.substr(eq + 1));
        long long n;
        if (SameTextSjis(key, "DirectSound")) {
            if (ParseInteger(value, n)) ini.directSound = n != 0;
            else if (SameTextSjis(value, "true")) ini.directSound = true;
            else if (SameTextSjis(value, "false")) ini.directSound = false;
        } else if (SameTextSjis(key, "DelayTime") && ParseInteger(value, n)) {
            ini.delayTime = NormaliseDelayTime(n);
        }
    }
    return ini;
}

std::string UpdateGameIni(std::string_view text, const TGameIni& ini) {
    const std::string values[2] = {ini.directSound ? "1" : "0", std::to_string(ini.delayTime)};
    const char* const keys[2] = {"DirectSound", "DelayTime"};
    bool written[2] = {false, false};
    bool inSound = false, sawSound = false;
    std::string out;
    // The keys still missing go at the end of the section.
    auto addMissing = [&] {
        for (int k = 0; k < 2; ++k)
            if (!written[k]) out += std::string(keys[k]) + "=" + values[k] + "\r\n";
        written[0] = written[1] = true;
    };
    std::istringstream in{std::string(text)};
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::string_view l = Trim(line);
        if (!l.empty() && l.front() == '[') {
            if (inSound) addMissing();
            const size_t close = l.find(']');
            inSound = close != std::string_view::npos && SameTextSjis(Trim(l.substr(1, close - 1)), "Sound");
            sawSound = sawSound || inSound;
        } else if (inSound) {
            const size_t eq = l.find('=');
            const std::string_view key = eq == std::string_view::npos ? std::string_view() : Trim(l.substr(0, eq));
            bool replaced = false;
            for (int k = 0; k < 2 && !key.empty(); ++k)
                if (SameTextSjis(key, keys[k])) {
                    out += std::string(key) + "=" + values[k] + "\r\n";
                    written[k] = replaced = true;
                }
            if (replaced) continue;
        }
        out += line + "\r\n";
    }
    if (inSound) addMissing();
    if (!sawSound) {
        out += "[Sound]\r\n";
        addMissing();
    }
    return out;
}

void SaveGameIni(const std::filesystem::path& path, const TGameIni& ini) {
    std::string text;
    if (std::ifstream in(path, std::ios::binary); in) {
        std::ostringstream old;
        old << in.rdbuf();
        text = old.str();
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << UpdateGameIni(text, ini);
    out.flush();
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

TGameIni LoadGameIni(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return TGameIni{};
    std::ostringstream text;
    text << in.rdbuf();
    return ParseGameIni(text.str());
}

} // namespace ruvo
