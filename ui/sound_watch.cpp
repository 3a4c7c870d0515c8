#include "ui/sound_watch.h"

#include <cmath>
#include <cstdlib>

namespace ornavox {

namespace {

// The largest sample that still lies below kSilenceDb.
const int32_t kQuietSample = static_cast<int32_t>(std::ceil(32768.0 * std::pow(10.0, kSilenceDb / 20.0))) - 1;

bool clips(int16_t sample)
{
    return sample >= 32767 || sample <= -32767;
}

} // namespace

void SoundWatch::feed(std::span<const int16_t> stereo, uint32_t rate)
{
    if (rate == 0)
        return;
    if (rate != rate_) {
        // Counted in another rate's frames, the seconds so far mean nothing.
        clear();
        rate_ = rate;
    }
    const size_t frames = stereo.size() / 2;
    for (size_t frame = 0; frame < frames; ++frame) {
        const int16_t left = stereo[2 * frame];
        const int16_t right = stereo[2 * frame + 1];
        const uint64_t at = frames_ + frame;
        if (std::abs(left) > kQuietSample || std::abs(right) > kQuietSample)
            quiet_frames_ = 0;
        else
            ++quiet_frames_;
        if (!clips(left) && !clips(right))
            continue;
        const uint64_t second = at / rate_;
        if (!clip_seconds_.empty() && clip_seconds_.back() == second)
            continue;
        clip_seconds_.push_back(second);
        while (clip_seconds_.front() + kClipWindowSeconds <= second)
            clip_seconds_.pop_front();
        if (clip_seconds_.size() >= static_cast<size_t>(kClipSecondsToWarn))
            clip_warning_until_ = at + uint64_t{kClipWarningSeconds} * rate_;
    }
    frames_ += frames;
}

void SoundWatch::clear()
{
    *this = SoundWatch{};
}

bool SoundWatch::silent() const
{
    return rate_ > 0 && quiet_frames_ >= uint64_t{kSilenceSeconds} * rate_;
}

bool SoundWatch::clipping() const
{
    return frames_ < clip_warning_until_;
}

} // namespace ornavox
