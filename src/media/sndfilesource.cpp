#include "media/sndfilesource.hpp"

#include <algorithm>
#include <sndfile.h>
#include <stdexcept>

#include "archive/streams.hpp"

namespace ruvo {

namespace {

sf_count_t VioLength(void* s) { return static_cast<TStream*>(s)->Size(); }
sf_count_t VioSeek(sf_count_t offset, int whence, void* s) {
    auto* stream = static_cast<TStream*>(s);
    const SeekOrigin origin = whence == SEEK_SET ? SeekOrigin::Begin : whence == SEEK_CUR ? SeekOrigin::Current : SeekOrigin::End;
    return stream->Seek(offset, origin);
}
sf_count_t VioRead(void* buffer, sf_count_t count, void* s) {
    const int64_t got = static_cast<TStream*>(s)->Read(buffer, count);
    return got > 0 ? got : 0;
}
sf_count_t VioWrite(const void*, sf_count_t, void*) { return 0; }
sf_count_t VioTell(void* s) { return static_cast<TStream*>(s)->Position(); }

std::string FormatName(int format) {
    const int major = format & SF_FORMAT_TYPEMASK;
    const int sub = format & SF_FORMAT_SUBMASK;
    std::string name = major == SF_FORMAT_WAV ? "WAV" : major == SF_FORMAT_FLAC ? "FLAC" : major == SF_FORMAT_OGG ? "Ogg" :
                       major == SF_FORMAT_AIFF ? "AIFF" : "audio";
    const char* kind = sub == SF_FORMAT_IMA_ADPCM  ? "IMA ADPCM" :
                       sub == SF_FORMAT_MS_ADPCM   ? "MS ADPCM" :
                       sub == SF_FORMAT_FLOAT      ? "float" :
                       sub == SF_FORMAT_ULAW       ? "u-law" :
                       sub == SF_FORMAT_ALAW       ? "A-law" :
                       sub == SF_FORMAT_GSM610     ? "GSM 6.10" :
                       sub == SF_FORMAT_VORBIS     ? "Vorbis" :
                       sub == SF_FORMAT_PCM_U8     ? "PCM 8-bit" :
                       sub == SF_FORMAT_PCM_16     ? "PCM 16-bit" :
                       sub == SF_FORMAT_PCM_24     ? "PCM 24-bit" :
                       sub == SF_FORMAT_PCM_32     ? "PCM 32-bit" : nullptr;
    return kind ? name + " (" + kind + ")" : name;
}

class TSndfileSource final : public TPcmSource {
public:
    explicit TSndfileSource(std::unique_ptr<TStream> stream) : stream_(std::move(stream)) {
        static SF_VIRTUAL_IO io{VioLength, VioSeek, VioRead, VioWrite, VioTell};
        file_ = sf_open_virtual(&io, SFM_READ, &info_, stream_.get());
        if (!file_) throw std::runtime_error(std::string("not a playable sound file: ") + sf_strerror(nullptr));
        if (info_.samplerate <= 0 || info_.samplerate > 384000 || info_.channels < 1 || info_.channels > kMaxSourceChannels) {
            sf_close(file_);
            throw std::runtime_error("a sound file of an unplayable format");
        }
    }
    ~TSndfileSource() override { sf_close(file_); }

    std::string Format() const override { return FormatName(info_.format); }
    int Rate() const override { return info_.samplerate; }
    int Channels() const override { return info_.channels; }
    int64_t Frames() const override { return std::max<sf_count_t>(info_.frames, 0); }
    int64_t Read(float* out, int64_t frames) override {
        const sf_count_t got = sf_readf_float(file_, out, frames);
        return got > 0 ? got : 0;
    }
    bool Seek(int64_t frame) override {
        if (!info_.seekable) return frame == 0 && sf_seek(file_, 0, SEEK_SET) == 0;
        return sf_seek(file_, std::clamp<int64_t>(frame, 0, Frames()), SEEK_SET) >= 0;
    }

private:
    std::unique_ptr<TStream> stream_;
    SF_INFO info_{};
    SNDFILE* file_ = nullptr;
};

} // namespace

std::unique_ptr<TPcmSource> OpenSndfileSource(std::unique_ptr<TStream> stream) {
    return std::make_unique<TSndfileSource>(std::move(stream));
}

} // namespace ruvo
