#pragma once

#include "tests/support/environment_variable.h"

#include <optional>
#include <string>
#include <sys/types.h>

namespace ornavox::test {

// The configuration of a private session bus with no service folders, so that
// nothing is started on it that a test did not start itself. `listen` is a
// D-Bus address to listen on, such as "unix:path=/tmp/x/bus".
std::string session_bus_config(const std::string& listen);

// A private session bus (dbus-daemon) in a folder of its own, with
// DBUS_SESSION_BUS_ADDRESS pointing at it while the object lives, so that
// the process and every program it starts meet on it and on nothing of the
// user's. Throws std::runtime_error when it does not start.
class SessionBus {
public:
    SessionBus();
    ~SessionBus();
    SessionBus(const SessionBus&) = delete;
    SessionBus& operator=(const SessionBus&) = delete;

    const std::string& address() const { return address_; }

private:
    std::string folder_;
    std::string address_;
    pid_t pid_ = -1;
    std::optional<EnvironmentVariable> variable_;
};

} // namespace ornavox::test
