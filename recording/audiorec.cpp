#include "recording/audiorec.h"

#include "base/utf8_path.h"
#include "recording/mp3_start.h"
#include "recording/output_file.h"
#include "recording/time_text.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <utility>
#include <vector>

namespace ornavox {

namespace {

constexpr size_t kBufferCount = 4;
// A quarter of a second of 16-bit stereo at 44100 Hz.
constexpr uint32_t kRawBufferSize = 44100;
constexpr const char* kRawFileName = "save.raw";
// How long a closing recording may take before its resources are released
// without the device's last notifications.
constexpr std::chrono::milliseconds kCloseTimeout{5000};
// How long a stop may go on handing over what the device still holds.
constexpr std::chrono::milliseconds kDrainTime{1000};
// Zeros shorter than this at the start of a resumed capture are the sound's
// own, not a server's silence.
constexpr uint32_t kLeadingSilenceFrames = 32;
// How often a running recording looks whether its file still has a name.
constexpr std::chrono::milliseconds kNameCheckInterval{1000};

constexpr double kSecondsPerDay = 86400.0;

// An open encoder stream; closed on destruction unless close() was called.
class EncoderStream {
public:
    EncoderStream() = default;
    EncoderStream(const EncoderEntryPoints& entry, HBE_STREAM handle) : entry_(&entry), handle_(handle) {}
    EncoderStream(EncoderStream&& other) noexcept : entry_(std::exchange(other.entry_, nullptr)), handle_(other.handle_)
    {
    }
    EncoderStream& operator=(EncoderStream&& other) noexcept
    {
        if (this != &other) {
            if (entry_)
                entry_->beCloseStream(handle_);
            entry_ = std::exchange(other.entry_, nullptr);
            handle_ = other.handle_;
        }
        return *this;
    }
    ~EncoderStream()
    {
        if (entry_)
            entry_->beCloseStream(handle_);
    }

    bool is_open() const { return entry_ != nullptr; }
    HBE_STREAM handle() const { return handle_; }
    BE_ERR close() { return std::exchange(entry_, nullptr)->beCloseStream(handle_); }

private:
    const EncoderEntryPoints* entry_ = nullptr;
    HBE_STREAM handle_ = 0;
};

// Keeps messages to be shown once the component has finished its work:
// a modal message box runs a nested event loop that may deliver the device's
// next notification.
class DeferredMessages : public MessageSink {
public:
    explicit DeferredMessages(std::vector<std::string>& texts) : texts_(texts) {}
    void show_message(const std::string& text) override { texts_.push_back(text); }

private:
    std::vector<std::string>& texts_;
};

std::string overrun_text(uint64_t overruns)
{
    const std::string times = overruns == 1 ? "once" : std::to_string(overruns) + " times";
    return "Captured sound was lost " + times + " during the recording because it could not be saved fast enough.";
}

std::string undelivered_text(uint64_t bytes, const WaveFormat& format)
{
    const double seconds = static_cast<double>(bytes) / format.avg_bytes_per_sec;
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", seconds < 0.1 ? 0.1 : seconds);
    return std::string("The last ") + text
        + " seconds of sound before the stop could not be saved in time and are missing from the recording.";
}

std::string not_mp3_text(const std::string& path)
{
    return "Cannot append to " + path
        + ": the file does not hold MP3 sound. Nothing was recorded and the file is left as it was; choose another "
          "file to record to.";
}

std::string unsupported_rate_text(const std::string& path, uint32_t rate)
{
    return "Cannot append to " + path + ": its sound is at " + std::to_string(rate)
        + " Hz, which cannot be recorded. Nothing was recorded; choose another file to record to.";
}

bool recordable_rate(int64_t rate)
{
    return rate == 32000 || rate == 44100 || rate == 48000;
}

bool zero_frame(const uint8_t* frame)
{
    return (frame[0] | frame[1] | frame[2] | frame[3]) == 0;
}

} // namespace

struct Taudiorec::BufferRing {
    std::vector<uint8_t> data; // the four capture buffers' bytes, one after another
    std::array<CaptureBuffer, kBufferCount> buffers{};

