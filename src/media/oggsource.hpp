#pragma once
// Ogg Vorbis through libvorbisfile, read from a stream in place (an archive entry's range stream is
// never copied out).
#include <memory>

#include "media/pcmsource.hpp"

namespace ruvo {

class TStream;

// Throws std::runtime_error naming what is wrong when the stream is not a playable Ogg Vorbis file.
std::unique_ptr<TPcmSource> OpenOggSource(std::unique_ptr<TStream> stream);

} // namespace ruvo
