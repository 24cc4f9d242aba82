#include "app/instance.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include "archive/privatefolder.hpp"
#include "archive/sjis.hpp"

namespace ruvo {

namespace fs = std::filesystem;

namespace {

// A holder that ends removes the file it locked; a start that opened that file just before may then
// lock a file no longer there, so the lock is taken again this many times before giving up.
constexpr int kLockAttempts = 8;

// The lock file's name: the instance name kept readable up to a length, then shortened with its CRC.
std::string LockFileName(std::string_view instanceName) {
    std::string file = "ruvoplay" + std::string(instanceName);
    if (file.size() > 200) {
        char crc[16];
        std::snprintf(crc, sizeof crc, "%08lx",
                      crc32(0, reinterpret_cast<const Bytef*>(instanceName.data()), static_cast<uInt>(instanceName.size())));
        file = file.substr(0, 180) + "~" + crc;
    }
    return file + ".lock";
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

} // namespace

std::string InstanceName(std::string_view folder, bool ignoreCase) {
    std::string name;
    bool endsWithSeparator = false;
    for (size_t i = 0; i < folder.size(); i = NextCharPos(folder, i)) {
        const size_t n = CharLength(folder, i);
        const char c = folder[i];
        endsWithSeparator = n == 1 && (c == '\\' || c == '/');
        if (endsWithSeparator) name += '-';
        else if (ignoreCase && n == 1 && c >= 'a' && c <= 'z') name += static_cast<char>(c - 32);
        else name.append(folder.substr(i, n));
    }
    if (!endsWithSeparator) name += '-';
    return name;
}

fs::path TInstanceLock::DefaultLockFolder() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) return runtime;
    return fs::temp_directory_path() / ("ruvoplay-" + std::to_string(::geteuid()));
}

TInstanceLock::TInstanceLock(std::string_view instanceName, const fs::path& lockFolder)
    : fileName_(LockFileName(instanceName)), file_(lockFolder / fileName_) {
    Take(lockFolder);
}

void TInstanceLock::Take(const fs::path& lockFolder) {
    // Anyone can make folders in the shared temporary folder: one that is not ours could hold a link
    // where the lock file goes, or a lock held by someone else to keep the player from starting.
    folderFd_ = OpenPrivateFolder(lockFolder, true, problem_);
    if (folderFd_ < 0) return;
    for (int attempt = 0; attempt < kLockAttempts; ++attempt) {
        const int fd = ::openat(folderFd_, fileName_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            problem_ = "cannot open the lock file " + file_.string() + ": " + std::strerror(errno);
            return;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            if (error == EWOULDBLOCK) busy_ = true;
            else problem_ = "cannot lock " + file_.string() + ": " + std::strerror(error);
            return;
        }
        // The file locked must still be the one under the name, or the previous holder removed it meanwhile.
        struct stat locked{}, named{};
        if (::fstat(fd, &locked) == 0 && ::fstatat(folderFd_, fileName_.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            SameFile(locked, named)) {
            fd_ = fd;
            return;
        }
        ::close(fd);
    }
    problem_ = "the lock file " + file_.string() + " keeps being replaced";
}

TInstanceLock::~TInstanceLock() {
    if (fd_ >= 0) {
        ::unlinkat(folderFd_, fileName_.c_str(), 0);
        ::close(fd_);
    }
    if (folderFd_ >= 0) ::close(folderFd_);
}

} // namespace ruvo
