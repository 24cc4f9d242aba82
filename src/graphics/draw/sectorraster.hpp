#pragma once
// Exact filling of discs and pie sectors in an 8-bit buffer: a pixel belongs to a shape when its centre
// (x + 0.5, y + 0.5) lies strictly inside the circle and, for a sector, between its two edges (the
// starting edge included, the ending one not). Angles are radians measured clockwise on the screen
// from the positive x axis (y grows downwards), so -pi/2 points up.
#include <cstdint>

namespace ruvo {

// A row-major byte buffer, top row first.
struct TByteRaster {
    uint8_t* Bytes;
    int32_t Width, Rows;
};

void FillDisc(const TByteRaster& raster, double cx, double cy, double radius, uint8_t value);
// The sector of the disc from the angle start through sweep (clockwise when positive, counter-
// clockwise when negative); a sweep of a whole turn or more is the whole disc, 0 is nothing.
void FillSector(const TByteRaster& raster, double cx, double cy, double radius, double start, double sweep,
                uint8_t value);

} // namespace ruvo
