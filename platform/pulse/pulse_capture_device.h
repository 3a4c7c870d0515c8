#pragma once

#include "platform/capture_buffer_queue.h"
#include "platform/capture_device.h"
#include "platform/dispatcher.h"
#include "platform/posted_guard.h"
#include "platform/pulse/pulse_session.h"

#include <pulse/introspect.h>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ornavox {

// Captures 16-bit little-endian PCM from the session's record source into the
// caller's queued buffers.
//
// Thread contract: every public call is made on the GUI thread. The mainloop
// thread copies captured data into the queued buffers and posts the
// notifications through the dispatcher; it never calls the listener itself.
// It never keeps a fragment of libpulse's: the part of a fragment that finds
// no queued buffer is copied into a staging area, and the fragment is dropped
// at once. The staging area holds at most one fragment, except just after a
// change of source, when it takes what the old stream still held. Beyond
// that, while no buffer is queued, the data stays with libpulse, which holds
// up to `backlog` of it, so a busy GUI thread loses nothing. Data that does
// not fit is lost and counted in overruns(). After reset() the stream is
// corked and what it still holds goes into the buffers queued next, on the
// GUI thread, each handed back at once.
//
// No call waits for the server. open() asks for the stream and returns; the
// stream gets ready on the mainloop thread, and a server that has not made
// it ready within kAnswerLimit fails the device. reset() asks for the cork
// and hands the buffers back once the server confirmed it, or after
// kResetLimit with what had arrived.
//
// The chosen source is the session's record source (or the server's default
// at open when none is chosen), and only the user changes it: the stream asks
// the server never to move it, and a new choice while capturing opens a new
// stream there. A server that moves the stream all the same gets it moved
// back; what arrives from elsewhere meanwhile is never delivered.
//
// "What you hear" is the monitor of the server's default sink, followed: when
// the default sink changes, or goes and another becomes the default, a new
// stream opens on the new one's monitor, as for a new choice.
//
// The device fails, once, when its stream fails or the chosen source leaves
// the server, whatever the server then does with the stream: it kills it,
// moves it, or leaves it unlinked. What the chosen source sent before is
// delivered first.
class PulseCaptureDevice : public CaptureDevice, private PulseSessionListener {
public:
    // Which part of the chosen source the device records: the source, of a
    // call its voice; or what you hear, as the other side of a call.
    enum class Part { Chosen, OtherSide };

    static constexpr std::chrono::milliseconds kDefaultBacklog{20000};
    static constexpr std::chrono::milliseconds kAnswerLimit{5000};
    static constexpr std::chrono::milliseconds kResetLimit{1000};
    // How long open() gives a session that is not connected yet, so that a
    // server that is not there is told at once; one that is still connecting
    // then is waited for within kAnswerLimit.
    static constexpr std::chrono::milliseconds kConnectWait{40};

    PulseCaptureDevice(PulseSession& session, Dispatcher& dispatcher,
                       std::chrono::milliseconds backlog = kDefaultBacklog, Part part = Part::Chosen);
    ~PulseCaptureDevice() override;
    PulseCaptureDevice(const PulseCaptureDevice&) = delete;
    PulseCaptureDevice& operator=(const PulseCaptureDevice&) = delete;

    bool open(const WaveFormat& format, CaptureListener& listener, std::string& error) override;
    void add_buffer(CaptureBuffer& buffer) override;
    void start() override;
    void reset() override;
    void close() override;
    std::optional<uint64_t> position_samples() const override;

    // Counts both data lost because the backlog was full and gaps the server
    // reported in the stream (those are filled with silence).
    uint64_t overruns() const override;
    uint64_t undelivered_bytes() const override;
    std::string close_failure() const override { return {}; }

private:
    // PulseSessionListener, on the GUI thread.
    void server_event(pa_subscription_event_type_t facility, pa_subscription_event_type_t type,
                      uint32_t index) override;
    void record_source_changed() override;
    void session_lost(const std::string& reason) override;
    void session_ready() override;
    void session_unavailable(const std::string& reason) override;
    void reconnect();
    void switch_stream();

    static void stream_state_changed(pa_stream* stream, void* device);
    static void stream_readable(pa_stream* stream, size_t readable, void* device);
    static void stream_moved(pa_stream* stream, void* device);
    static void source_described(pa_context* context, const pa_source_info* info, int eol, void* device);
    static void source_checked(pa_context* context, const pa_source_info* info, int eol, void* device);
    static void source_looked_up(pa_context* context, const pa_source_info* info, int eol, void* device);
    static void corked_for_reset(pa_stream* stream, int success, void* device);
    static void buffers_added(pa_mainloop_api* api, pa_defer_event* event, void* device);
    static void moved_back(pa_context* context, int success, void* device);
    static void default_monitor_read(pa_context* context, const pa_source_info* info, int eol, void* device);

