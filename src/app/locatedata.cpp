#include "app/locatedata.hpp"

#include <system_error>

#include "archive/discs.hpp"
#include "archive/installset.hpp"
#include "archive/vrfilemanager.hpp"

namespace ruvo {

namespace fs = std::filesystem;

namespace {

bool IsFile(const fs::path& p) {
    std::error_code ec;
    return fs::is_regular_file(p, ec);
}

// A disc carries the game when it has both files and its install record names the same title.
bool DiscCarries(const fs::path& root, const std::string& title) {
    if (!IsFile(root / "game.dat") || !IsFile(root / "install.dat")) return false;
    try {
        TRuvoInstallSet record;
        record.LoadFromFile(root / "install.dat");
        return record.Title == title;
    } catch (...) {
        return false;
    }
}

} // namespace

bool LocateData(TVrFileManager& files, const fs::path& playerFolder, IDiscRoots& discs, TLocatePrompts& prompts) {
    if (IsFile(playerFolder / "install.dat") && files.BaseFolder().empty()) files.SetBaseFolder(playerFolder);
    if (!files.Exists("install.dat")) {
        prompts.Reinstall();
        return false;
    }
    TMemoryStream stream;
    files.Load(stream, "install.dat");
    TRuvoInstallSet record;
    record.LoadFromStream(stream);
    const bool whole = record.InstalledWhole;
    if (IsFile(playerFolder / "game.dat")) {
        files.AddArchive(playerFolder / "game.dat");
        if (whole) return true;
    } else if (whole && files.Count() > 0) {
        return true;
    }
    for (;;) {
        for (const fs::path& root : discs.Roots()) {
            if (DiscCarries(root, record.Title)) {
                files.AddArchive(root / "game.dat");
                return true;
            }
        }
        if (prompts.InsertDisc()) continue;
        if (prompts.Quit()) return false;
    }
}

} // namespace ruvo
