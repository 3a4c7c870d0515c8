#include "platform/pulse/pulse_handles.h"

#include <pulse/subscribe.h>
#include <pulse/timeval.h>

namespace ornavox {

void PulseMainloopDeleter::operator()(pa_threaded_mainloop* mainloop) const
{
    pa_threaded_mainloop_stop(mainloop);
    pa_threaded_mainloop_free(mainloop);
}

void PulseContextDeleter::operator()(pa_context* context) const
{
    pa_context_set_state_callback(context, nullptr, nullptr);
    pa_context_set_subscribe_callback(context, nullptr, nullptr);
    pa_context_disconnect(context);
    pa_context_unref(context);
}

void PulseStreamDeleter::operator()(pa_stream* stream) const
{
    // The context keeps its own reference until the server confirms the
    // disconnection, so callbacks could still arrive after the unref: clear
    // them all first.
    pa_stream_set_state_callback(stream, nullptr, nullptr);
    pa_stream_set_read_callback(stream, nullptr, nullptr);
    pa_stream_set_write_callback(stream, nullptr, nullptr);
    pa_stream_set_overflow_callback(stream, nullptr, nullptr);
    pa_stream_set_underflow_callback(stream, nullptr, nullptr);
    pa_stream_set_started_callback(stream, nullptr, nullptr);
    pa_stream_set_latency_update_callback(stream, nullptr, nullptr);
    pa_stream_set_moved_callback(stream, nullptr, nullptr);
    pa_stream_set_suspended_callback(stream, nullptr, nullptr);
    pa_stream_set_event_callback(stream, nullptr, nullptr);
    pa_stream_set_buffer_attr_callback(stream, nullptr, nullptr);
    if (PA_STREAM_IS_GOOD(pa_stream_get_state(stream)))
        pa_stream_disconnect(stream);
    pa_stream_unref(stream);
}

void PulseOperationDeleter::operator()(pa_operation* operation) const
{
    // A callback of an operation still running may point at its owner, which
    // is going away.
    if (pa_operation_get_state(operation) == PA_OPERATION_RUNNING)
        pa_operation_cancel(operation);
    pa_operation_unref(operation);
}

void forget_operation(pa_operation* operation)
{
    if (operation)
        pa_operation_unref(operation);
}

void PulseDeferEventDeleter::operator()(pa_defer_event* event) const
{
    api->defer_free(event);
}

PulseLock::PulseLock(pa_threaded_mainloop* mainloop) : mainloop_(mainloop)
{
    pa_threaded_mainloop_lock(mainloop_);
}

PulseLock::~PulseLock()
{
    pa_threaded_mainloop_unlock(mainloop_);
}

PulseTimer::PulseTimer(pa_mainloop_api* api, std::chrono::microseconds delay, std::function<void()> fired)
    : api_(api), fired_(std::move(fired))
{
    // The mainloop API takes wall-clock times; these timers are seconds long,
    // so a clock step only moves them once.
    struct timeval when;
    pa_gettimeofday(&when);
    pa_timeval_add(&when, static_cast<pa_usec_t>(delay.count()));
    event_ = api_->time_new(api_, &when, expired, this);
}

PulseTimer::~PulseTimer()
{
    if (event_)
        api_->time_free(event_);
}

void PulseTimer::expired(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* timer)
{
    // `fired` may destroy this timer: it runs on a copy and nothing touches
    // the timer afterwards.
    const std::function<void()> fired = static_cast<PulseTimer*>(timer)->fired_;
    fired();
}

pa_stream* new_stream_with_role(pa_context* context, const char* name, const pa_sample_spec& spec, const char* role)
{
    PulseProplistPtr properties(pa_proplist_new());
    pa_proplist_sets(properties.get(), PA_PROP_MEDIA_ROLE, role);
    return pa_stream_new_with_proplist(context, name, &spec, nullptr, properties.get());
}

} // namespace ornavox
