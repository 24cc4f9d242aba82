#include "app/gameini.hpp"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>

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

TGameIni LoadGameIni(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return TGameIni{};
    std::ostringstream text;
    text << in.rdbuf();
    return ParseGameIni(text.str());
}

} // namespace ruvo
