#include "platform/pulse/pulse_capture_device.h"

#include "platform/record_source_id.h"

#include <pulse/error.h>
#include <pulse/introspect.h>
#include <pulse/sample.h>

#include <algorithm>

namespace ornavox {

namespace {

std::string source_error(const std::string& source, int error)
{
    const std::string what =
        source.empty() ? "Cannot open the default record source" : "Cannot open the record source \"" + source + "\"";
    return what + ": " + pa_strerror(error);
}

// Completes "The recording stopped because ...".
std::string open_failure_text(const std::string& source, int error)
{
    const std::string what = source.empty() ? "the default record source" : "the record source \"" + source + "\"";
    return what + " could not be opened (" + pa_strerror(error) + ")";
}

uint32_t whole_frames(uint64_t bytes, uint32_t frame_bytes)
{
    return static_cast<uint32_t>(std::max<uint64_t>(bytes / frame_bytes, 1) * frame_bytes);
}

} // namespace

PulseCaptureDevice::PulseCaptureDevice(PulseSession& session, Dispatcher& dispatcher, std::chrono::milliseconds backlog,
                                       Part part)
    : session_(session), dispatcher_(dispatcher), backlog_(backlog), part_(part)
{
    listening_ = session_.listen(*this, PA_SUBSCRIPTION_MASK_SOURCE | PA_SUBSCRIPTION_MASK_SERVER);
}

PulseCaptureDevice::~PulseCaptureDevice()
{
    if (open_) {
        auto lock = session_.lock();
        release_stream();
    }
}

bool PulseCaptureDevice::open(const WaveFormat& format, CaptureListener& listener, std::string& error)
{
    if (open_) {
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
    // A session still connecting is waited for on the mainloop thread, within
    // the answer limit.
    if (!session_.connect_or_attempt(error, kConnectWait))
        return false;

    auto lock = session_.lock();
    spec_ = spec;
    frame_bytes_ = static_cast<uint32_t>(pa_frame_size(&spec));
    // The stream's own state was cleared by close(); these counters outlive
    // it, for the caller to read after the recording.
    bytes_delivered_ = 0;
    overruns_ = 0;
    undelivered_ = 0;
    source_name_.clear();
    source_description_.clear();
    buffers_added_ = PulseDeferEventPtr(session_.api()->defer_new(session_.api(), buffers_added, this),
                                        PulseDeferEventDeleter{session_.api()});
    session_.api()->defer_enable(buffers_added_.get(), 0);
    open_ = true;
    listener_.point_at(&listener);
    dispatcher_.post([listener = listener_.ref()] {
        if (listener.get())
            listener.get()->device_opened();
    });
    answer_limit_ = std::make_unique<PulseTimer>(session_.api(), kAnswerLimit, [this] {
        answer_limit_.reset();
        fail("the sound server did not answer within " + std::to_string(kAnswerLimit.count() / 1000) + " seconds");
    });
    if (pa_context* context = session_.context())
        ask_for_stream(context);
    else
        awaiting_session_ = true;
    return true;
}

// A chosen source that left the server is reported as such: a stream asked
// for it would not move elsewhere, and some servers would leave it unlinked
// instead of failing it. Under the lock.
void PulseCaptureDevice::ask_for_stream(pa_context* context)
{
    if (following()) {
        find_default_monitor(context, [this] {
            if (default_monitor_.empty())
                fail("there is no sound output whose sound could be recorded");
            else
                connect_wanted(session_.context(), default_monitor_);
        });
        return;
    }
    const std::string source = chosen_source();
    if (source.empty()) {
        connect_wanted(context, source);
        return;
    }
    source_lookup_.reset(pa_context_get_source_info_by_name(context, source.c_str(), source_looked_up, this));
    if (!source_lookup_)
        fail(open_failure_text(source, pa_context_errno(context)));
}

void PulseCaptureDevice::session_ready()
{
    if (!open_)
        return;
    auto lock = session_.lock();
    if (awaiting_session_ && !failed_ && session_.context()) {
        awaiting_session_ = false;
        ask_for_stream(session_.context());
    }
}

void PulseCaptureDevice::session_unavailable(const std::string& reason)
{
    if (!open_)
        return;
    auto lock = session_.lock();
    if (awaiting_session_)
        fail("the sound server cannot be reached (" + reason + ")");
}

void PulseCaptureDevice::source_looked_up(pa_context* context, const pa_source_info* info, int eol, void* device)
{
    auto& self = *static_cast<PulseCaptureDevice*>(device);
    if (info) {
        self.source_found_ = true;
        self.source_description_ = info->description ? info->description : "";
    }
    if (eol == 0 || self.failed_)
        return;
    const std::string source = self.chosen_source();
    if (!self.source_found_) {
        const std::string known = self.chosen_description();
        self.fail("the record source \"" + (known.empty() ? source : known)
                  + "\" is no longer there; choose another one in the mixer panel");
        return;
    }
    self.connect_wanted(context, source);
}

// Corked until start(). Under the lock.
void PulseCaptureDevice::connect_wanted(pa_context* context, const std::string& source)
{
    int failure = 0;
    stream_ = connect_stream(context, source, !running_, failure);
    if (!stream_)
        fail(open_failure_text(source, failure));
}

// The source actually opened, also when the server's default was asked for:
// the one whose loss ends the recording. Under the lock.
void PulseCaptureDevice::stream_ready(pa_stream* stream)
{
    const char* name = pa_stream_get_device_name(stream);
    source_name_ = name ? name : "";
    if (part_ == Part::Chosen)
        session_.set_record_stream({pa_stream_get_index(stream), source_name_});
    if (!answer_limit_)
        return;
    answer_limit_.reset();
    if (following())
        source_description_ = kWhatYouHear;
    if (source_description_.empty())
        described_.reset(pa_context_get_source_info_by_name(pa_stream_get_context(stream), source_name_.c_str(),
                                                            source_described, this));
    // start() or reset() came while the stream was on its way.
    if (pa_stream_is_corked(stream) != (running_ ? 0 : 1))
        forget_operation(pa_stream_cork(stream, running_ ? 0 : 1, nullptr, nullptr));
}

// Asks for the stream without waiting for the server's answer. Under the lock.
PulseStreamPtr PulseCaptureDevice::connect_stream(pa_context* context, const std::string& source, bool corked,
                                                  int& error)
{
    PulseStreamPtr stream(new_stream_with_role(context, "Recording", spec_, "production"));
    if (!stream) {
        error = pa_context_errno(context);
        return nullptr;
    }
    pa_stream_set_state_callback(stream.get(), stream_state_changed, this);
    pa_stream_set_read_callback(stream.get(), stream_readable, this);
    pa_stream_set_moved_callback(stream.get(), stream_moved, this);

    const uint64_t bytes_per_second = pa_bytes_per_second(&spec_);
    pa_buffer_attr attr;
    attr.maxlength = whole_frames(bytes_per_second * backlog_.count() / 1000, frame_bytes_);
    // What the server holds for us and has not sent yet is lost when our
    // source leaves it: small fragments keep that short.
    attr.fragsize = whole_frames(bytes_per_second / 25, frame_bytes_);
    attr.tlength = attr.prebuf = attr.minreq = static_cast<uint32_t>(-1);
    // The stream stays where the user put it; pipewire-pulse maps this to
    // node.dont-reconnect.
    auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_MOVE);
    if (corked)
        flags = static_cast<pa_stream_flags_t>(flags | PA_STREAM_START_CORKED);
    if (pa_stream_connect_record(stream.get(), source.empty() ? nullptr : source.c_str(), &attr, flags) < 0) {
        error = pa_context_errno(context);
        return nullptr;
    }
    return stream;
}

void PulseCaptureDevice::add_buffer(CaptureBuffer& buffer)
{
    if (!open_)
        return;
    auto lock = session_.lock();
    queue_.push(buffer);
    if (draining_) {
        fill_buffers();
        hand_back_queued();
        return;
    }
    session_.api()->defer_enable(buffers_added_.get(), 1);
}

void PulseCaptureDevice::start()
{
    if (!open_)
        return;
    auto lock = session_.lock();
    running_ = true;
    draining_ = false;
    if (!failed_ && stream_ && pa_stream_get_state(stream_.get()) == PA_STREAM_READY)
        forget_operation(pa_stream_cork(stream_.get(), 0, nullptr, nullptr));
}

// What the server sent before it corked the stream was captured: the buffers
// are handed back once the server said so, filled with it.
void PulseCaptureDevice::reset()
{
    if (!open_)
        return;
    auto lock = session_.lock();
    running_ = false;
    if (failed_ || !stream_ || pa_stream_get_state(stream_.get()) != PA_STREAM_READY) {
        finish_reset();
        return;
    }
    cork_.reset(pa_stream_cork(stream_.get(), 1, corked_for_reset, this));
    if (!cork_) {
        finish_reset();
        return;
    }
    reset_limit_ = std::make_unique<PulseTimer>(session_.api(), kResetLimit, [this] {
        cork_.reset();
        finish_reset();
    });
}

void PulseCaptureDevice::corked_for_reset(pa_stream*, int, void* device)
{
    auto& self = *static_cast<PulseCaptureDevice*>(device);
    if (self.reset_limit_)
        self.finish_reset();
}

// Under the lock.
void PulseCaptureDevice::finish_reset()
{
    reset_limit_.reset();
    draining_ = true;
    fill_buffers();
    hand_back_queued();
    held_at_reset_ = held_bytes();
    delivered_at_reset_ = bytes_delivered_;
}

// What the device holds of the chosen source's sound: staged, and unread.
size_t PulseCaptureDevice::held_bytes() const
{
    return staging_.size() - staging_read_ + (failed_ || !stream_ ? 0 : unread_to_deliver());
}

void PulseCaptureDevice::close()
{
    if (!open_)
        return;
    auto lock = session_.lock();
    hand_back_queued();
    // Once stopped, what the server still sent after it said it had stopped
    // came after the stop, and is not missing from the recording.
    undelivered_ = held_bytes();
    if (draining_) {
        const uint64_t delivered = bytes_delivered_ - delivered_at_reset_;
        undelivered_ = std::min<uint64_t>(undelivered_, held_at_reset_ - std::min<uint64_t>(held_at_reset_, delivered));
    }
    release_stream();
    open_ = false;
    // Posted under the lock after every buffer_filled, so it arrives last.
    dispatcher_.post([listener = listener_.ref()] {
        if (listener.get())
            listener.get()->device_closed();
    });
}

std::optional<uint64_t> PulseCaptureDevice::position_samples() const
{
    if (!open_)
        return std::nullopt;
    auto lock = session_.lock();
    return bytes_delivered_ / frame_bytes_;
}

uint64_t PulseCaptureDevice::overruns() const
{
    if (!open_)
        return overruns_;
    auto lock = session_.lock();
    return overruns_;
}

uint64_t PulseCaptureDevice::undelivered_bytes() const
{
    if (!open_)
        return undelivered_;
    auto lock = session_.lock();
    return undelivered_;
}

void PulseCaptureDevice::stream_state_changed(pa_stream* stream, void* device)
{
    auto& self = *static_cast<PulseCaptureDevice*>(device);
    // The stream of the open, or one made for a new choice of source, now on it.
    if (stream == self.stream_.get() && pa_stream_get_state(stream) == PA_STREAM_READY && !self.failed_)
        self.stream_ready(stream);
    if (stream == self.stream_.get() && !PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) {
        if (!self.session_.context()) {
            // The session saw the context fail before libpulse failed its
            // streams.
            const std::string reason = pa_strerror(pa_context_errno(pa_stream_get_context(stream)));
            self.fail("the sound server went away (" + reason + ")");
        } else {
            // The server ended the stream itself; most likely its source went.
            self.check_source();
        }
    }
}

void PulseCaptureDevice::stream_readable(pa_stream*, size_t readable, void* device)
{
    auto& self = *static_cast<PulseCaptureDevice*>(device);
    if (self.failed_)
        return;
    if (!self.queue_.empty()) {
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

void PulseCaptureDevice::stream_moved(pa_stream* stream, void* device)
{
    auto& self = *static_cast<PulseCaptureDevice*>(device);
    if (stream != self.stream_.get() || self.failed_)
        return;
    const char* name = pa_stream_get_device_name(stream);
    const std::string now_on = name ? name : "";
    if (self.part_ == Part::Chosen)
        self.session_.set_record_stream({pa_stream_get_index(stream), now_on});
    self.moving_ = true;
    // libpulse handles the server's messages in order: everything unread now
    // came from where the stream was before this move.
    const size_t unread = self.unread_bytes();
    const size_t since_last_move = unread - std::min(unread, self.planned_bytes());
    if (now_on == self.wanted_source()) {
        if (self.away_) {
            self.plan_.push_back({since_last_move, false});
            self.away_ = false;
            self.fill_buffers();
        }
        return;
    }
    if (!self.away_) {
        self.plan_.push_back({since_last_move, true});
        self.away_ = true;
    }
    self.check_source();
}

void PulseCaptureDevice::check_source()
{
    pa_context* context = session_.context();
    if (!context)
        return;
    source_found_ = false;
    source_check_.reset(pa_context_get_source_info_by_name(context, wanted_source().c_str(), source_checked, this));
    if (!source_check_)
        fail(source_gone_text(wanted_source()));
}

void PulseCaptureDevice::source_checked(pa_context* context, const pa_source_info* info, int eol, void* device)
{
    auto& self = *static_cast<PulseCaptureDevice*>(device);
    if (info)
        self.source_found_ = true;
    if (eol == 0)
        return;
    if (!self.source_found_)
        self.fail_or_follow(self.source_gone_text(self.wanted_source()));
    else if (!PA_STREAM_IS_GOOD(pa_stream_get_state(self.stream_.get())))
        self.fail(std::string("the sound server ended the recording (") + pa_strerror(pa_context_errno(context)) + ")");
    else if (self.away_)
        self.move_back_.reset(pa_context_move_source_output_by_name(context, pa_stream_get_index(self.stream_.get()),
                                                                    self.wanted_source().c_str(), moved_back, device));
}

// A server that moved the stream may refuse to move it back, since we asked
// it not to move the stream at all: a new stream on the chosen source then.
void PulseCaptureDevice::moved_back(pa_context*, int success, void* device)
{
    auto& self = *static_cast<PulseCaptureDevice*>(device);
    if (!success && !self.failed_)
        self.dispatcher_.post([listener = self.listener_.ref(), &self] {
            // The listener is cleared when the device goes.
            if (listener.get())
                self.reconnect();
        });
}

// Server events, on the GUI thread. A source left the server: if it was
// ours, the check fails the device, whatever the server did with the stream.
// The server's defaults changed: what you hear may be elsewhere now.
void PulseCaptureDevice::server_event(pa_subscription_event_type_t facility, pa_subscription_event_type_t type,
                                      uint32_t)
{
    const bool source_gone = facility == PA_SUBSCRIPTION_EVENT_SOURCE && type == PA_SUBSCRIPTION_EVENT_REMOVE;
    const bool defaults = facility == PA_SUBSCRIPTION_EVENT_SERVER && following();
    if (!open_ || (!source_gone && !defaults))
        return;
    auto lock = session_.lock();
    if (!stream_ || failed_ || pending_failure_)
        return;
    if (source_gone)
        check_source();
    else
        follow_default();
}

void PulseCaptureDevice::record_source_changed()
{
    if (!open_)
        return;
    auto lock = session_.lock();
    if (stream_ && following())
        follow_default();
    else if (stream_ && wanted_source() != source_name_)
        reconnect();
}

// Under the lock.
void PulseCaptureDevice::find_default_monitor(pa_context* context, std::function<void()> then)
{
    found_default_ = std::move(then);
    default_found_ = false;
    // Both servers resolve the special name to the default sink's monitor.
    default_lookup_.reset(pa_context_get_source_info_by_name(context, "@DEFAULT_MONITOR@", default_monitor_read, this));
    if (!default_lookup_)
        fail(open_failure_text(kWhatYouHear, pa_context_errno(context)));
}

void PulseCaptureDevice::default_monitor_read(pa_context*, const pa_source_info* info, int eol, void* device)
{
    auto& self = *static_cast<PulseCaptureDevice*>(device);
    if (info && info->name) {
        self.default_found_ = true;
        self.default_monitor_ = info->name;
    }
    if (eol == 0 || self.failed_)
        return;
    if (!self.default_found_)
        self.default_monitor_.clear();
    if (auto then = std::exchange(self.found_default_, nullptr))
        then();
}

// A new stream on the default sink's monitor once it is another. Under the
// lock.
void PulseCaptureDevice::follow_default()
{
    if (pa_context* context = session_.context())
        find_default_monitor(context, [this] {
            if (!default_monitor_.empty() && default_monitor_ != source_name_)
                switch_stream();
        });
}

// A followed source that went is followed to the new default, if there is
// one. Under the lock.
void PulseCaptureDevice::fail_or_follow(const std::string& reason)
{
    pa_context* context = session_.context();
    if (!following() || !context) {
        fail_once_delivered(reason);
        return;
    }
    find_default_monitor(context, [this, reason] {
        if (!default_monitor_.empty() && default_monitor_ != source_name_)
            switch_stream();
        else
            fail_once_delivered(reason);
    });
}

// A stream fails with its context; one not made yet has nothing to fail.
// The loss of a context before the one opened on is no news.
void PulseCaptureDevice::session_lost(const std::string& reason)
{
    if (!open_)
        return;
    auto lock = session_.lock();
    if (!stream_ && !session_.context())
        fail("the sound server went away (" + reason + ")");
}

// A new stream on the chosen source, in place of the one we have. What the
// old stream holds from the source chosen before is kept; the gap between the
// two is the user's doing and is not counted as lost.
void PulseCaptureDevice::reconnect()
{
    auto lock = session_.lock();
    switch_stream();
}

// Under the lock, on either thread.
void PulseCaptureDevice::switch_stream()
{
    pa_context* context = session_.context();
    if (!stream_ || failed_ || pending_failure_ || !context)
        return;
    take_nothing_after_unread();
    while (!plan_.empty() && take_fragment()) {}
    int error = 0;
    PulseStreamPtr stream = connect_stream(context, wanted_source(), !running_, error);
    if (!stream) {
        fail(source_error(wanted_source(), error));
        return;
    }
    source_check_.reset();
    move_back_.reset();
    stream_ = std::move(stream);
    source_name_ = wanted_source();
    source_description_ = chosen_description();
    plan_.clear();
    away_ = false;
    moving_ = false;
    fill_buffers();
}

void PulseCaptureDevice::source_described(pa_context*, const pa_source_info* info, int, void* device)
{
    auto& self = *static_cast<PulseCaptureDevice*>(device);
    if (info && info->description)
        self.source_description_ = info->description;
}

std::string PulseCaptureDevice::wanted_source() const
{
    if (following())
        return default_monitor_.empty() ? source_name_ : default_monitor_;
    const std::string chosen = chosen_source();
    return chosen.empty() ? source_name_ : chosen;
}

std::string PulseCaptureDevice::chosen_source() const
{
    if (part_ == Part::OtherSide)
        return kWhatYouHear;
    return call_voice(session_.record_source()).value_or(session_.record_source());
}

std::string PulseCaptureDevice::chosen_description() const
{
    if (following())
        return kWhatYouHear;
    return call_voice(session_.record_source_description()).value_or(session_.record_source_description());
}

bool PulseCaptureDevice::following() const
{
    return chosen_source() == kWhatYouHear;
}

std::string PulseCaptureDevice::source_gone_text(const std::string& name) const
{
    const bool described = name == source_name_ && !source_description_.empty();
    return "the record source \"" + (described ? source_description_ : name) + "\" went away";
}

// What is unread now is delivered as the plan says, and nothing after it: the
// part past the plan came from the chosen source, unless the stream is away.
void PulseCaptureDevice::take_nothing_after_unread()
{
    if (away_)
        return;
    const size_t unread = unread_bytes();
    if (unread > planned_bytes())
        plan_.push_back({unread - planned_bytes(), true});
    away_ = true;
}

size_t PulseCaptureDevice::unread_bytes() const
{
    if (!stream_)
        return 0;
    const size_t readable = pa_stream_readable_size(stream_.get());
    return readable == static_cast<size_t>(-1) ? 0 : readable;
}

// Of the unread data, what the plan and the stream's place would deliver.
size_t PulseCaptureDevice::unread_to_deliver() const
{
    const size_t unread = unread_bytes();
    size_t planned = 0;
    size_t kept = 0;
    for (const Run& run : plan_) {
        planned += run.bytes;
        if (run.keep)
            kept += std::min(run.bytes, unread - std::min(unread, planned - run.bytes));
    }
    return kept + (away_ || unread <= planned ? 0 : unread - planned);
}

size_t PulseCaptureDevice::planned_bytes() const
{
    size_t bytes = 0;
    for (const Run& run : plan_)
        bytes += run.bytes;
    return bytes;
}

// What the chosen source sent before the stream left it was captured: it is
// delivered as buffers come, and the failure follows it.
void PulseCaptureDevice::fail_once_delivered(const std::string& reason)
{
    if (pending_failure_ || failed_)
        return;
    take_nothing_after_unread();
    stop_capturing();
    pending_failure_ = reason;
    fill_buffers();
}

void PulseCaptureDevice::fail(const std::string& reason)
{
    if (failed_)
        return;
    failed_ = true;
    // A stream the server moved elsewhere would go on capturing what nobody
    // reads.
    stop_capturing();
    // Posted after every buffer handed back so far.
    dispatcher_.post([listener = listener_.ref(), reason] {
        if (listener.get())
            listener.get()->device_failed(reason);
    });
}

void PulseCaptureDevice::buffers_added(pa_mainloop_api* api, pa_defer_event* event, void* device)
{
    api->defer_enable(event, 0);
    auto& self = *static_cast<PulseCaptureDevice*>(device);
    // After a failure only reset() hands over what is left.
    if (!self.queue_.empty() && !self.failed_)
        self.fill_buffers();
}

void PulseCaptureDevice::fill_buffers()
{
    while (!queue_.empty()) {
        if (staging_read_ < staging_.size()) {
            staging_read_ += copy_into_queue(staging_.data() + staging_read_, staging_.size() - staging_read_);
            continue;
        }
        // A failed stream has nothing more, and one that is away from the
        // chosen source nothing past what came before it left.
        if (failed_ || (away_ && plan_.empty()) || !take_fragment())
            break;
    }
    // A stream the server ended, or not ready yet, has nothing to read.
    if (!stream_ || pa_stream_get_state(stream_.get()) != PA_STREAM_READY)
        plan_.clear();
    if (pending_failure_ && (plan_.empty() || !plan_.front().keep)) {
        const std::string reason = std::move(*pending_failure_);
        pending_failure_.reset();
        fail(reason);
    }
    const size_t readable = failed_ || !stream_ ? 0 : pa_stream_readable_size(stream_.get());
    unread_when_idle_ = queue_.empty() && readable != static_cast<size_t>(-1) ? readable : 0;
}

bool PulseCaptureDevice::take_fragment()
{
    const void* data = nullptr;
    size_t length = 0;
    if (!stream_ || pa_stream_get_state(stream_.get()) != PA_STREAM_READY
        || pa_stream_peek(stream_.get(), &data, &length) < 0 || length == 0)
        return false;
    // A hole: the server lost data here, and silence keeps the time right.
    // One that comes with a move is the move itself and is left out.
    const bool move_gap = !data && moving_;
    if (data)
        moving_ = false;
    else if (!move_gap)
        ++overruns_;
    const auto* bytes = static_cast<const uint8_t*>(data);
    size_t offset = 0;
    while (offset < length) {
        size_t count = length - offset;
        bool wanted = !away_;
        if (!plan_.empty()) {
            count = std::min(count, plan_.front().bytes);
            wanted = plan_.front().keep;
            if ((plan_.front().bytes -= count) == 0)
                plan_.pop_front();
        }
        if (wanted && !move_gap)
            keep(bytes ? bytes + offset : nullptr, count);
        offset += count;
    }
    pa_stream_drop(stream_.get());
    return true;
}

// Into the queued buffers, and what finds none into the staging area, after
// what waits there already. `data` nullptr stands for silence.
void PulseCaptureDevice::keep(const uint8_t* data, size_t length)
{
    if (staging_read_ == staging_.size()) {
        staging_.clear();
        staging_read_ = 0;
    }
    const size_t copied = staging_.empty() ? copy_into_queue(data, length) : 0;
    if (data)
        staging_.insert(staging_.end(), data + copied, data + length);
    else
        staging_.insert(staging_.end(), length - copied, 0);
}

// `data` nullptr stands for silence.
size_t PulseCaptureDevice::copy_into_queue(const uint8_t* data, size_t length)
{
    const auto full = [this](CaptureBuffer& buffer) { hand_back(buffer); };
    const size_t copied = data ? queue_.fill(std::span(data, length), full) : queue_.fill_silence(length, full);
    bytes_delivered_ += copied;
    return copied;
}

void PulseCaptureDevice::hand_back(CaptureBuffer& buffer)
{
    dispatcher_.post([listener = listener_.ref(), &buffer] {
        if (CaptureListener* alive = listener.get())
            alive->buffer_filled(buffer);
    });
}

void PulseCaptureDevice::hand_back_queued()
{
    queue_.hand_back_all([this](CaptureBuffer& buffer) { hand_back(buffer); });
}

// Corks without waiting for the answer, so that the mainloop's own callbacks
// may call it too. Under the session's lock.
void PulseCaptureDevice::stop_capturing()
{
    if (stream_ && pa_stream_get_state(stream_.get()) == PA_STREAM_READY)
        forget_operation(pa_stream_cork(stream_.get(), 1, nullptr, nullptr));
}

void PulseCaptureDevice::release_stream()
{
    answer_limit_.reset();
    reset_limit_.reset();
    cork_.reset();
    source_lookup_.reset();
    described_.reset();
    source_check_.reset();
    move_back_.reset();
    default_lookup_.reset();
    found_default_ = nullptr;
    default_monitor_.clear();
    buffers_added_.reset();
    stream_.reset();
    if (part_ == Part::Chosen)
        session_.set_record_stream({});
    staging_.clear();
    staging_read_ = 0;
    unread_when_idle_ = 0;
    plan_.clear();
    away_ = false;
    moving_ = false;
    running_ = false;
    draining_ = false;
    pending_failure_.reset();
    awaiting_session_ = false;
    source_found_ = false;
    failed_ = false;
}

} // namespace ornavox
