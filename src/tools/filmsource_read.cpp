#include <bit>
#include <charconv>
#include <cstdlib>

#include "graphics/film/filmkinds.hpp"
#include "tools/filmsource.hpp"
#include "tools/sourcetext.hpp"

namespace ruvo::tools {

namespace {

struct TEntry {
    std::string key;
    std::string value;
    int line;
    bool used = false;
};

struct TSection {
    const TFilmTrackKind* kind = nullptr;  // null: the header
    bool high = false;
    int line = 0;
    std::vector<TEntry> entries;
};

int64_t ToInteger(std::string_view text, int64_t lo, int64_t hi) {
    int64_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size())
        throw std::runtime_error("a whole number is expected, not \"" + std::string(text) + "\"");
    if (value < lo || value > hi)
        throw std::runtime_error(std::string(text) + " is out of range (" + std::to_string(lo) + ".." + std::to_string(hi) + ")");
    return value;
}

// Fills a record from the entries of its section, each looked up by the field's name.
class TFieldReader final : public TFilmFields {
public:
    TFieldReader(int32_t version, std::vector<TEntry>& entries, const std::string& file)
        : TFilmFields(version), entries_(entries), file_(file) {}
    bool Loading() const noexcept override { return true; }

    void Int(const char* name, int32_t& v) override {
        Take(name, [&](std::string_view t) { v = int32_t(ToInteger(t, INT32_MIN, INT32_MAX)); });
    }
    void Time(const char* name, int32_t& v) override {
        Take(name, [&](std::string_view t) {
            v = int32_t(ToInteger(t, INT32_MIN, INT32_MAX));
            if (Version() <= kFilmLastHalfRateVersion && v % 2 != 0)
                throw std::runtime_error(std::string(t) + " is odd: version " + std::to_string(Version()) +
                                         " counts time in units of two frames");
        });
    }
    void Byte(const char* name, uint8_t& v, TFilmByte meaning) override {
        Take(name, [&](std::string_view t) {
            if (meaning == TFilmByte::Flag && (t == "true" || t == "false"))
                v = t == "true";
            else if (meaning == TFilmByte::Ease && (t == "linear" || t == "accelerate" || t == "decelerate"))
                v = t == "linear" ? 0 : t == "accelerate" ? 1 : 2;
            else
                v = uint8_t(ToInteger(t, 0, 255));
        });
    }
    void Real(const char* name, double& v) override {
        Take(name, [&](std::string_view t) {
            if (t.substr(0, 4) == "hex\"" && t.size() >= 5 && t.back() == '"') {
                const std::string bytes = FromHex(t.substr(4, t.size() - 5));
                if (bytes.size() != 8)
                    throw std::runtime_error("a stored real has 8 bytes");
                uint64_t bits = 0;
                for (int i = 7; i >= 0; --i)
                    bits = bits << 8 | uint8_t(bytes[size_t(i)]);
                v = std::bit_cast<double>(bits);
                return;
            }
            const std::string s(t);
            char* end = nullptr;
            v = std::strtod(s.c_str(), &end);
            if (s.empty() || *end != '\0')
                throw std::runtime_error("a number is expected, not \"" + s + "\"");
        });
    }
    void Str(const char* name, std::string& v) override {
        Take(name, [&](std::string_view t) { v = StringLiteralValue(t); });
    }

private:
    template <class Parse>
    void Take(const char* name, Parse parse) {
        for (TEntry& e : entries_)
            if (!e.used && e.key == name) {
                e.used = true;
                try {
                    parse(e.value);
                } catch (const ESourceError&) {
                    throw;
                } catch (const std::exception& ex) {
                    throw ESourceError(file_, e.line, e.key + ": " + ex.what());
                }
                return;
            }
    }
    std::vector<TEntry>& entries_;
    const std::string& file_;
};

void RefuseUnused(const TSection& s, int32_t version, const std::string& file) {
    for (const TEntry& e : s.entries)
        if (!e.used)
            throw ESourceError(file, e.line,
                               (s.kind ? std::string(s.kind->Word) + " tracks" : std::string("the header")) +
                                   " have no field \"" + e.key + "\" at version " + std::to_string(version));
}

} // namespace

void BuildFilmSource(std::string_view source, const std::string& file, TFilmManager& film) {
    film.Clear();
    std::vector<TSection> sections;
    bool signature = false;
    int lineNo = 0;
    size_t pos = source.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    while (pos <= source.size()) {
        size_t end = source.find('\n', pos);
        if (end == std::string_view::npos)
            end = source.size();
        const std::string_view line = Trim(StripTrailingComment(source.substr(pos, end - pos)));
        pos = end + 1;
        ++lineNo;
        if (line.empty() || line.front() == '#')
            continue;
        const size_t space = line.find_first_of(" \t");
        const std::string_view word = line.substr(0, space);
        const std::string_view rest = space == std::string_view::npos ? std::string_view() : Trim(line.substr(space));
        if (!signature) {
            if (word != "cinema" && word != "motion")
                throw ESourceError(file, lineNo, "a frame list starts with \"cinema VERSION\" or \"motion VERSION\"");
            try {
                film.Version = int32_t(ToInteger(rest, kFilmMinVersion, kFilmMaxVersion));
            } catch (const std::exception& e) {
                throw ESourceError(file, lineNo, std::string("version: ") + e.what());
            }
            film.Cinema = word == "cinema";
            signature = true;
            sections.push_back({});
            continue;
        }
        if (word == "track") {
            const size_t gap = rest.find_first_of(" \t");
            const std::string_view kindWord = rest.substr(0, gap);
            const std::string_view flags = gap == std::string_view::npos ? std::string_view() : Trim(rest.substr(gap));
            TSection s{FindFilmTrackKind(kindWord), flags == "high", lineNo, {}};
            if (!s.kind)
                throw ESourceError(file, lineNo, "unknown track kind \"" + std::string(kindWord) + "\"");
            if (!flags.empty() && !s.high)
                throw ESourceError(file, lineNo, "after the kind only \"high\" may follow");
            sections.push_back(std::move(s));
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos)
            throw ESourceError(file, lineNo, "write NAME = VALUE, or \"track KIND\"");
        TEntry entry{std::string(Trim(line.substr(0, eq))), std::string(Trim(line.substr(eq + 1))), lineNo};
        for (const TEntry& e : sections.back().entries)
            if (e.key == entry.key)
                throw ESourceError(file, lineNo, entry.key + " is given twice (first at line " + std::to_string(e.line) + ")");
        sections.back().entries.push_back(std::move(entry));
    }
    if (!signature)
        throw ESourceError(file, lineNo, "a frame list starts with \"cinema VERSION\" or \"motion VERSION\"");
    for (TSection& s : sections) {
        TFieldReader reader(film.Version, s.entries, file);
        if (!s.kind) {
            film.SyncHeader(reader);
        } else {
            auto track = s.kind->Create();
            track->KindByte = uint8_t(s.kind->Kind | (s.high ? 0x80 : 0));
            track->Sync(reader);
            film.AddTrack(std::move(track));
        }
        RefuseUnused(s, film.Version, file);
    }
    film.Resolve();
}

} // namespace ruvo::tools
