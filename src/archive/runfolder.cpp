#include "archive/runfolder.hpp"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <system_error>
#include <unistd.h>

#include "archive/privatefolder.hpp"

namespace ruvo {

namespace fs = std::filesystem;

namespace {

constexpr const char* kLockName = "run.lock";
// The lock file is made under another name and renamed once locked, so that a run starting at the
// same moment never sees an unlocked "run.lock" in a folder still in use.
constexpr const char* kNewLockName = "run.lock.new";

std::string FolderPrefix() { return "ruvoplay-" + std::to_string(::geteuid()) + "-run-"; }

// True when the folder is a run folder of ours whose run has ended.
bool Abandoned(const fs::path& folder) {
    std::string problem;
    const int dir = OpenPrivateFolder(folder, false, problem);
    if (dir < 0) return false;  // someone else's, or a link: never touched
    bool ended = false;
    const int lock = ::openat(dir, kLockName, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (lock >= 0) {
        ended = ::flock(lock, LOCK_EX | LOCK_NB) == 0;
        ::close(lock);
    }
    ::close(dir);
    return ended;
}

} // namespace

int TRunFolder::RemoveLeftovers(const fs::path& parent) {
    const std::string prefix = FolderPrefix();
    int removed = 0;
    std::error_code ec;
    for (fs::directory_iterator it(parent, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path folder = it->path();
        if (folder.filename().string().rfind(prefix, 0) != 0 || !Abandoned(folder)) continue;
        std::error_code removeError;
        if (fs::remove_all(folder, removeError) > 0 && !removeError) ++removed;
    }
    return removed;
}

TRunFolder::TRunFolder(const fs::path& parent) {
    RemoveLeftovers(parent);
    std::string pattern = (parent / (FolderPrefix() + "XXXXXX")).string();
    if (!::mkdtemp(pattern.data())) {
        problem_ = "cannot make a temporary folder in " + parent.string() + ": " + std::strerror(errno);
        return;
    }
    const fs::path made = pattern;
    const int dir = OpenPrivateFolder(made, false, problem_);
    if (dir >= 0) {
        lockFd_ = ::openat(dir, kNewLockName, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (lockFd_ >= 0 && ::flock(lockFd_, LOCK_EX) == 0 && ::renameat(dir, kNewLockName, dir, kLockName) == 0) {
            path_ = made;
        } else {
            problem_ = "cannot lock the temporary folder " + made.string() + ": " + std::strerror(errno);
        }
        ::close(dir);
    }
    if (path_.empty()) {
        if (lockFd_ >= 0) ::close(lockFd_);
        lockFd_ = -1;
        std::error_code ec;
        fs::remove_all(made, ec);
    }
}

TRunFolder::~TRunFolder() {
    if (!path_.empty()) {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    if (lockFd_ >= 0) ::close(lockFd_);
}

} // namespace ruvo
