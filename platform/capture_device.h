#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ornavox {

// The capture format, laid out as the PCM wave format record.
struct WaveFormat {
    uint16_t format_tag = 1; // PCM
    uint16_t channels = 2;
    uint32_t samples_per_sec = 44100;
    uint32_t avg_bytes_per_sec = 4 * 44100;
    uint16_t block_align = 4;
    uint16_t bits_per_sample = 16;
    uint16_t extra_size = 0;
};

// One capture buffer, owned by the caller. The device fills `data` and sets
// `bytes_recorded` before handing the buffer back.
struct CaptureBuffer {
    uint8_t* data = nullptr;
    uint32_t buffer_length = 0;
    uint32_t bytes_recorded = 0;
};

// Receives the device's notifications on the GUI thread, one at a time, in
// the device's order: opened, then each filled buffer, then at most one
// failure, then closed.
class CaptureListener {
public:
    virtual ~CaptureListener() = default;
    virtual void device_opened() = 0;
    virtual void buffer_filled(CaptureBuffer& buffer) = 0;
    // The device stopped capturing by itself: the sound server or the record
    // source went away. `reason` completes "The recording stopped because ...".
    // It comes after every buffer filled until then; buffers still queued
    // come back with reset() or close(), the first of them with what it holds.
    virtual void device_failed(const std::string& reason) = 0;
    virtual void device_closed() = 0;
};

// A sound capture device with a queue of caller-owned buffers. Every call is
// made on the GUI thread.
class CaptureDevice {
public:
    virtual ~CaptureDevice() = default;

    // Opens the device for 16-bit interleaved PCM in `format`, without
    // waiting for a sound server. On failure returns false, fills `error`
    // with a reason for the user and sends no notification. On success the
    // opened notification follows; a failure the device learns of only later
    // (the server refused the stream, or never answered) comes as
    // device_failed, and the buffers queued come back empty at reset().
    virtual bool open(const WaveFormat& format, CaptureListener& listener, std::string& error) = 0;

    // Queues a buffer; buffers are filled in the order they were queued. A
    // buffer queued while nothing is open is ignored: it never comes back.
    virtual void add_buffer(CaptureBuffer& buffer) = 0;

    virtual void start() = 0;

    // Stops capturing and hands back every queued buffer, at once or once the
    // device has stopped, filled in order with what was captured before: full ones, then the partly filled one
    // with its recorded byte count, the rest with 0. What did not fit stays
    // with the device: a buffer queued after reset() is filled from it and
    // handed back at once, full or with what was left (0 once nothing is).
    virtual void reset() = 0;

    // Hands back every buffer still queued, as reset() does, then the closed
    // notification follows. What the device still held is dropped and
    // counted in undelivered_bytes().
    virtual void close() = 0;

    // Samples (frames of all channels) captured since open; nullopt when
    // nothing is open.
    virtual std::optional<uint64_t> position_samples() const = 0;

    // Times the device had to drop captured data because nobody read it in time.
    virtual uint64_t overruns() const = 0;

    // Bytes captured before the last reset() that the last close() dropped,
    // because they were not asked for.
    virtual uint64_t undelivered_bytes() const = 0;

    // Why the last close() could not release the device, empty when it did.
    // The closed notification still comes, but the device may go on writing
    // into the buffers it held: they must outlive it.
    virtual std::string close_failure() const = 0;
};

} // namespace ornavox
