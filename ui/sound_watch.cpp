#include "ui/sound_watch.h"

#include <algorithm>
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

// Whole buffers at a time: the last loud sample ends the quiet, and only a
// second's first clip counts.
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
    const std::span<const int16_t> samples = stereo.first(2 * frames);
    const auto loud = std::find_if(samples.rbegin(), samples.rend(),
                                   [](int16_t s) { return std::abs(static_cast<int32_t>(s)) > kQuietSample; });
    if (loud == samples.rend())
        quiet_frames_ += frames;
    else
        quiet_frames_ = frames - 1 - static_cast<size_t>(samples.rend() - loud - 1) / 2;

    auto clip = std::find_if(samples.begin(), samples.end(), clips);
    while (clip != samples.end()) {
        const uint64_t at = frames_ + static_cast<uint64_t>(clip - samples.begin()) / 2;
        const uint64_t second = at / rate_;
        if (clip_seconds_.empty() || clip_seconds_.back() != second) {
            clip_seconds_.push_back(second);
            while (clip_seconds_.front() + kClipWindowSeconds <= second)
                clip_seconds_.pop_front();
            if (clip_seconds_.size() >= static_cast<size_t>(kClipSecondsToWarn))
                clip_warning_until_ = at + uint64_t{kClipWarningSeconds} * rate_;
        }
        const uint64_t next_second = (second + 1) * rate_ - frames_;
        if (next_second >= frames)
            break;
        clip = std::find_if(samples.begin() + static_cast<std::ptrdiff_t>(2 * next_second), samples.end(), clips);
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
