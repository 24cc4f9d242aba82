#pragma once
// The kinds of frame-list tracks: one table from the kind byte to the class that reads, writes and
// plays the track's record.
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "graphics/film/filmtrack.hpp"

namespace ruvo {

struct TFilmTrackKind {
    uint8_t Kind;
    const char* ClassName;
    const char* BaseName;
    const char* Word;  // the kind's name in listings and builder source
    std::unique_ptr<TCustomFrameList> (*Create)();
};

std::span<const TFilmTrackKind> FilmTrackKinds();
// By the low 7 bits of a kind byte; null for kinds that have no track.
const TFilmTrackKind* FindFilmTrackKind(uint8_t kindByte);
const TFilmTrackKind* FindFilmTrackKind(std::string_view word);

} // namespace ruvo
