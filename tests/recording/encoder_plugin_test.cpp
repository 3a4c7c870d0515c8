#include "recording/encoder_plugin.h"

#include "platform/fake/recording_message_sink.h"
#include "tests/support/mp3_decode.h"
#include "tests/support/temporary_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

namespace ornavox {
namespace {

const std::string kProgramDir = ORNAVOX_PROGRAM_DIR "/";

std::string fake_dir(const std::string& variant)
{
    return ORNAVOX_FAKE_ENC_PREFIX + variant + "/";
}

// ---- Loading -------------------------------------------------------------

TEST(EncoderPluginLoading, MissingLibraryIsReportedAndUnavailable)
{
    const std::filesystem::path folder = test::make_temporary_folder("ornavox-no-plugin-");
    RecordingMessageSink messages;
    EXPECT_EQ(load_encoder_plugin(folder.generic_string() + "/", messages), nullptr);
    EXPECT_EQ(
        messages.messages,
        std::vector<std::string>{std::string("MP3 Encode plugin is not installed!\n\r") + kEncoderPluginFileName});
    std::filesystem::remove(folder);
}

TEST(EncoderPluginLoading, MissingEntryPointsAreSilentAndUnavailable)
{
    for (const char* variant : {"no_version", "no_close"}) {
        RecordingMessageSink messages;
        EXPECT_EQ(load_encoder_plugin(fake_dir(variant), messages), nullptr) << variant;
        EXPECT_TRUE(messages.messages.empty()) << variant;
    }
}

TEST(EncoderPluginLoading, SamePathGivesSameEntryPoints)
{
    RecordingMessageSink messages;
    const EncoderEntryPoints* fake = load_encoder_plugin(fake_dir("full"), messages);
    const EncoderEntryPoints* real = load_encoder_plugin(kProgramDir, messages);
    ASSERT_NE(fake, nullptr);
    ASSERT_NE(real, nullptr);
    EXPECT_EQ(load_encoder_plugin(fake_dir("full"), messages), fake);
    EXPECT_NE(fake->beInitStream, real->beInitStream);
    EXPECT_TRUE(real->beEncodeChunk && real->beDeinitStream && real->beCloseStream);
    EXPECT_TRUE(messages.messages.empty());
}

TEST(EncoderCheck, ShowsTheCodesMessage)
{
    const std::vector<std::pair<BE_ERR, std::string>> failures{{1, "INVALID_FORMAT"}, {2, "INVALID_FORMAT_PARAMETERS"},
                                                               {3, "MORE_HANDLES"},   {4, "INVALID_HANDLE"},
                                                               {5, "Unkonw error"},   {99, "Unkonw error"}};
    RecordingMessageSink messages;
    EXPECT_EQ(encodercheck(BE_ERR_SUCCESSFUL, messages), 0);
    EXPECT_TRUE(messages.messages.empty());
    for (const auto& [code, text] : failures) {
        messages.messages.clear();
        EXPECT_EQ(encodercheck(code, messages), -1) << code;
        EXPECT_EQ(messages.messages, std::vector<std::string>{text}) << code;
    }
}

// ---- The real plug-in ----------------------------------------------------

constexpr std::size_t kFrameSamples = 1152;
// LAME's start-up delay plus the decoder's, in samples per channel.
constexpr std::size_t kCodecDelay = 576 + 529;

BE_CONFIG mp3_config(BE_DWORD rate, uint16_t kbps, uint8_t mode = BE_MP3_MODE_STEREO)
{
    BE_CONFIG config{};
    config.dwConfig = BE_CONFIG_MP3;
    config.format.mp3.dwSampleRate = rate;
    config.format.mp3.byMode = mode;
    config.format.mp3.wBitrate = kbps;
    return config;
}

// Interleaved stereo: 1 kHz on the left, 1.5 kHz on the right.
std::vector<int16_t> two_tones(BE_DWORD rate, std::size_t frames)
{
    std::vector<int16_t> pcm(frames * 2);
    for (std::size_t i = 0; i < frames; ++i) {
        const double t = static_cast<double>(i) / rate;
        pcm[2 * i] = static_cast<int16_t>(12000 * std::sin(2 * std::numbers::pi * 1000 * t));
        pcm[2 * i + 1] = static_cast<int16_t>(12000 * std::sin(2 * std::numbers::pi * 1500 * t));
    }
    return pcm;
}

// The fields of an MP3 frame header that the configuration sets.
struct FrameHeader {
    explicit FrameHeader(const std::vector<uint8_t>& bytes)
        : sync(bytes.size() >= 4 && bytes[0] == 0xFF && (bytes[1] & 0xFE) == 0xFA), crc(sync && !(bytes[1] & 0x01)),
          padding(sync && (bytes[2] & 0x02)), private_bit(sync && (bytes[2] & 0x01)), mode(sync ? bytes[3] >> 6 : -1),
          copyright(sync && (bytes[3] & 0x08)), original(sync && (bytes[3] & 0x04))
    {
    }
    bool sync; // MPEG-1 Layer III
    bool crc, padding, private_bit;
    int mode;
    bool copyright, original;
};

class LamePlugin : public ::testing::Test {
protected:
    void SetUp() override
    {
        plugin = load_encoder_plugin(kProgramDir, messages);
        ASSERT_NE(plugin, nullptr);
    }

