#pragma once
// A stage of surfaces for frame lists: two bases the tracks draw on and the screen they are shown on,
// with the transitions of transition tracks between them. Tools and tests draw a frame list at any
// time with it; pictures come from the game's files with the project's image key.
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "graphics/surface/dibx.hpp"
#include "graphics/film/filmmanager.hpp"
#include "graphics/wipes/wipes.hpp"

namespace ruvo {

class TVrFileManager;

// Pictures by game name through the virtual file manager, each loaded once.
class TGamePictures final : public TFilmResources {
public:
    TGamePictures(TVrFileManager& files, uint32_t imageKey, int displayBitCount)
        : files_(files), key_(imageKey), bitCount_(displayBitCount) {}
    std::shared_ptr<const TPicture> Picture(const std::string& gameName) override;
    TFilmLabelRenderer* Labels() override { return labels_; }
    // The text engine's renderer for label tracks; none: labels draw nothing.
    void SetLabelRenderer(TFilmLabelRenderer* labels) noexcept { labels_ = labels; }

private:
    TVrFileManager& files_;
    uint32_t key_;
    int bitCount_;
    TFilmLabelRenderer* labels_ = nullptr;
    std::map<std::string, std::shared_ptr<const TPicture>> loaded_;  // by case-folded name
};

class TSurfaceFilmStage final : public TFilmStage {
public:
    // random: the player's general random source, for the transitions that need chance.
    TSurfaceFilmStage(int32_t width, int32_t height, int bitCount, TRandomFunction random);

    TDIBX& Screen() noexcept { return screen_; }
    TDIBX& Base(int index) noexcept { return bases_[index & 1]; }

    // Brings the manager to `time`, paints both bases (cleared to the manager's colour) with the
    // tracks, the frame list's origin at (originX, originY), and composes the screen: the base shown,
    // or the running transition. The manager must drive this stage.
    void Render(TFilmManager& manager, int32_t time, int32_t originX = 0, int32_t originY = 0);

    // The picture to show for the manager's last update, with bases painted elsewhere (a cinema's
    // screens): the base shown, or the screen with the running transition between them. The bases must
    // stay the same surfaces while a transition runs.
    TCustomDIBX& Compose(TCustomDIBX& base0, TCustomDIBX& base1);
    // The base the last update shows, or leads to while a transition runs.
    int ShownBase() const noexcept { return transition_ ? from_ ^ 1 : shown_; }

    void ShowBase(int base) override;
    void ShowTransition(const TWipeFrameList& track, int from, int32_t elapsed, bool restart) override;

private:
    TDIBX screen_;
    TDIBX bases_[2];
    TRandomFunction random_;
    // What the last update asked for.
    int shown_ = 0;
    const TWipeFrameList* transition_ = nullptr;
    int from_ = 0;
    int32_t elapsed_ = 0;
    bool restart_ = false;
    TWipeStart wipe_;
};

} // namespace ruvo
