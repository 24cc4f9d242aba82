#include "media/wavwriter.hpp"

#include <sndfile.h>
#include <stdexcept>

#include "media/mixrate.hpp"

namespace ruvo {

TWavWriter::TWavWriter(const std::filesystem::path& file) {
    SF_INFO info{};
    info.samplerate = kMixRate;
    info.channels = kMixChannels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    file_ = sf_open(file.c_str(), SFM_WRITE, &info);
    if (!file_) throw std::runtime_error("cannot write " + file.string() + ": " + sf_strerror(nullptr));
}

TWavWriter::~TWavWriter() {
    if (file_) sf_close(file_);
}

void TWavWriter::Write(const int16_t* frames, int64_t count) {
    if (!file_) throw std::runtime_error("the recording is closed");
    if (sf_writef_short(file_, frames, count) != count) throw std::runtime_error(std::string("cannot write the recording: ") + sf_strerror(file_));
    written_ += count;
}

void TWavWriter::Close() {
    if (!file_) return;
    SNDFILE* f = file_;
    file_ = nullptr;
    if (sf_close(f) != 0) throw std::runtime_error("cannot finish the recording");
}

} // namespace ruvo
