#pragma once
// One player per game folder: the instance name is derived from the folder, and the running player
// holds an advisory lock on a file named after it in the user's runtime folder.
#include <filesystem>
#include <string>
#include <string_view>

namespace ruvo {

// Upper-cased, with a trailing separator, every separator ("\" or "/") turned into "-"; the second
// byte of a two-byte character is never a separator. "C:\Games\Foo" gives "C:-GAMES-FOO-".
std::string InstanceName(std::string_view folderOrArgument);

class TInstanceLock {
public:
    // Tries to take the lock. When no lock file can be made the player runs unguarded rather than refuse.
    TInstanceLock(std::string_view instanceName, const std::filesystem::path& lockFolder = DefaultLockFolder());
    ~TInstanceLock();
    TInstanceLock(const TInstanceLock&) = delete;
    TInstanceLock& operator=(const TInstanceLock&) = delete;

    bool OtherInstanceRunning() const noexcept { return busy_; }
    // $XDG_RUNTIME_DIR, else a per-user folder in the temporary folder.
    static std::filesystem::path DefaultLockFolder();

private:
    int fd_ = -1;
    bool busy_ = false;
};

} // namespace ruvo
