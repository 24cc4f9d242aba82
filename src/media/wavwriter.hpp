#pragma once
// Writes 16-bit stereo PCM at the mixer's rate as a WAV file, block by block; the header's sizes are
// right once it is closed.
#include <cstdint>
#include <filesystem>

typedef struct sf_private_tag SNDFILE;

namespace ruvo {

class TWavWriter {
public:
    // Throws std::runtime_error when the file cannot be created.
    explicit TWavWriter(const std::filesystem::path& file);
    ~TWavWriter();
    TWavWriter(const TWavWriter&) = delete;
    TWavWriter& operator=(const TWavWriter&) = delete;

    // Throws std::runtime_error when the samples cannot be written.
    void Write(const int16_t* frames, int64_t count);
    // Finishes the header; throws when that fails. Called by the destructor too (errors then lost).
    void Close();
    int64_t FramesWritten() const noexcept { return written_; }

private:
    SNDFILE* file_ = nullptr;
    int64_t written_ = 0;
};

} // namespace ruvo
