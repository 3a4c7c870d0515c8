#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <span>
#include <vector>

namespace ornavox {

// Adds a second sound (the other side of a call: what the output plays) into
// the first one (the voice) as 16-bit interleaved PCM of the same format.
//
// The two come from different clocks, so the second is fitted to the first:
// it waits in a queue, and a resampler takes it out a little faster while the
// queue runs fuller than it should and a little slower while it runs
// emptier. Once the start has settled, the queue is cut or padded at once so
// that at its lowest it holds kSlack, whatever the sizes in which the two
// sides deliver; from then on a proportional-integral control of its mean
// level over each second of the voice's time keeps that mean, and so the
// delay between the sides, whatever the clocks' difference (up to
// kMaxCorrection). Where the second sound has nothing yet, silence takes
// its place; a backlog that comes at once after a stall is dropped but for
// the slack, so the sides keep their time.
//
// One thread at a time.
class CallMix {
public:
    // The largest clock difference fitted, as a fraction.
    static constexpr double kMaxCorrection = 0.005;
    // Seconds the queue keeps at its lowest, for a late delivery.
    static constexpr double kSlack = 0.02;
    // A queue this much (in seconds) fuller than that is cut back at once.
    static constexpr double kResyncExcess = 0.5;

    CallMix(uint32_t rate, uint32_t channels);
    ~CallMix();
    CallMix(const CallMix&) = delete;
    CallMix& operator=(const CallMix&) = delete;

    // What the second sound delivered, whole frames.
    void add_other(std::span<const int16_t> samples);
    // Adds as much of the second sound as `voice` lasts into it, saturating
    // at full scale.
    void mix_into(std::span<int16_t> voice);
    // After a pause: the queue starts again empty and settles anew; the
    // clocks' difference found so far is kept.
    void restart();

    // The rate at which the second sound is taken out, over its nominal one,
    // minus 1.
    double correction() const { return correction_; }
    size_t queued_frames() const { return queue_.size() / channels_; }
    // Frames of the voice for which the second sound had nothing.
    uint64_t missing_frames() const { return missing_; }

private:
    struct Resampler;

    void measure(size_t voice_frames);
    void control(double level, double low); // seconds
    void resync(size_t voice_frames);
    void set_correction(double correction);

    const uint32_t rate_;
    const uint32_t channels_;
    std::unique_ptr<Resampler> resampler_;
    std::deque<int16_t> queue_;
    std::vector<int16_t> input_, output_;
    // The window over which the level is taken: a second of the voice.
    double level_sum_ = 0; // frames queued times voice frames
    size_t window_low_ = 0;
    uint64_t window_frames_ = 0;
    bool window_short_ = false; // the other side ran dry in this window
    int settling_windows_ = 0;  // windows still to go before the level counts
    double target_ = -1;        // the mean level to keep, seconds; below 0 until settled
    double integral_ = 0;
    double correction_ = 0;
    size_t delivery_frames_ = 0; // of the last delivery of the usual size
    bool started_ = false;       // the second sound sent something since the (re)start
    uint64_t missing_ = 0;
};

// a + b, held at full scale.
inline int16_t saturating_sum(int16_t a, int16_t b)
{
    const int sum = int{a} + int{b};
    return static_cast<int16_t>(sum > 32767 ? 32767 : sum < -32768 ? -32768 : sum);
}

} // namespace ornavox
