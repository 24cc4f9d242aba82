#include "media/midisource.hpp"

#include <algorithm>
#include <fluidsynth.h>
#include <mutex>
#include <stdexcept>

#include "media/miditimeline.hpp"
#include "media/mixrate.hpp"

namespace ruvo {

namespace fs = std::filesystem;

namespace {

void Quiet(int, const char*, void*) {}

// FluidSynth prints its complaints about damaged files itself; the player reports them once instead.
void SilenceFluidLog() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (int level = FLUID_PANIC; level < LAST_LOG_LEVEL; ++level)
            fluid_set_log_function(level, Quiet, nullptr);
    });
}

class TMidiSource final : public TPcmSource {
public:
    TMidiSource(std::vector<uint8_t> file, fs::path font)
        : file_(std::move(file)), font_(std::move(font)), timeline_(file_) {
        frames_ = timeline_.LengthMs() * kMixRate / 1000;
    }
    ~TMidiSource() override { Free(); }

    std::string Format() const override { return "MIDI (" + std::to_string(timeline_.Tracks()) + " tracks)"; }
    int Rate() const override { return kMixRate; }
    int Channels() const override { return 2; }
    int64_t Frames() const override { return frames_; }

    int64_t Read(float* out, int64_t frames) override {
        const int64_t n = std::clamp<int64_t>(frames_ - position_, 0, frames);
        if (n == 0) return 0;
        if (!synth_ && !failed_) Start(0);
        if (synth_) {
            // FluidSynth renders in blocks of int; a block of 64 K frames at most.
            for (int64_t done = 0; done < n;) {
                const int part = static_cast<int>(std::min<int64_t>(n - done, 65536));
                float* at = out + done * 2;
                fluid_synth_write_float(synth_, part, at, 0, 2, at, 1, 2);
                done += part;
            }
        } else {
            std::fill(out, out + n * 2, 0.0f);
        }
        position_ += n;
        return n;
    }

    bool Seek(int64_t frame) override {
        position_ = std::clamp<int64_t>(frame, 0, frames_);
        if (!failed_) Start(timeline_.MsToTick(position_ * 1000 / kMixRate));
        return true;
    }

private:
    // A new player from the tick (after the end of a file the player cannot seek any more).
    void Start(int64_t tick) {
        if (!synth_) {
            SilenceFluidLog();
            settings_ = new_fluid_settings();
            fluid_settings_setnum(settings_, "synth.sample-rate", kMixRate);
            fluid_settings_setint(settings_, "synth.threadsafe-api", 0);
            // The player's clock is the samples rendered, so that rendering is the same on every run.
            fluid_settings_setstr(settings_, "player.timing-source", "sample");
            fluid_settings_setnum(settings_, "synth.gain", 1.0);
            synth_ = new_fluid_synth(settings_);
            if (!synth_ || font_.empty() || fluid_synth_sfload(synth_, font_.c_str(), 1) == FLUID_FAILED) {
                failed_ = true;
                Free();
                return;
            }
        }
        if (player_) {
            fluid_player_stop(player_);
            delete_fluid_player(player_);
            player_ = nullptr;
        }
        fluid_synth_all_sounds_off(synth_, -1);
        fluid_synth_system_reset(synth_);
        player_ = new_fluid_player(synth_);
        if (!player_ || fluid_player_add_mem(player_, file_.data(), file_.size()) != FLUID_OK) {
            failed_ = true;
            Free();
            return;
        }
        fluid_player_play(player_);
        if (tick > 0) fluid_player_seek(player_, static_cast<int>(std::min<int64_t>(tick, INT32_MAX)));
    }

    void Free() {
        if (player_) {
            fluid_player_stop(player_);
            delete_fluid_player(player_);
        }
        if (synth_) delete_fluid_synth(synth_);
        if (settings_) delete_fluid_settings(settings_);
        player_ = nullptr;
        synth_ = nullptr;
        settings_ = nullptr;
    }

    std::vector<uint8_t> file_;
    fs::path font_;
    TMidiTimeline timeline_;
    int64_t frames_ = 0;
    int64_t position_ = 0;
    fluid_settings_t* settings_ = nullptr;
    fluid_synth_t* synth_ = nullptr;
    fluid_player_t* player_ = nullptr;
    bool failed_ = false;
};

} // namespace

std::unique_ptr<TPcmSource> OpenMidiSource(std::vector<uint8_t> file, fs::path soundFont) {
    return std::make_unique<TMidiSource>(std::move(file), std::move(soundFont));
}

fs::path FindSoundFont() {
    const fs::path folders[] = {"/usr/share/sounds/sf2", "/usr/share/sounds/sf3", "/usr/share/soundfonts",
                                "/usr/local/share/soundfonts"};
    std::error_code ec;
    for (const fs::path& folder : folders)
        for (const char* name : {"default-GM.sf2", "default-GM.sf3"})
            if (fs::is_regular_file(folder / name, ec)) return folder / name;
    for (const fs::path& folder : folders) {
        std::vector<fs::path> fonts;
        for (const auto& entry : fs::directory_iterator(folder, ec)) {
            const std::string ext = entry.path().extension().string();
            if ((ext == ".sf2" || ext == ".sf3") && entry.is_regular_file(ec)) fonts.push_back(entry.path());
        }
        std::sort(fonts.begin(), fonts.end());
        if (!fonts.empty()) return fonts.front();
    }
    return {};
}

} // namespace ruvo
