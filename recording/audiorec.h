#pragma once

#include "platform/capture_device.h"
#include "platform/dispatcher.h"
#include "platform/message_sink.h"
#include "recording/encoder_plugin.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace ornavox {

// Raised out of rec() when nothing was started: the output file cannot be
// created or opened, or the capture device cannot be opened. what() is the
// text for the user. Everything rec() took is released again.
class AudiorecError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What the recording component is given by its owner.
struct AudiorecServices {
    CaptureDevice& device;
    Dispatcher& dispatcher;
    MessageSink& messages;
    std::string program_dir;      // where the encoder plug-in lies, with trailing separator
    std::string long_time_format; // the user's long time pattern, see time_text.h
    std::string zero_digit = "0"; // of the user's script
};

// The recording component: captures 16-bit stereo PCM through a ring of four
// buffers, encodes each filled buffer with the encoder plug-in and appends the
// bytes to the output file; without the plug-in it writes raw samples to
// "save.raw" in the current directory.
//
// A stop or a pause keeps everything the device captured before it: the
// buffers go on cycling until the device has handed over what it held, for at
// most a second; what is left then is told. A pause keeps the encoder stream
// and the file open, so that the resume continues the same stream without the
// encoder's delay and padding in between; finish() ends it.
//
// GUI thread only. The device's notifications arrive through the device's
// listener interface on the GUI thread, in the device's order.
class Taudiorec : private CaptureListener {
public:
    explicit Taudiorec(AudiorecServices services);
    ~Taudiorec() override;
    Taudiorec(const Taudiorec&) = delete;
    Taudiorec& operator=(const Taudiorec&) = delete;

    // Published properties; writing one only stores it, rec() checks them.
    int32_t state = 0; // 1 while capturing
    std::string filename = "001.mp3";
    std::function<void(Taudiorec*)> ondata; // after each filled buffer
    int32_t samples = 0;                    // Hz: 32000, 44100 or 48000
    int32_t bps = 0;                        // kbit/s: 96, 128, 160, 192 or 256
    uint32_t mp3size = 0;                   // bytes of MP3 data in the file
    bool append = false;

    // Called when a recording stopped by itself (a write failed, or the
    // device failed because the sound server or the source went away), after
    // its message was shown; the owner resets its display.
    std::function<void(Taudiorec*)> onfailure;

    // Starts a recording, or resumes a paused one; throws AudiorecError.
    // Called while the previous capture is still closing, it returns at once
    // and starts once that close is done; what fails then is told through
    // `messages` and onfailure. Appending to a file of MP3 frames records at the
    // rate of its first frame; a file that holds something else is refused
    // and left as it is. A paused recording continues its encoder stream when
    // the file and the bit rate are the same, else it is finished first.
    void rec();
    void stop();
    void pause();
    void position(std::string& text) const;

    // Ends a paused recording: the encoder's tail is written and the file is
    // put on the disk and closed, now or, while the pause's capture still
    // closes, once it is closed. Does nothing unless paused.
    void finish();

    // True from stop() until the device's closed notification was handled.
    bool closing() const;
    // Waits, running the dispatcher, until a closing recording is finished.
    void finish_closing();
    // True while a paused recording keeps its stream for the resume.
    bool paused() const;
    // The sample rate that the current or last recording records at; for an
    // appended file, the file's own.
    uint32_t rate() const { return format_.samples_per_sec; }

    bool encoder_available() const { return encoder_ != nullptr; }

    // During ondata: the sound of the buffer just filled as it went into the
    // file, interleaved 16-bit stereo at rate(); empty when none did.
    std::span<const int16_t> data() const { return data_; }

private:
    void device_opened() override;
    void buffer_filled(CaptureBuffer& buffer) override;
    void device_failed(const std::string& reason) override;
    void device_closed() override;

    void start();

    struct BufferRing;
    struct Recording;
    std::unique_ptr<Recording> start_output(uint32_t& rate);
    bool resumes(const Recording& recording) const;
    // Writes to the running recording's file; a failure stops the recording.
    bool write(Recording& recording, const uint8_t* data, size_t size);
    void encode(Recording& recording, const uint8_t* data, uint32_t bytes);
    void check_file_name(Recording& recording);
    void close_device(Recording& recording);
    // Encoder tail, disk, close; what goes wrong is said through `messages`.
    void finish_output(Recording& recording, MessageSink& messages);

    AudiorecServices services_;
    const EncoderEntryPoints* encoder_ = nullptr;
    WaveFormat format_;                    // of the current or last recording; position() reads its rate
    double carried_time_ = 0;              // days, before the pauses of this file
    std::unique_ptr<Recording> recording_; // from rec() until finished; kept while paused
    bool rec_waiting_ = false;             // rec() came while closing
    std::vector<int16_t> data_;            // what data() shows, for ondata only
    // Buffers of a recording whose device never finished closing: it may
    // still write into them, so they live as long as the component.
    std::vector<std::unique_ptr<BufferRing>> retired_;
};

} // namespace ornavox
