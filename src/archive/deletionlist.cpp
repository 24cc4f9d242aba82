#include "archive/deletionlist.hpp"

#include <system_error>

namespace ruvo {

void TDeletionList::DeleteAll() noexcept {
    for (const auto& path : files_) {
        std::error_code ec;
        std::filesystem::remove(path, ec);
    }
    files_.clear();
}

} // namespace ruvo