    // Encodes `pcm` in chunks of twice the suggested count, checking that
    // every output fits the buffer size the stream asked for.
    std::vector<uint8_t> encode(BE_CONFIG config, const std::vector<int16_t>& pcm)
    {
        BE_DWORD suggested = 0, size = 0;
        HBE_STREAM stream = 0;
        EXPECT_EQ(plugin->beInitStream(&config, &suggested, &size, &stream), BE_ERR_SUCCESSFUL);
        // Canaries past the promised size catch an encoder that overruns it.
        std::vector<uint8_t> output(size + 64, 0xA5), mp3;
        BE_DWORD written = 0;
        for (std::size_t at = 0; at < pcm.size(); at += 2 * suggested) {
            const auto count = static_cast<BE_DWORD>(std::min<std::size_t>(2 * suggested, pcm.size() - at));
            EXPECT_EQ(plugin->beEncodeChunk(stream, count, pcm.data() + at, output.data(), &written),
                      BE_ERR_SUCCESSFUL);
            EXPECT_LE(written, size);
            mp3.insert(mp3.end(), output.begin(), output.begin() + written);
        }
        EXPECT_EQ(plugin->beDeinitStream(stream, output.data(), &written), BE_ERR_SUCCESSFUL);
        EXPECT_LE(written, size);
        mp3.insert(mp3.end(), output.begin(), output.begin() + written);
        EXPECT_TRUE(std::all_of(output.begin() + size, output.end(), [](uint8_t b) { return b == 0xA5; }));
        EXPECT_EQ(plugin->beCloseStream(stream), BE_ERR_SUCCESSFUL);
        return mp3;
    }

