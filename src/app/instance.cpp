#include "app/instance.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <zlib.h>

#include "archive/sjis.hpp"

namespace ruvo {

namespace fs = std::filesystem;

std::string InstanceName(std::string_view folder) {
    std::string name;
    bool endsWithSeparator = false;
    for (size_t i = 0; i < folder.size(); i = NextCharPos(folder, i)) {
        const size_t n = CharLength(folder, i);
        const char c = folder[i];
        endsWithSeparator = n == 1 && (c == '\\' || c == '/');
        if (endsWithSeparator) name += '-';
        else if (n == 1 && c >= 'a' && c <= 'z') name += static_cast<char>(c - 32);
        else name.append(folder.substr(i, n));
    }
    if (!endsWithSeparator) name += '-';
    return name;
}

fs::path TInstanceLock::DefaultLockFolder() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime) return runtime;
    return fs::temp_directory_path() / ("ruvoplay-" + std::to_string(::getuid()));
}

TInstanceLock::TInstanceLock(std::string_view instanceName, const fs::path& lockFolder) {
    std::error_code ec;
    fs::create_directories(lockFolder, ec);
    // The name can be longer than a file name may be: it is kept readable up to a length, then hashed.
    std::string file = "ruvoplay" + std::string(instanceName);
    if (file.size() > 200) {
        char crc[16];
        std::snprintf(crc, sizeof crc, "%08lx",
                      crc32(0, reinterpret_cast<const Bytef*>(instanceName.data()), static_cast<uInt>(instanceName.size())));
        file = file.substr(0, 180) + "~" + crc;
    }
    file += ".lock";
    const int fd = ::open((lockFolder / file).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return;  // no place for a lock: run rather than refuse
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        busy_ = errno == EWOULDBLOCK;
        ::close(fd);
        return;
    }
    fd_ = fd;
}

TInstanceLock::~TInstanceLock() {
    if (fd_ >= 0) ::close(fd_);
}

} // namespace ruvo
