#pragma once

#include "platform/call_capture_device.h"
#include "platform/pulse/pulse_capture_device.h"
#include "platform/record_source_id.h"
#include "platform/switched_capture_device.h"

namespace ornavox {

// The backend's capture device: the session's record source alone, or of a
// call its voice and what you hear, mixed. GUI thread only.
class PulseRecordDevice final : public SwitchedCaptureDevice {
public:
    PulseRecordDevice(PulseSession& session, Dispatcher& dispatcher,
                      std::chrono::milliseconds backlog = PulseCaptureDevice::kDefaultBacklog)
        : SwitchedCaptureDevice(chosen_), session_(session), chosen_(session, dispatcher, backlog),
          other_side_(session, dispatcher, backlog, PulseCaptureDevice::Part::OtherSide), call_(chosen_, other_side_)
    {
    }

private:
    CaptureDevice& device_to_open() override
    {
        if (call_voice(session_.record_source()))
            return call_;
        return chosen_;
    }

    PulseSession& session_;
    PulseCaptureDevice chosen_; // also the voice of a call
    PulseCaptureDevice other_side_;
    // Last, so that it goes first: what its devices still post for it then
    // finds them gone too.
    CallCaptureDevice call_;
};

} // namespace ornavox