    bool holds(const CaptureBuffer& buffer) const
    {
        return &buffer >= buffers.data() && &buffer < buffers.data() + buffers.size();
    }
};

struct Taudiorec::Recording {
    // The output, which a pause keeps for the resume.
    EncoderStream stream;        // open while the recording encodes
    std::vector<uint8_t> output; // the encoder's output, written straight to the file
    OutputFile file;
    std::string filename; // as rec() was given it
    std::string path;     // of the file, for messages
    int32_t bps = 0;
    uint32_t start_size = 0;
    bool failed = false;    // a write failed; nothing more goes to the file
    bool name_lost = false; // the file was deleted while recording
    std::unique_ptr<BufferRing> ring = std::make_unique<BufferRing>();

    // One capture, from rec() until the device closed.
    bool capturing = false;
    bool stopped = false;
    bool device_closing = false; // close() was called
    bool keep = false;           // a pause: the stream and the file wait for the resume
    bool device_failed = false;
    std::chrono::steady_clock::time_point drain_until;
    std::chrono::steady_clock::time_point next_name_check;
    uint64_t overruns = 0;
    uint64_t undelivered = 0;          // bytes the device still held when the drain ran out of time
    uint64_t silence_to_skip = 0;      // frames, at the start of a resumed capture
    uint64_t silence_skipped = 0;      // frames left out of this capture
    bool encoded = false;              // the stream got sound: its tail goes into the file
    bool begun = false;                // the file was started: its old content, if any, is gone or continued
    std::vector<std::string> messages; // shown once the device closed

