#pragma once
// One player per game folder: the instance name is derived from the folder, and the running player
// holds an advisory lock on a file named after it in a folder private to the user.
#include <filesystem>
#include <string>
#include <string_view>

namespace ruvo {

// Linux folder names differ by case: /games/Foo and /games/foo are two games.
inline constexpr bool kFolderNamesIgnoreCase = false;

// Every separator ("\" or "/") turned into "-", with a trailing one; upper-cased when folder names
// ignore case. The second byte of a two-byte character is never a separator and keeps its case.
// "C:\Games\Foo" gives "C:-GAMES-FOO-" with case ignored.
std::string InstanceName(std::string_view folderOrArgument, bool ignoreCase = kFolderNamesIgnoreCase);

class TInstanceLock {
public:
    // Tries to take the lock. When the lock folder is not safe (not the user's own, writable by others,
    // a link) or no lock file can be made, the player runs unguarded and Problem() says why.
    TInstanceLock(std::string_view instanceName, const std::filesystem::path& lockFolder = DefaultLockFolder());
    // Removes the lock file while still holding it.
    ~TInstanceLock();
    TInstanceLock(const TInstanceLock&) = delete;
    TInstanceLock& operator=(const TInstanceLock&) = delete;

    bool OtherInstanceRunning() const noexcept { return busy_; }
    bool Held() const noexcept { return fd_ >= 0; }
    const std::string& Problem() const noexcept { return problem_; }
    const std::filesystem::path& LockFile() const noexcept { return file_; }

    // $XDG_RUNTIME_DIR, else a folder of the user's own in the shared temporary folder.
    static std::filesystem::path DefaultLockFolder();

private:
    void Take(const std::filesystem::path& lockFolder);

    int folderFd_ = -1;
    int fd_ = -1;
    bool busy_ = false;
    std::string fileName_;
    std::filesystem::path file_;
    std::string problem_;
};

} // namespace ruvo
