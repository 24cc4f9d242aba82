#include "archive/privatefolder.hpp"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ruvo {

int OpenPrivateFolder(const std::filesystem::path& folder, bool create, std::string& problem) {
    if (create && ::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        problem = "cannot make " + folder.string() + ": " + std::strerror(errno);
        return -1;
    }
    // Not followed through a link: a link planted under the expected name leads somewhere else.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        problem = folder.string() + (errno == ELOOP || errno == ENOTDIR ? " is a link or not a folder"
                                                                          : std::string(": ") + std::strerror(errno));
        return -1;
    }
    struct stat st{};
    if (::fstat(fd, &st) != 0) problem = folder.string() + ": " + std::strerror(errno);
    else if (st.st_uid != ::geteuid()) problem = folder.string() + " belongs to another user";
    else if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0) problem = folder.string() + " is writable by others";
    else return fd;
    ::close(fd);
    return -1;
}

} // namespace ruvo
