#include "media/ffmpegsource.hpp"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include "archive/streams.hpp"

namespace ruvo {

namespace {

constexpr int kIoBufferSize = 32 * 1024;

int ReadPacket(void* opaque, uint8_t* buffer, int size) {
    const int64_t got = static_cast<TStream*>(opaque)->Read(buffer, size);
    return got > 0 ? static_cast<int>(got) : AVERROR_EOF;
}

int64_t SeekStream(void* opaque, int64_t offset, int whence) {
    auto* s = static_cast<TStream*>(opaque);
    if (whence & AVSEEK_SIZE) return s->Size();
    const int how = whence & ~AVSEEK_FORCE;
    const SeekOrigin origin = how == SEEK_SET ? SeekOrigin::Begin : how == SEEK_CUR ? SeekOrigin::Current : SeekOrigin::End;
    return s->Seek(offset, origin);
}

class TFfmpegSource final : public TPcmSource {
public:
    explicit TFfmpegSource(std::unique_ptr<TStream> stream) : stream_(std::move(stream)) {
        try {
            Open();
        } catch (...) {
            Close();
            throw;
        }
    }
    ~TFfmpegSource() override { Close(); }

    std::string Format() const override {
        return std::string(format_->iformat->long_name ? format_->iformat->long_name : format_->iformat->name) + ", " +
               avcodec_get_name(codec_->codec_id);
    }
    int Rate() const override { return rate_; }
    int Channels() const override { return channels_; }
    int64_t Frames() const override { return frames_; }

    int64_t Read(float* out, int64_t frames) override {
        int64_t done = 0;
        while (done < frames) {
            if (pendingAt_ >= pendingFrames_ && !DecodeFrame()) break;
            const int64_t n = std::min(frames - done, pendingFrames_ - pendingAt_);
            std::memcpy(out + done * channels_, pending_.data() + pendingAt_ * channels_, sizeof(float) * n * channels_);
            pendingAt_ += n;
            done += n;
        }
        return done;
    }

