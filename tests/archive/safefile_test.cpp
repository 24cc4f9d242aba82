// Replacing a file safely: the new content or the old one, whole, never a mixture and never litter.
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "archive/errors.hpp"
#include "archive/safefile.hpp"
#include "support/tempdir.hpp"

namespace ruvo {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

void Replace(const fs::path& file, const std::string& content) {
    ReplaceFileSafely(file, reinterpret_cast<const uint8_t*>(content.data()), content.size());
}

size_t FilesIn(const fs::path& folder) {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder)) ++n;
    return n;
}

TEST(SafeFile, ReplacesTheContentKeepingThePermissions) {
    TempDir dir;
    const fs::path file = dir / "save.dat";
    Replace(file, "first");
    EXPECT_EQ(ReadFile(file), "first");
    ::chmod(file.c_str(), 0640);
    Replace(file, "second, longer");
    EXPECT_EQ(ReadFile(file), "second, longer");
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(FilesIn(dir.Path()), 1u);
    // A folder that does not exist yet is made.
    Replace(dir / "deep" / "er" / "save.dat", "x");
    EXPECT_EQ(ReadFile(dir / "deep" / "er" / "save.dat"), "x");
}

TEST(SafeFile, AFailureLeavesTheOldFileAndNoTemporaryFile) {
    TempDir dir;
    // The target is a folder: the rename fails after everything was written.
    fs::create_directory(dir / "busy");
    WriteFile(dir / "busy" / "inside", "kept");
    EXPECT_THROW(Replace(dir / "busy", "new"), ERuvoError);
    EXPECT_EQ(ReadFile(dir / "busy" / "inside"), "kept");
    EXPECT_EQ(FilesIn(dir.Path()), 1u);
    // The folder cannot be made: a file stands in its place.
    WriteFile(dir / "plain", "file");
    try {
        Replace(dir / "plain" / "save.dat", "new");
        FAIL() << "no error";
    } catch (const ERuvoError& e) {
        EXPECT_NE(std::string(e.what()).find("書き込みエラー"), std::string::npos) << e.what();
    }
}

// A child process writes a file larger than it may (the limit stands for a full disk); with SIGXFSZ
// ignored the write fails, otherwise the child is killed in the middle of writing.
int WriteInChild(const fs::path& file, const std::string& content, bool killed) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::signal(SIGXFSZ, killed ? SIG_DFL : SIG_IGN);
        const rlimit limit{content.size() / 2, content.size() / 2};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        try {
            Replace(file, content);
        } catch (const ERuvoError&) {
            ::_exit(3);
        }
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
}

TEST(SafeFile, AFullDiskOrAWriterKilledMidwayLeavesTheOldFile) {
    TempDir dir;
    const fs::path file = dir / "save.dat";
    Replace(file, "the old saves");
    const std::string big(1 << 20, 'n');
    EXPECT_EQ(WriteInChild(file, big, false), 3);
    EXPECT_EQ(ReadFile(file), "the old saves");
    EXPECT_EQ(FilesIn(dir.Path()), 1u);  // the failed writer took its temporary file away
    EXPECT_EQ(WriteInChild(file, big, true), -SIGXFSZ);
    EXPECT_EQ(ReadFile(file), "the old saves");
}

} // namespace
} // namespace ruvo
