#pragma once

#include <pulse/context.h>
#include <pulse/operation.h>
#include <pulse/proplist.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>

#include <chrono>
#include <functional>
#include <memory>

namespace ornavox {

struct PulseMainloopDeleter {
    void operator()(pa_threaded_mainloop* mainloop) const;
};
// Unreferencing these needs the mainloop lock while the mainloop runs.
struct PulseContextDeleter {
    void operator()(pa_context* context) const;
};
struct PulseStreamDeleter {
    void operator()(pa_stream* stream) const;
};
struct PulseOperationDeleter {
    void operator()(pa_operation* operation) const;
};
struct PulseProplistDeleter {
    void operator()(pa_proplist* proplist) const { pa_proplist_free(proplist); }
};
struct PulseDeferEventDeleter {
    pa_mainloop_api* api = nullptr;
    void operator()(pa_defer_event* event) const;
};

using PulseMainloopPtr = std::unique_ptr<pa_threaded_mainloop, PulseMainloopDeleter>;
using PulseContextPtr = std::unique_ptr<pa_context, PulseContextDeleter>;
using PulseStreamPtr = std::unique_ptr<pa_stream, PulseStreamDeleter>;
using PulseOperationPtr = std::unique_ptr<pa_operation, PulseOperationDeleter>;
using PulseDeferEventPtr = std::unique_ptr<pa_defer_event, PulseDeferEventDeleter>;
using PulseProplistPtr = std::unique_ptr<pa_proplist, PulseProplistDeleter>;

// A new stream whose media.role tells desktop mixers and policy managers
// what it is for ("production" for recording, "music" for playback).
pa_stream* new_stream_with_role(pa_context* context, const char* name, const pa_sample_spec& spec, const char* role);

// Releases an operation whose outcome nobody waits for; nullptr is allowed.
void forget_operation(pa_operation* operation);

// Holds the mainloop lock for its scope, on any thread but the mainloop's own:
// libpulse forbids locking there, and its callbacks already run under the
// lock. The lock is recursive, so a thread that holds it may take it again.
class PulseLock {
public:
    explicit PulseLock(pa_threaded_mainloop* mainloop);
    ~PulseLock();
    PulseLock(const PulseLock&) = delete;
    PulseLock& operator=(const PulseLock&) = delete;

private:
    pa_threaded_mainloop* mainloop_;
};

// A one-shot timer on the mainloop that calls `fired` on the mainloop thread,
// under the lock, once `delay` has passed. Made and destroyed under the lock;
// destroying it first cancels it, also from within `fired`.
class PulseTimer {
public:
    PulseTimer(pa_mainloop_api* api, std::chrono::microseconds delay, std::function<void()> fired);
    ~PulseTimer();
    PulseTimer(const PulseTimer&) = delete;
    PulseTimer& operator=(const PulseTimer&) = delete;

private:
    static void expired(pa_mainloop_api* api, pa_time_event* event, const struct timeval* when, void* timer);

    pa_mainloop_api* api_;
    std::function<void()> fired_;
    pa_time_event* event_ = nullptr;
};

} // namespace ornavox
