#pragma once

#include <pulse/context.h>
#include <pulse/operation.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>

#include <chrono>
#include <memory>
#include <string>

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
struct PulseDeferEventDeleter {
    pa_mainloop_api* api = nullptr;
    void operator()(pa_defer_event* event) const;
};

using PulseMainloopPtr = std::unique_ptr<pa_threaded_mainloop, PulseMainloopDeleter>;
using PulseContextPtr = std::unique_ptr<pa_context, PulseContextDeleter>;
using PulseStreamPtr = std::unique_ptr<pa_stream, PulseStreamDeleter>;
using PulseOperationPtr = std::unique_ptr<pa_operation, PulseOperationDeleter>;
using PulseDeferEventPtr = std::unique_ptr<pa_defer_event, PulseDeferEventDeleter>;

// Holds the mainloop lock for its scope. The lock is recursive, so mainloop
// callbacks may take it too.
class PulseLock {
public:
    explicit PulseLock(pa_threaded_mainloop* mainloop);
    ~PulseLock();
    PulseLock(const PulseLock&) = delete;
    PulseLock& operator=(const PulseLock&) = delete;

private:
    pa_threaded_mainloop* mainloop_;
};

// The program's one connection to the sound server: a threaded mainloop and
// a context, shared by the capture device, the mixer and playback. It must
// outlive everything that uses it.
//
// Thread contract: connect(), the record source and the destructor belong to
// the GUI thread. The context and every stream made on it are used only
// under lock(); mainloop callbacks already run under it.
class PulseSession {
public:
    explicit PulseSession(std::string application_name = "Ornavox");
    ~PulseSession();
    PulseSession(const PulseSession&) = delete;
    PulseSession& operator=(const PulseSession&) = delete;

    // Connects on first use, and again after the server went away. Blocks
    // until the server answers or `timeout` passes. On failure returns false
    // with "Cannot connect to the sound server: <reason>" in `error`.
    bool connect(std::string& error, std::chrono::milliseconds timeout = std::chrono::seconds(5));

    // Valid after a successful connect(); use under lock().
    pa_context* context() const { return context_.get(); }
    pa_threaded_mainloop* mainloop() const { return mainloop_.get(); }
    pa_mainloop_api* api() const { return pa_threaded_mainloop_get_api(mainloop_.get()); }
    PulseLock lock() const { return PulseLock(mainloop_.get()); }

    // Under lock(): blocks until `operation` is no longer running. The
    // operation's callback must call signal() (the *_signal callbacks below
    // do). False when the operation was cancelled, for example because the
    // connection broke.
    bool wait_for(pa_operation* operation) const;
    // Under lock(): sleeps until a mainloop callback calls signal().
    void wait() const;
    void signal() const;

    // Success callbacks that only wake wait_for(); userdata is the session.
    static void context_success_signal(pa_context* context, int success, void* session);
    static void stream_success_signal(pa_stream* stream, int success, void* session);

    // The source that recording uses; empty means the server's default.
    const std::string& record_source() const { return record_source_; }
    void set_record_source(std::string name) { record_source_ = std::move(name); }

private:
    static void context_state_changed(pa_context* context, void* session);

    std::string application_name_;
    std::string record_source_;
    PulseMainloopPtr mainloop_;
    PulseContextPtr context_;
};

} // namespace ornavox
