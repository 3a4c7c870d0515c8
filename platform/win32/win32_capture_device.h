#pragma once

#include "platform/call_capture_device.h"
#include "platform/switched_capture_device.h"
#include "platform/win32/loopback_capture_device.h"
#include "platform/win32/record_source.h"
#include "platform/win32/wave_in_capture_device.h"

namespace ornavox {

// The program's capture device on Windows: the wave-in device named after the
// chosen record source, the loopback capture of the default output when the
// user chose what it plays, or of a call both, mixed. A choice takes effect
// at the next open. GUI thread only.
class Win32CaptureDevice final : public SwitchedCaptureDevice {
public:
    explicit Win32CaptureDevice(Dispatcher& dispatcher)
        : SwitchedCaptureDevice(wave_in_), loopback_(dispatcher), call_(wave_in_, loopback_)
    {
    }

    void choose(const RecordSource& source)
    {
        wave_in_.set_record_source(source.what_you_hear ? std::string() : source.name);
        chosen_ = source;
    }

private:
    CaptureDevice& device_to_open() override
    {
        if (chosen_.call)
            return call_;
        if (chosen_.what_you_hear)
            return loopback_;
        return wave_in_;
    }

    WaveInCaptureDevice wave_in_;
    LoopbackCaptureDevice loopback_;
    // Last, so that it goes first: what its devices still post for it then
    // finds them gone too.
    CallCaptureDevice call_;
    RecordSource chosen_;
};

} // namespace ornavox
