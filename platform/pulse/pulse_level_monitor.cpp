#include "platform/pulse/pulse_level_monitor.h"

#include "platform/record_source_id.h"

#include <pulse/error.h>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace ornavox {

namespace {

constexpr uint32_t kPeaksPerSecond = 25;

} // namespace

PulseLevelMonitor::PulseLevelMonitor(PulseSession& session, Dispatcher& dispatcher)
    : session_(session), dispatcher_(dispatcher), guard_(this), listening_(session.listen(*this))
{
}

PulseLevelMonitor::~PulseLevelMonitor()
{
    close_stream();
}

// Of a call the voice is watched; what you hear is the default sink's monitor
// when the stream opens, and the panel watches anew when the default changes.
void PulseLevelMonitor::watch(const std::string& source_id, std::function<void(float)> heard)
{
    source_ = source_id == kWhatYouHear ? "@DEFAULT_MONITOR@" : call_voice(source_id).value_or(source_id);
    heard_ = std::move(heard);
    open_stream();
}

void PulseLevelMonitor::stop()
{
    source_.clear();
    heard_ = nullptr;
    close_stream();
}

// The session was lost and is back, or connected only now.
void PulseLevelMonitor::session_ready()
{
    if (!source_.empty())
        open_stream();
}

void PulseLevelMonitor::close_stream()
{
    const PulseLock lock = session_.lock();
    ++generation_;
    stream_.reset();
}

// Without a connection nothing is sent until session_ready().
void PulseLevelMonitor::open_stream()
{
    const PulseLock lock = session_.lock();
    ++generation_;
    stream_.reset();
    pa_context* context = session_.context();
    if (!context || source_.empty())
        return;
    const pa_sample_spec spec{PA_SAMPLE_FLOAT32LE, kPeaksPerSecond, 1};
    PulseProplistPtr properties(pa_proplist_new());
    pa_proplist_sets(properties.get(), PA_PROP_MEDIA_ROLE, "production");
    // Whatever the server keeps of this stream is kept apart from the
    // recording's own, so that watching a source never moves a recording.
    pa_proplist_sets(properties.get(), "module-stream-restore.id", "ornavox-level-meter");
    PulseStreamPtr stream(pa_stream_new_with_proplist(context, "Recording level", &spec, nullptr, properties.get()));
    if (!stream)
        return;
    pa_stream_set_read_callback(stream.get(), stream_readable, this);
    pa_buffer_attr attr;
    std::memset(&attr, 0xff, sizeof attr);
    attr.fragsize = sizeof(float);
    const auto flags =
        static_cast<pa_stream_flags_t>(PA_STREAM_PEAK_DETECT | PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_MOVE);
    if (pa_stream_connect_record(stream.get(), source_.c_str(), &attr, flags) < 0)
        return;
    stream_ = std::move(stream);
}

// Mainloop thread, under the lock: the loudest peak of what arrived.
void PulseLevelMonitor::stream_readable(pa_stream* stream, size_t, void* monitor)
{
    auto* self = static_cast<PulseLevelMonitor*>(monitor);
    float loudest = -1.0f;
    const void* data = nullptr;
    size_t bytes = 0;
    while (pa_stream_readable_size(stream) > 0 && pa_stream_peek(stream, &data, &bytes) == 0 && bytes > 0) {
        for (size_t at = 0; data && at + sizeof(float) <= bytes; at += sizeof(float)) {
            float peak;
            std::memcpy(&peak, static_cast<const char*>(data) + at, sizeof peak);
            loudest = std::max(loudest, std::abs(peak));
        }
        pa_stream_drop(stream);
    }
    if (loudest < 0.0f)
        return;
    self->dispatcher_.post([ref = self->guard_.ref(), generation = self->generation_, loudest] {
        PulseLevelMonitor* target = ref.get();
        if (target && target->generation_ == generation && target->heard_)
            target->heard_(loudest);
    });
}

} // namespace ornavox
