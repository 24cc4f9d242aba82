#pragma once
// Replacing a file so that a crash, a full disk or a read-only folder never leaves it half written: the
// new content goes to a temporary file in the same folder, is flushed to the disk, and is renamed over
// the old file, whose folder is flushed too. Until the rename the old file is untouched.
#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace ruvo {

// Throws ERuvoError "書き込みエラー" (with the file and the system's reason as context) when the file could
// not be replaced; the old file is then as it was and no temporary file is left behind. The folder is
// created when it does not exist. A new file gets the old one's permissions, or the usual ones.
void ReplaceFileSafely(const std::filesystem::path& file, const uint8_t* data, size_t size);

} // namespace ruvo
