#pragma once

#include <string>
#include <sys/types.h>

namespace ornavox::test {

// A private X server (Xvfb) on a free display number, with DISPLAY pointing
// at it while the object lives. Throws std::runtime_error when it does not
// start.
class VirtualDisplay {
public:
    VirtualDisplay();
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;

    const std::string& name() const { return name_; }

private:
    pid_t pid_ = -1;
    std::string name_;
};

// Runs a command with this process's environment (DISPLAY included) and
// returns its exit status.
int run_command(const std::string& command);

} // namespace ornavox::test
