#pragma once

#include "platform/capture_device.h"
#include "platform/win32/message_window.h"

#include <mmsystem.h>
#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace ornavox {

// Captures through waveIn, as the recording component drives a sound card:
// caller-owned buffers, each with its own wave header, and the device's
// notifications (open, each filled buffer, close) sent to a message-only
// window, so that they arrive on the GUI thread in the device's order.
//
// The device is the wave-in device named after the chosen record source (the
// mixer sets it), or the system's default while none is chosen. One that goes
// away (its driver gone) fails once, noticed within half a second while
// capturing. waveIn keeps nothing beyond the queued buffers: after a reset a
// buffer comes back at once, empty. A device that refuses to close is let go
// of as it is: its headers stay prepared and its buffers in its hands, and
// the closed notification comes all the same. GUI thread only.
class WaveInCaptureDevice final : public CaptureDevice {
public:
    WaveInCaptureDevice();
    ~WaveInCaptureDevice() override;

    // The record source the next open captures from; empty for the default.
    void set_record_source(const std::string& name) { source_ = name; }

    bool open(const WaveFormat& format, CaptureListener& listener, std::string& error) override;
    void add_buffer(CaptureBuffer& buffer) override;
    void start() override;
    void reset() override;
    void close() override;
    std::optional<uint64_t> position_samples() const override;
    uint64_t overruns() const override { return 0; }
    uint64_t undelivered_bytes() const override { return 0; }
    std::string close_failure() const override { return close_failure_; }

private:
    LRESULT notified(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    std::optional<UINT> device_id() const;
    void fail(MMRESULT result, const char* what);

    struct Queued {
        CaptureBuffer* buffer;
        WAVEHDR header{};
    };

    std::string source_;
    CaptureListener* listener_ = nullptr;
    HWAVEIN wave_in_ = nullptr;
    bool failed_ = false;
    // waveIn counts its position from 0 again after a reset; stopped, the
    // position is what the buffers got.
    bool running_ = false;
    bool reset_ = false; // reset and not started again
    std::string close_failure_;
    uint32_t block_align_ = 4;
    uint64_t frames_handed_back_ = 0;
    // Buffers the device holds, by their header, until it hands them back.
    std::map<const WAVEHDR*, std::unique_ptr<Queued>> queued_;
    // The devices that would not close, and the headers they may still use.
    std::vector<HWAVEIN> abandoned_devices_;
    std::vector<std::unique_ptr<Queued>> abandoned_;
    win32::MessageWindow window_;
};

} // namespace ornavox
