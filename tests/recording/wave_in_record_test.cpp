// Recording through waveIn under a real sound system: the tone played into
// the default output, recorded from its monitor by the recording component,
// encoded by the real plug-in. Runs with tools/windows/with_sound_server.sh.
#include "platform/win32/wave_in_capture_device.h"
#include "recording/audiorec.h"
#include "tests/support/mp3_decode.h"
#include "tests/support/temporary_folder.h"
#include "tests/support/wine_sound.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <iostream>

namespace ornavox::test {
namespace {

using namespace std::chrono_literals;

class WaveInRecording : public ::testing::Test {
protected:
    WaveInRecording()
    {
        device.set_record_source(kWineMonitor);
        rec.filename = (folder / "take.mp3").generic_string();
        rec.samples = 44100;
        rec.bps = 128;
    }
    ~WaveInRecording() override { std::filesystem::remove_all(folder); }

    // Lets `span` of sound in, running the GUI thread's messages meanwhile.
    void record_for(std::chrono::milliseconds span)
    {
        dispatcher.run_until([] { return false; }, span);
    }
    void stop()
    {
        rec.stop();
        rec.finish_closing();
        ASSERT_FALSE(rec.closing()) << "the device gave back its buffers and closed";
    }

    std::filesystem::path folder = make_temporary_folder("ornavox-wave-in-");
    Win32Dispatcher dispatcher;
    RecordingMessageSink messages;
    WaveInCaptureDevice device;
    Taudiorec rec{AudiorecServices{device, dispatcher, messages, ORNAVOX_PROGRAM_DIR "/", "HH:mm:ss"}};
};

TEST_F(WaveInRecording, ThreeSecondsOfTheToneAreRecordedAtItsPitch)
{
    rec.rec();
    ASSERT_EQ(rec.state, 1) << (messages.messages.empty() ? "" : messages.messages[0]);
    record_for(3000ms);
    stop();
    EXPECT_TRUE(messages.messages.empty()) << messages.messages[0];

    const DecodedMp3 decoded = decode_mp3_file(rec.filename);
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    const double seconds = static_cast<double>(decoded.frames()) / decoded.rate;
    const double pitch = tone_frequency(decoded, 0);
    EXPECT_NEAR(seconds, 3.0, 0.1);
    EXPECT_NEAR(pitch, 440.0, 2.0);
    // What this machine's sound stack under Wine delivered, for the log.
    std::cout << "recorded " << seconds << " s at " << pitch << " Hz, " << rec.mp3size << " bytes\n";
}

TEST_F(WaveInRecording, PauseResumeAndASecondRecordingContinueOneFile)
{
    rec.rec();
    record_for(1000ms);
    rec.pause();
    record_for(300ms);
    rec.append = true;
    rec.rec(); // resume
    record_for(1000ms);
    stop();
    const uint64_t first = rec.mp3size;
    rec.append = true;
    rec.rec(); // a later recording appended
    record_for(1000ms);
    stop();
    EXPECT_TRUE(messages.messages.empty()) << messages.messages[0];
    EXPECT_GT(rec.mp3size, first);

    const DecodedMp3 decoded = decode_mp3_file(rec.filename);
    ASSERT_TRUE(decoded.ok()) << decoded.error;
    EXPECT_NEAR(static_cast<double>(decoded.frames()) / decoded.rate, 3.0, 0.25) << "three parts, one stream";
    EXPECT_NEAR(tone_frequency(decoded, 0), 440.0, 2.0);
}

} // namespace
} // namespace ornavox::test
