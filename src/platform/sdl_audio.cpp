#include "platform/sdl_audio.hpp"

#include <SDL.h>
#include <cstdio>

namespace ruvo::platform {

namespace {

class TSdlAudio final : public TAudioDevice {
public:
    explicit TSdlAudio(AudioFill fill) : fill_(std::move(fill)) {}
    ~TSdlAudio() override {
        if (device_) SDL_CloseAudioDevice(device_);  // waits for a callback that runs
        if (initialised_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    bool Open(int rate, int bufferFrames) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return Fail();
        initialised_ = true;
        SDL_AudioSpec want{};
        want.freq = rate;
        want.format = AUDIO_S16SYS;
        want.channels = 2;
        want.samples = static_cast<Uint16>(bufferFrames);
        want.callback = Callback;
        want.userdata = this;
        SDL_AudioSpec have{};
        // SDL converts when the device wants another format; the mix stays 44,100 Hz 16-bit stereo.
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (!device_) return Fail();
        frames_ = have.samples;
        return true;
    }

    void Start() override { SDL_PauseAudioDevice(device_, 0); }
    int BufferFrames() const override { return frames_; }

private:
    static void Callback(void* self, Uint8* stream, int bytes) {
        auto* audio = static_cast<TSdlAudio*>(self);
        audio->fill_(reinterpret_cast<int16_t*>(stream), bytes / 4);
    }

    static bool Fail() {
        std::fprintf(stderr, "ruvoplay: no sound: %s\n", SDL_GetError());
        return false;
    }

    AudioFill fill_;
    SDL_AudioDeviceID device_ = 0;
    bool initialised_ = false;
    int frames_ = 0;
};

} // namespace

std::unique_ptr<TAudioDevice> OpenSdlAudio(int rate, int bufferFrames, AudioFill fill) {
    auto audio = std::make_unique<TSdlAudio>(std::move(fill));
    if (!audio->Open(rate, bufferFrames)) return nullptr;
    return audio;
}

} // namespace ruvo::platform
