#include "media/cdaudio.hpp"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <stdexcept>
#include <string>

#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

namespace ruvo {

namespace fs = std::filesystem;

namespace {

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// The number after a prefix in a lower-case stem: "track05" with "track" gives 5.
std::optional<int> NumberAfter(std::string_view stem, std::string_view prefix) {
    if (stem.size() <= prefix.size() || stem.substr(0, prefix.size()) != prefix || stem.size() - prefix.size() > 4)
        return std::nullopt;
    int n = 0;
    for (char c : stem.substr(prefix.size())) {
        if (c < '0' || c > '9') return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return n;
}

// Audio CD sectors read with error correction: 44,100 Hz 16-bit stereo.
class TDiscSource final : public TPcmSource {
public:
    explicit TDiscSource(int track) {
        drive_ = cdda_identify(nullptr, CDDA_MESSAGE_FORGETIT, nullptr);
        if (!drive_) throw std::runtime_error("no CD drive with a disc");
        if (cdda_open(drive_) != 0) {
            cdda_close(drive_);
            throw std::runtime_error("the CD drive cannot be opened");
        }
        if (track < 1 || track > cdda_tracks(drive_) || !cdda_track_audiop(drive_, static_cast<track_t>(track))) {
            cdda_close(drive_);
            throw std::runtime_error("the disc has no audio track " + std::to_string(track));
        }
        first_ = cdda_track_firstsector(drive_, static_cast<track_t>(track));
        last_ = cdda_track_lastsector(drive_, static_cast<track_t>(track));
        paranoia_ = paranoia_init(drive_);
        paranoia_modeset(paranoia_, PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP);
        paranoia_seek(paranoia_, first_, SEEK_SET);
        sector_ = first_;
    }
    ~TDiscSource() override {
        if (paranoia_) paranoia_free(paranoia_);
        if (drive_) cdda_close(drive_);
    }

    std::string Format() const override { return "audio CD"; }
    int Rate() const override { return 44100; }
    int Channels() const override { return 2; }
    int64_t Frames() const override { return int64_t{last_ - first_ + 1} * kFramesPerSector; }

    int64_t Read(float* out, int64_t frames) override {
        int64_t done = 0;
        while (done < frames) {
            if (at_ == kFramesPerSector) {
                if (sector_ > last_) break;
                const int16_t* data = paranoia_read_limited(paranoia_, nullptr, 5);
                if (!data) break;
                std::memcpy(buffer_, data, sizeof buffer_);
                ++sector_;
                at_ = 0;
            }
            const int64_t n = std::min<int64_t>(frames - done, kFramesPerSector - at_);
            for (int64_t i = 0; i < n * 2; ++i) out[done * 2 + i] = buffer_[at_ * 2 + i] / 32768.0f;
            at_ += static_cast<int>(n);
            done += n;
        }
        return done;
    }

    bool Seek(int64_t frame) override {
        frame = std::clamp<int64_t>(frame, 0, Frames());
        sector_ = first_ + static_cast<lsn_t>(frame / kFramesPerSector);
        paranoia_seek(paranoia_, sector_, SEEK_SET);
        at_ = kFramesPerSector;
        skip_ = static_cast<int>(frame % kFramesPerSector);
        if (skip_ > 0) {
            float drop[2 * kFramesPerSector];
            Read(drop, skip_);
        }
        return true;
    }

private:
    static constexpr int kFramesPerSector = CDIO_CD_FRAMESIZE_RAW / 4;
    cdrom_drive_t* drive_ = nullptr;
    cdrom_paranoia_t* paranoia_ = nullptr;
    lsn_t first_ = 0, last_ = 0, sector_ = 0;
    int16_t buffer_[CDIO_CD_FRAMESIZE_RAW / 2] = {};
    int at_ = kFramesPerSector;
    int skip_ = 0;
};

} // namespace

std::optional<int> CdTrackOf(std::string_view name) {
    const std::string lower = Lower(name.substr(0, name.find('.')));
    return NumberAfter(lower, "cd_");
}

std::optional<fs::path> FindRippedTrack(const std::vector<fs::path>& folders, int track) {
    static const char* const kExtensions[] = {".ogg", ".flac", ".wav", ".mp3"};
    for (const fs::path& folder : folders) {
        std::error_code ec;
        std::vector<fs::path> found[2];  // "CD_NN" names first, then "trackNN"
        for (const auto& entry : fs::directory_iterator(folder, ec)) {
            if (!entry.is_regular_file(ec)) continue;
            const std::string stem = Lower(entry.path().stem().string());
            const std::string ext = Lower(entry.path().extension().string());
            if (std::find(std::begin(kExtensions), std::end(kExtensions), ext) == std::end(kExtensions)) continue;
            if (NumberAfter(stem, "cd_") == track) found[0].push_back(entry.path());
            else if (NumberAfter(stem, "track") == track) found[1].push_back(entry.path());
        }
        for (auto& list : found) {
            std::sort(list.begin(), list.end());
            if (!list.empty()) return list.front();
        }
    }
    return std::nullopt;
}

std::unique_ptr<TPcmSource> OpenDiscTrack(int track) { return std::make_unique<TDiscSource>(track); }

} // namespace ruvo
