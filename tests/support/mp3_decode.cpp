#include "tests/support/mp3_decode.h"

#include <mpg123.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

namespace ornavox::test {

namespace {

struct HandleDeleter {
    void operator()(mpg123_handle* handle) const { mpg123_delete(handle); }
};
using Handle = std::unique_ptr<mpg123_handle, HandleDeleter>;

} // namespace

DecodedMp3 decode_mp3(const std::vector<uint8_t>& bytes)
{
    DecodedMp3 out;
    mpg123_init();
    int err = MPG123_OK;
    Handle handle(mpg123_new(nullptr, &err));
    if (!handle) {
        out.error = mpg123_plain_strerror(err);
        return out;
    }
    mpg123_param(handle.get(), MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    mpg123_format_none(handle.get());
    for (long rate : {32000L, 44100L, 48000L, 22050L, 24000L, 16000L, 11025L, 12000L, 8000L})
        mpg123_format(handle.get(), rate, MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_open_feed(handle.get()) != MPG123_OK
        || mpg123_feed(handle.get(), bytes.data(), bytes.size()) != MPG123_OK) {
        out.error = mpg123_strerror(handle.get());
        return out;
    }
    std::vector<unsigned char> chunk(1 << 16);
    for (;;) {
        size_t done = 0;
        int result = mpg123_read(handle.get(), chunk.data(), chunk.size(), &done);
        if (result == MPG123_NEW_FORMAT) {
            long rate = 0;
            int channels = 0, encoding = 0;
            mpg123_getformat(handle.get(), &rate, &channels, &encoding);
            if (out.channels && (rate != out.rate || channels != out.channels)) {
                out.error = "format changed within the stream";
                return out;
            }
            out.rate = rate;
            out.channels = channels;
        }
        auto* samples = reinterpret_cast<const int16_t*>(chunk.data());
        out.pcm.insert(out.pcm.end(), samples, samples + done / sizeof(int16_t));
        if (result == MPG123_NEED_MORE || result == MPG123_DONE)
            break;
        if (result != MPG123_OK && result != MPG123_NEW_FORMAT) {
            out.error = mpg123_strerror(handle.get());
            break;
        }
    }
    if (out.error.empty() && out.channels == 0)
        out.error = "no MP3 frame found";
    return out;
}

// `path` is UTF-8, whatever the system's code page.
DecodedMp3 decode_mp3_file(const std::string& path)
{
    std::ifstream file(std::filesystem::path(std::u8string(path.begin(), path.end())), std::ios::binary);
    if (!file) {
        DecodedMp3 out;
        out.error = "cannot open " + path;
        return out;
    }
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    return decode_mp3(bytes);
}

double tone_frequency(const DecodedMp3& decoded, int channel)
{
    if (decoded.channels == 0)
        return 0;
    const long frames = static_cast<long>(decoded.frames());
    auto sample = [&](long i) { return static_cast<int>(decoded.pcm[i * decoded.channels + channel]); };
    int peak = 0;
    for (long i = 0; i < frames; ++i)
        peak = std::max(peak, std::abs(sample(i)));
    // Crossings count only after the signal swung a quarter of its peak both
    // ways, so the near-silence of the encoder delay adds none.
    const int threshold = peak / 4;
    // Periods across a gap in the sound (the silence a stream may start
    // with, after each resume) are left out: the median period decides.
    std::vector<long> periods;
    long last = -1;
    bool armed = false;
    for (long i = 0; i < frames; ++i) {
        if (sample(i) < -threshold) {
            armed = true;
        } else if (armed && sample(i) > threshold) {
            armed = false;
            if (last >= 0)
                periods.push_back(i - last);
            last = i;
        }
    }
    if (periods.empty())
        return 0;
    std::vector<long> sorted = periods;
    std::nth_element(sorted.begin(), sorted.begin() + sorted.size() / 2, sorted.end());
    const long median = sorted[sorted.size() / 2];
    long counted = 0, length = 0;
    for (long period : periods)
        if (period < median * 3 / 2) {
            ++counted;
            length += period;
        }
    return static_cast<double>(decoded.rate) * counted / length;
}

} // namespace ornavox::test
