#include "tests/support/session_bus.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>

namespace ornavox::test {

std::string session_bus_config(const std::string& listen)
{
    return "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig><type>session</type><listen>"
        + listen
        + "</listen><policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
          "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n";
}

// The daemon forks once it listens, and prints its address and process id:
// when popen's reading ends, the bus answers.
SessionBus::SessionBus()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "ornavox_bus.XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a folder for the session bus");
    folder_ = pattern;
    const std::string config = folder_ + "/bus.conf";
    std::ofstream(config) << session_bus_config("unix:path=" + folder_ + "/bus");
    const std::string command = "dbus-daemon --fork --print-address=1 --print-pid=1 --config-file=" + config;
    const std::unique_ptr<FILE, int (*)(FILE*)> daemon(popen(command.c_str(), "r"), &pclose);
    char address[512] = {}, pid[32] = {};
    if (!daemon || !fgets(address, sizeof address, daemon.get()) || !fgets(pid, sizeof pid, daemon.get())) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
        throw std::runtime_error("cannot start dbus-daemon");
    }
    address_ = address;
    address_.erase(address_.find_last_not_of('\n') + 1);
    pid_ = std::atoi(pid);
    variable_.emplace("DBUS_SESSION_BUS_ADDRESS", address_);
}

SessionBus::~SessionBus()
{
    variable_.reset();
    if (pid_ > 0)
        ::kill(pid_, SIGTERM);
    // The daemon removes its socket as it ends, perhaps while this runs, and
    // a removal that finds a file gone stops there.
    std::error_code ignored;
    for (int attempt = 0; attempt < 10 && std::filesystem::exists(folder_, ignored); ++attempt)
        std::filesystem::remove_all(folder_, ignored);
}

} // namespace ornavox::test
