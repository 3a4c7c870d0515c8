#pragma once

#include "platform/media_player.h"

#include <functional>
#include <string>

namespace ornavox {

// The window's target for the end-of-play notification. The window owns it
// from the second half of its start-up until its close stops the playback; a
// notification that comes later finds it gone and is not handled.
class TNotifyWnd : public PlayNotifyTarget {
public:
    using Proc = std::function<void(uint32_t code, const std::string& reason)>;
    explicit TNotifyWnd(Proc proc) : proc_(std::move(proc)) {}
    void play_notify(uint32_t code, const std::string& reason) override { proc_(code, reason); }

private:
    Proc proc_;
};

} // namespace ornavox
