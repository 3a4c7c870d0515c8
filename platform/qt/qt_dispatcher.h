#pragma once

#include "platform/dispatcher.h"

#include <memory>

class QObject;

namespace ornavox {

// Runs posted calls on the thread of a context object that lives on the GUI
// thread, through that thread's event queue, so they also run while a modal
// box spins its own loop. The order of post() calls, across all threads, is
// the order the calls run in. Once the context object is destroyed, calls
// already queued and calls posted later are dropped.
class QtDispatcher : public Dispatcher {
public:
    // Without a context the dispatcher makes its own on the calling thread,
    // which must then be the GUI thread.
    explicit QtDispatcher(QObject* context = nullptr);
    ~QtDispatcher() override;

    QtDispatcher(const QtDispatcher&) = delete;
    QtDispatcher& operator=(const QtDispatcher&) = delete;

    void post(std::function<void()> call) override;
    bool run_until(const std::function<bool()>& done, std::chrono::milliseconds timeout) override;

private:
    struct Target;
    std::unique_ptr<QObject> own_context_;
    std::shared_ptr<Target> target_;
};

} // namespace ornavox