    bool Seek(int64_t frame) override {
        frame = std::clamp<int64_t>(frame, 0, frames_);
        const AVStream* st = format_->streams[streamIndex_];
        const int64_t ts = av_rescale_q(frame, AVRational{1, rate_}, st->time_base);
        if (av_seek_frame(format_, streamIndex_, ts, AVSEEK_FLAG_BACKWARD) < 0 &&
            av_seek_frame(format_, streamIndex_, ts, AVSEEK_FLAG_BACKWARD | AVSEEK_FLAG_ANY) < 0)
            return false;
        avcodec_flush_buffers(codec_);
        pendingAt_ = pendingFrames_ = 0;
        ended_ = draining_ = false;
        skipTo_ = frame;
        return true;
    }

private:
    void Open() {
        ioBuffer_ = static_cast<uint8_t*>(av_malloc(kIoBufferSize));
        io_ = avio_alloc_context(ioBuffer_, kIoBufferSize, 0, stream_.get(), ReadPacket, nullptr, SeekStream);
        if (!ioBuffer_ || !io_) throw std::runtime_error("out of memory opening a media file");
        ioBuffer_ = nullptr;  // the context owns it now
        format_ = avformat_alloc_context();
        if (!format_) throw std::runtime_error("out of memory opening a media file");
        format_->pb = io_;
        format_->flags |= AVFMT_FLAG_CUSTOM_IO;
        if (avformat_open_input(&format_, nullptr, nullptr, nullptr) < 0) {
            format_ = nullptr;  // freed by the failed call
            throw std::runtime_error("not a media file FFmpeg reads");
        }
        if (avformat_find_stream_info(format_, nullptr) < 0) throw std::runtime_error("a media file without stream information");
        const AVCodec* decoder = nullptr;
        streamIndex_ = av_find_best_stream(format_, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
        if (streamIndex_ < 0 || !decoder) throw std::runtime_error("a media file without decodable audio");
        AVStream* st = format_->streams[streamIndex_];
        codec_ = avcodec_alloc_context3(decoder);
        if (!codec_ || avcodec_parameters_to_context(codec_, st->codecpar) < 0 || avcodec_open2(codec_, decoder, nullptr) < 0)
            throw std::runtime_error("an audio stream whose decoder cannot start");
        rate_ = codec_->sample_rate;
        channels_ = codec_->ch_layout.nb_channels;
        if (rate_ <= 0 || rate_ > 384000 || channels_ < 1 || channels_ > kMaxSourceChannels)
            throw std::runtime_error("an audio stream of an unplayable format");
        if (st->duration > 0 && st->duration != AV_NOPTS_VALUE)
            frames_ = av_rescale_q(st->duration, st->time_base, AVRational{1, rate_});
        else if (format_->duration > 0)
            frames_ = av_rescale(format_->duration, rate_, AV_TIME_BASE);
        packet_ = av_packet_alloc();
        frame_ = av_frame_alloc();
        if (!packet_ || !frame_) throw std::runtime_error("out of memory opening a media file");
    }

    void Close() {
        swr_free(&convert_);
        av_frame_free(&frame_);
        av_packet_free(&packet_);
        avcodec_free_context(&codec_);
        if (format_) avformat_close_input(&format_);
        if (io_) {
            av_freep(&io_->buffer);
            avio_context_free(&io_);
        }
        av_free(ioBuffer_);
    }

    // The next decoded frame into pending_, converted to interleaved float; false at the end.
    bool DecodeFrame() {
        while (!ended_) {
            const int r = avcodec_receive_frame(codec_, frame_);
            if (r == 0) {
                if (TakeFrame()) return true;
                continue;
            }
            if (r == AVERROR_EOF) break;
            if (r != AVERROR(EAGAIN) || draining_) break;
            if (!SendPacket()) {
                avcodec_send_packet(codec_, nullptr);  // drain what the decoder holds
                draining_ = true;
            }
        }
        ended_ = true;
        return false;
    }

    bool SendPacket() {
        if (draining_) return false;
        // A damaged file may yield packets that never decode; a bound keeps a read from spinning.
        for (int tries = 0; tries < 10000; ++tries) {
            if (av_read_frame(format_, packet_) < 0) return false;
            const bool ours = packet_->stream_index == streamIndex_;
            const int r = ours ? avcodec_send_packet(codec_, packet_) : 0;
            av_packet_unref(packet_);
            if (ours && r >= 0) return true;
        }
        return false;
    }

    bool TakeFrame() {
        const int n = frame_->nb_samples;
        if (n <= 0 || frame_->ch_layout.nb_channels != channels_ || frame_->sample_rate != rate_) {
            av_frame_unref(frame_);
            return false;
        }
        if (!convert_ || convertFormat_ != frame_->format) {
            swr_free(&convert_);
            AVChannelLayout out{};
            av_channel_layout_default(&out, channels_);
            if (swr_alloc_set_opts2(&convert_, &out, AV_SAMPLE_FMT_FLT, rate_, &frame_->ch_layout,
                                    static_cast<AVSampleFormat>(frame_->format), rate_, 0, nullptr) < 0 ||
                swr_init(convert_) < 0) {
                swr_free(&convert_);
                av_frame_unref(frame_);
                return false;
            }
            convertFormat_ = frame_->format;
        }
        pending_.resize(static_cast<size_t>(n) * channels_);
        uint8_t* outPlanes[1] = {reinterpret_cast<uint8_t*>(pending_.data())};
        const int got = swr_convert(convert_, outPlanes, n, const_cast<const uint8_t**>(frame_->extended_data), n);
        int64_t start = frame_->best_effort_timestamp != AV_NOPTS_VALUE
                            ? av_rescale_q(frame_->best_effort_timestamp, format_->streams[streamIndex_]->time_base, AVRational{1, rate_})
                            : skipTo_;
        av_frame_unref(frame_);
        pendingFrames_ = std::max(got, 0);
        pendingAt_ = 0;
        if (skipTo_ > 0) {
            // After a seek: what lies before the frame asked for is dropped.
            const int64_t drop = std::clamp<int64_t>(skipTo_ - start, 0, pendingFrames_);
            pendingAt_ = drop;
            if (drop < pendingFrames_) skipTo_ = 0;
        }
        return pendingAt_ < pendingFrames_;
    }

    std::unique_ptr<TStream> stream_;
    uint8_t* ioBuffer_ = nullptr;
    AVIOContext* io_ = nullptr;
    AVFormatContext* format_ = nullptr;
    AVCodecContext* codec_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVFrame* frame_ = nullptr;
    SwrContext* convert_ = nullptr;
    int convertFormat_ = -1;
    int streamIndex_ = -1;
    int rate_ = 0, channels_ = 0;
    int64_t frames_ = 0;
    std::vector<float> pending_;
    int64_t pendingFrames_ = 0, pendingAt_ = 0;
    int64_t skipTo_ = 0;
    bool ended_ = false, draining_ = false;
};

} // namespace

std::unique_ptr<TPcmSource> OpenFfmpegSource(std::unique_ptr<TStream> stream) {
    av_log_set_level(AV_LOG_QUIET);  // damaged files are reported by the caller, once
    return std::make_unique<TFfmpegSource>(std::move(stream));
}

} // namespace ruvo
