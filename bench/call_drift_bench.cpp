// How far apart the two sides of a call drift: a voice and an other side on
// clocks 200 ppm apart (both ways), recorded for a simulated hour at 44.1 kHz
// in stereo through the call's mix, as fast as the machine goes. Prints the
// other side's delay at the end and at its worst against where it settled,
// the clocks' difference the mix found, and the mix's share of one core for
// an hour of sound.
#include "tests/support/call_clocks.h"

#include <cstdio>

int main()
{
    using namespace ornavox::test;
    for (const double ppm : {200.0, -200.0}) {
        CallClocks clocks;
        clocks.ppm = ppm;
        clocks.rate = 44100;
        clocks.channels = 2;
        const CallTiming timing = run_call_clocks(clocks);
        if (timing.offsets.size() < 3500) {
            std::fprintf(stderr, "only %zu of the clicks came through\n", timing.offsets.size());
            return 1;
        }
        std::printf("%+.0f ppm for %.0f s: the other side %.1f ms behind at the start, %+.2f ms at the end "
                    "(worst %.2f ms); correction at the end %+.0f ppm; the mix took %.2f s, %.3f %% of one core\n",
                    ppm, clocks.seconds, 1000 * timing.offsets[5], 1000 * timing.last_change,
                    1000 * timing.worst_change, timing.correction * 1e6, timing.mix_seconds,
                    100 * timing.mix_seconds / clocks.seconds);
    }
    return 0;
}
