#pragma once
// MIDI files played by the FluidSynth synthesizer with a General MIDI sound font, rendered at the
// mixer's rate. The length comes from the file's own timing (miditimeline.hpp); the synthesizer is made
// on the first read, so that measuring a length loads no sound font.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "media/pcmsource.hpp"

namespace ruvo {

// Throws std::runtime_error when the data is not a MIDI file; a sound font that cannot be loaded makes a
// source that plays silence for the file's length.
std::unique_ptr<TPcmSource> OpenMidiSource(std::vector<uint8_t> file, std::filesystem::path soundFont);

// The General MIDI sound font the player uses when none is named: the system's default GM font, else the
// first ".sf2" or ".sf3" in the usual folders; empty when there is none.
std::filesystem::path FindSoundFont();

} // namespace ruvo
