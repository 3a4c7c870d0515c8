#pragma once

#include "platform/dispatcher.h"
#include "platform/media_player.h"

#include <set>
#include <string>
#include <vector>

namespace ornavox {

// A player that plays nothing: the test scripts which files open, their
// lengths and positions, and how a play ends. Notifications go through the
// dispatcher like a real player's.
//
// Thread contract: every call on one thread.
class FakeMediaPlayer : public MediaPlayer {
public:
    explicit FakeMediaPlayer(Dispatcher& dispatcher) : dispatcher_(dispatcher) {}

    // Files that open() refuses.
    std::set<std::string> unplayable;
    uint64_t length = 0;
    uint64_t position = 0;

    // Ends the running play with `code`, as the real player would.
    void end(uint32_t code, const std::string& reason = "");

    // Every call, in order: "open <path>", "play", "length", "position",
    // "stop", "close".
    const std::vector<std::string>& calls() const { return calls_; }
    void forget_calls() { calls_.clear(); }
    bool is_open() const { return open_; }

    bool open(const std::string& path, std::string& error) override;
    bool play(std::weak_ptr<PlayNotifyTarget> notify) override;
    std::optional<uint64_t> length_ms() const override;
    std::optional<uint64_t> position_ms() const override;
    void stop() override;
    void close() override;

private:
    Dispatcher& dispatcher_;
    bool open_ = false;
    std::weak_ptr<PlayNotifyTarget> notify_;
    mutable std::vector<std::string> calls_;
};

} // namespace ornavox