    bool encodes() const { return stream.is_open(); }
};

Taudiorec::Taudiorec(AudiorecServices services)
    : services_(std::move(services)), encoder_(load_encoder_plugin(services_.program_dir, services_.messages))
{
}

Taudiorec::~Taudiorec()
{
    if (state == 1)
        stop();
    finish_closing();
    finish();
}

// Opens the file and the encoder stream of a new recording; `rate` is what
// the user chose, or the appended file's own.
std::unique_ptr<Taudiorec::Recording> Taudiorec::start_output(uint32_t& rate)
{
    auto recording = std::make_unique<Recording>();
    recording->filename = filename;
    recording->bps = bps;
    if (encoder_ && append) {
        recording->file = OutputFile::open_existing(filename);
        const OutputFile& file = recording->file;
        if (file.is_open()) {
            const Mp3Start start = probe_mp3_start(
                [&file](uint64_t offset, uint8_t* data, size_t size) { return file.read(offset, data, size); },
                file.length());
            if (start.kind == Mp3Start::Kind::Other)
                throw AudiorecError(not_mp3_text(filename));
            if (start.kind == Mp3Start::Kind::Frames) {
                if (!recordable_rate(start.rate))
                    throw AudiorecError(unsupported_rate_text(filename, start.rate));
                rate = start.rate;
            }
        }
    }

    BE_CONFIG config{};
    config.dwConfig = BE_CONFIG_MP3;
    config.format.mp3.dwSampleRate = rate;
    config.format.mp3.byMode = BE_MP3_MODE_STEREO;
    config.format.mp3.wBitrate = static_cast<uint16_t>(bps);
    uint32_t buffer_size = kRawBufferSize;
    if (encoder_) {
        BE_DWORD chunk_samples = 0;
        BE_DWORD output_size = 0;
        HBE_STREAM stream = 0;
        if (encodercheck(encoder_->beInitStream(&config, &chunk_samples, &output_size, &stream), services_.messages)
            == 0) {
            recording->stream = EncoderStream(*encoder_, stream);
            // One buffer holds two chunks' worth of 16-bit values.
            buffer_size = 4 * chunk_samples;
            recording->output.resize(output_size);
        } else {
            recording->file = OutputFile();
        }
    }
    // An append continues the file, the raw one too: creating it anew would
    // throw away what was recorded before.
    const std::string path = recording->encodes() ? filename : kRawFileName;
    if (append && !recording->file.is_open())
        recording->file = OutputFile::open_existing(path);
    if (!recording->file.is_open())
        recording->file = OutputFile::create(path);
    std::error_code no_path;
    recording->path = utf8_text(std::filesystem::absolute(utf8_path(path), no_path));

    BufferRing& ring = *recording->ring;
    ring.data.resize(kBufferCount * buffer_size);
    for (size_t i = 0; i < kBufferCount; ++i)
        ring.buffers[i] = CaptureBuffer{ring.data.data() + i * buffer_size, buffer_size, 0};
    return recording;
}

// A paused recording goes on in its stream only into the same file at the
// same bit rate; its rate is the file's anyway.
bool Taudiorec::resumes(const Recording& recording) const
{
    if (!append || recording.failed || recording.name_lost)
        return false;
    return !recording.encodes() || (recording.filename == filename && recording.bps == bps);
}

// A press while the last capture is still handing over its sound is kept
// until the device closed: nothing waits for it here.
void Taudiorec::rec()
{
    if (recording_ && recording_->capturing && !recording_->stopped)
        return;
    if (closing()) {
        state = 1;
        rec_waiting_ = true;
        return;
    }
    start();
}

void Taudiorec::start()
{
    if (!recordable_rate(samples))
        samples = 44100;
    if (bps != 96 && bps != 128 && bps != 160 && bps != 192 && bps != 256)
        bps = 128;
    if (recording_ && !resumes(*recording_))
        finish();

    const bool resumed = recording_ != nullptr;
    uint32_t rate = resumed ? format_.samples_per_sec : static_cast<uint32_t>(samples);
    std::unique_ptr<Recording> started = resumed ? nullptr : start_output(rate);
    Recording& recording = resumed ? *recording_ : *started;

    WaveFormat format;
    format.samples_per_sec = rate;
    format.avg_bytes_per_sec = format.block_align * rate;
    state = 1;
    std::string error;
    if (!services_.device.open(format, *this, error)) {
        state = 0;
        throw AudiorecError(error.empty() ? "Cannot open the sound device" : error);
    }
    format_ = format;
    if (started) {
        // A file written anew keeps its old content until sound comes.
        started->begun = started->file.length() > 0 && append;
        if (!started->begun)
            carried_time_ = 0;
        recording_ = std::move(started);
    }
    recording.start_size = recording.encodes() && recording.begun ? static_cast<uint32_t>(recording.file.length()) : 0;
    recording.capturing = true;
    recording.stopped = false;
    recording.device_closing = false;
    recording.keep = false;
    recording.device_failed = false;
    recording.overruns = 0;
    recording.undelivered = 0;
    recording.silence_to_skip = resumed ? rate / 10 : 0;
    recording.silence_skipped = 0;
    recording.next_name_check = std::chrono::steady_clock::now() + kNameCheckInterval;
    for (CaptureBuffer& buffer : recording.ring->buffers)
        services_.device.add_buffer(buffer);
    services_.device.start();
}

void Taudiorec::stop()
{
    state = 0;
    rec_waiting_ = false;
    if (!recording_ || !recording_->capturing || recording_->stopped)
        return;
    recording_->stopped = true;
    recording_->drain_until = std::chrono::steady_clock::now() + kDrainTime;
    services_.device.reset();
}

void Taudiorec::pause()
{
    if (state != 1)
        return;
    if (rec_waiting_) {
        rec_waiting_ = false;
        state = 0;
        append = true;
        return;
    }
    if (const auto samples_done = services_.device.position_samples()) {
        const uint64_t recorded = *samples_done - std::min(*samples_done, recording_->silence_skipped);
        carried_time_ += static_cast<double>(recorded) / format_.samples_per_sec / kSecondsPerDay;
    }
    append = true;
    recording_->keep = true;
    stop();
}

void Taudiorec::position(std::string& text) const
{
    const auto samples_done = services_.device.position_samples();
    if (!samples_done) {
        text = "Error get position";
        return;
    }
    const uint64_t skipped = recording_ ? recording_->silence_skipped : 0;
    const uint64_t recorded = *samples_done - std::min(*samples_done, skipped);
    const double elapsed = static_cast<double>(recorded) / format_.samples_per_sec / kSecondsPerDay + carried_time_;
    text = format_elapsed(elapsed, services_.long_time_format, services_.zero_digit);
}

bool Taudiorec::closing() const
{
    return recording_ && recording_->capturing && recording_->stopped;
}

bool Taudiorec::paused() const
{
    return recording_ && !recording_->capturing;
}

void Taudiorec::finish_closing()
{
    if (!closing())
        return;
    if (services_.dispatcher.run_until([this] { return !closing(); }, kCloseTimeout))
        return;
    // The device never said it closed: the file gets what it has, and the
    // buffers stay where the device may still write.
    retired_.push_back(std::move(recording_->ring));
    recording_->keep = false;
    device_closed();
}

void Taudiorec::finish()
{
    // A pause still closing its capture ends with it.
    if (closing())
        recording_->keep = false;
    if (!paused())
        return;
    std::vector<std::string> texts;
    DeferredMessages later(texts);
    finish_output(*recording_, later);
    recording_.reset();
    for (const std::string& text : texts)
        services_.messages.show_message(text);
}

bool Taudiorec::write(Recording& recording, const uint8_t* data, size_t size)
{
    std::string error;
    if (recording.file.write_all(data, size, error))
        return true;
    recording.failed = true;
    recording.keep = false;
    recording.messages.push_back(error + "\nThe recording was stopped; what was recorded before is kept.");
    if (state == 1)
        stop();
    return false;
}

void Taudiorec::encode(Recording& recording, const uint8_t* data, uint32_t bytes)
{
    if (!recording.encodes()) {
        write(recording, data, bytes);
        return;
    }
    recording.encoded = true;
    BE_DWORD output_bytes = 0;
    encoder_->beEncodeChunk(recording.stream.handle(), bytes / 2, reinterpret_cast<const int16_t*>(data),
                            recording.output.data(), &output_bytes);
    output_bytes = std::min<BE_DWORD>(output_bytes, static_cast<BE_DWORD>(recording.output.size()));
    if (write(recording, recording.output.data(), output_bytes))
        mp3size += output_bytes;
}

// A file deleted while it is recorded would vanish with all of it at the
// close: the recording stops, and the close saves it again under its name.
void Taudiorec::check_file_name(Recording& recording)
{
    const auto now = std::chrono::steady_clock::now();
    if (now < recording.next_name_check)
        return;
    recording.next_name_check = now + kNameCheckInterval;
    if (!recording.file.lost_name())
        return;
    recording.name_lost = true;
    recording.keep = false;
    stop();
}

void Taudiorec::device_opened()
{
    if (recording_)
        mp3size = recording_->start_size;
}

void Taudiorec::buffer_filled(CaptureBuffer& buffer)
{
    if (!recording_ || !recording_->capturing || !recording_->ring || !recording_->ring->holds(buffer))
        return;
    Recording& recording = *recording_;
    uint32_t bytes = std::min(buffer.bytes_recorded, buffer.buffer_length);
    const uint8_t* data = buffer.data;
    // A new stream may begin with digital silence of the server's (PipeWire
    // sends a quantum of zeros first), which a resume would put between two
    // parts of one sound. A sound's own zero crossing is far shorter.
    if (recording.silence_to_skip > 0) {
        uint32_t zeros = 0;
        while (zeros < recording.silence_to_skip && 4 * zeros < bytes && zero_frame(data + 4 * zeros))
            ++zeros;
        const bool sound_follows = 4 * zeros < bytes && zeros < recording.silence_to_skip;
        if (zeros >= kLeadingSilenceFrames || !sound_follows) {
            data += 4 * zeros;
            bytes -= 4 * zeros;
            recording.silence_to_skip -= zeros;
            recording.silence_skipped += zeros;
        }
        if (sound_follows)
            recording.silence_to_skip = 0;
    }
    data_.clear();
    if (bytes > 0 && !recording.failed) {
        if (!recording.begun) {
            recording.file.start_anew();
            recording.begun = true;
        }
        encode(recording, data, bytes);
        // A copy: the device may fill the buffer again once it has it back.
        if (ondata) {
            data_.resize(bytes / 2);
            std::memcpy(data_.data(), data, data_.size() * 2);
        }
    }

    if (!recording.stopped) {
        services_.device.add_buffer(buffer);
        check_file_name(recording);
    } else if (!recording.device_closing) {
        // A buffer that came back full after the stop may not have been the
        // last: the device is asked for more until it runs dry.
        const bool more = buffer.bytes_recorded >= buffer.buffer_length && !recording.failed;
        if (more && std::chrono::steady_clock::now() < recording.drain_until)
            services_.device.add_buffer(buffer);
        else
            close_device(recording);
    }
    if (ondata)
        ondata(this);
}

void Taudiorec::close_device(Recording& recording)
{
    recording.device_closing = true;
    recording.overruns = services_.device.overruns();
    services_.device.close();
    recording.undelivered = services_.device.undelivered_bytes();
}

// What the device captured until then is in the buffers it hands back at the
// reset, so the usual stop writes all of it and the encoder's tail.
void Taudiorec::device_failed(const std::string& reason)
{
    if (!recording_ || !recording_->capturing || recording_->stopped)
        return;
    Recording& recording = *recording_;
    recording.device_failed = true;
    recording.keep = false;
    if (recording.begun)
        recording.messages.push_back("The recording stopped because " + reason
                                     + ".\nEverything recorded up to that moment is saved in " + recording.path + ".");
    else
        recording.messages.push_back("The recording could not start because " + reason + ".");
    stop();
}

// A file that never got sound keeps what it held, or goes when it was new;
// a stream that got none adds no frames of silence to it.
void Taudiorec::finish_output(Recording& recording, MessageSink& messages)
{
    if (recording.encodes()) {
        BE_DWORD output_bytes = 0;
        if (encodercheck(encoder_->beDeinitStream(recording.stream.handle(), recording.output.data(), &output_bytes),
                         messages)
                == 0
            && !recording.failed && recording.encoded) {
            output_bytes = std::min<BE_DWORD>(output_bytes, static_cast<BE_DWORD>(recording.output.size()));
            if (write(recording, recording.output.data(), output_bytes))
                mp3size += output_bytes;
        }
        encodercheck(recording.stream.close(), messages);
    }
    const std::string incomplete = "\nWhat was recorded may not all be on the disk.";
    std::string error;
    if (!recording.failed && recording.begun && !recording.file.sync(error)) {
        recording.failed = true;
        messages.show_message(error + incomplete);
    }
    if (recording.name_lost || recording.file.lost_name()) {
        const std::string saved = recording.file.save_again(error);
        messages.show_message("The recording file " + recording.path + " was deleted while it was recorded"
                              + (recording.name_lost ? ", and the recording was stopped" : "") + ".\n"
                              + (saved.empty() ? "It could not be saved again: " + error
                                               : "Everything recorded is saved again in " + saved + "."));
        recording.name_lost = true;
    }
    if (!recording.file.close(error) && !recording.failed) {
        recording.failed = true;
        messages.show_message(error + incomplete);
    }
}

void Taudiorec::device_closed()
{
    if (!recording_ || !recording_->capturing)
        return;
    Recording& recording = *recording_;
    recording.capturing = false;
    DeferredMessages later(recording.messages);
    // A device that could not let go of the buffers may still write into
    // them; the recording ends all the same.
    if (const std::string why = services_.device.close_failure(); !why.empty() && recording.ring) {
        retired_.push_back(std::move(recording.ring));
        recording.keep = false;
        recording.device_failed = true;
        later.show_message("The sound card could not be closed (" + why
                           + ").\nEverything recorded up to that moment is saved in " + recording.path + ".");
    }
    std::string error;
    // A pause keeps the stream, with what was recorded put on the disk.
    if (recording.keep && !recording.file.sync(error)) {
        recording.failed = true;
        recording.keep = false;
        later.show_message(error + "\nThe recording was stopped; what was recorded before is kept.");
    }
    if (!recording.keep)
        finish_output(recording, later);
    if (recording.overruns > 0)
        later.show_message(overrun_text(recording.overruns));
    if (recording.undelivered > 0 && !recording.failed)
        later.show_message(undelivered_text(recording.undelivered, format_));

    const bool failed = recording.failed || recording.device_failed || recording.name_lost;
    const std::vector<std::string> texts = std::move(recording.messages);
    recording.messages.clear();
    if (!recording.keep)
        recording_.reset();
    for (const std::string& text : texts)
        services_.messages.show_message(text);
    if (failed && onfailure)
        onfailure(this);
    if (std::exchange(rec_waiting_, false) && !failed && state == 1) {
        try {
            start();
        } catch (const AudiorecError& error) {
            state = 0;
            services_.messages.show_message(error.what());
            if (onfailure)
                onfailure(this);
        }
    }
}

} // namespace ornavox
