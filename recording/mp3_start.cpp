#include "recording/mp3_start.h"

#include <optional>

namespace ornavox {

namespace {

struct FrameHeader {
    int version; // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
    uint32_t rate;
    uint32_t length; // bytes, header included
};

std::optional<FrameHeader> layer3_header(const uint8_t* h)
{
    static constexpr uint32_t kRates[4][3] = {
        {11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
    static constexpr uint32_t kKbpsV1[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    static constexpr uint32_t kKbpsV2[16] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0};
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0)
        return std::nullopt;
    const int version = (h[1] >> 3) & 3;
    const int layer = (h[1] >> 1) & 3;
    const int bitrate_index = h[2] >> 4;
    const int rate_index = (h[2] >> 2) & 3;
    if (version == 1 || layer != 1 || bitrate_index == 0 || bitrate_index == 15 || rate_index == 3)
        return std::nullopt;
    const uint32_t rate = kRates[version][rate_index];
    const uint32_t kbps = (version == 3 ? kKbpsV1 : kKbpsV2)[bitrate_index];
    const uint32_t slots = (version == 3 ? 144 : 72) * kbps * 1000 / rate;
    return FrameHeader{version, rate, slots + ((h[2] >> 1) & 1)};
}

} // namespace

Mp3Start probe_mp3_start(const std::function<size_t(uint64_t, uint8_t*, size_t)>& read, uint64_t length)
{
    const Mp3Start other{Mp3Start::Kind::Other, 0};
    if (length == 0)
        return {};
    uint8_t head[10] = {};
    uint64_t offset = 0;
    if (length >= 10 && read(0, head, 10) == 10 && head[0] == 'I' && head[1] == 'D' && head[2] == '3') {
        const uint64_t size = (uint64_t{head[6]} & 0x7F) << 21 | (uint64_t{head[7]} & 0x7F) << 14
            | (uint64_t{head[8]} & 0x7F) << 7 | (uint64_t{head[9]} & 0x7F);
        offset = 10 + size + ((head[5] & 0x10) ? 10 : 0);
        // A tag and nothing after it: frames may follow as in a new file.
        if (offset >= length)
            return {};
    }
    if (length - offset < 4 || read(offset, head, 4) != 4)
        return other;
    const std::optional<FrameHeader> first = layer3_header(head);
    if (!first)
        return other;
    const uint64_t next = offset + first->length;
    if (next + 4 <= length) {
        if (read(next, head, 4) != 4)
            return other;
        const std::optional<FrameHeader> second = layer3_header(head);
        if (!second || second->version != first->version || second->rate != first->rate)
            return other;
    }
    return {Mp3Start::Kind::Frames, first->rate};
}

} // namespace ornavox
