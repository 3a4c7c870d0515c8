#pragma once

// What the Windows backends' tests share under Wine, on the sound server of
// tools/windows/with_sound_server.sh.
#include "platform/fake/fake_capture_device.h"
#include "platform/fake/queue_dispatcher.h"
#include "platform/fake/recording_message_sink.h"
#include "platform/win32/win32_dispatcher.h"
#include "recording/audiorec.h"

#include <chrono>
#include <string>

namespace ornavox::test {

// The server's null sink as Wine names its monitor, the wave-in device that
// hears what is played.
inline constexpr const char* kWineMonitor = "Monitor of ornavox_sink";

// The GUI thread's dispatcher with a way to run, at once, every message the
// thread has (device notifications included), as the main loop would.
class Win32Pump : public Win32Dispatcher {
public:
    void run_pending()
    {
        run_until([] { return false; }, std::chrono::milliseconds(0));
    }
};

// `seconds` of a 660 Hz tone, encoded by the recording component and the real
// plug-in of `program_dir` into `path` (UTF-8).
inline void make_tone_file(const std::string& path, double seconds, const std::string& program_dir)
{
    QueueDispatcher queue;
    FakeCaptureDevice device{queue};
    RecordingMessageSink messages;
    Taudiorec rec{AudiorecServices{device, queue, messages, program_dir, "HH:mm:ss"}};
    rec.filename = path;
    rec.rec();
    for (size_t done = 0; done < seconds * 44100; done += 4410) {
        device.fill_sine(4410, 660);
        queue.run_pending();
    }
    rec.stop();
    rec.finish_closing();
}

} // namespace ornavox::test
