#pragma once
// Windows Media audio (".wma", ".asf") and MP3 through FFmpeg (libavformat, libavcodec), read from a
// stream in place.
#include <memory>

#include "media/pcmsource.hpp"

namespace ruvo {

class TStream;

// Throws std::runtime_error naming what is wrong when the stream holds no decodable audio.
std::unique_ptr<TPcmSource> OpenFfmpegSource(std::unique_ptr<TStream> stream);

} // namespace ruvo
