#pragma once

#include <cstdint>
#include <deque>
#include <span>

namespace ornavox {

// What the recorded sound tells the user without a look at the meter.
inline constexpr double kSilenceDb = -70.0;
inline constexpr int kSilenceSeconds = 10;
inline constexpr int kClipSecondsToWarn = 2; // seconds with a clip, within
inline constexpr int kClipWindowSeconds = 10;
inline constexpr int kClipWarningSeconds = 5;

// Watches a recording's sound for the two faults a recording goes on over
// unnoticed: a source that sends nothing, and a level that clips. Time is
// the sound's own, counted in its frames, so a pause stops it and a slow
// delivery does not start a warning early. One thread at a time.
class SoundWatch {
public:
    // Interleaved 16-bit stereo at `rate` Hz, as it is recorded.
    void feed(std::span<const int16_t> stereo, uint32_t rate);
    void clear();

    // Every sample of the last kSilenceSeconds lay below kSilenceDb.
    bool silent() const;
    // Samples clipped in kClipSecondsToWarn seconds of the last
    // kClipWindowSeconds, up to kClipWarningSeconds ago.
    bool clipping() const;

private:
    uint64_t frames_ = 0;       // since the watch began
    uint64_t quiet_frames_ = 0; // since the last sample at or above kSilenceDb
    uint32_t rate_ = 0;
    std::deque<uint64_t> clip_seconds_; // the seconds with a clip, oldest first
    uint64_t clip_warning_until_ = 0;   // a frame count
};

} // namespace ornavox
