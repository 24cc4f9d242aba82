#pragma once
// WAV files (PCM, IEEE float, and the ADPCM and companded kinds old games ship) and the other formats
// libsndfile reads (FLAC, Ogg Vorbis, AIFF), from a stream in place.
#include <memory>

#include "media/pcmsource.hpp"

namespace ruvo {

class TStream;

// Throws std::runtime_error naming what is wrong when the stream holds nothing libsndfile can play.
std::unique_ptr<TPcmSource> OpenSndfileSource(std::unique_ptr<TStream> stream);

} // namespace ruvo
