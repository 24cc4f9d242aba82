#include "app/savescreen.hpp"

#include <fstream>
#include <optional>
#include <system_error>

#include "archive/deletionlist.hpp"
#include "archive/errors.hpp"
#include "archive/gamepath.hpp"
#include "archive/installset.hpp"
#include "archive/sjis.hpp"
#include "archive/streams.hpp"
#include "archive/vrfilemanager.hpp"
#include "archive/vrfiles.hpp"
#include "graphics/surface/dibx.hpp"
#include "graphics/images/picturecache.hpp"
#include "graphics/surface/surfaceops.hpp"
#include "graphics/images/zephfile.hpp"
#include "objects/world/screen.hpp"
#include "objects/world/world.hpp"
#include "params/sysfuncs.hpp"
#include "params/values.hpp"

namespace ruvo {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kMemoryPrefix = "mem:";

bool IsMemoryName(const std::string& name) {
    return name.size() >= kMemoryPrefix.size() && SameTextAscii(name.substr(0, kMemoryPrefix.size()), kMemoryPrefix);
}

// The screen's picture as one 24-bit frame of the size asked for (stretched when it differs); none
// when the screen has no memory surface.
std::optional<TZephFrame> ScreenFrame(TRuvoBaseList& world, TRuvoBase& screen, int32_t width, int32_t height) {
    screen.AddWhole();
    world.Paint();
    auto* shown = dynamic_cast<TDIBX*>(world.SurfaceOf(screen));
    if (!shown || shown->IsEmpty()) return std::nullopt;
    TZephLayer layer;
    if (width == world.Width() && height == world.Height()) {
        layer.Colour = ConvertBitCount(*shown->Storage(), 24);
    } else {
        TDIBX scaled;
        scaled.SetSize(width, height, 32);
        scaled.StretchDraw(TRect{0, 0, width, height}, *shown, TRect{0, 0, shown->GetWidth(), shown->GetHeight()}, false,
                           false, false, 255);
        layer.Colour = ConvertBitCount(*scaled.Storage(), 24);
    }
    TZephFrame frame;
    frame.Layers.push_back(std::move(layer));
    return frame;
}

// Adds the name to the created files of the game folder's installation record, so that the picture goes
// with the installation. A record too old to keep that list, or one that cannot be read, is left as it
// is: writing back what could not be read would lose it.
void RecordCreatedFile(const fs::path& folder, const std::string& name) {
    const fs::path path = folder / "install.dat";
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return;
    TRuvoInstallSet record;
    try {
        record.LoadFromFile(path);
    } catch (const ERuvoError&) {
        return;
    }
    if (record.Version < 102) return;
    for (const std::string& known : record.CreatedFiles)
        if (SameTextSjis(known, name)) return;
    record.CreatedFiles.push_back(name);
    try {
        record.SaveToFile(path);
    } catch (const ERuvoError&) {
        // The picture is saved all the same; only the record keeps its old list.
    }
}

// SaveScreen(file [, width [, height [, other screen [, mode]]]]): true once the picture is written.
bool SaveScreen(const TFuncCall& c, TRuvoBaseList& world, TVrFileManager& files, TPictureCache& pictures,
                TDeletionList& atEnd) {
    const std::string name = c.Str(0);
    std::error_code ec;
    if (!fs::is_directory(files.BaseFolder(), ec) || !SameTextAscii(ExtensionOf(name), ".zph")) return false;
    const int32_t width = c.IntOr(1, 0) == 0 ? world.Width() : c.Int(1);
    const int32_t height = c.IntOr(2, 0) == 0 ? world.Height() : c.Int(2);
    // The same bounds as the world's own screens.
    if (width < 1 || height < 1 || width > TRuvoBaseList::kMaxSide || height > TRuvoBaseList::kMaxSide ||
        int64_t{width} * height > TRuvoBaseList::kMaxPixels)
        return false;
    TRuvoBase& screen = c.FlagOr(3, false) ? world.BackScreen() : world.ActiveScreen();
    const std::optional<TZephFrame> frame = ScreenFrame(world, screen, width, height);
    if (!frame) return false;
    TMemoryStream bytes;
    WriteZeph(bytes, std::span(&*frame, 1), TZephWriteOptions{});
    if (IsMemoryName(name)) {
        TVrFileCollection& memory = files.Collection(0);
        TVrFile* entry = memory.Find(name);
        if (entry && entry->Data) entry->Data->Clear();
        else entry = &memory.AddMemoryFile(name);
        entry->Data->WriteBuffer(bytes.Memory(), bytes.Size());
    } else {
        // Names reaching outside the game's folder are refused by the resolver.
        const fs::path path = TGamePathResolver(files.BaseFolder()).PathForWrite(name);
        fs::create_directories(path.parent_path(), ec);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.Memory()), static_cast<std::streamsize>(bytes.Size()));
        if (!out) return false;
        files.InvalidateLooseFiles();
        const int32_t mode = c.IntOr(4, 0);
        if (mode == 1) atEnd.Add(path);
        else if (mode == 2) RecordCreatedFile(files.BaseFolder(), name);
    }
    pictures.Forget(name);
    files.Cache().Forget(name);
    return true;
}

} // namespace

void RegisterSaveScreen(TSysFuncMan& funcs, TRuvoBaseList& world, TVrFileManager& files, TPictureCache& pictures,
                        TDeletionList& atEnd) {
    funcs.Register(sfSaveScreen, [&world, &files, &pictures, &atEnd](const TFuncCall& c) {
        c.dest.SetFlag(false);
        c.dest.SetFlag(SaveScreen(c, world, files, pictures, atEnd));
    });
}

} // namespace ruvo
