#pragma once
// A folder of the user's own, made once per run in the shared temporary folder, where the temporary
// copies of archive entries ("~rv" names) go: nobody else can take those names first or plant links
// under them. It is removed at the end of the run, and folders that runs left behind (a crash, a kill)
// are removed by the next run. A run marks its folder as in use by holding a lock on a file in it.
#include <filesystem>
#include <string>

namespace ruvo {

class TRunFolder {
public:
    // Removes what ended runs left in parent, then makes this run's folder there.
    explicit TRunFolder(const std::filesystem::path& parent = std::filesystem::temp_directory_path());
    // Removes the folder and everything in it.
    ~TRunFolder();
    TRunFolder(const TRunFolder&) = delete;
    TRunFolder& operator=(const TRunFolder&) = delete;

    // Empty when no folder could be made; Problem() then says why.
    const std::filesystem::path& Path() const noexcept { return path_; }
    const std::string& Problem() const noexcept { return problem_; }

    // Removes the run folders of this user in parent that no running player holds; answers how many.
    static int RemoveLeftovers(const std::filesystem::path& parent);

private:
    std::filesystem::path path_;
    std::string problem_;
    int lockFd_ = -1;
};

} // namespace ruvo
