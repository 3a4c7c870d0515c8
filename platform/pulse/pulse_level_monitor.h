#pragma once

#include "platform/dispatcher.h"
#include "platform/level_monitor.h"
#include "platform/posted_guard.h"
#include "platform/pulse/pulse_session.h"

#include <cstdint>
#include <functional>
#include <string>

namespace ornavox {

// A source's level from a peak-detect record stream: the server sends about
// 25 peaks a second of one channel, as desktop mixers watch their sources.
// The stream stays on its source (a move would measure another one), and a
// lost server's stream is made again once the session is back.
//
// Thread contract: watch(), stop() and the destructor on the GUI thread; the
// stream is used under the session's lock, and its peaks are posted through
// the dispatcher.
class PulseLevelMonitor final : public LevelMonitor, private PulseSessionListener {
public:
    PulseLevelMonitor(PulseSession& session, Dispatcher& dispatcher);
    ~PulseLevelMonitor() override;
    PulseLevelMonitor(const PulseLevelMonitor&) = delete;
    PulseLevelMonitor& operator=(const PulseLevelMonitor&) = delete;

    void watch(const std::string& source_id, std::function<void(float)> heard) override;
    void stop() override;

private:
    void session_ready() override;
    void open_stream();
    void close_stream();
    static void stream_readable(pa_stream* stream, size_t bytes, void* monitor);

    PulseSession& session_;
    Dispatcher& dispatcher_;
    PostedGuard<PulseLevelMonitor> guard_;
    PulseSession::Listening listening_;
    std::string source_;
    std::function<void(float)> heard_;
    // Each stream's peaks carry its number; a peak of an earlier one is
    // dropped. Written on the GUI thread under the lock.
    uint64_t generation_ = 0;
    PulseStreamPtr stream_; // under the lock
};

} // namespace ornavox
