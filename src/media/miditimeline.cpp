#include "media/miditimeline.hpp"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace ruvo {

namespace {

class TReader {
public:
    TReader(std::span<const uint8_t> data) : data_(data) {}
    bool AtEnd() const noexcept { return at_ >= data_.size(); }
    size_t Left() const noexcept { return data_.size() - at_; }
    uint8_t Byte() { return at_ < data_.size() ? data_[at_++] : (fail_ = true, 0); }
    uint32_t Big(int bytes) {
        uint32_t v = 0;
        for (int i = 0; i < bytes; ++i) v = v << 8 | Byte();
        return v;
    }
    // A variable-length quantity: at most four bytes.
    uint32_t Vlq() {
        uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            const uint8_t b = Byte();
            v = v << 7 | (b & 0x7F);
            if (!(b & 0x80)) return v;
        }
        fail_ = true;
        return v;
    }
    void Skip(size_t n) {
        if (n > Left()) fail_ = true;
        at_ += std::min(n, Left());
    }
    bool Failed() const noexcept { return fail_; }
    std::span<const uint8_t> Take(size_t n) {
        n = std::min(n, Left());
        const auto part = data_.subspan(at_, n);
        at_ += n;
        return part;
    }

private:
    std::span<const uint8_t> data_;
    size_t at_ = 0;
    bool fail_ = false;
};

struct TTempoChange {
    int64_t tick;
    uint32_t usPerQuarter;
};

// Walks one track: its tempo changes and the tick of its last event.
int64_t ScanTrack(std::span<const uint8_t> track, std::vector<TTempoChange>& tempos) {
    TReader r(track);
    int64_t tick = 0;
    uint8_t running = 0;
    while (!r.AtEnd() && !r.Failed()) {
        tick += r.Vlq();
        uint8_t status = r.Byte();
        if (status < 0x80) {
            if (!running) break;  // data without a status: damaged
            status = running;
            r.Skip((status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 0 : 1);
        } else if (status == 0xFF) {
            const uint8_t type = r.Byte();
            const uint32_t length = r.Vlq();
            if (type == 0x2F) break;
            if (type == 0x51 && length == 3) tempos.push_back({tick, r.Big(3)});
            else r.Skip(length);
            continue;
        } else if (status == 0xF0 || status == 0xF7) {
            r.Skip(r.Vlq());
            continue;
        } else if (status >= 0xF0) {
            continue;  // a system message where none belongs: skipped
        } else {
            running = status;
            r.Skip((status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2);
        }
    }
    return tick;
}

} // namespace

TMidiTimeline::TMidiTimeline(std::span<const uint8_t> file) {
    TReader r(file);
    if (r.Big(4) != 0x4D546864 /* MThd */) throw std::runtime_error("not a MIDI file");
    const uint32_t headerLength = r.Big(4);
    if (headerLength < 6 || r.Failed()) throw std::runtime_error("a MIDI file with a damaged header");
    r.Big(2);  // format
    const int declared = static_cast<int>(r.Big(2));
    const uint16_t division = static_cast<uint16_t>(r.Big(2));
    r.Skip(headerLength - 6);
    if (r.Failed() || division == 0) throw std::runtime_error("a MIDI file with a damaged header");
    double msPerTickFixed = 0;
    if (division & 0x8000) {
        // Time code: frames a second and ticks a frame, whatever the tempo.
        const int fps = -static_cast<int8_t>(division >> 8);
        const int perFrame = division & 0xFF;
        if (fps <= 0 || perFrame == 0) throw std::runtime_error("a MIDI file with a damaged header");
        msPerTickFixed = 1000.0 / (fps * perFrame);
    }
    std::vector<TTempoChange> changes;
    for (int t = 0; t < declared && !r.AtEnd(); ++t) {
        const uint32_t id = r.Big(4);
        const uint32_t length = r.Big(4);
        if (r.Failed()) break;
        const auto body = r.Take(length);
        if (id != 0x4D54726B /* MTrk */) continue;
        ++tracks_;
        lastTick_ = std::max(lastTick_, ScanTrack(body, changes));
    }
    if (tracks_ == 0) throw std::runtime_error("a MIDI file without tracks");
    std::stable_sort(changes.begin(), changes.end(), [](const auto& a, const auto& b) { return a.tick < b.tick; });
    const double quarterTicks = division & 0x8000 ? 1 : division;
    auto perTick = [&](uint32_t us) { return msPerTickFixed > 0 ? msPerTickFixed : us / 1000.0 / quarterTicks; };
    tempos_.push_back({0, 0, perTick(500000)});
    for (const TTempoChange& c : changes) {
        if (c.usPerQuarter == 0) continue;
        const TTempo& last = tempos_.back();
        const double ms = last.ms + (c.tick - last.tick) * last.msPerTick;
        if (c.tick == last.tick) tempos_.back().msPerTick = perTick(c.usPerQuarter);
        else tempos_.push_back({c.tick, ms, perTick(c.usPerQuarter)});
    }
}

int64_t TMidiTimeline::TickToMs(int64_t tick) const noexcept {
    tick = std::max<int64_t>(tick, 0);
    auto it = std::upper_bound(tempos_.begin(), tempos_.end(), tick, [](int64_t t, const TTempo& e) { return t < e.tick; });
    const TTempo& e = *std::prev(it);
    return static_cast<int64_t>(std::llround(e.ms + (tick - e.tick) * e.msPerTick));
}

int64_t TMidiTimeline::MsToTick(int64_t ms) const noexcept {
    ms = std::max<int64_t>(ms, 0);
    auto it = std::upper_bound(tempos_.begin(), tempos_.end(), static_cast<double>(ms),
                               [](double m, const TTempo& e) { return m < e.ms; });
    const TTempo& e = *std::prev(it);
    // A hair over, so that a tick that falls exactly on the time is not lost to rounding.
    return e.tick + static_cast<int64_t>((ms - e.ms) / e.msPerTick + 1e-6);
}

} // namespace ruvo
