#pragma once
// Loose pictures packed into a layered image (version 106): what `ruvotool image pack` writes and what
// the builder makes of a game source's PNG pictures.
#include <cstdint>
#include <string>
#include <vector>

#include "graphics/images/zephfile.hpp"

namespace ruvo::tools {

// One frame of a packed picture: its colour at 32 bits, its mask unless every pixel is opaque, its
// transparent value.
TZephFrame PackedFrame(const TZephFrame& picture, int32_t delay);

struct TPackInput {
    std::string name;  // for messages and the reader's choice by extension
    std::vector<uint8_t> bytes;
    int32_t delay = 100;
};

// Every frame of every input, in order, as the bytes of one layered image. Throws ERuvoError for a
// picture that cannot be read.
std::vector<uint8_t> PackPictures(const std::vector<TPackInput>& inputs, const TZephWriteOptions& options);

} // namespace ruvo::tools
