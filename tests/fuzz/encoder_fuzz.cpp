// The encoder plug-in's entry points driven in arbitrary order: streams set up
// from arbitrary configurations, chunks of arbitrary counts and contents, and
// handles that are live, closed or never given out. Buffers are exactly as
// large as the caller's contract says, so AddressSanitizer catches any read or
// write beyond them.

#include "recording/bladeenc.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" {
void beVersion(BE_VERSION* version);
BE_ERR beInitStream(BE_CONFIG* config, BE_DWORD* samples, BE_DWORD* buffer_size, HBE_STREAM* stream);
BE_ERR beEncodeChunk(HBE_STREAM stream, BE_DWORD samples, const int16_t* pcm, uint8_t* output, BE_DWORD* output_bytes);
BE_ERR beDeinitStream(HBE_STREAM stream, uint8_t* output, BE_DWORD* output_bytes);
BE_ERR beCloseStream(HBE_STREAM stream);
}

namespace {

struct Stream {
    HBE_STREAM handle;
    BE_DWORD samples;
    BE_DWORD buffer_size;
};

// Two frames of stereo at 48 kHz, the most a chunk may hold, and then some.
constexpr BE_DWORD kLargestBuffer = 2 * 1152 * 2 + 64;
constexpr size_t kMostStreams = 4;
constexpr int kMostSteps = 48;

void expect(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "encoder contract broken: %s\n", what);
        std::abort();
    }
}

BE_CONFIG config_from(FuzzedDataProvider& input)
{
    BE_CONFIG config;
    std::memset(&config, 0, sizeof config);
    if (input.ConsumeBool()) {
        input.ConsumeData(&config, sizeof config);
        return config;
    }
    static constexpr BE_DWORD kRates[] = {32000, 44100, 48000, 22050, 0};
    static constexpr uint16_t kBitrates[] = {32, 64, 128, 192, 320, 8, 0, 65535};
    config.dwConfig = input.ConsumeBool() ? BE_CONFIG_MP3 : input.ConsumeIntegral<BE_DWORD>();
    config.format.mp3.dwSampleRate = input.PickValueInArray(kRates);
    config.format.mp3.byMode = input.ConsumeIntegralInRange<uint8_t>(0, 4);
    config.format.mp3.wBitrate = input.PickValueInArray(kBitrates);
    config.format.mp3.bCRC = input.ConsumeIntegral<BE_BOOL>();
    config.format.mp3.bPrivate = input.ConsumeIntegral<BE_BOOL>();
    return config;
}

// A live handle, one that was closed, or any number at all.
HBE_STREAM pick_handle(FuzzedDataProvider& input, const std::vector<Stream>& live,
                       const std::vector<HBE_STREAM>& closed)
{
    switch (input.ConsumeIntegralInRange(0, 2)) {
    case 0:
        if (!live.empty())
            return live[input.ConsumeIntegralInRange<size_t>(0, live.size() - 1)].handle;
        [[fallthrough]];
    case 1:
        if (!closed.empty())
            return closed[input.ConsumeIntegralInRange<size_t>(0, closed.size() - 1)];
        [[fallthrough]];
    default:
        return input.ConsumeIntegral<HBE_STREAM>();
    }
}

std::vector<Stream>::const_iterator find_live(HBE_STREAM handle, const std::vector<Stream>& live)
{
    return std::find_if(live.begin(), live.end(), [&](const Stream& s) { return s.handle == handle; });
}

// What the caller's contract lets the plug-in write for `handle`: the buffer
// size given at set-up, or nothing at all for a handle that is not live.
BE_DWORD output_size(HBE_STREAM handle, const std::vector<Stream>& live)
{
    const auto it = find_live(handle, live);
    return it == live.end() ? 0 : it->buffer_size;
}

