#pragma once
// JPEG colour planes of layered images, through libjpeg-turbo: decoding straight into the rows of a
// storage of any bit count, and encoding a storage at a given quality.
#include <cstdint>
#include <span>
#include <vector>

#include "graphics/surface/dibsurface.hpp"

namespace ruvo {

// Decodes the stream into the storage, whose size it must have (the storage keeps its bit count;
// indexed storages take the nearest palette entries). Throws ERuvoError for damaged, truncated or
// differently sized streams.
void DecodeJpegPlane(std::span<const uint8_t> jpeg, TDIBSurface& plane);

// quality 1..100.
std::vector<uint8_t> EncodeJpegPlane(const TDIBSurface& plane, int quality);

} // namespace ruvo
