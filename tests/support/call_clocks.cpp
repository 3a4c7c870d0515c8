#include "tests/support/call_clocks.h"

#include "platform/call_mix.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>

namespace ornavox::test {

namespace {

constexpr int16_t kClick = 20000;
constexpr double kStep = 0.004; // the simulation's tick, seconds

} // namespace

CallTiming run_call_clocks(const CallClocks& clocks, double settled)
{
    CallMix mix(clocks.rate, clocks.channels);
    CallTiming timing;
    const double other_rate = clocks.rate * (1 + clocks.ppm * 1e-6);
    const size_t voice_block = static_cast<size_t>(clocks.rate * 0.052);
    const size_t other_block = static_cast<size_t>(clocks.rate * 0.040);
    uint64_t voice_made = 0, other_made = 0, mixed = 0;
    std::vector<int16_t> voice(voice_block * clocks.channels), other, held;
    double next_click = 0; // the other side's frame of its next click
    int64_t last_click = -static_cast<int64_t>(clocks.rate);
    double first = NAN;
    auto spent = std::chrono::steady_clock::duration::zero();

    for (double now = 0; now < clocks.seconds; now += kStep) {
        // The other side's fragments that its clock has made by now.
        while (other_made + other_block <= static_cast<uint64_t>(now * other_rate)) {
            other.assign(other_block * clocks.channels, 0);
            const double real_time = other_made / other_rate;
            const bool silent = real_time >= clocks.silent_from && real_time < clocks.silent_to;
            for (size_t f = 0; f < other_block; ++f, ++other_made)
                if (static_cast<double>(other_made) >= next_click) {
                    next_click += other_rate;
                    if (!silent)
                        std::fill_n(other.begin() + static_cast<ptrdiff_t>(f * clocks.channels), clocks.channels,
                                    kClick);
                }
            const bool stalled = now >= clocks.stall_at && now < clocks.stall_at + clocks.stall_for;
            held.insert(held.end(), other.begin(), other.end());
            if (!stalled) {
                const auto begun = std::chrono::steady_clock::now();
                mix.add_other(held);
                spent += std::chrono::steady_clock::now() - begun;
                held.clear();
            }
        }
        while (voice_made + voice_block <= static_cast<uint64_t>(now * clocks.rate)) {
            std::fill(voice.begin(), voice.end(), 0);
            const auto begun = std::chrono::steady_clock::now();
            mix.mix_into(voice);
            spent += std::chrono::steady_clock::now() - begun;
            voice_made += voice_block;
            // A click spreads over a few samples: its loudest one counts.
            for (size_t f = 0; f < voice_block; ++f) {
                const int64_t at = static_cast<int64_t>(mixed + f);
                const int level = std::abs(int{voice[f * clocks.channels]});
                if (level < kClick / 3)
                    continue;
                if (at - last_click > static_cast<int64_t>(clocks.rate / 2)) {
                    last_click = at;
                    const double second = std::round(static_cast<double>(at) / clocks.rate - 0.25);
                    timing.offsets.push_back(static_cast<double>(at) / clocks.rate - second);
                }
            }
            mixed += voice_block;
        }
    }
    // Of the clicks after the settling time.
    for (size_t k = 0; k < timing.offsets.size(); ++k) {
        if (static_cast<double>(k) < settled)
            continue;
        if (std::isnan(first))
            first = timing.offsets[k];
        timing.last_change = timing.offsets[k] - first;
        timing.worst_change = std::max(timing.worst_change, std::abs(timing.last_change));
    }
    timing.mix_seconds = std::chrono::duration<double>(spent).count();
    timing.correction = mix.correction();
    timing.missing_frames = mix.missing_frames();
    return timing;
}

} // namespace ornavox::test
