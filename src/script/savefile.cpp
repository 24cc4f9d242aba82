#include "script/savefile.hpp"

#include <cstdio>
#include <cstdlib>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

#include "archive/bigstreams.hpp"
#include "archive/errors.hpp"
#include "archive/safefile.hpp"
#include "archive/sjis.hpp"
#include "archive/vrfiles.hpp"
#include "archive/zcodec.hpp"
#include "script/project.hpp"

namespace ruvo {

namespace fs = std::filesystem;

namespace {

// Archives keep CRCs from this version on.
constexpr int32_t kCrcSince = 101;
// Bytes of a game's folder name taken from its title.
constexpr size_t kIdTitleBytes = 64;

} // namespace

std::string GameEntryName(int32_t slot) { return std::string(kGameEntryPrefix) + std::to_string(slot); }

std::optional<int32_t> SlotOfEntryName(std::string_view name) {
    if (name.size() <= kGameEntryPrefix.size() || !SameTextAscii(name.substr(0, kGameEntryPrefix.size()), kGameEntryPrefix))
        return std::nullopt;
    const std::string_view rest = name.substr(kGameEntryPrefix.size());
    const size_t digits = rest.front() == '-' ? 1 : 0;
    if (digits == rest.size() || rest.size() - digits > 10) return std::nullopt;
    int64_t value = 0;
    for (size_t i = digits; i < rest.size(); ++i) {
        if (rest[i] < '0' || rest[i] > '9') return std::nullopt;
        value = value * 10 + (rest[i] - '0');
    }
    if (digits) value = -value;
    if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
    return static_cast<int32_t>(value);
}

fs::path TSaveLocation::FileToRead() const {
    std::error_code ec;
    if (FallbackReadFile.empty() || fs::exists(ReadFile, ec)) return ReadFile;
    return FallbackReadFile;
}

TSaveLocation ResolveSaveLocation(const fs::path& gameFolder, const fs::path& saveDir, const fs::path& dataHome,
                                  const std::string& gameId, const std::function<bool(const fs::path&)>& writable) {
    const std::string name(kSaveFileName);
    if (!saveDir.empty()) return {saveDir / name, {}, saveDir / name};
    const fs::path inGame = gameFolder / name;
    if (writable(gameFolder)) return {inGame, {}, inGame};
    const fs::path own = dataHome / "ruvoplay" / gameId / name;
    return {own, inGame, own};
}

bool FolderWritable(const fs::path& folder) { return ::access(folder.c_str(), W_OK | X_OK) == 0; }

fs::path DefaultDataHome() {
    // Relative values are to be ignored.
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        const passwd* pw = ::getpwuid(::getuid());
        home = pw && pw->pw_dir ? pw->pw_dir : "/tmp";
    }
    return fs::path(home) / ".local" / "share";
}

std::string SaveGameId(const TProjectFile& project) {
    std::string title;
    const std::string utf8 = SjisToUtf8Lossy(project.Title);
    for (size_t i = 0; i < utf8.size();) {
        // Whole UTF-8 sequences, so that cutting to length never splits a character.
        const unsigned char lead = static_cast<unsigned char>(utf8[i]);
        const size_t n = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        if (title.size() + n > kIdTitleBytes) break;
        std::string c = utf8.substr(i, n);
        if (n == 1 && (lead < 0x20 || lead == 0x7F || std::string_view("/\\:*?\"<>|").find(char(lead)) != std::string_view::npos))
            c = "_";
        title += c;
        i += n;
    }
    while (!title.empty() && (title.front() == '.' || title.front() == ' ')) title.erase(0, 1);
    while (!title.empty() && (title.back() == '.' || title.back() == ' ')) title.pop_back();
    if (title.empty()) title = "game";
    const std::string key = project.Title + '\0' + project.RegistryKey;
    char crc[16];
    std::snprintf(crc, sizeof crc, "%08x", Crc32(reinterpret_cast<const uint8_t*>(key.data()), key.size()));
    return title + "-" + crc;
}

// ---- the archive in memory

TSaveArchive::TSaveArchive()
    : data_(std::make_unique<TGxBigMemoryStream>()), archive_(std::make_unique<TVrFileCollection>()) {}

TSaveArchive::TSaveArchive(const fs::path& file) : TSaveArchive() {
    std::error_code ec;
    if (!fs::exists(file, ec)) return;
    WithContext([&] { return file.string(); }, [&] {
        data_->LoadFromFile(file);
        if (data_->GetSize() == 0) return;  // an empty file holds nothing yet
        data_->SetPosition(0);
        archive_->ReadDirectory(*data_);
    });
}

TSaveArchive::~TSaveArchive() = default;
TSaveArchive::TSaveArchive(TSaveArchive&&) noexcept = default;
TSaveArchive& TSaveArchive::operator=(TSaveArchive&&) noexcept = default;

bool TSaveArchive::Has(std::string_view name) const { return archive_->Find(name) != nullptr; }

std::vector<std::string> TSaveArchive::Names() const {
    std::vector<std::string> names;
    for (int i = 0; i < archive_->Count(); ++i)
        if (!(*archive_)[i].IsEndMarker()) names.push_back((*archive_)[i].Name());
    return names;
}

void TSaveArchive::Read(std::string_view name, TMemoryStream& out) const {
    const TVrFile* entry = archive_->Find(name);
    if (!entry || entry->IsEndMarker()) throw ERuvoError(SysMessage("%s:ファイルがありません", {name}));
    archive_->ReadEntry(*entry, out);
    if (entry->Data || archive_->Version() < kCrcSince) return;
    uint32_t crc;
    if (entry->CrcOfContent) {
        crc = Crc32(out.Memory(), static_cast<size_t>(out.Size()));
    } else {
        TMemoryStream stored;
        archive_->ReadStored(*entry, stored);
        crc = Crc32(stored.Memory(), static_cast<size_t>(stored.Size()));
    }
    if (crc != entry->Crc)
        throw std::move(ERuvoError::FromUtf8("セーブデータが壊れています").AddContext("the CRC of " + SjisToUtf8Lossy(name) + " does not match"));
}

void TSaveArchive::Replace(const std::string& name, TMemoryStream& content) {
    while (archive_->Find(name)) archive_->Delete(name);  // earlier copies of the name go too
    TVrFile& entry = archive_->AddMemoryFile(name);
    entry.Data->WriteBuffer(content.Memory(), content.Size());
}

std::vector<uint8_t> TSaveArchive::Bytes() {
    TGxBigMemoryStream out;
    archive_->WriteTo(out);
    return out.Memory().Bytes();
}

void TSaveArchive::Store(const fs::path& file) {
    TGxBigMemoryStream out;
    WithContext([&] { return file.string(); }, [&] { archive_->WriteTo(out); });
    ReplaceFileSafely(file, out.Memory().Memory(), static_cast<size_t>(out.Memory().Size()));
}

} // namespace ruvo
