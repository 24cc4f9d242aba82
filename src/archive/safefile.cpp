#include "archive/safefile.hpp"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "archive/errors.hpp"

namespace ruvo {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void Fail(const fs::path& file, const std::string& what, int error) {
    throw std::move(ERuvoError::FromUtf8("書き込みエラー")
                        .AddContext(what + ": " + std::strerror(error))
                        .AddContext(file.string()));
}

// Writes everything, going on after interruptions and short writes.
bool WriteAll(int fd, const uint8_t* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// The mode a file made now gets: the umask applied to read and write for all.
mode_t NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

void ReplaceFileSafely(const fs::path& file, const uint8_t* data, size_t size) {
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) Fail(file, "cannot make the folder " + folder.string(), ec.value());

    std::string temp = (folder / (file.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) Fail(file, "cannot make a temporary file in " + folder.string(), errno);
    const auto abandon = [&](const std::string& what) {
        const int error = errno;
        ::close(fd);
        ::unlink(temp.c_str());
        Fail(file, what, error);
    };
    struct stat old {};
    const mode_t mode = ::stat(file.c_str(), &old) == 0 ? (old.st_mode & 07777) : NewFileMode();
    if (::fchmod(fd, mode) != 0) abandon("cannot set the permissions of " + temp);
    if (!WriteAll(fd, data, size)) abandon("cannot write " + temp);
    if (::fsync(fd) != 0) abandon("cannot flush " + temp);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        Fail(file, "cannot close " + temp, error);
    }
    if (::rename(temp.c_str(), file.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        Fail(file, "cannot rename " + temp, error);
    }
    // The rename itself reaches the disk with the folder.
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

} // namespace ruvo
