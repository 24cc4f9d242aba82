#include "archive/runfolder.hpp"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/tempdir.hpp"

namespace ruvo {
namespace {

namespace fs = std::filesystem;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

std::string Prefix() { return "ruvoplay-" + std::to_string(::geteuid()) + "-run-"; }

// The folder a run made before it died without cleaning up.
fs::path FolderOfADeadRun(const fs::path& parent) {
    int fds[2];
    EXPECT_EQ(::pipe(fds), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        auto* run = new TRunFolder(parent);  // never freed: the process dies with it
        WriteFile(run->Path() / "~rv00000000.wmv", "copy");
        const std::string path = run->Path().string();
        (void)!::write(fds[1], path.data(), path.size());
        ::_exit(0);
    }
    ::close(fds[1]);
    char buffer[4096];
    const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
    ::close(fds[0]);
    ::waitpid(child, nullptr, 0);
    return n > 0 ? fs::path(std::string(buffer, static_cast<size_t>(n))) : fs::path();
}

TEST(RunFolder, PrivateToTheUserAndRemovedWithEverythingInIt) {
    TempDir dir;
    fs::path path;
    {
        TRunFolder run(dir.Path());
        ASSERT_FALSE(run.Path().empty()) << run.Problem();
        path = run.Path();
        EXPECT_EQ(path.parent_path(), dir.Path());
        EXPECT_EQ(path.filename().string().rfind(Prefix(), 0), 0u) << path;
        EXPECT_EQ(fs::status(path).permissions() & fs::perms::all, fs::perms::owner_all);
        WriteFile(path / "~rv00000000.wmv", "copy");
        // Another run beside it leaves it alone while it is in use.
        TRunFolder other(dir.Path());
        EXPECT_NE(other.Path(), path);
        EXPECT_TRUE(fs::exists(path / "~rv00000000.wmv"));
    }
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(fs::is_empty(dir.Path()));
}

TEST(RunFolder, TheNextRunRemovesWhatDeadRunsLeftAndNothingElse) {
    TempDir dir;
    const fs::path dead = FolderOfADeadRun(dir.Path());
    ASSERT_FALSE(dead.empty());
    ASSERT_TRUE(fs::exists(dead / "~rv00000000.wmv"));

    // Look-alikes that are not ours to remove: a link to someone's folder, a folder being made (no lock
    // file yet), and a folder that is not a run folder.
    WriteFile(dir / "victim" / "run.lock", "");
    WriteFile(dir / "victim" / "precious.txt", "keep");
    fs::create_directory_symlink(dir / "victim", dir / (Prefix() + "link00"));
    fs::create_directory(dir / (Prefix() + "young0"));
    fs::create_directory(dir / "ruvoplay-other");

    TRunFolder run(dir.Path());
    EXPECT_FALSE(fs::exists(dead));
    EXPECT_EQ(ReadFile(dir / "victim" / "precious.txt"), "keep");
    EXPECT_TRUE(fs::is_symlink(dir / (Prefix() + "link00")));
    EXPECT_TRUE(fs::exists(dir / (Prefix() + "young0")));
    EXPECT_TRUE(fs::exists(dir / "ruvoplay-other"));
    EXPECT_EQ(TRunFolder::RemoveLeftovers(dir.Path()), 0);  // the living run is kept
    EXPECT_TRUE(fs::exists(run.Path()));
}

TEST(RunFolder, AParentThatCannotHoldFoldersGivesAProblemNotAPath) {
    TempDir dir;
    WriteFile(dir / "file", "");
    TRunFolder run(dir / "file");
    EXPECT_TRUE(run.Path().empty());
    EXPECT_FALSE(run.Problem().empty());
}

} // namespace
} // namespace ruvo
