#include <bit>
#include <cmath>
#include <cstdio>

#include "graphics/film/filmkinds.hpp"
#include "tools/filmsource.hpp"
#include "tools/sourcetext.hpp"

namespace ruvo::tools {

namespace {

const char* const kEaseWords[] = {"linear", "accelerate", "decelerate"};

// Every field as the source writes it.
class TFieldText final : public TFilmFields {
public:
    explicit TFieldText(int32_t version) : TFilmFields(version) {}
    TFieldTexts Fields;

    void Int(const char* name, int32_t& v) override { Fields.emplace_back(name, std::to_string(v)); }
    void Time(const char* name, int32_t& v) override { Fields.emplace_back(name, std::to_string(v)); }
    void Byte(const char* name, uint8_t& v, TFilmByte meaning) override {
        std::string text = std::to_string(v);
        if (meaning == TFilmByte::Flag && v <= 1)
            text = v ? "true" : "false";
        else if (meaning == TFilmByte::Ease && v < std::size(kEaseWords))
            text = kEaseWords[v];
        Fields.emplace_back(name, text);
    }
    void Real(const char* name, double& v) override {
        std::string text;
        if (std::isfinite(v)) {
            char buffer[40];
            std::snprintf(buffer, sizeof buffer, "%.17g", v);
            text = buffer;
        } else {
            const uint64_t bits = std::bit_cast<uint64_t>(v);
            std::string bytes;
            for (int i = 0; i < 8; ++i)
                bytes += char(bits >> (8 * i));
            text = "hex\"" + ToHex(bytes) + "\"";
        }
        Fields.emplace_back(name, text);
    }
    void Str(const char* name, std::string& v) override { Fields.emplace_back(name, FormatStringLiteral(v)); }
};

} // namespace

TFieldTexts FilmHeaderTexts(TFilmManager& film) {
    TFieldText text(film.Version);
    film.SyncHeader(text);
    return std::move(text.Fields);
}

TFieldTexts FilmTrackTexts(TCustomFrameList& track, int32_t version) {
    TFieldText text(version);
    track.Sync(text);
    return std::move(text.Fields);
}

std::string WriteFilmSource(TFilmManager& film) {
    std::string out = "# Frame list, written by ruvotool dump --source\n";
    out += std::string(film.Cinema ? "cinema " : "motion ") + std::to_string(film.Version) + "\n";
    for (const auto& [name, value] : FilmHeaderTexts(film))
        out += name + " = " + value + "\n";
    for (int i = 0; i < film.Count(); ++i) {
        TCustomFrameList& track = film.Track(i);
        const TFilmTrackKind* kind = FindFilmTrackKind(track.KindByte);
        out += "\ntrack " + std::string(kind->Word) + (track.KindByte & 0x80 ? " high" : "") + "  # " +
               std::to_string(i) + "\n";
        for (const auto& [name, value] : FilmTrackTexts(track, film.Version))
            out += "    " + name + " = " + value + "\n";
    }
    return out;
}

} // namespace ruvo::tools
