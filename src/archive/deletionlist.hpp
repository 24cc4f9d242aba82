#pragma once
// Files to delete later: temporary copies that may still be open elsewhere when they are given up.
// The main loop empties the list once per frame and once more at the end.
#include <filesystem>
#include <vector>

namespace ruvo {

class TDeletionList {
public:
    TDeletionList() = default;
    ~TDeletionList() { DeleteAll(); }
    TDeletionList(const TDeletionList&) = delete;
    TDeletionList& operator=(const TDeletionList&) = delete;

    void Add(std::filesystem::path path) { files_.push_back(std::move(path)); }
    // Deletes every listed file, ignoring errors, and empties the list.
    void DeleteAll() noexcept;
    const std::vector<std::filesystem::path>& Files() const noexcept { return files_; }

private:
    std::vector<std::filesystem::path> files_;
};

} // namespace ruvo
