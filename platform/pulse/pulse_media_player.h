#pragma once

#include "platform/dispatcher.h"
#include "platform/media_player.h"
#include "platform/pulse/pulse_session.h"

#include <mpg123.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

namespace ornavox {

struct Mpg123Deleter {
    void operator()(mpg123_handle* decoder) const;
};
using Mpg123Ptr = std::unique_ptr<mpg123_handle, Mpg123Deleter>;

// Plays MP3 files on the server's default sink: libmpg123 decodes, a
// playback stream on the session plays in the file's own rate and channels.
// The length comes from a full scan of the file on a thread of its own, since
// a long file takes seconds to read; it is known once the scan is done. The
// position is what has been heard, from the stream's timing, and never runs
// backwards. A play ends successfully only once the stream has drained, and
// fails when the server has not made the stream ready within kAnswerLimit.
//
// Thread contract: every public call on the GUI thread. After play() the
// decoder is used by the mainloop thread, in the stream's write callback,
// under the session's lock; the GUI thread touches it only under that lock.
// The scan thread has a decoder of its own and posts the length through the
// dispatcher. The end notification is posted through the dispatcher, once
// per play.
class PulseMediaPlayer : public MediaPlayer, private PulseSessionListener {
public:
    static constexpr std::chrono::milliseconds kAnswerLimit{5000};
    // How long play() gives a session that is not connected yet; one still
    // connecting then is waited for within kAnswerLimit.
    static constexpr std::chrono::milliseconds kConnectWait{40};

    PulseMediaPlayer(PulseSession& session, Dispatcher& dispatcher);
    ~PulseMediaPlayer() override;
    PulseMediaPlayer(const PulseMediaPlayer&) = delete;
    PulseMediaPlayer& operator=(const PulseMediaPlayer&) = delete;

    bool open(const std::string& path, std::string& error) override;
    bool play(std::weak_ptr<PlayNotifyTarget> notify) override;
    std::optional<uint64_t> length_ms() const override;
    std::optional<uint64_t> position_ms() const override;
    void stop() override;
    void close() override;

private:
    // PulseSessionListener, on the GUI thread.
    void session_ready() override;
    bool start_stream(pa_context* context);

    static void stream_state_changed(pa_stream* stream, void* player);
    static void stream_writable(pa_stream* stream, size_t bytes, void* player);
    static void stream_drained(pa_stream* stream, int success, void* player);

    // Under the session's lock.
    void end(uint32_t code, const std::string& reason);
    void release_stream();

    struct Scan {
        std::atomic<bool> cancelled{false};
    };
    void scan_length(const std::string& path);
    void stop_scan();

    PulseSession& session_;
    Dispatcher& dispatcher_;
    Mpg123Ptr decoder_;
    long rate_ = 0;
    int channels_ = 0;
    std::optional<uint64_t> length_ms_; // once the scan is done
    // The scan of the open file; a result posted for another is dropped.
    std::shared_ptr<Scan> scan_;
    std::thread scanner_;
    PulseSession::Listening listening_;
    // Set and cleared by the GUI thread under the lock.
    PulseStreamPtr stream_;
    bool awaiting_session_ = false; // play() came while the session was connecting
    // Under the lock from here on.
    std::weak_ptr<PlayNotifyTarget> notify_;
    PulseOperationPtr drain_;
    std::unique_ptr<PulseTimer> answer_limit_; // until the stream is ready
    bool decoded_all_ = false;
    bool ended_ = true;
    mutable uint64_t heard_ms_ = 0;
};

} // namespace ornavox
