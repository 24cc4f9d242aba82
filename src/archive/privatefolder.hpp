#pragma once
// Folders in shared places (the temporary folder) that only the user can change, so that nobody else
// can plant links or files in them or take the names the player means to use there.
#include <filesystem>
#include <string>

namespace ruvo {

// Opens the folder for use with the *at() calls: made with mode 0700 when missing and `create` is set;
// refused when it is a link or not a folder, not the user's own, or writable by others. Answers the
// descriptor, or -1 with the reason (UTF-8) in `problem`.
int OpenPrivateFolder(const std::filesystem::path& folder, bool create, std::string& problem);

} // namespace ruvo
