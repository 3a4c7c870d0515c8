#include "recording/audiorec.h"

#include "recording/output_file.h"
#include "recording/time_text.h"
#include "recording/utf8_path.h"

#include <algorithm>
#include <array>
#include <chrono>
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

} // namespace

struct Taudiorec::Recording {
    EncoderStream stream;        // open while the recording encodes
    std::vector<uint8_t> output; // the encoder's output, written straight to the file
    OutputFile file;
    std::string path;          // of the file, for messages
    std::vector<uint8_t> data; // the four capture buffers' bytes, one after another
    std::array<CaptureBuffer, kBufferCount> buffers{};
    uint32_t start_size = 0;
    bool stopped = false;
    bool failed = false;        // a write failed; nothing more goes to the file
    bool device_failed = false; // the device stopped capturing by itself
    uint64_t overruns = 0;
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
}

void Taudiorec::rec()
{
    if (recording_ && !recording_->stopped)
        return;
    finish_closing();

    if (samples != 32000 && samples != 44100 && samples != 48000)
        samples = 44100;
    format_ = WaveFormat{};
    format_.samples_per_sec = static_cast<uint32_t>(samples);
    format_.avg_bytes_per_sec = format_.block_align * format_.samples_per_sec;

    BE_CONFIG config{};
    config.dwConfig = BE_CONFIG_MP3;
    config.format.mp3.dwSampleRate = static_cast<BE_DWORD>(samples);
    config.format.mp3.byMode = BE_MP3_MODE_STEREO;
    if (bps != 96 && bps != 128 && bps != 160 && bps != 192 && bps != 256)
        bps = 128;
    config.format.mp3.wBitrate = static_cast<uint16_t>(bps);

    auto recording = std::make_unique<Recording>();
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
        }
    }
    // A resumed recording continues its file, the raw one too: creating it
    // anew would throw away what was recorded before the pause.
    const std::string path = recording->encodes() ? filename : kRawFileName;
    if (append)
        recording->file = OutputFile::open_existing(path);
    const bool continues_file = recording->file.is_open();
    if (!continues_file)
        recording->file = OutputFile::create(path);
    else if (recording->encodes())
        recording->start_size = static_cast<uint32_t>(recording->file.length());
    std::error_code no_path;
    recording->path = utf8_text(std::filesystem::absolute(utf8_path(path), no_path));

    recording->data.resize(kBufferCount * buffer_size);
    for (size_t i = 0; i < kBufferCount; ++i)
        recording->buffers[i] = CaptureBuffer{recording->data.data() + i * buffer_size, buffer_size, 0};

    state = 1;
    std::string error;
    if (!services_.device.open(format_, *this, error)) {
        state = 0;
        throw AudiorecError(error.empty() ? "Cannot open the sound device" : error);
    }
    recording->file.start_anew();
    if (!continues_file)
        carried_time_ = 0;
    recording_ = std::move(recording);
    for (CaptureBuffer& buffer : recording_->buffers)
        services_.device.add_buffer(buffer);
    services_.device.start();
}

void Taudiorec::stop()
{
    state = 0;
    if (!recording_ || recording_->stopped)
        return;
    recording_->stopped = true;
    services_.device.reset();
    recording_->overruns = services_.device.overruns();
    services_.device.close();
}

void Taudiorec::pause()
{
    if (state != 1)
        return;
    if (const auto samples_done = services_.device.position_samples())
        carried_time_ += static_cast<double>(*samples_done) / format_.samples_per_sec / kSecondsPerDay;
    append = true;
    stop();
}

void Taudiorec::position(std::string& text) const
{
    const auto samples_done = services_.device.position_samples();
    if (!samples_done) {
        text = "Error get position";
        return;
    }
    const double elapsed =
        static_cast<double>(*samples_done) / format_.samples_per_sec / kSecondsPerDay + carried_time_;
    text = format_time_of_day(elapsed, services_.long_time_format);
}

bool Taudiorec::closing() const
{
    return recording_ && recording_->stopped;
}

void Taudiorec::finish_closing()
{
    if (!closing())
        return;
    if (!services_.dispatcher.run_until([this] { return !closing(); }, kCloseTimeout))
        recording_.reset();
}

bool Taudiorec::write(Recording& recording, const uint8_t* data, size_t size)
{
    std::string error;
    if (recording.file.write_all(data, size, error))
        return true;
    recording.failed = true;
    recording.messages.push_back(error + "\nThe recording was stopped; what was recorded before is kept.");
    if (state == 1)
        stop();
    return false;
}

void Taudiorec::device_opened()
{
    if (recording_)
        mp3size = recording_->start_size;
}

void Taudiorec::buffer_filled(CaptureBuffer& buffer)
{
    if (!recording_)
        return;
    Recording& recording = *recording_;
    const uint32_t bytes = std::min(buffer.bytes_recorded, buffer.buffer_length);
    if (bytes > 0 && !recording.failed) {
        if (recording.encodes()) {
            BE_DWORD output_bytes = 0;
            encoder_->beEncodeChunk(recording.stream.handle(), bytes / 2, reinterpret_cast<const int16_t*>(buffer.data),
                                    recording.output.data(), &output_bytes);
            output_bytes = std::min<BE_DWORD>(output_bytes, static_cast<BE_DWORD>(recording.output.size()));
            if (write(recording, recording.output.data(), output_bytes))
                mp3size += output_bytes;
        } else {
            write(recording, buffer.data, bytes);
        }
    }
    if (state != 0 && !recording.stopped)
        services_.device.add_buffer(buffer);
    if (ondata)
        ondata(this);
}

// What the device captured until then is in the buffers it hands back at the
// reset, so the usual stop writes all of it and the encoder's tail.
void Taudiorec::device_failed(const std::string& reason)
{
    if (!recording_ || recording_->stopped)
        return;
    recording_->device_failed = true;
    recording_->messages.push_back("The recording stopped because " + reason
                                   + ".\nEverything recorded up to that moment is saved in " + recording_->path + ".");
    stop();
}

void Taudiorec::device_closed()
{
    if (!recording_)
        return;
    Recording& recording = *recording_;
    DeferredMessages later(recording.messages);
    if (recording.encodes()) {
        BE_DWORD output_bytes = 0;
        if (encodercheck(encoder_->beDeinitStream(recording.stream.handle(), recording.output.data(), &output_bytes),
                         later)
                == 0
            && !recording.failed) {
            output_bytes = std::min<BE_DWORD>(output_bytes, static_cast<BE_DWORD>(recording.output.size()));
            if (write(recording, recording.output.data(), output_bytes))
                mp3size += output_bytes;
        }
        encodercheck(recording.stream.close(), later);
    }
    recording.file.close();
    if (recording.overruns > 0)
        recording.messages.push_back(overrun_text(recording.overruns));

    const bool failed = recording.failed || recording.device_failed;
    const std::vector<std::string> messages = std::move(recording.messages);
    recording_.reset();
    for (const std::string& text : messages)
        services_.messages.show_message(text);
    if (failed && onfailure)
        onfailure(this);
}

} // namespace ornavox
