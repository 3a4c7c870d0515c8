// mp3_probe <file.mp3>: prints the decoded length in seconds and the pitch of
// the first channel in Hz, as "<seconds> <hertz>".

#include "tests/support/mp3_decode.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: mp3_probe <file.mp3>\n");
        return 2;
    }
    const ornavox::test::DecodedMp3 decoded = ornavox::test::decode_mp3_file(argv[1]);
    if (!decoded.ok()) {
        std::fprintf(stderr, "mp3_probe: %s: %s\n", argv[1], decoded.error.c_str());
        return 1;
    }
    std::printf("%.3f %.1f\n", static_cast<double>(decoded.frames()) / decoded.rate,
                ornavox::test::tone_frequency(decoded, 0));
    return 0;
}
