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
// is opaque by construction (no alpha channel and no transparency chunk).
struct TPngPicture {
    int32_t width = 0;
    int32_t height = 0;
    bool hasAlpha = false;
    std::vector<uint32_t> argb;
};

// Pictures larger than this on either side are refused before any pixel is allocated.
constexpr int32_t kPngMaxSide = 16384;

// Throws ERuvoError naming the fault for bytes that are not a readable PNG.
TPngPicture DecodePng(std::span<const uint8_t> bytes);
TPngPicture LoadPngFile(const std::filesystem::path& path);

// Throws ERuvoError when the file cannot be written.
void SavePng(TCustomDIBX& surface, const std::filesystem::path& path);
void SavePngArgb(const TPngPicture& picture, const std::filesystem::path& path);

} // namespace ruvo
