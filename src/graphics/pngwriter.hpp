#pragma once
// Writes a surface as a PNG picture (24-bit RGB), for screenshots and for pictures of failed checks.
#include <filesystem>

namespace ruvo {

class TCustomDIBX;

// Throws ERuvoError when the file cannot be written.
void SavePng(TCustomDIBX& surface, const std::filesystem::path& path);

} // namespace ruvo
