#pragma once

#include "platform/capture_device.h"
#include "platform/win32/message_window.h"

#include <mmsystem.h>
#include <windows.h>

#include <map>
#include <memory>
#include <string>

namespace ornavox {

// Captures through waveIn, as the recording component drives a sound card:
// caller-owned buffers, each with its own wave header, and the device's
// notifications (open, each filled buffer, close) sent to a message-only
// window, so that they arrive on the GUI thread in the device's order.
//
// The device is the wave-in device named after the chosen record source (the
// mixer sets it), or the system's default while none is chosen. One that goes
// away (its driver gone) fails once, noticed within half a second while
// capturing. GUI thread only.
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
    uint32_t block_align_ = 4;
    uint64_t frames_handed_back_ = 0;
    // Buffers the device holds, by their header, until it hands them back.
    std::map<const WAVEHDR*, std::unique_ptr<Queued>> queued_;
    win32::MessageWindow window_;
};

} // namespace ornavox
