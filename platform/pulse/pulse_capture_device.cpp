#include "platform/pulse/pulse_capture_device.h"

#include <pulse/error.h>
#include <pulse/sample.h>

#include <algorithm>
#include <cstring>

namespace ornavox {

namespace {

std::string source_error(const std::string& source, pa_context* context)
{
    const std::string what =
        source.empty() ? "Cannot open the default record source" : "Cannot open the record source \"" + source + "\"";
    return what + ": " + pa_strerror(pa_context_errno(context));
}

uint32_t whole_frames(uint64_t bytes, uint32_t frame_bytes)
{
    return static_cast<uint32_t>(std::max<uint64_t>(bytes / frame_bytes, 1) * frame_bytes);
}

} // namespace

PulseCaptureDevice::PulseCaptureDevice(PulseSession& session, Dispatcher& dispatcher, std::chrono::milliseconds backlog)
    : session_(session), dispatcher_(dispatcher), backlog_(backlog), link_(std::make_shared<ListenerLink>())
{
}

PulseCaptureDevice::~PulseCaptureDevice()
{
    link_->listener = nullptr;
    if (stream_) {
        auto lock = session_.lock();
        release_stream();
    }
}

bool PulseCaptureDevice::open(const WaveFormat& format, CaptureListener& listener, std::string& error)
{
    if (stream_) {
        error = "The capture device is already open";
        return false;
    }
    const pa_sample_spec spec{PA_SAMPLE_S16LE, format.samples_per_sec, static_cast<uint8_t>(format.channels)};
    if (format.format_tag != 1 || format.bits_per_sample != 16 || format.channels > PA_CHANNELS_MAX
        || !pa_sample_spec_valid(&spec)) {
        error = "Unsupported capture format: " + std::to_string(format.samples_per_sec) + " Hz, "
            + std::to_string(format.channels) + " channels, " + std::to_string(format.bits_per_sample) + " bits";
        return false;
    }
    if (!session_.connect(error))
        return false;

    auto lock = session_.lock();
    PulseStreamPtr stream(pa_stream_new(session_.context(), "Recording", &spec, nullptr));
    if (!stream) {
        error = source_error(session_.record_source(), session_.context());
        return false;
    }
    pa_stream_set_state_callback(stream.get(), stream_state_changed, this);
    pa_stream_set_read_callback(stream.get(), stream_readable, this);

    const uint32_t frame_bytes = static_cast<uint32_t>(pa_frame_size(&spec));
    const uint64_t bytes_per_second = pa_bytes_per_second(&spec);
    pa_buffer_attr attr;
    attr.maxlength = whole_frames(bytes_per_second * backlog_.count() / 1000, frame_bytes);
    attr.fragsize = whole_frames(bytes_per_second / 10, frame_bytes);
    attr.tlength = attr.prebuf = attr.minreq = static_cast<uint32_t>(-1);

    const std::string& source = session_.record_source();
    // Corked: nothing is captured before start().
    if (pa_stream_connect_record(stream.get(), source.empty() ? nullptr : source.c_str(), &attr,
                                 static_cast<pa_stream_flags_t>(PA_STREAM_START_CORKED | PA_STREAM_ADJUST_LATENCY))
        < 0) {
        error = source_error(source, session_.context());
        return false;
    }
    pa_stream_state_t state;
    while ((state = pa_stream_get_state(stream.get())) != PA_STREAM_READY && PA_STREAM_IS_GOOD(state))
        session_.wait();
    if (state != PA_STREAM_READY) {
        error = source_error(source, session_.context());
        return false;
    }

    buffers_added_ = PulseDeferEventPtr(session_.api()->defer_new(session_.api(), buffers_added, this),
                                        PulseDeferEventDeleter{session_.api()});
    session_.api()->defer_enable(buffers_added_.get(), 0);
    stream_ = std::move(stream);
    frame_bytes_ = frame_bytes;
    queued_.clear();
    head_fill_ = 0;
    fragment_offset_ = 0;
    unread_when_idle_ = 0;
    bytes_delivered_ = 0;
    overruns_ = 0;
    link_->listener = &listener;
    dispatcher_.post([link = link_] {
        if (link->listener)
            link->listener->device_opened();
    });
    return true;
}

void PulseCaptureDevice::add_buffer(CaptureBuffer& buffer)
{
    if (!stream_)
        return;
    auto lock = session_.lock();
    buffer.bytes_recorded = 0;
    queued_.push_back(&buffer);
    session_.api()->defer_enable(buffers_added_.get(), 1);
}

void PulseCaptureDevice::start()
{
    if (!stream_)
        return;
    auto lock = session_.lock();
    set_corked(false);
}

void PulseCaptureDevice::reset()
{
    if (!stream_)
        return;
    auto lock = session_.lock();
    set_corked(true);
    // What the server sent before it stopped was captured: it goes into the
    // buffers before they are handed back.
    fill_buffers();
    hand_back_queued();
}

void PulseCaptureDevice::close()
{
    if (!stream_)
        return;
    auto lock = session_.lock();
    hand_back_queued();
    release_stream();
    // Posted under the lock after every buffer_filled, so it arrives last.
    dispatcher_.post([link = link_] {
        if (link->listener)
            link->listener->device_closed();
    });
}

std::optional<uint64_t> PulseCaptureDevice::position_samples() const
{
    if (!stream_)
        return std::nullopt;
    auto lock = session_.lock();
    return bytes_delivered_ / frame_bytes_;
}

uint64_t PulseCaptureDevice::overruns() const
{
    if (!stream_)
        return overruns_;
    auto lock = session_.lock();
    return overruns_;
}

void PulseCaptureDevice::stream_state_changed(pa_stream*, void* device)
{
    static_cast<PulseCaptureDevice*>(device)->session_.signal();
}

void PulseCaptureDevice::stream_readable(pa_stream*, size_t readable, void* device)
{
    auto& self = *static_cast<PulseCaptureDevice*>(device);
    if (!self.queued_.empty()) {
        self.fill_buffers();
        return;
    }
    // libpulse calls this once per packet from the server and drops a packet
    // silently when its queue is full: a packet that did not make the unread
    // amount grow was lost.
    if (readable <= self.unread_when_idle_)
        ++self.overruns_;
    self.unread_when_idle_ = readable;
}

void PulseCaptureDevice::buffers_added(pa_mainloop_api* api, pa_defer_event* event, void* device)
{
    api->defer_enable(event, 0);
    auto& self = *static_cast<PulseCaptureDevice*>(device);
    if (!self.queued_.empty())
        self.fill_buffers();
}

void PulseCaptureDevice::fill_buffers()
{
    while (!queued_.empty() && copy_fragment()) {}
    const size_t readable = pa_stream_readable_size(stream_.get());
    unread_when_idle_ = queued_.empty() && readable != static_cast<size_t>(-1) ? readable : 0;
}

bool PulseCaptureDevice::copy_fragment()
{
    const void* data = nullptr;
    size_t length = 0;
    if (pa_stream_peek(stream_.get(), &data, &length) < 0 || length == 0)
        return false;
    // A hole: the server lost data here. Silence keeps the time right.
    if (!data && fragment_offset_ == 0)
        ++overruns_;

    CaptureBuffer& head = *queued_.front();
    const size_t count = std::min<size_t>(length - fragment_offset_, head.buffer_length - head_fill_);
    if (data)
        std::memcpy(head.data + head_fill_, static_cast<const uint8_t*>(data) + fragment_offset_, count);
    else
        std::memset(head.data + head_fill_, 0, count);
    head_fill_ += static_cast<uint32_t>(count);
    fragment_offset_ += count;
    bytes_delivered_ += count;

    if (fragment_offset_ == length) {
        pa_stream_drop(stream_.get());
        fragment_offset_ = 0;
    }
    if (head_fill_ == head.buffer_length) {
        queued_.pop_front();
        hand_back(&head, head_fill_);
        head_fill_ = 0;
    }
    return true;
}

void PulseCaptureDevice::hand_back(CaptureBuffer* buffer, uint32_t bytes)
{
    dispatcher_.post([link = link_, buffer, bytes] {
        if (!link->listener)
            return;
        buffer->bytes_recorded = bytes;
        link->listener->buffer_filled(*buffer);
    });
}

void PulseCaptureDevice::hand_back_queued()
{
    uint32_t bytes = head_fill_;
    for (CaptureBuffer* buffer : queued_) {
        hand_back(buffer, bytes);
        bytes = 0;
    }
    queued_.clear();
    head_fill_ = 0;
}

void PulseCaptureDevice::set_corked(bool corked)
{
    PulseOperationPtr operation(pa_stream_cork(stream_.get(), corked, PulseSession::stream_success_signal, &session_));
    session_.wait_for(operation.get());
}

void PulseCaptureDevice::release_stream()
{
    buffers_added_.reset();
    stream_.reset();
    fragment_offset_ = 0;
    unread_when_idle_ = 0;
}

} // namespace ornavox
