#include "script/offlinegame.hpp"

#include <algorithm>
#include <system_error>

#include "archive/streams.hpp"
#include "script/page.hpp"

namespace ruvo {

namespace fs = std::filesystem;

namespace {

class TNoDiscs final : public IDiscRoots {
public:
    std::vector<fs::path> Roots() override { return {}; }
};

} // namespace

TOfflineGame::TOfflineGame(const fs::path& gameFolder)
    : files_(deletions_, std::make_unique<TNoDiscs>(), fs::path()),  // pages are read into memory
      funcs_(vars_),
      context_{services_, vars_, funcs_, nullptr, nullptr, &world_},
      interpreter_(context_, [this](const std::string& name) { return OpenPage(name); }) {
    files_.AddArchive({});
    if (gameFolder.empty()) return;
    files_.SetBaseFolder(gameFolder);
    std::error_code ec;
    if (fs::is_regular_file(gameFolder / "game.dat", ec)) files_.AddArchive(gameFolder / "game.dat");
}

TOfflineGame::~TOfflineGame() = default;

bool TOfflineGame::Missing(const std::string& page) const {
    return std::find(missing_.begin(), missing_.end(), page) != missing_.end();
}

std::unique_ptr<TStream> TOfflineGame::OpenPage(const std::string& name) {
    auto stream = std::make_unique<TMemoryStream>();
    if (!files_.BaseFolder().empty() && files_.Exists(name)) {
        files_.Load(*stream, name);
        return stream;
    }
    missing_.push_back(name);
    TPage empty;
    empty.SaveToStream(*stream);
    stream->SetPosition(0);
    return stream;
}

} // namespace ruvo
