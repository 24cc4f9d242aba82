#pragma once
// A media manager: the items of one kind of sound (Ogg and WAV, Windows Media, MIDI, CD audio), made
// from a name by the kind's opener and kept until they are given back, with the player-wide pause and
// resume (the window losing focus) and the switch that turns the kind off and on.
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "media/mediaitem.hpp"
#include "media/pcmsource.hpp"

namespace ruvo {

class TMixer;

class TMediaManager {
public:
    // Opens a name as a source; throws std::runtime_error (or ERuvoError) when it cannot, returns null
    // for names the kind plays nothing for.
    using TOpener = std::function<std::unique_ptr<TPcmSource>(const std::string& name)>;
    // Told once for each name whose file could not be played.
    using TReporter = std::function<void(const std::string& name, const std::string& reason)>;

    TMediaManager(std::string kind, TMixer& mixer, TGainScale scale, TOpener opener, TReporter report);
    ~TMediaManager();
    TMediaManager(const TMediaManager&) = delete;
    TMediaManager& operator=(const TMediaManager&) = delete;

    const std::string& Kind() const noexcept { return kind_; }
    // A new item for the name, or null when nothing can be played (reported once).
    TDMediaItem* Add(const std::string& name);
    // Frees an item of this manager.
    void Remove(TDMediaItem* item);
    void PauseAll();
    void ResumeAll();
    void SetEnabled(bool on);
    bool Enabled() const noexcept { return enabled_; }
    bool Suspended() const noexcept { return suspended_; }
    size_t Count() const noexcept { return items_.size(); }
    TMixer& Mixer() const noexcept { return mixer_; }
    TGainScale Scale() const noexcept { return scale_; }

    // The source a name opens to, without an item (for measuring and the tools); throws as the opener does.
    std::unique_ptr<TPcmSource> Open(const std::string& name) const;

private:
    std::string kind_;
    TMixer& mixer_;
    TGainScale scale_;
    TOpener opener_;
    TReporter report_;
    std::vector<std::unique_ptr<TDMediaItem>> items_;
    bool enabled_ = true;
    bool suspended_ = false;
};

} // namespace ruvo
