#pragma once

#include "platform/dispatcher.h"
#include "platform/level_monitor.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace ornavox {

// A level stream that sends the peaks the test gives it, through the
// dispatcher, to the source watched when they were sent.
class FakeLevelMonitor final : public LevelMonitor {
public:
    explicit FakeLevelMonitor(Dispatcher& dispatcher) : dispatcher_(dispatcher) {}

    void watch(const std::string& source_id, std::function<void(float)> heard) override
    {
        watched_.push_back(source_id);
        heard_ = std::make_shared<std::function<void(float)>>(std::move(heard));
    }
    void stop() override
    {
        watched_.push_back("");
        heard_.reset();
    }

    // The source watched now; empty while none is.
    std::string source() const { return watched_.empty() ? std::string() : watched_.back(); }
    // Every watch, with an empty entry for each stop.
    const std::vector<std::string>& watched() const { return watched_; }

    void send(float peak)
    {
        if (!heard_)
            return;
        dispatcher_.post([weak = std::weak_ptr(heard_), peak] {
            if (const auto heard = weak.lock())
                (*heard)(peak);
        });
    }

private:
    Dispatcher& dispatcher_;
    std::vector<std::string> watched_;
    std::shared_ptr<std::function<void(float)>> heard_;
};

} // namespace ornavox
