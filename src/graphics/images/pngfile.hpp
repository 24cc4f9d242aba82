#pragma once
// PNG pictures: reading any PNG into 32-bit ARGB pixels with its alpha, and writing surfaces (24-bit RGB,
// for screenshots and pictures of failed checks) or ARGB pixel buffers (32-bit RGBA, for the tools).
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace ruvo {

class TCustomDIBX;

// Decoded picture, rows top first; each pixel 0xAARRGGBB. hasAlpha is false when every pixel of the file
// is opaque by construction (no alpha channel and no transparency chunk). keyColour is the decoded
// colour (0x00BBGGRR) of the single transparent colour a grey or true-colour file names in its
// transparency chunk, -1 when it names none or no pixel has it; its pixels have alpha 0.
struct TPngPicture {
    int32_t width = 0;
    int32_t height = 0;
    bool hasAlpha = false;
    std::vector<uint32_t> argb;
    int32_t keyColour = -1;
};


// Throws ERuvoError naming the fault for bytes that are not a readable PNG.
TPngPicture DecodePng(std::span<const uint8_t> bytes);
TPngPicture LoadPngFile(const std::filesystem::path& path);

// Throws ERuvoError when the file cannot be written.
void SavePng(TCustomDIBX& surface, const std::filesystem::path& path);
void SavePngArgb(const TPngPicture& picture, const std::filesystem::path& path);
// The PNG file (8-bit RGBA) of the picture.
std::vector<uint8_t> EncodePngArgb(const TPngPicture& picture);

} // namespace ruvo
