#include "recording/lame_enc/lame_stream.h"

#include <algorithm>
#include <array>

namespace ornavox::lame_enc {

namespace {

constexpr std::array<BE_DWORD, 3> kSampleRates{32000, 44100, 48000};
// MPEG-1 Layer III, the only layer and version these rates give.
constexpr std::array<uint16_t, 14> kBitrates{32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};

template <typename List, typename Value>
bool contains(const List& list, Value value)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

bool lame_mode(uint8_t be_mode, MPEG_mode& mode)
{
    switch (be_mode) {
    case BE_MP3_MODE_STEREO:
        mode = STEREO;
        return true;
    case BE_MP3_MODE_JSTEREO:
        mode = JOINT_STEREO;
        return true;
    case BE_MP3_MODE_DUALCHANNEL:
        mode = DUAL_CHANNEL;
        return true;
    case BE_MP3_MODE_MONO:
        mode = MONO;
        return true;
    default:
        return false;
    }
}

} // namespace

std::unique_ptr<LameStream> LameStream::create(const BE_CONFIG& config, BE_ERR& error)
{
    if (config.dwConfig != BE_CONFIG_MP3) {
        error = BE_ERR_INVALID_FORMAT;
        return nullptr;
    }
    const auto& mp3 = config.format.mp3;
    MPEG_mode mode{};
    if (!contains(kSampleRates, mp3.dwSampleRate) || !contains(kBitrates, mp3.wBitrate)
        || !lame_mode(mp3.byMode, mode)) {
        error = BE_ERR_INVALID_FORMAT_PARAMETERS;
        return nullptr;
    }
    std::unique_ptr<lame_global_flags, LameCloser> lame(lame_init());
    if (!lame) {
        error = BE_ERR_NO_MORE_HANDLES;
        return nullptr;
    }
    const int channels = mode == MONO ? 1 : 2;
    const auto rate = static_cast<int>(mp3.dwSampleRate);
    lame_set_num_channels(lame.get(), channels);
    lame_set_in_samplerate(lame.get(), rate);
    // Left unset, LAME may pick a lower output rate for low bit rates.
    lame_set_out_samplerate(lame.get(), rate);
    lame_set_mode(lame.get(), mode);
    lame_set_VBR(lame.get(), vbr_off);
    lame_set_brate(lame.get(), mp3.wBitrate);
    lame_set_extension(lame.get(), mp3.bPrivate ? 1 : 0);
    lame_set_error_protection(lame.get(), mp3.bCRC ? 1 : 0);
    lame_set_copyright(lame.get(), mp3.bCopyright ? 1 : 0);
    lame_set_original(lame.get(), mp3.bOriginal ? 1 : 0);
    lame_set_bWriteVbrTag(lame.get(), 0);
    lame_set_write_id3tag_automatic(lame.get(), 0);
    if (lame_init_params(lame.get()) < 0) {
        error = BE_ERR_INVALID_FORMAT_PARAMETERS;
        return nullptr;
    }
    error = BE_ERR_SUCCESSFUL;
    return std::unique_ptr<LameStream>(new LameStream(std::move(lame), channels));
}

LameStream::LameStream(std::unique_ptr<lame_global_flags, LameCloser> lame, int channels)
    : lame_(std::move(lame)), channels_(channels)
{
}

BE_DWORD LameStream::suggested_values() const
{
    return static_cast<BE_DWORD>(lame_get_framesize(lame_.get()) * channels_);
}

BE_DWORD LameStream::output_buffer_size() const
{
    // LAME's own worst case for n samples per channel is 1.25 * n + 7200.
    const BE_DWORD per_channel = max_chunk_values() / channels_;
    return per_channel + (per_channel + 3) / 4 + 7200;
}

BE_ERR LameStream::encode(BE_DWORD values, const int16_t* pcm, uint8_t* output, BE_DWORD* output_bytes)
{
    *output_bytes = 0;
    if (flushed_)
        return BE_ERR_INVALID_HANDLE;
    if (values == 0)
        return BE_ERR_SUCCESSFUL;
    if (!pcm || !output || values > max_chunk_values() || values % channels_ != 0)
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    // LAME only reads the input; its prototypes predate const.
    auto* samples = const_cast<short*>(pcm);
    const int per_channel = static_cast<int>(values / channels_);
    const int capacity = static_cast<int>(output_buffer_size());
    const int written = channels_ == 2
        ? lame_encode_buffer_interleaved(lame_.get(), samples, per_channel, output, capacity)
        : lame_encode_buffer(lame_.get(), samples, samples, per_channel, output, capacity);
    if (written == -1)
        return BE_ERR_BUFFER_TOO_SMALL;
    if (written < 0)
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    *output_bytes = static_cast<BE_DWORD>(written);
    return BE_ERR_SUCCESSFUL;
}

BE_ERR LameStream::flush(uint8_t* output, BE_DWORD* output_bytes)
{
    *output_bytes = 0;
    if (flushed_)
        return BE_ERR_SUCCESSFUL;
    if (!output)
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    const int written = lame_encode_flush(lame_.get(), output, static_cast<int>(output_buffer_size()));
    if (written < 0)
        return BE_ERR_BUFFER_TOO_SMALL;
    flushed_ = true;
    *output_bytes = static_cast<BE_DWORD>(written);
    return BE_ERR_SUCCESSFUL;
}

} // namespace ornavox::lame_enc
