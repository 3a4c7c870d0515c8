#pragma once

#include <QObject>

#include <functional>

class QSocketNotifier;

namespace ornavox {

// The signals with which a session or a user ends a desktop program
// (SIGTERM at logout, SIGHUP, SIGINT) become one call on the GUI thread, so
// that the program ends as its quit button ends it: the recording finished,
// the settings written. One instance per process; the handlers are the
// defaults again once it goes.
class QtTermination : public QObject {
public:
    explicit QtTermination(std::function<void()> requested);
    ~QtTermination() override;
    QtTermination(const QtTermination&) = delete;
    QtTermination& operator=(const QtTermination&) = delete;

private:
    std::function<void()> requested_;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace ornavox
