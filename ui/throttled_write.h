#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <optional>

namespace ornavox {

// Passes values on at most once per interval while they keep coming, as a
// slider being dragged sends them; the last value always goes out. GUI thread.
class ThrottledWrite : public QObject {
public:
    ThrottledWrite(std::function<void(int)> write, std::chrono::milliseconds interval, QObject* parent);

    void set(int value);

private:
    void interval_over();

    std::function<void(int)> write_;
    QTimer timer_;
    std::optional<int> pending_;
};

} // namespace ornavox
