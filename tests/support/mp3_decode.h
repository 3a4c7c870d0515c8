#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ornavox::test {

// An MP3 stream decoded by libmpg123 to 16-bit interleaved PCM.
struct DecodedMp3 {
    long rate = 0;
    int channels = 0;
    std::vector<int16_t> pcm;
    std::string error; // empty when the whole input decoded

    std::size_t frames() const { return channels ? pcm.size() / channels : 0; }
    bool ok() const { return error.empty() && channels > 0; }
};

// Decodes every MP3 frame in `bytes`. A change of format midway is reported
// as an error: the recorder's files are one stream.
DecodedMp3 decode_mp3(const std::vector<uint8_t>& bytes);
DecodedMp3 decode_mp3_file(const std::string& path);

// Frequency in Hz of a tone in one channel of `decoded`, from the mean
// distance between its upward swings; 0 when there are fewer than two.
double tone_frequency(const DecodedMp3& decoded, int channel);

} // namespace ornavox::test