    // Under the mainloop lock.
    PulseStreamPtr connect_stream(pa_context* context, const std::string& source, bool corked, int& error);
    void ask_for_stream(pa_context* context);
    void connect_wanted(pa_context* context, const std::string& source);
    void stream_ready(pa_stream* stream);
    void finish_reset();
    void fill_buffers();
    bool take_fragment();
    void keep(const uint8_t* data, size_t length);
    size_t copy_into_queue(const uint8_t* data, size_t length);
    void hand_back(CaptureBuffer& buffer);
    void hand_back_queued();
    void check_source();
    void fail(const std::string& reason);
    void fail_once_delivered(const std::string& reason);
    std::string wanted_source() const;
    // What this device records of the session's choice: a source's name,
    // kWhatYouHear, or empty for the server's default.
    std::string chosen_source() const;
    std::string chosen_description() const;
    bool following() const;
    // Finds the default sink's monitor; `then` runs under the lock once
    // default_monitor_ holds its name, empty when the server has no sink.
    void find_default_monitor(pa_context* context, std::function<void()> then);
    void follow_default();
    void fail_or_follow(const std::string& reason);
    std::string source_gone_text(const std::string& name) const;
    void take_nothing_after_unread();
    size_t unread_bytes() const;
    size_t planned_bytes() const;
    size_t unread_to_deliver() const;
    size_t held_bytes() const;
    void stop_capturing();
    void release_stream();

    PulseSession& session_;
    Dispatcher& dispatcher_;
    const std::chrono::milliseconds backlog_;
    const Part part_;
    PostedGuard<CaptureListener> listener_; // cleared when the device goes

    PulseSession::Listening listening_;
    bool open_ = false; // GUI thread: from open() until close()
    // Under the mainloop lock from here on. Null until the chosen source was
    // found on the server.
    PulseStreamPtr stream_;
    // Wakes the mainloop thread when buffers were queued, so that data it
    // held meanwhile moves into them without waiting for the next packet.
    PulseDeferEventPtr buffers_added_;
    pa_sample_spec spec_{};
    uint32_t frame_bytes_ = 4;
    CaptureBufferQueue queue_;
    std::vector<uint8_t> staging_; // what the last fragment had beyond the queued buffers
    size_t staging_read_ = 0;      // of staging_, bytes already delivered
    size_t unread_when_idle_ = 0;  // readable bytes last seen while no buffer was queued
    uint64_t bytes_delivered_ = 0;
    uint64_t overruns_ = 0;
    std::string source_name_;        // the source the stream was opened on
    std::string source_description_; // its description, for the user
    // How the unread data libpulse holds begins: runs of bytes to deliver
    // (from the chosen source) or to drop (from another one), in order, as
    // the stream's moves cut it. Past them the data is delivered, unless the
    // stream is away from the chosen source.
    struct Run {
        size_t bytes;
        bool keep;
    };
    std::deque<Run> plan_;
    bool away_ = false;
    // The stream moved and no data came since: a hole the server reports
    // now is the move itself, not lost sound.
    bool moving_ = false;
    bool running_ = false;  // started and not reset
    bool draining_ = false; // reset and not started again
    uint64_t undelivered_ = 0;
    // At the end of the reset: what the device held, and had delivered.
    uint64_t held_at_reset_ = 0;
    uint64_t delivered_at_reset_ = 0;
    // A failure that waits until the data from before the move is delivered.
    std::optional<std::string> pending_failure_;
    PulseOperationPtr source_lookup_;          // at open, for the chosen source
    PulseOperationPtr described_;              // the description of the source opened
    std::unique_ptr<PulseTimer> answer_limit_; // until the stream is ready
    PulseOperationPtr cork_;                   // of the reset
    std::unique_ptr<PulseTimer> reset_limit_;  // while the reset waits for it
    PulseOperationPtr source_check_;
    PulseOperationPtr move_back_;
    PulseOperationPtr default_lookup_;
    std::string default_monitor_; // following: the monitor last found default
    bool default_found_ = false;
    std::function<void()> found_default_;
    bool awaiting_session_ = false; // open() came while the session was connecting
    bool source_found_ = false;
    bool failed_ = false;
};

} // namespace ornavox
