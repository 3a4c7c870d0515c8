#pragma once

#include <functional>
#include <string>

namespace ornavox {

// A light stream that tells how loud a source is, for a meter while nothing
// records it: about 25 peaks a second, each linear 0 to 1, posted through
// the dispatcher to the GUI thread in order. A source the sound system
// cannot measure sends nothing, rather than a wrong level.
//
// GUI thread; nothing waits on the sound system.
class LevelMonitor {
public:
    virtual ~LevelMonitor() = default;
    // Watches the source with this id (a MuxItem's), instead of any before;
    // peaks of an earlier source no longer arrive.
    virtual void watch(const std::string& source_id, std::function<void(float peak)> heard) = 0;
    virtual void stop() = 0;
};

} // namespace ornavox
