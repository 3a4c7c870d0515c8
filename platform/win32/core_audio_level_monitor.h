#pragma once

#include "platform/dispatcher.h"
#include "platform/level_monitor.h"
#include "platform/posted_guard.h"
#include "platform/win32/com_ptr.h"

#include <mmdeviceapi.h>

#include <functional>
#include <memory>
#include <string>

namespace ornavox {

// A source's level from its endpoint's peak meter (IAudioMeterInformation),
// read 25 times a second on a thread of its own: a capture endpoint by its id,
// or for "What you hear" the default output. A capture endpoint's meter moves
// only while a stream is open on it, so one is kept open, unread. An endpoint
// that has no meter, or whose stream cannot open, sends nothing.
//
// Thread contract: watch(), stop() and the destructor on the GUI thread; none
// of them waits for the reading thread, which may be stuck in the audio
// service: it is told to end and posts nothing from then on.
class CoreAudioLevelMonitor final : public LevelMonitor {
public:
    // The endpoints come from `enumerator`, or from Windows' own when none is
    // given; it must be free-threaded, as Windows' is.
    explicit CoreAudioLevelMonitor(Dispatcher& dispatcher, win32::ComPtr<IMMDeviceEnumerator> enumerator = {});
    ~CoreAudioLevelMonitor() override;
    CoreAudioLevelMonitor(const CoreAudioLevelMonitor&) = delete;
    CoreAudioLevelMonitor& operator=(const CoreAudioLevelMonitor&) = delete;

    void watch(const std::string& source_id, std::function<void(float)> heard) override;
    void stop() override;

    struct Reading;

private:
    Dispatcher& dispatcher_;
    win32::ComPtr<IMMDeviceEnumerator> enumerator_;
    PostedGuard<CoreAudioLevelMonitor> guard_;
    std::shared_ptr<Reading> reading_; // the thread of the source watched now
    std::function<void(float)> heard_;
};

} // namespace ornavox
