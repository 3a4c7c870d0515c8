#pragma once

#include <cstdint>
#include <vector>

namespace ornavox::test {

// Two sources on clocks of their own, as a call records them, driven through
// CallMix in simulated time: the voice delivers 52 ms blocks (the recording's
// buffers), the other side 40 ms fragments (a sound server's), its clock
// `ppm` parts per million faster. The voice is silent and the other side
// clicks once a second of real time, so each click's place in the mix tells
// how far the other side is behind.
struct CallClocks {
    double ppm = 200;
    double seconds = 3600;
    uint32_t rate = 8000;
    uint32_t channels = 1;
    // The other side is digital silence over [silent_from, silent_to).
    double silent_from = -1, silent_to = -1;
    // The other side sends nothing from `stall_at` for `stall_for` seconds,
    // then what it held all at once.
    double stall_at = -1, stall_for = 0;
};

struct CallTiming {
    // Seconds by which each click came late in the mix, from the first.
    std::vector<double> offsets;
    double worst_change = 0; // the largest distance from the offset of the first click counted
    double last_change = 0;
    double mix_seconds = 0; // the CPU time spent in CallMix
    double correction = 0;  // the mix's correction at the end
    uint64_t missing_frames = 0;
};

// Clicks before `settled` seconds are not counted in the changes.
CallTiming run_call_clocks(const CallClocks& clocks, double settled = 5);

} // namespace ornavox::test
