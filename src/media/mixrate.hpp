#pragma once
// The mixer's output format: 44,100 frames a second of 16-bit stereo, the format the sound device's
// primary buffer is set to.
namespace ruvo {

constexpr int kMixRate = 44100;
constexpr int kMixChannels = 2;

// The first output frame of game time t ms (frame k of a headless run covers [16k, 16k + 16) ms).
constexpr long long MixFrameAt(long long ms) { return ms * kMixRate / 1000; }

} // namespace ruvo
