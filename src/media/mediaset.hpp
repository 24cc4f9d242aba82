#pragma once
// The player's media: the mixer and one manager per kind of sound, the choice of manager by a sound's
// name, and the player-wide pause, resume and sound switch. Sound objects reach it through the world;
// the player feeds the mixer's output to the sound device or to the headless recording.
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "media/mediamanager.hpp"
#include "media/mixer.hpp"

namespace ruvo {

class TVrFileManager;

struct TMediaSetup {
    bool threaded = false;                // a worker thread decodes (a sound device pulls the mix)
    std::filesystem::path soundFont;      // empty: FindSoundFont()
    std::filesystem::path cdDir;          // ripped CD tracks; empty: the game folder's "cd", then the game folder
    std::filesystem::path gameFolder;     // where the game's files are
};

// The kinds of sound, each with its manager.
enum class TMediaKind { Ogg, WindowsMedia, Midi, CdAudio };

class TMediaSet {
public:
    // files: where names are read from (archive entries in place, loose files); report: one line for each
    // sound that cannot be played.
    TMediaSet(TMediaSetup setup, TVrFileManager& files, TMediaManager::TReporter report);
    ~TMediaSet();
    TMediaSet(const TMediaSet&) = delete;
    TMediaSet& operator=(const TMediaSet&) = delete;

    TMixer& Mixer() noexcept { return *mixer_; }
    TMediaManager& Manager(TMediaKind kind) const { return *managers_.at(static_cast<size_t>(kind)); }
    // By the lower-case extension: ".mid" and ".sgt" MIDI; ".wma", ".asf" and ".wmv" Windows Media; ".ogg"
    // and ".wav" Ogg; otherwise a name beginning with "CD_" CD audio; null for anything else.
    TMediaManager* ManagerFor(std::string_view name) const;
    // The game's FileAvailable test (a file the game can open, or a disc to ask for); until it is set,
    // any name the file manager finds.
    void SetAvailability(std::function<bool(std::string_view)> available) { available_ = std::move(available); }
    bool Available(std::string_view name) const;

    // Every manager at once (the window's focus, the sound switch).
    void PauseAll();
    void ResumeAll();
    void SetEnabled(bool on);
    bool Enabled() const;
    const std::filesystem::path& SoundFont() const noexcept { return soundFont_; }

private:
    std::unique_ptr<TPcmSource> OpenCd(const std::string& name) const;
    std::unique_ptr<class TStream> OpenInPlace(const std::string& name) const;

    TVrFileManager& files_;
    std::unique_ptr<TMixer> mixer_;
    std::vector<std::unique_ptr<TMediaManager>> managers_;
    std::vector<std::filesystem::path> cdFolders_;
    std::filesystem::path soundFont_;
    std::function<bool(std::string_view)> available_;
};

// Opens a sound file outside a game by its extension as the managers would (".ogg" Ogg Vorbis, ".mid"
// MIDI, ".wma", ".asf", ".wmv" and ".mp3" FFmpeg, anything else libsndfile): for the tools.
std::unique_ptr<TPcmSource> OpenSoundStream(std::string_view extension, std::unique_ptr<class TStream> stream,
                                            const std::filesystem::path& soundFont);

} // namespace ruvo
