// The MCI player under Wine on a private sound server: a file the recording
// component made, heard on the null sink's monitor through waveIn.
#include "platform/win32/mci_media_player.h"
#include "platform/win32/wave_in_capture_device.h"
#include "tests/support/capture_events.h"
#include "tests/support/temporary_folder.h"
#include "tests/support/wine_sound.h"

#include <gtest/gtest.h>

#include <mmsystem.h>

#include <filesystem>
#include <fstream>

namespace ornavox::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class EndLog : public PlayNotifyTarget {
public:
    std::vector<uint32_t> ends;
    std::string reason;
    void play_notify(uint32_t code, const std::string& why) override
    {
        ends.push_back(code);
        reason = why;
    }
};

class MciPlayer : public ::testing::Test {
protected:
    MciPlayer() { monitor.set_record_source(kWineMonitor); }
    ~MciPlayer() override
    {
        player.close(); // the player holds the file open until then
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    // A tone file named `name` (UTF-8) in the test's folder.
    std::string make_tone_file(const std::string& name, double seconds)
    {
        const std::string path = folder.generic_string() + "/" + name;
        test::make_tone_file(path, seconds, ORNAVOX_PROGRAM_DIR "/");
        return path;
    }

    void play_and_listen(const std::string& path)
    {
        std::string error;
        ASSERT_TRUE(player.open(path, error)) << error;
        ASSERT_TRUE(monitor.open(stereo16(44100), heard_log, error)) << error;
        ring.queue_all(monitor);
        monitor.start();
        ASSERT_TRUE(player.play(ends));
        ASSERT_TRUE(capture_until(monitor, pump, heard_log, heard, [&] { return !ends->ends.empty(); }));
        const auto after = Clock::now() + 300ms;
        ASSERT_TRUE(capture_until(monitor, pump, heard_log, heard, [&] { return Clock::now() > after; }));
        finish(monitor, pump, heard_log, heard);
    }

    std::filesystem::path folder = make_temporary_folder("ornavox-mci-");
    Win32Pump pump;
    MciMediaPlayer player;
    WaveInCaptureDevice monitor;
    std::shared_ptr<EndLog> ends = std::make_shared<EndLog>();
    CaptureEventLog heard_log;
    BufferRing ring{4, 4 * 2205};
    CapturedPcm heard;
};

// A name in any script and with blanks plays too: the mend of the ANSI calls.
TEST_F(MciPlayer, TheFileIsHeardAtItsPitchAndItsEndIsTold)
{
    for (const char* name : {"tone.mp3", "Gr\xc3\xbc\xc3\x9f\x65 \xe6\x97\xa5\xe6\x9c\xac take.mp3"}) {
        SCOPED_TRACE(name);
        ends->ends.clear();
        heard.pcm.clear();
        heard_log.events.clear();
        play_and_listen(make_tone_file(name, 1));
        EXPECT_EQ(ends->ends, std::vector<uint32_t>{MCI_NOTIFY_SUCCESSFUL});
        EXPECT_NEAR(heard.frequency(44100, 0), 660.0, 3.0);
        player.close();
    }
}

TEST_F(MciPlayer, LengthAndPositionAreInMilliseconds)
{
    const std::string path = make_tone_file("tone.mp3", 2);
    std::string error;
    ASSERT_TRUE(player.open(path, error)) << error;
    EXPECT_NEAR(static_cast<double>(player.length_ms().value_or(0)), 2000.0, 100.0);
    EXPECT_EQ(player.position_ms(), 0u);
    ASSERT_TRUE(player.play(ends));
    pump.run_until([] { return false; }, 500ms);
    EXPECT_GT(player.position_ms().value_or(0), 100u);
    player.stop();
    pump.run_until([&] { return !ends->ends.empty(); }, 2000ms);
    EXPECT_EQ(ends->ends, std::vector<uint32_t>{MCI_NOTIFY_ABORTED}) << "a stop ends the play";
    player.close();
    EXPECT_FALSE(player.length_ms());
}

TEST_F(MciPlayer, AMissingFileOrOneWithoutSoundDoesNotOpen)
{
    std::string error;
    EXPECT_FALSE(player.open(folder.generic_string() + "/missing.mp3", error));
    EXPECT_FALSE(error.empty());
    const std::string text = folder.generic_string() + "/text.mp3";
    std::ofstream(std::filesystem::path(text)) << "no sound in here\n";
    error.clear();
    EXPECT_FALSE(player.open(text, error));
    EXPECT_FALSE(error.empty());
}

// MCI refuses the play (here: its device was closed behind the player's
// back): the refusal is told as the end of a failed play, with MCI's reason.
TEST_F(MciPlayer, APlayThatMciRefusesIsToldAsAFailure)
{
    const std::string path = make_tone_file("tone.mp3", 1);
    std::string error;
    ASSERT_TRUE(player.open(path, error)) << error;
    ASSERT_EQ(mciSendStringW(L"close playback", nullptr, 0, nullptr), 0u);
    EXPECT_FALSE(player.play(ends));
    pump.run_until([&] { return !ends->ends.empty(); }, 2000ms);
    EXPECT_EQ(ends->ends, std::vector<uint32_t>{MCI_NOTIFY_FAILURE});
    EXPECT_FALSE(ends->reason.empty());
    EXPECT_NE(ends->reason, "the sound output failed") << "MCI's own reason";
}

} // namespace
} // namespace ornavox::test
