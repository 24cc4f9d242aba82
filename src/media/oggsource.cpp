#include "media/oggsource.hpp"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <vorbis/vorbisfile.h>

#include "archive/streams.hpp"

namespace ruvo {

namespace {

size_t ReadCallback(void* buffer, size_t size, size_t count, void* source) {
    if (size == 0 || count == 0) return 0;
    const int64_t got = static_cast<TStream*>(source)->Read(buffer, static_cast<int64_t>(size * count));
    return got > 0 ? static_cast<size_t>(got) / size : 0;
}

int SeekCallback(void* source, ogg_int64_t offset, int whence) {
    auto* s = static_cast<TStream*>(source);
    const SeekOrigin origin = whence == SEEK_SET ? SeekOrigin::Begin : whence == SEEK_CUR ? SeekOrigin::Current : SeekOrigin::End;
    const int64_t size = s->Size();
    const int64_t base = origin == SeekOrigin::Begin ? 0 : origin == SeekOrigin::Current ? s->Position() : size;
    if (base + offset < 0 || base + offset > size) return -1;
    s->Seek(offset, origin);
    return 0;
}

long TellCallback(void* source) { return static_cast<long>(static_cast<TStream*>(source)->Position()); }

class TOggSource final : public TPcmSource {
public:
    explicit TOggSource(std::unique_ptr<TStream> stream) : stream_(std::move(stream)) {
        const ov_callbacks callbacks{ReadCallback, SeekCallback, nullptr, TellCallback};
        if (ov_open_callbacks(stream_.get(), &file_, nullptr, 0, callbacks) != 0)
            throw std::runtime_error("not an Ogg Vorbis file");
        open_ = true;
        const vorbis_info* info = ov_info(&file_, -1);
        if (!info || info->rate <= 0 || info->rate > 384000 || info->channels < 1 || info->channels > kMaxSourceChannels) {
            ov_clear(&file_);  // the destructor does not run for a constructor that throws
            throw std::runtime_error("an Ogg Vorbis stream of an unplayable format");
        }
        rate_ = static_cast<int>(info->rate);
        channels_ = info->channels;
        const ogg_int64_t total = ov_pcm_total(&file_, -1);
        frames_ = total > 0 ? total : 0;
    }
    ~TOggSource() override {
        if (open_) ov_clear(&file_);
    }

    std::string Format() const override { return "Ogg Vorbis"; }
    int Rate() const override { return rate_; }
    int Channels() const override { return channels_; }
    int64_t Frames() const override { return frames_; }

    int64_t Read(float* out, int64_t frames) override {
        int64_t done = 0;
        int holes = 0;
        while (done < frames) {
            float** pcm = nullptr;
            int section = 0;
            const long want = static_cast<long>(std::min<int64_t>(frames - done, 4096));
            const long got = ov_read_float(&file_, &pcm, want, &section);
            if (got == OV_HOLE && ++holes < 64) continue;  // a damaged page: go on with the next one
            if (got <= 0) break;
            const vorbis_info* info = ov_info(&file_, section);
            if (!info || info->channels != channels_) break;  // a chained stream of another shape ends it
            for (long i = 0; i < got; ++i)
                for (int c = 0; c < channels_; ++c) out[(done + i) * channels_ + c] = pcm[c][i];
            done += got;
        }
        return done;
    }

    bool Seek(int64_t frame) override {
        return ov_pcm_seek(&file_, std::clamp<int64_t>(frame, 0, frames_)) == 0;
    }

private:
    std::unique_ptr<TStream> stream_;
    OggVorbis_File file_{};
    bool open_ = false;
    int rate_ = 0, channels_ = 0;
    int64_t frames_ = 0;
};

} // namespace

std::unique_ptr<TPcmSource> OpenOggSource(std::unique_ptr<TStream> stream) {
    return std::make_unique<TOggSource>(std::move(stream));
}

} // namespace ruvo
