#pragma once
// The SDL sound device: 16-bit stereo through SDL's audio callback.
#include <memory>

#include "platform/platform.hpp"

namespace ruvo::platform {

// Null when SDL has no sound device here (the reason is printed on stderr once).
std::unique_ptr<TAudioDevice> OpenSdlAudio(int rate, int bufferFrames, AudioFill fill);

} // namespace ruvo::platform