BE_DWORD chunk_count(FuzzedDataProvider& input, HBE_STREAM handle, const std::vector<Stream>& live)
{
    const auto it = find_live(handle, live);
    const BE_DWORD suggested = it == live.end() ? 1152 : it->samples;
    switch (input.ConsumeIntegralInRange(0, 4)) {
    case 0:
        return suggested;
    case 1:
        return 2 * suggested + input.ConsumeIntegralInRange<BE_DWORD>(0, 2);
    case 2:
        return input.ConsumeIntegralInRange<BE_DWORD>(0, kLargestBuffer);
    default:
        return input.ConsumeIntegral<BE_DWORD>();
    }
}

void encode(FuzzedDataProvider& input, const std::vector<Stream>& live, const std::vector<HBE_STREAM>& closed)
{
    const HBE_STREAM handle = pick_handle(input, live, closed);
    const BE_DWORD count = chunk_count(input, handle, live);
    // A count beyond the largest chunk gets a buffer that is too small: the
    // plug-in must refuse the count before it reads.
    std::vector<int16_t> pcm(std::min(count, kLargestBuffer));
    const std::vector<uint8_t> sound = input.ConsumeBytes<uint8_t>(pcm.size() * sizeof(int16_t));
    std::copy(sound.begin(), sound.end(), reinterpret_cast<uint8_t*>(pcm.data()));
    const BE_DWORD size = output_size(handle, live);
    std::vector<uint8_t> output(size);
    BE_DWORD written = 12345;
    const bool null_pcm = input.ConsumeIntegralInRange(0, 15) == 0;
    const BE_ERR result = beEncodeChunk(handle, count, null_pcm || pcm.empty() ? nullptr : pcm.data(),
                                        output.empty() ? nullptr : output.data(), &written);
    expect(result == BE_ERR_SUCCESSFUL ? written <= size : written == 0, "bytes written");
    expect(size != 0 || result == BE_ERR_INVALID_HANDLE, "a handle that is not live was taken");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    std::vector<Stream> live;
    std::vector<HBE_STREAM> closed;
    for (int step = 0; step < kMostSteps && input.remaining_bytes() > 0; ++step) {
        switch (input.ConsumeIntegralInRange(0, 5)) {
        case 0: {
            if (live.size() == kMostStreams)
                break;
            BE_CONFIG config = config_from(input);
            Stream stream{};
            if (beInitStream(&config, &stream.samples, &stream.buffer_size, &stream.handle) == BE_ERR_SUCCESSFUL) {
                expect(stream.handle != 0 && stream.samples > 0 && stream.buffer_size > 0, "a stream set up");
                live.push_back(stream);
            }
            break;
        }
        case 1:
        case 2:
            encode(input, live, closed);
            break;
        case 3: {
            const HBE_STREAM handle = pick_handle(input, live, closed);
            const BE_DWORD size = output_size(handle, live);
            std::vector<uint8_t> output(size);
            BE_DWORD written = 12345;
            const BE_ERR result = beDeinitStream(handle, output.empty() ? nullptr : output.data(), &written);
            expect(result == BE_ERR_SUCCESSFUL ? written <= size : written == 0, "bytes flushed");
            break;
        }
        case 4: {
            const HBE_STREAM handle = pick_handle(input, live, closed);
            const auto it = find_live(handle, live);
            const BE_ERR result = beCloseStream(handle);
            expect((result == BE_ERR_SUCCESSFUL) == (it != live.end()), "closing");
            if (it != live.end()) {
                closed.push_back(handle);
                live.erase(it);
            }
            break;
        }
        default: {
            BE_VERSION version;
            beVersion(&version);
            expect(std::memchr(version.zHomepage, 0, sizeof version.zHomepage) != nullptr, "homepage ends");
            expect(beEncodeChunk(pick_handle(input, live, closed), 0, nullptr, nullptr, nullptr)
                       == BE_ERR_INVALID_FORMAT_PARAMETERS,
                   "no place for the byte count");
        }
        }
    }
    for (const Stream& stream : live)
        beCloseStream(stream.handle);
    return 0;
}
