#pragma once
// Frame lists (".rmt"): TFilmManager reads and writes the file, chains its tracks' start times, and
// brings every track to a time given by its player (a frame number at 60 frames per second, from the
// game clock). Tracks draw onto a canvas; transition tracks swap the two bases of the stage the
// manager drives; sound tracks start their sounds through a sound output.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "graphics/film/filmtrack.hpp"

namespace ruvo {

class TStream;
class TVrFileManager;
class TWipeFrameList;
class TSoundFrameList;
class TFilmSoundOutput;

// What a manager drives: two bases that take turns at transition tracks. Base numbers are relative
// to the base the film started on (0); the stage maps them onto its own.
class TFilmStage {
public:
    virtual ~TFilmStage() = default;
    // No transition runs: the base shown is `base`.
    virtual void ShowBase(int base) = 0;
    // A transition runs from base `from` to the other one; `elapsed` frames of the track's length have
    // passed. `restart` when the track differs from the previous update's.
    virtual void ShowTransition(const TWipeFrameList& track, int from, int32_t elapsed, bool restart) = 0;
};

class TFilmManager {
public:
    TFilmManager() = default;
    TFilmManager(const TFilmManager&) = delete;
    TFilmManager& operator=(const TFilmManager&) = delete;
    ~TFilmManager();

    // --- The header ---
    bool Cinema = false;      // signature "RuvoCinema" (else "RuvoMotion")
    int32_t Version = kFilmMaxVersion;
    int32_t StageWidth = 0, StageHeight = 0;
    int32_t Color = -1;       // stage background 0x00BBGGRR; negative: none (black)
    uint8_t PositionRelative = 0;  // version 102: a motion follows its object's position
    int32_t OffsetX = 0, OffsetY = 0;  // version 104: the point of the stage placed at the anchor
    int32_t LoopStart = 0;    // version 106: where a repeating motion starts again (frames)
    std::string Folder;       // the file's folder, with its trailing "\" ("" at the game's root)

    // The header fields after the signature, walked as the tracks are.
    void SyncHeader(TFilmFields& f);

    // --- Loading and saving ---
    void Clear();
    // Reads a frame list. An unknown signature (or a version outside 100..108) leaves the manager empty
    // and answers false; damage throws ERuvoError and leaves it empty too. name: the game name, whose
    // folder relative track names start from.
    bool LoadFromStream(TStream& stream, std::string_view name);
    // The file through the virtual file manager ("%s:ファイルがありません" when it has none).
    bool LoadFromFile(TVrFileManager& files, std::string_view name);
    // Writes the frame list with its Version (a version from 100 to 108).
    void SaveToStream(TStream& stream);

    int Count() const noexcept { return int(tracks_.size()); }
    TCustomFrameList& Track(int i) const { return *tracks_.at(size_t(i)); }
    // For builders and tests: the track is appended; call Resolve after the last one.
    void AddTrack(std::unique_ptr<TCustomFrameList> track);
    // Links parents, computes start times, bases, drawing order and the length. Loading does this.
    void Resolve();
    // Loads the tracks' pictures (and renders labels) through `resources`.
    void LoadResources(TFilmResources& resources);

    // Largest end time of the tracks (frames).
    int32_t Length() const noexcept { return length_; }
    // The first track that starts at 0, or null.
    TCustomFrameList* FirstRootTrack() const noexcept;

    // --- Playing ---
    // Set by the owner; a manager without a stage, or one inside a cinema, leaves transitions alone.
    void SetStage(TFilmStage* stage) noexcept { stage_ = stage; }
    bool PartOfCinema = false;
    void SetSoundOutput(TFilmSoundOutput* output) noexcept { sounds_ = output; }

    // Every track to `time`, then sounds and transitions. Allocates nothing.
    void Update(int32_t time);
    // Parity of the transitions whose last frame has come by the last update (0 or 1): the base shown
    // once no transition runs.
    int BaseIndex() const noexcept { return baseIndex_; }
    // The visual tracks, lowest priority first (file order among equals): the order they are drawn in.
    const std::vector<TCustomFrameList*>& DrawOrder() const noexcept { return drawOrder_; }
    // Draws the active visual tracks on `base`, lowest priority first (file order among equals).
    void Draw(const TFilmCanvas& canvas, int base) const;
    // Draws the active visual tracks of both bases.
    void DrawAll(const TFilmCanvas& canvas) const;

private:
    void UpdateSounds(int32_t time);
    void UpdateTransitions(int32_t time);

    std::vector<std::unique_ptr<TCustomFrameList>> tracks_;
    // Filled by Resolve.
    std::vector<TCustomFrameList*> drawOrder_;
    std::vector<TWipeFrameList*> transitions_;
    std::vector<TSoundFrameList*> soundTracks_;
    int32_t length_ = 0;

    TFilmStage* stage_ = nullptr;
    TFilmSoundOutput* sounds_ = nullptr;
    bool updated_ = false;
    int32_t lastTime_ = 0;
    const TWipeFrameList* lastTransition_ = nullptr;
    int baseIndex_ = 0;
};

} // namespace ruvo
