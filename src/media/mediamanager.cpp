#include "media/mediamanager.hpp"

#include <algorithm>
#include <exception>

#include "media/mixer.hpp"
#include "media/voice.hpp"
#include "media/voicefeed.hpp"

namespace ruvo {

TMediaManager::TMediaManager(std::string kind, TMixer& mixer, TGainScale scale, TOpener opener, TReporter report)
    : kind_(std::move(kind)), mixer_(mixer), scale_(scale), opener_(std::move(opener)), report_(std::move(report)) {}

TMediaManager::~TMediaManager() = default;

std::unique_ptr<TPcmSource> TMediaManager::Open(const std::string& name) const { return opener_(name); }

TDMediaItem* TMediaManager::Add(const std::string& name) {
    std::unique_ptr<TPcmSource> source;
    std::shared_ptr<TVoice> voice;
    try {
        source = opener_(name);
        if (!source) return nullptr;
        voice = std::make_shared<TVoice>(std::make_unique<TVoiceFeed>(std::move(source)), mixer_.VoiceCapacity());
    } catch (const std::exception& e) {
        if (report_) report_(name, e.what());
        return nullptr;
    }
    items_.push_back(std::make_unique<TVoiceItem>(*this, mixer_, std::move(voice), scale_));
    return items_.back().get();
}

void TMediaManager::Remove(TDMediaItem* item) {
    const auto it = std::find_if(items_.begin(), items_.end(), [&](const auto& i) { return i.get() == item; });
    if (it != items_.end()) items_.erase(it);
}

void TMediaManager::PauseAll() {
    if (!enabled_ || suspended_) return;
    suspended_ = true;
    for (const auto& item : items_) {
        const bool pause = item->IsPlaying() && !item->IsPaused() && !item->IsEnd();
        if (pause) item->Pause();
        item->PausedByManager = pause;
    }
}

void TMediaManager::ResumeAll() {
    if (!enabled_ || !suspended_) return;
    suspended_ = false;
    for (const auto& item : items_)
        if (item->PausedByManager) {
            item->PausedByManager = false;
            item->Play();
        }
}

void TMediaManager::SetEnabled(bool on) {
    if (on == enabled_) return;
    if (!on) {
        PauseAll();
        enabled_ = false;
    } else {
        enabled_ = true;
        ResumeAll();
    }
}

} // namespace ruvo
