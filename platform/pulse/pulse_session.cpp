#include "platform/pulse/pulse_session.h"

#include <pulse/error.h>
#include <pulse/rtclock.h>

namespace ornavox {

void PulseMainloopDeleter::operator()(pa_threaded_mainloop* mainloop) const
{
    pa_threaded_mainloop_stop(mainloop);
    pa_threaded_mainloop_free(mainloop);
}

void PulseContextDeleter::operator()(pa_context* context) const
{
    pa_context_set_state_callback(context, nullptr, nullptr);
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

PulseSession::PulseSession(std::string application_name) : application_name_(std::move(application_name))
{
}

PulseSession::~PulseSession()
{
    if (!mainloop_)
        return;
    {
        PulseLock lock(mainloop_.get());
        context_.reset();
    }
    mainloop_.reset();
}

namespace {

struct ConnectTimer {
    pa_threaded_mainloop* mainloop;
    bool expired = false;
};

void connect_timer_expired(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* timer)
{
    auto* t = static_cast<ConnectTimer*>(timer);
    t->expired = true;
    pa_threaded_mainloop_signal(t->mainloop, 0);
}

std::string connect_error(const char* reason)
{
    return std::string("Cannot connect to the sound server: ") + reason;
}

} // namespace

bool PulseSession::connect(std::string& error, std::chrono::milliseconds timeout)
{
    if (!mainloop_) {
        mainloop_.reset(pa_threaded_mainloop_new());
        if (!mainloop_ || pa_threaded_mainloop_start(mainloop_.get()) < 0) {
            mainloop_.reset();
            error = connect_error("the event thread could not be started");
            return false;
        }
    }

    PulseLock lock(mainloop_.get());
    if (context_ && pa_context_get_state(context_.get()) == PA_CONTEXT_READY)
        return true;

    // The server may have gone away since the last connection; the program
    // then reconnects instead of failing for good.
    context_.reset(pa_context_new(pa_threaded_mainloop_get_api(mainloop_.get()), application_name_.c_str()));
    if (!context_) {
        error = connect_error("out of memory");
        return false;
    }
    pa_context_set_state_callback(context_.get(), context_state_changed, this);
    // No autospawn: starting a server of our own would hide a missing or
    // misconfigured one from the user.
    if (pa_context_connect(context_.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        error = connect_error(pa_strerror(pa_context_errno(context_.get())));
        context_.reset();
        return false;
    }

    ConnectTimer timer{mainloop_.get()};
    pa_time_event* timer_event = pa_context_rttime_new(
        context_.get(), pa_rtclock_now() + std::chrono::microseconds(timeout).count(), connect_timer_expired, &timer);
    pa_context_state_t state;
    while ((state = pa_context_get_state(context_.get())) != PA_CONTEXT_READY && PA_CONTEXT_IS_GOOD(state)
           && !timer.expired)
        pa_threaded_mainloop_wait(mainloop_.get());
    pa_threaded_mainloop_get_api(mainloop_.get())->time_free(timer_event);

    if (state == PA_CONTEXT_READY)
        return true;
    error = connect_error(timer.expired && PA_CONTEXT_IS_GOOD(state) ? pa_strerror(PA_ERR_TIMEOUT)
                                                                     : pa_strerror(pa_context_errno(context_.get())));
    context_.reset();
    return false;
}

bool PulseSession::wait_for(pa_operation* operation) const
{
    if (!operation)
        return false;
    while (pa_operation_get_state(operation) == PA_OPERATION_RUNNING)
        pa_threaded_mainloop_wait(mainloop_.get());
    return pa_operation_get_state(operation) == PA_OPERATION_DONE;
}

void PulseSession::wait() const
{
    pa_threaded_mainloop_wait(mainloop_.get());
}

void PulseSession::signal() const
{
    pa_threaded_mainloop_signal(mainloop_.get(), 0);
}

void PulseSession::context_success_signal(pa_context*, int, void* session)
{
    static_cast<PulseSession*>(session)->signal();
}

void PulseSession::stream_success_signal(pa_stream*, int, void* session)
{
    static_cast<PulseSession*>(session)->signal();
}

void PulseSession::context_state_changed(pa_context*, void* session)
{
    static_cast<PulseSession*>(session)->signal();
}

} // namespace ornavox
