#include "media/mediaset.hpp"

#include <stdexcept>

#include "archive/gamepath.hpp"
#include "archive/sjis.hpp"
#include "archive/streams.hpp"
#include "archive/vrfilemanager.hpp"
#include "archive/vrfiles.hpp"
#include "media/cdaudio.hpp"
#include "media/ffmpegsource.hpp"
#include "media/midisource.hpp"
#include "media/oggsource.hpp"
#include "media/sndfilesource.hpp"

namespace ruvo {

namespace fs = std::filesystem;

namespace {

// MIDI files are read whole; none a game ships comes near this.
constexpr int64_t kMaxMidiBytes = int64_t{16} << 20;

std::string LowerExtension(std::string_view name) {
    std::string ext = ExtensionOf(name);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ext;
}

std::vector<uint8_t> ReadAll(TStream& stream) {
    const int64_t size = stream.Size();
    if (size > kMaxMidiBytes) throw std::runtime_error("a MIDI file larger than 16 MB");
    std::vector<uint8_t> bytes(static_cast<size_t>(std::max<int64_t>(size, 0)));
    bytes.resize(static_cast<size_t>(std::max<int64_t>(stream.Read(bytes.data(), size), 0)));
    return bytes;
}

struct TKindRow {
    TMediaKind kind;
    const char* name;
    TGainScale scale;
    const char* extensions[3];
};

// Which manager takes which names, and how it turns volumes into gains.
constexpr TKindRow kKinds[] = {
    {TMediaKind::Ogg, "Ogg", TGainScale::Decibels, {".ogg", ".wav", nullptr}},
    {TMediaKind::WindowsMedia, "Windows Media", TGainScale::Decibels, {".wma", ".asf", ".wmv"}},
    {TMediaKind::Midi, "MIDI", TGainScale::Linear, {".mid", ".sgt", nullptr}},
    {TMediaKind::CdAudio, "CD audio", TGainScale::Decibels, {nullptr, nullptr, nullptr}},
};

} // namespace

std::unique_ptr<TPcmSource> OpenSoundStream(std::string_view extension, std::unique_ptr<TStream> stream,
                                            const fs::path& soundFont) {
    const std::string ext = LowerExtension(std::string("x") + std::string(extension));
    if (ext == ".ogg") return OpenOggSource(std::move(stream));
    if (ext == ".mid") return OpenMidiSource(ReadAll(*stream), soundFont);
    if (ext == ".wma" || ext == ".asf" || ext == ".wmv" || ext == ".mp3") return OpenFfmpegSource(std::move(stream));
    return OpenSndfileSource(std::move(stream));
}

TMediaSet::TMediaSet(TMediaSetup setup, TVrFileManager& files, TMediaManager::TReporter report)
    : files_(files), mixer_(std::make_unique<TMixer>(setup.threaded)) {
    soundFont_ = setup.soundFont.empty() ? FindSoundFont() : setup.soundFont;
    if (!setup.cdDir.empty()) cdFolders_.push_back(setup.cdDir);
    else if (!setup.gameFolder.empty()) cdFolders_ = {setup.gameFolder / "cd", setup.gameFolder};
    auto openFile = [this](const std::string& name) -> std::unique_ptr<TPcmSource> {
        const std::string ext = LowerExtension(name);
        if (ext == ".sgt") return nullptr;  // DirectMusic segments: nothing here plays them
        return OpenSoundStream(ext, OpenInPlace(name), soundFont_);
    };
    for (const TKindRow& row : kKinds) {
        TMediaManager::TOpener opener = row.kind == TMediaKind::CdAudio
                                            ? TMediaManager::TOpener([this](const std::string& n) { return OpenCd(n); })
                                            : TMediaManager::TOpener(openFile);
        managers_.push_back(std::make_unique<TMediaManager>(row.name, *mixer_, row.scale, opener, report));
    }
}

TMediaSet::~TMediaSet() {
    managers_.clear();  // the items leave the mixer before it stops
    mixer_.reset();
}

TMediaManager* TMediaSet::ManagerFor(std::string_view name) const {
    const std::string ext = LowerExtension(name);
    for (const TKindRow& row : kKinds)
        for (const char* e : row.extensions)
            if (e && ext == e) return &Manager(row.kind);
    if (name.substr(0, 3) == "CD_") return &Manager(TMediaKind::CdAudio);
    return nullptr;
}

bool TMediaSet::Available(std::string_view name) const {
    if (available_) return available_(name);
    try {
        return files_.Exists(name);
    } catch (const std::exception&) {
        return false;
    }
}

// Sounds are read in place from the archive; one that was packed deflated (or made in memory) is read
// into memory instead, so that it still plays.
std::unique_ptr<TStream> TMediaSet::OpenInPlace(const std::string& name) const {
    if (const TVrFile* entry = files_.FindEntry(name); entry && (!entry->Raw || entry->Data)) {
        auto content = std::make_unique<TMemoryStream>();
        files_.Load(*content, name);
        content->SetPosition(0);
        return content;
    }
    return files_.OpenRange(name);
}

std::unique_ptr<TPcmSource> TMediaSet::OpenCd(const std::string& name) const {
    const std::optional<int> track = CdTrackOf(name);
    if (!track) throw std::runtime_error("not a CD track name");
    if (const auto file = FindRippedTrack(cdFolders_, *track)) {
        std::string ext = file->extension().string();
        return OpenSoundStream(ext, std::make_unique<TFileStream>(*file, FileOpen::Read), soundFont_);
    }
    return OpenDiscTrack(*track);
}

void TMediaSet::PauseAll() {
    for (const auto& m : managers_) m->PauseAll();
}

void TMediaSet::ResumeAll() {
    for (const auto& m : managers_) m->ResumeAll();
}

void TMediaSet::SetEnabled(bool on) {
    for (const auto& m : managers_) m->SetEnabled(on);
}

bool TMediaSet::Enabled() const { return managers_.front()->Enabled(); }

} // namespace ruvo
