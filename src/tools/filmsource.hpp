#pragma once
// The builder's frame-list source (".rvm"): readable UTF-8 text from which a frame list (".rmt") is
// built, and the writer that turns any frame list back into such text. The format is described in
// docs/game-source.md.
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "graphics/film/filmmanager.hpp"

namespace ruvo::tools {

// Fills `film` from source; file names the source in errors ("FILE:LINE: ..."). Throws ESourceError.
void BuildFilmSource(std::string_view utf8Source, const std::string& file, TFilmManager& film);
// Source that builds back into the same bytes.
std::string WriteFilmSource(TFilmManager& film);

// The fields of the header or of a track as (name, value) in the source's spelling, for listings.
using TFieldTexts = std::vector<std::pair<std::string, std::string>>;
TFieldTexts FilmHeaderTexts(TFilmManager& film);
TFieldTexts FilmTrackTexts(TCustomFrameList& track, int32_t version);

} // namespace ruvo::tools
