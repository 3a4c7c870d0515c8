#include "platform/qt/qt_dispatcher.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <mutex>

namespace ornavox {

// The object the calls are queued on, shared with the connection that forgets
// it when it is destroyed. post() queues under the mutex, so a call is either
// queued before the object's destructor drops the object's pending events, or
// sees the object gone and is dropped.
struct QtDispatcher::Target {
    std::mutex mutex;
    QObject* object = nullptr;
};

QtDispatcher::QtDispatcher(QObject* context) : target_(std::make_shared<Target>())
{
    if (!context) {
        own_context_ = std::make_unique<QObject>();
        context = own_context_.get();
    }
    target_->object = context;
    // destroyed() is emitted inside the context's destructor, on its own
    // thread, before its queued calls are removed.
    QObject::connect(context, &QObject::destroyed, [target = target_] {
        std::lock_guard lock(target->mutex);
        target->object = nullptr;
    });
}

QtDispatcher::~QtDispatcher()
{
    std::lock_guard lock(target_->mutex);
    target_->object = nullptr;
}

void QtDispatcher::post(std::function<void()> call)
{
    std::lock_guard lock(target_->mutex);
    if (!target_->object)
        return;
    QMetaObject::invokeMethod(target_->object, std::move(call), Qt::QueuedConnection);
}

bool QtDispatcher::run_until(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    using Clock = std::chrono::steady_clock;
    // Each wait is cut short so that a done() made true by another thread
    // without posting anything is still seen soon.
    constexpr std::chrono::milliseconds kLongestWait{10};
    const Clock::time_point deadline = Clock::now() + timeout;
    QEventLoop loop;
    QTimer wake;
    wake.setSingleShot(true);
    while (!done()) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        if (left <= std::chrono::milliseconds::zero())
            return false;
        wake.start(std::min(left, kLongestWait));
        loop.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

} // namespace ornavox
