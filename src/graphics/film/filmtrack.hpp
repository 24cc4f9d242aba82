#pragma once
// The tracks of a frame list: each animates one thing (a picture, a label, a box, a transition, a
// sound, a tiled picture, particles, fire) over an interval of the timeline. This is the common part:
// the record every track starts with, the chaining of start times and the step shown at a time.
// Times are frames of 1/60 s, as the motion player counts them.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "graphics/film/filmfields.hpp"
#include "graphics/surface/pixelformat.hpp"

namespace ruvo {

class TCustomDIBX;
class TLabelFrameList;
struct TLabelFrame;
struct TPicture;

// Where visual tracks draw: a surface and the point of it where the frame list's origin lies.
struct TFilmCanvas {
    TCustomDIBX& Target;
    int32_t OriginX = 0, OriginY = 0;
};

// Draws a label track's text into its frame (a colour surface and a coverage mask). The text engine
// provides it; without one label tracks draw nothing.
class TFilmLabelRenderer {
public:
    virtual ~TFilmLabelRenderer() = default;
    virtual void Render(const TLabelFrameList& track, TLabelFrame& frame) = 0;
};

// What tracks load after a file has been read: pictures by game name (placeholder when missing) and
// the label renderer.
class TFilmResources {
public:
    virtual ~TFilmResources() = default;
    virtual std::shared_ptr<const TPicture> Picture(const std::string& gameName) = 0;
    virtual TFilmLabelRenderer* Labels() { return nullptr; }
};

class TCustomFrameList {
public:
    TCustomFrameList() = default;
    TCustomFrameList(const TCustomFrameList&) = delete;
    TCustomFrameList& operator=(const TCustomFrameList&) = delete;
    virtual ~TCustomFrameList() = default;

    // The kind byte as stored; the kind is its low 7 bits.
    uint8_t KindByte = 0;
    uint8_t Kind() const noexcept { return KindByte & 0x7F; }

    // --- The common record ---
    int32_t ParentIndex = -1;  // index in the file; -1, out of range or on a cycle: no parent
    int32_t Length = 0;        // frames
    int32_t Priority = 0;      // drawing order among the tracks (higher in front); a motion's SubPriority
    int32_t OwnStart = 0;      // start when the track has no parent
    int32_t LoopPeriod = 0;    // period of the picture animation
    int32_t MouseMode = 0;     // PR_IGNOREMOUSE of the object that shows the track
    uint8_t FlipH = 0, FlipV = 0;
    uint8_t Hold = 0;          // after its end the track keeps showing its end state

    // The whole record after the kind byte: the common part, then the kind's own.
    void Sync(TFilmFields& f);

    // --- Set by the manager after loading ---
    const TCustomFrameList* Parent() const noexcept { return parent_; }
    // Parent's start plus parent's length, or the own start without a parent.
    int32_t Start() const noexcept { return start_; }
    // First frame after the track (start + length).
    int64_t End() const noexcept { return int64_t(start_) + Length; }
    // Another track chains after this one: its steps count one more, so that it never shows the end
    // values the follower starts from.
    bool HasFollower() const noexcept { return follower_; }
    // Which of the stage's two bases the track draws on (relative to the base the film started on).
    int Base() const noexcept { return base_; }

    // Sets the start values in effect: the stored ones, or, with a parent of a related kind, the
    // parent's end values.
    virtual void SetStartValues(const TCustomFrameList* /*parent*/) {}
    // Loads pictures and the like; folder is the frame list's folder (names are relative to it).
    virtual void LoadResources(TFilmResources& /*resources*/, std::string_view /*folder*/) {}
    // Whether Draw puts something on a canvas.
    virtual bool Visual() const noexcept { return false; }

    // Brings the track to `time`: active while start <= time < end (or after the end when holding).
    void UpdateTo(int32_t time);
    bool Active() const noexcept { return active_; }
    // Step shown (time - start, at most steps - 1) and the number of steps.
    int32_t Step() const noexcept { return step_; }
    int32_t Steps() const noexcept;

    virtual void Draw(const TFilmCanvas& /*canvas*/) const {}
    // What Draw may touch now, relative to the canvas's origin (a turned picture: the square its turn
    // sweeps); empty when it draws nothing. The cinema's track objects take it as their rectangle.
    virtual TRect DrawnRect() const { return {}; }

protected:
    virtual void SyncOwn(TFilmFields& f) = 0;
    // Computes the shown state for step d of n (only while active).
    virtual void Pose(int32_t /*d*/, int32_t /*n*/) {}

private:
    friend class TFilmManager;
    const TCustomFrameList* parent_ = nullptr;
    int32_t start_ = 0;
    bool follower_ = false;
    int base_ = 0;
    bool active_ = false;
    int32_t step_ = 0;
};

// A name stored in a track, as the game's file name it means: relative names are taken from the
// frame list's folder; names starting with "\" or a drive ("C:") from the game's root. ".." never
// leaves the game's folders (it stops at the root).
std::string ResolveFilmName(std::string_view folder, std::string_view stored);
// The stored form of a game name for a frame list in `folder`: the leading folders both share are
// dropped and one "..\" is added per remaining folder of the frame list's.
std::string RelativeFilmName(std::string_view folder, std::string_view gameName);

} // namespace ruvo