    RecordingMessageSink messages;
    const EncoderEntryPoints* plugin = nullptr;
};

struct Format {
    BE_DWORD rate;
    uint16_t kbps;
};

void PrintTo(const Format& format, std::ostream* out)
{
    *out << format.rate << " Hz " << format.kbps << " kbps";
}

class LamePluginFormats : public LamePlugin, public ::testing::WithParamInterface<Format> {};

TEST_P(LamePluginFormats, EncodesASecondOfTonesAsPlainFrames)
{
    const auto [rate, kbps] = GetParam();
    const std::vector<uint8_t> mp3 = encode(mp3_config(rate, kbps), two_tones(rate, rate));

    const FrameHeader header(mp3);
    ASSERT_TRUE(header.sync);
    EXPECT_EQ(header.mode, 0); // stereo
    EXPECT_FALSE(header.crc || header.private_bit || header.copyright || header.original);
    const std::size_t first_frame = 144 * 1000 * kbps / rate + header.padding;
    const std::string first(mp3.begin(), mp3.begin() + first_frame);
    EXPECT_EQ(first.find("Xing"), std::string::npos);
    EXPECT_EQ(first.find("Info"), std::string::npos);
    // A tag frame reserved for later filling is all zeros after its header.
    EXPECT_TRUE(std::any_of(first.begin() + 4, first.end(), [](char byte) { return byte != 0; }));

    const test::DecodedMp3 decoded = test::decode_mp3(mp3);
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_EQ(decoded.rate, static_cast<long>(rate));
    EXPECT_EQ(decoded.channels, 2);
    EXPECT_GE(decoded.frames(), rate);
    EXPECT_LE(decoded.frames(), rate + kFrameSamples + kCodecDelay);
    EXPECT_NEAR(test::tone_frequency(decoded, 0), 1000, 10);
    EXPECT_NEAR(test::tone_frequency(decoded, 1), 1500, 15);
}

INSTANTIATE_TEST_SUITE_P(RatesAndBitRates, LamePluginFormats,
                         ::testing::Values(Format{32000, 96}, Format{32000, 256}, Format{44100, 128},
                                           Format{44100, 160}, Format{48000, 192}, Format{48000, 320}),
                         [](const auto& info) {
                             return std::to_string(info.param.rate) + "Hz" + std::to_string(info.param.kbps) + "kbps";
                         });

TEST_F(LamePlugin, AppendedStreamDecodesAsOne)
{
    const std::vector<uint8_t> first = encode(mp3_config(44100, 128), two_tones(44100, 22050));
    const std::vector<uint8_t> second = encode(mp3_config(44100, 128), two_tones(44100, 30000));
    std::vector<uint8_t> file = first;
    file.insert(file.end(), second.begin(), second.end());

    const test::DecodedMp3 whole = test::decode_mp3(file);
    ASSERT_TRUE(whole.ok()) << whole.error;
    EXPECT_EQ(whole.frames(), test::decode_mp3(first).frames() + test::decode_mp3(second).frames());
}

TEST_F(LamePlugin, HeaderFlagsAndModeFollowTheConfiguration)
{
    BE_CONFIG config = mp3_config(44100, 128, BE_MP3_MODE_JSTEREO);
    config.format.mp3.bPrivate = config.format.mp3.bCRC = 1;
    config.format.mp3.bCopyright = config.format.mp3.bOriginal = 1;
    const FrameHeader joint(encode(config, two_tones(44100, 4608)));
    EXPECT_EQ(joint.mode, 1);
    EXPECT_TRUE(joint.crc && joint.private_bit && joint.copyright && joint.original);

    // Mono takes one 16-bit value per sample.
    const std::vector<int16_t> tone = two_tones(44100, 44100);
    std::vector<int16_t> left;
    for (std::size_t i = 0; i < tone.size(); i += 2)
        left.push_back(tone[i]);
    const std::vector<uint8_t> mono = encode(mp3_config(44100, 128, BE_MP3_MODE_MONO), left);
    EXPECT_EQ(FrameHeader(mono).mode, 3);
    const test::DecodedMp3 decoded = test::decode_mp3(mono);
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_EQ(decoded.channels, 1);
    EXPECT_NEAR(test::tone_frequency(decoded, 0), 1000, 10);
}

TEST_F(LamePlugin, RefusesFormatsItCannotEncode)
{
    const std::vector<BE_CONFIG> bad{mp3_config(22050, 128), mp3_config(0, 128),     mp3_config(44100, 0),
                                     mp3_config(44100, 100), mp3_config(44100, 384), mp3_config(44100, 128, 7)};
    BE_DWORD suggested = 0, size = 0;
    HBE_STREAM stream = 0;
    for (BE_CONFIG config : bad)
        EXPECT_EQ(plugin->beInitStream(&config, &suggested, &size, &stream), BE_ERR_INVALID_FORMAT_PARAMETERS)
            << config.format.mp3.dwSampleRate << " Hz " << config.format.mp3.wBitrate << " kbps";
    BE_CONFIG lame_record = mp3_config(44100, 128);
    lame_record.dwConfig = BE_CONFIG_LAME;
    EXPECT_EQ(plugin->beInitStream(&lame_record, &suggested, &size, &stream), BE_ERR_INVALID_FORMAT);
    EXPECT_EQ(plugin->beInitStream(nullptr, &suggested, &size, &stream), BE_ERR_INVALID_FORMAT_PARAMETERS);
}

TEST_F(LamePlugin, RefusesBadHandlesAndOversizedChunks)
{
    BE_CONFIG config = mp3_config(48000, 128);
    BE_DWORD suggested = 0, size = 0, written = 99;
    HBE_STREAM stream = 0, other = 0;
    ASSERT_EQ(plugin->beInitStream(&config, &suggested, &size, &stream), BE_ERR_SUCCESSFUL);
    ASSERT_EQ(plugin->beInitStream(&config, &suggested, &size, &other), BE_ERR_SUCCESSFUL);
    EXPECT_NE(stream, other);
    EXPECT_EQ(suggested, 2 * kFrameSamples);
    std::vector<int16_t> pcm(2 * suggested + 2);
    std::vector<uint8_t> output(size);

    EXPECT_EQ(plugin->beEncodeChunk(stream, 2 * suggested + 2, pcm.data(), output.data(), &written),
              BE_ERR_INVALID_FORMAT_PARAMETERS);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(plugin->beEncodeChunk(stream, 3, pcm.data(), output.data(), &written), BE_ERR_INVALID_FORMAT_PARAMETERS);

    EXPECT_EQ(plugin->beDeinitStream(stream, output.data(), &written), BE_ERR_SUCCESSFUL);
    EXPECT_EQ(plugin->beEncodeChunk(stream, 4, pcm.data(), output.data(), &written), BE_ERR_INVALID_HANDLE);
    EXPECT_EQ(plugin->beCloseStream(stream), BE_ERR_SUCCESSFUL);
    for (HBE_STREAM gone : {stream, HBE_STREAM{0}, HBE_STREAM{0xDEADBEEF}}) {
        EXPECT_EQ(plugin->beEncodeChunk(gone, 4, pcm.data(), output.data(), &written), BE_ERR_INVALID_HANDLE);
        EXPECT_EQ(plugin->beDeinitStream(gone, output.data(), &written), BE_ERR_INVALID_HANDLE);
        EXPECT_EQ(plugin->beCloseStream(gone), BE_ERR_INVALID_HANDLE);
    }
    EXPECT_EQ(plugin->beCloseStream(other), BE_ERR_SUCCESSFUL);
}

} // namespace
} // namespace ornavox
