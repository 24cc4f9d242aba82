#include "archive/gamepath.hpp"

#include <system_error>

#include "archive/errors.hpp"
#include "archive/sjis.hpp"

namespace ruvo {

namespace fs = std::filesystem;

namespace {

ERuvoError BadName(std::string_view name, const char* why) {
    return std::move(ERuvoError(SysMessage("%s:ファイルがありません", {std::string(name)})).AddContext(why));
}

} // namespace

bool HasControlBytes(std::string_view name) noexcept {
    for (const char c : name)
        if (static_cast<uint8_t>(c) < 0x20) return true;
    return false;
}

std::vector<std::string> SplitGamePath(std::string_view name) {
    // A NUL would cut the name short on the way to the file system, so two names could meet in one file.
    if (HasControlBytes(name)) throw BadName(name, "a game file name may not hold control bytes");
    std::vector<std::string> parts;
    std::string current;
    auto flush = [&] {
        if (current == "..") throw BadName(name, "a game file name may not leave the game's folder");
        if (!current.empty() && current != ".") parts.push_back(current);
        current.clear();
    };
    for (size_t i = 0; i < name.size();) {
        const size_t n = CharLength(name, i);
        if (n == 1 && (name[i] == '\\' || name[i] == '/')) {
            flush();
        } else if (n == 1 && name[i] == ':') {
            throw BadName(name, "drive and device names are not game file names");
        } else {
            current.append(name.substr(i, n));
        }
        i += n;
    }
    flush();
    return parts;
}

std::string ExtensionOf(std::string_view name) {
    size_t dot = std::string_view::npos;
    for (size_t i = 0; i < name.size(); i = NextCharPos(name, i)) {
        if (name[i] == '.') dot = i;
        if (name[i] == '\\' || name[i] == '/') dot = std::string_view::npos;
    }
    return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
}

std::optional<std::string> NewGameNameFault(std::string_view name) {
    if (name.empty()) return "the name is empty";
    if (HasControlBytes(name)) return "the name holds control bytes";
    size_t partStart = 0;
    for (size_t i = 0; i <= name.size();) {
        const bool end = i == name.size();
        const size_t n = end ? 1 : CharLength(name, i);
        if (end || (n == 1 && (name[i] == '\\' || name[i] == '/'))) {
            const std::string_view part = name.substr(partStart, i - partStart);
            if (part.empty()) return "the name has an empty part";
            if (part == "." || part == "..") return "the name has a \"" + std::string(part) + "\" part";
            partStart = i + 1;
        } else if (n == 1 && name[i] == ':') {
            return "the name holds a drive or device prefix";
        }
        i += n;
    }
    return std::nullopt;
}

fs::path PathUnder(const fs::path& dir, std::string_view name) {
    const std::vector<std::string> parts = SplitGamePath(name);
    if (parts.empty()) throw BadName(name, "the name has no file part");
    fs::path path = dir;
    for (const std::string& part : parts) path /= SjisToUtf8Lossy(part);
    return path;
}

std::string JoinGamePath(std::string_view folder, std::string_view name) {
    std::string out(folder);
    // A trailing "\" may be the second byte of a two-byte character; only a real separator counts.
    bool endsWithSeparator = false;
    for (size_t i = 0; i < out.size(); i = NextCharPos(out, i))
        endsWithSeparator = CharLength(out, i) == 1 && (out[i] == '\\' || out[i] == '/') && i + 1 == out.size();
    if (!out.empty() && !endsWithSeparator) out += '\\';
    out.append(name);
    return out;
}

TGamePathResolver::TGamePathResolver(fs::path root) : root_(std::move(root)) {}

const TGamePathResolver::Listing& TGamePathResolver::ListingOf(const fs::path& folder) const {
    auto [it, added] = listings_.try_emplace(folder);
    if (!added) return it->second;
    std::error_code ec;
    for (fs::directory_iterator d(folder, ec), end; !ec && d != end; d.increment(ec)) {
        const std::string onDisk = d->path().filename().string();
        it->second.byFolded.emplace(LowerSjis(onDisk), onDisk);
        try {
            const std::string asSjis = Utf8ToSjis(onDisk);
            if (asSjis != onDisk) it->second.byFolded.emplace(LowerSjis(asSjis), onDisk);
        } catch (const EConvertError&) {
            // Not UTF-8 text that Shift-JIS can hold: only its own bytes can name it.
        }
    }
    return it->second;
}

std::optional<std::string> TGamePathResolver::Match(const fs::path& folder, const std::string& part) const {
    const Listing& listing = ListingOf(folder);
    auto [first, last] = listing.byFolded.equal_range(LowerSjis(part));
    if (first == last) return std::nullopt;
    // Prefer the spelling that matches byte for byte, then one that converts to the same bytes.
    for (auto it = first; it != last; ++it)
        if (it->second == part) return it->second;
    for (auto it = first; it != last; ++it)
        if (Utf8ToSjisLossy(it->second) == part) return it->second;
    return first->second;
}

std::optional<fs::path> TGamePathResolver::Find(std::string_view sjisName) const {
    fs::path path = root_;
    for (const std::string& part : SplitGamePath(sjisName)) {
        auto match = Match(path, part);
        if (!match) return std::nullopt;
        path /= *match;
    }
    std::error_code ec;
    if (!fs::exists(path, ec)) return std::nullopt;
    return path;
}

fs::path TGamePathResolver::PathForWrite(std::string_view sjisName) const {
    fs::path path = root_;
    bool matching = true;
    for (const std::string& part : SplitGamePath(sjisName)) {
        std::optional<std::string> match;
        if (matching) match = Match(path, part);
        if (match) {
            path /= *match;
        } else {
            matching = false;
            path /= SjisToUtf8Lossy(part);
        }
    }
    return path;
}

} // namespace ruvo
