#include "platform/call_mix.h"

#include <speex/speex_resampler.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>
#include <utility>

namespace ornavox {

namespace {

// The control's gains, per second of error and per window. Together they
// settle a clock difference within a minute or so, with the level's error
// at its worst a few milliseconds for 200 ppm, and they are gentle enough
// that the jitter of the deliveries moves the pitch by far less than anyone
// hears.
constexpr double kProportional = 0.05;
constexpr double kIntegral = 0.001;
// Windows at the start whose level does not count: the devices are still
// finding their pace. The next one sets the queue to the slack.
constexpr int kSettlingWindows = 2;
// The ratio's denominator: steps of 15 parts in a million, which the control
// dithers between. libspeexdsp refuses a new ratio whose denominator times
// the old one overflows 32 bits, and reads out of bounds after a change that
// reduces the fraction to another denominator: a prime below 2^16 avoids both.
constexpr spx_uint32_t kRatioScale = 65'521;
// The rates differ by a fraction of a percent: the filter's passband (to
// 0.88 of the Nyquist frequency, 19.4 kHz at 44.1 kHz) keeps all that the
// encoder keeps, and its taps cost a third of a core's percent at 44.1 kHz
// in stereo, a higher quality twice that.
constexpr int kQuality = 2;
// Input taken beyond what the output needs, for the filter's reach.
constexpr size_t kInputMargin = 64;

struct ResamplerDeleter {
    void operator()(SpeexResamplerState* state) const { speex_resampler_destroy(state); }
};

} // namespace

struct CallMix::Resampler {
    std::unique_ptr<SpeexResamplerState, ResamplerDeleter> state;
    spx_uint32_t ratio_num = kRatioScale;
};

CallMix::CallMix(uint32_t rate, uint32_t channels)
    : rate_(rate), channels_(std::max<uint32_t>(channels, 1)), resampler_(std::make_unique<Resampler>())
{
    int error = 0;
    resampler_->state.reset(speex_resampler_init(channels_, rate_, rate_, kQuality, &error));
    if (!resampler_->state)
        throw std::runtime_error(std::string("cannot make the resampler: ") + speex_resampler_strerror(error));
    speex_resampler_set_rate_frac(resampler_->state.get(), kRatioScale, kRatioScale, rate_, rate_);
    speex_resampler_skip_zeros(resampler_->state.get());
    restart();
}

CallMix::~CallMix() = default;

void CallMix::restart()
{
    queue_.clear();
    speex_resampler_reset_mem(resampler_->state.get());
    speex_resampler_skip_zeros(resampler_->state.get());
    level_sum_ = 0;
    window_low_ = SIZE_MAX;
    window_frames_ = 0;
    settling_windows_ = kSettlingWindows;
    target_ = -1;
    started_ = false;
}

void CallMix::add_other(std::span<const int16_t> samples)
{
    const size_t whole = samples.size() - samples.size() % channels_;
    queue_.insert(queue_.end(), samples.begin(), samples.begin() + static_cast<ptrdiff_t>(whole));
    started_ = started_ || whole > 0;
    if (whole / channels_ < rate_ / 4)
        delivery_frames_ = whole / channels_;
}

void CallMix::mix_into(std::span<int16_t> voice)
{
    const size_t frames = voice.size() / channels_;
    if (frames == 0)
        return;
    if (!started_) {
        missing_ += frames;
        return;
    }
    resync(frames);
    const size_t wanted = static_cast<size_t>(std::ceil(frames * (1 + correction_))) + kInputMargin;
    const size_t available = std::min(queued_frames(), wanted);
    input_.assign(queue_.begin(), queue_.begin() + static_cast<ptrdiff_t>(available * channels_));
    output_.resize(frames * channels_);
    auto in_frames = static_cast<spx_uint32_t>(available);
    auto out_frames = static_cast<spx_uint32_t>(frames);
    speex_resampler_process_interleaved_int(resampler_->state.get(), input_.data(), &in_frames, output_.data(),
                                            &out_frames);
    queue_.erase(queue_.begin(), queue_.begin() + static_cast<ptrdiff_t>(size_t{in_frames} * channels_));
    const size_t mixed = size_t{out_frames} * channels_;
    for (size_t i = 0; i < mixed; ++i)
        voice[i] = saturating_sum(voice[i], output_[i]);
    missing_ += frames - out_frames;
    window_short_ = window_short_ || out_frames < frames;
    measure(frames);
}

// The level after each take, weighted by the voice's frames, and the lowest.
void CallMix::measure(size_t voice_frames)
{
    level_sum_ += static_cast<double>(queued_frames()) * static_cast<double>(voice_frames);
    window_low_ = std::min(window_low_, queued_frames());
    window_frames_ += voice_frames;
    if (window_frames_ < rate_)
        return;
    const double level = level_sum_ / static_cast<double>(window_frames_) / rate_;
    const double low = static_cast<double>(window_low_) / rate_;
    const bool short_window = std::exchange(window_short_, false);
    level_sum_ = 0;
    window_low_ = SIZE_MAX;
    window_frames_ = 0;
    // A second in which the other side ran dry tells nothing of its clock.
    if (!short_window || settling_windows_ > 0)
        control(level, low);
}

// Once settled, the queue is cut or padded at once so that its lowest level
// is the slack, and the mean level that goes with it is the one to keep.
void CallMix::control(double level, double low)
{
    if (settling_windows_ > 0) {
        if (--settling_windows_ == 0) {
            const auto change = static_cast<ptrdiff_t>(std::llround((kSlack - low) * rate_));
            if (change < 0)
                queue_.erase(queue_.begin(),
                             queue_.begin() + std::min<ptrdiff_t>(-change, queued_frames()) * channels_);
            else
                queue_.insert(queue_.begin(), static_cast<size_t>(change) * channels_, 0);
            target_ = level + static_cast<double>(change) / rate_;
        }
        return;
    }
    const double error = level - target_;
    integral_ = std::clamp(integral_ + kIntegral * error, -kMaxCorrection, kMaxCorrection);
    set_correction(std::clamp(kProportional * error + integral_, -kMaxCorrection, kMaxCorrection));
}

// What came at once after a stall is past what the other side should have
// sent by now: the oldest of it goes, and the window starts afresh. What is
// kept is what the queue holds on average just after a delivery, the mean
// level after a take being the level kept.
void CallMix::resync(size_t voice_frames)
{
    const size_t limit = static_cast<size_t>((target_ + kResyncExcess) * rate_) + voice_frames;
    if (target_ < 0 || queued_frames() < limit)
        return;
    const size_t keep = (static_cast<size_t>(target_ * rate_) + voice_frames + delivery_frames_ / 2) * channels_;
    queue_.erase(queue_.begin(), queue_.end() - static_cast<ptrdiff_t>(keep));
    level_sum_ = 0;
    window_low_ = SIZE_MAX;
    window_frames_ = 0;
}

// More of the second sound goes into each frame of the voice while the
// correction is above 0.
void CallMix::set_correction(double correction)
{
    correction_ = correction;
    const auto num = static_cast<spx_uint32_t>(std::llround((1 + correction) * kRatioScale));
    if (num == resampler_->ratio_num)
        return;
    resampler_->ratio_num = num;
    speex_resampler_set_rate_frac(resampler_->state.get(), num, kRatioScale, rate_, rate_);
}

} // namespace ornavox
