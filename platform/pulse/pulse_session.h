#pragma once

#include "platform/dispatcher.h"
#include "platform/pulse/pulse_handles.h"

#include <pulse/def.h>
#include <pulse/subscribe.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ornavox {

// What a user of the session hears, on the GUI thread, in the order the
// server's messages came.
class PulseSessionListener {
public:
    virtual ~PulseSessionListener() = default;
    // Connected, or connected again after a loss: re-read what is shown.
    virtual void session_ready() {}
    // An established connection broke; `reason` is libpulse's text for it.
    virtual void session_lost(const std::string& reason) { (void)reason; }
    // Once a connection in the background was asked for: an attempt to
    // connect failed, or the server has not answered it within kWaitLimit
    // (the attempt goes on). The session keeps trying.
    virtual void session_unavailable(const std::string& reason) { (void)reason; }
    // An object of a facility the listener subscribed to was added, changed
    // or removed. PipeWire also sends changes in which nothing changed.
    virtual void server_event(pa_subscription_event_type_t facility, pa_subscription_event_type_t type, uint32_t index)
    {
        (void)facility, (void)type, (void)index;
    }
    // Our record stream was opened, moved to another source, or closed.
    virtual void record_stream_changed() {}
    // The user chose another record source.
    virtual void record_source_changed() {}
};

// The program's own record stream, as the capture device reports it.
struct PulseRecordStream {
    uint32_t index = PA_INVALID_INDEX; // the source output's index; invalid while none is open
    std::string source;                // the name of the source it is on
};

// The program's one connection to the sound server: a threaded mainloop and a
// context, shared by the capture device, the mixer and playback. It must
// outlive everything that uses it.
//
// A lost context is never reused. Once a connection was asked for, the session
// makes a new context every 2 s after a loss or a failed attempt, on the
// mainloop thread, until the server answers; listeners hear of each attempt
// that failed or went unanswered.
//
// Thread contract: connect(), connect_in_background(), listen(), the record
// source and the destructor belong to the GUI thread. The context and every stream made on it are used
// only under lock(); mainloop callbacks already run under it. Listeners are
// called through the dispatcher, never from the mainloop thread.
class PulseSession {
public:
    static constexpr std::chrono::milliseconds kRetryInterval{2000};
    static constexpr std::chrono::milliseconds kWaitLimit{5000};

    // The application's id and icon name are the desktop file's, so that
    // desktop mixers show our streams with the program's name and icon.
    explicit PulseSession(Dispatcher& dispatcher, std::string application_name = "Ornavox");
    ~PulseSession();
    PulseSession(const PulseSession&) = delete;
    PulseSession& operator=(const PulseSession&) = delete;

    // Connects now unless connected, blocking for at most `timeout`. On
    // failure returns false with "Cannot connect to the sound server: <reason>"
    // in `error`; an attempt that timed out goes on in the background.
    bool connect(std::string& error, std::chrono::milliseconds timeout = kWaitLimit);
    // As connect(), but also true when the attempt is still under way after
    // `wait`: the caller hears session_ready() when it succeeds.
    bool connect_or_attempt(std::string& error, std::chrono::milliseconds wait);
    // Connects unless connected or under way, without waiting: the context is
    // made and connected on the mainloop thread, and listeners hear
    // session_ready() or session_unavailable(). False only when the event
    // thread cannot be started.
    bool connect_in_background();

    // Keeps `listener` registered while the returned handle lives.
    // `facilities` is a pa_subscription_mask_t of the server events it wants.
    class Listening;
    [[nodiscard]] Listening listen(PulseSessionListener& listener, uint32_t facilities = PA_SUBSCRIPTION_MASK_NULL);

    // The connected context, or nullptr. Under lock().
    pa_context* context() const;
    // Whether the context is connected; takes the lock itself.
    bool connected() const;
    pa_threaded_mainloop* mainloop() const { return mainloop_.get(); }
    pa_mainloop_api* api() const { return pa_threaded_mainloop_get_api(mainloop_.get()); }
    PulseLock lock() const { return PulseLock(mainloop_.get()); }

    // Under lock(), on the GUI thread: sleeps until done() holds, re-testing
    // it whenever a mainloop callback calls signal(). False when `timeout`
    // passed first.
    bool wait_until(const std::function<bool()>& done, std::chrono::milliseconds timeout = kWaitLimit) const;
    void signal() const;

    // The source that recording uses, by its server name, as the user chose
    // it; empty means the server's default. Nothing but a new choice changes
    // it: not a move of our stream, not a change of the server's default.
    // Set on the GUI thread, which tells every listener through the
    // dispatcher; read there, or under lock() on the mainloop thread.
    const std::string& record_source() const { return record_source_; }
    // Its description when it was chosen, for messages once it is gone.
    const std::string& record_source_description() const { return record_source_description_; }
    void set_record_source(std::string name, std::string description = {});

    // Under lock(). Setting it tells every listener, through the dispatcher.
    const PulseRecordStream& record_stream() const { return record_stream_; }
    void set_record_stream(PulseRecordStream stream);

private:
    struct Registry;

    bool start_mainloop();
    bool connect_within(std::string& error, std::chrono::milliseconds timeout, bool attempt_will_do);
    // Under the lock.
    void start_connecting();
    void retire_context();
    void tell_unavailable(int error);
    void update_subscription();
    void subscribe();
    static void context_state_changed(pa_context* context, void* session);
    static void server_event_arrived(pa_context* context, pa_subscription_event_type_t event, uint32_t index,
                                     void* session);

    Dispatcher& dispatcher_;
    std::string application_name_;
    std::string record_source_;
    std::string record_source_description_;
    std::shared_ptr<Registry> registry_;
    PulseMainloopPtr mainloop_;
    // Under the lock from here on.
    PulseContextPtr context_;
    // A failed context, kept until the next attempt: its own callback is
    // where it is found failed, and it must not be freed there.
    PulseContextPtr retired_;
    std::unique_ptr<PulseTimer> retry_;
    std::unique_ptr<PulseTimer> attempt_limit_; // tells of an attempt left unanswered
    bool connected_ = false;                    // context_ reached READY
    bool wanted_ = false;                       // connect() was asked for, so losses are retried
    bool told_ = false;                         // connect_in_background() was: failed attempts are told
    int last_error_ = 0;
    uint32_t facilities_ = PA_SUBSCRIPTION_MASK_NULL;
    PulseRecordStream record_stream_;
};

// Unregisters its listener when destroyed. GUI thread only.
class PulseSession::Listening {
public:
    Listening() = default;
    Listening(Listening&& other) noexcept;
    Listening& operator=(Listening&& other) noexcept;
    ~Listening();

private:
    friend class PulseSession;
    Listening(PulseSession* session, uint64_t id) : session_(session), id_(id) {}

    PulseSession* session_ = nullptr;
    uint64_t id_ = 0;
};

} // namespace ornavox
