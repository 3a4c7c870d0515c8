#include "tests/support/pulse_server.h"

#include <pulse/context.h>
#include <pulse/mainloop.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace ornavox::test {

namespace {

std::string make_folder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "ornavox-pulse.XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a folder for the test sound server: "
                                 + std::string(std::strerror(errno)));
    return pattern;
}

struct MainloopDeleter {
    void operator()(pa_mainloop* mainloop) const { pa_mainloop_free(mainloop); }
};
struct ContextDeleter {
    void operator()(pa_context* context) const
    {
        pa_context_disconnect(context);
        pa_context_unref(context);
    }
};

// One connection attempt, on a private mainloop so that it needs no thread.
bool server_answers(const std::string& address)
{
    std::unique_ptr<pa_mainloop, MainloopDeleter> mainloop(pa_mainloop_new());
    std::unique_ptr<pa_context, ContextDeleter> context(
        pa_context_new(pa_mainloop_get_api(mainloop.get()), "ornavox-test-probe"));
    if (pa_context_connect(context.get(), address.c_str(), PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        return false;
    for (;;) {
        const pa_context_state_t state = pa_context_get_state(context.get());
        if (state == PA_CONTEXT_READY)
            return true;
        if (!PA_CONTEXT_IS_GOOD(state))
            return false;
        if (pa_mainloop_iterate(mainloop.get(), 1, nullptr) < 0)
            return false;
    }
}

std::string read_log(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The server's environment: everything it could write or look up lies in
// `folder`, and it sees no session bus.
std::vector<std::string> server_environment(const std::string& folder)
{
    const std::vector<std::pair<std::string, std::string>> own = {
        {"HOME", folder},
        {"XDG_RUNTIME_DIR", folder},
        {"XDG_CONFIG_HOME", folder + "/config"},
        {"XDG_STATE_HOME", folder + "/state"},
        {"PULSE_RUNTIME_PATH", folder + "/runtime"},
        {"PULSE_STATE_PATH", folder + "/state"},
    };
    std::vector<std::string> env;
    for (char** entry = environ; *entry; ++entry) {
        const std::string variable(*entry);
        const std::string name = variable.substr(0, variable.find('='));
        const bool replaced = std::any_of(own.begin(), own.end(), [&](const auto& item) { return item.first == name; });
        if (!replaced && name != "PULSE_SERVER" && name != "DBUS_SESSION_BUS_ADDRESS")
            env.push_back(variable);
    }
    for (const auto& [name, value] : own)
        env.push_back(name + "=" + value);
    return env;
}

} // namespace

PulseServerVariable::PulseServerVariable(const std::string& server)
{
    if (const char* value = std::getenv("PULSE_SERVER"))
        previous_ = value;
    setenv("PULSE_SERVER", server.c_str(), 1);
}

PulseServerVariable::~PulseServerVariable()
{
    if (previous_)
        setenv("PULSE_SERVER", previous_->c_str(), 1);
    else
        unsetenv("PULSE_SERVER");
}

PulseServer::PulseServer() : folder_(make_folder())
{
    const std::string socket = folder_ + "/native";
    address_ = "unix:" + socket;
    std::ofstream out(folder_ + "/server.pa");
    out << "load-module module-native-protocol-unix socket=" << socket
        << " auth-anonymous=1\n"
        // The stock null sink keeps about two seconds of latency.
        << "load-module module-null-sink sink_name=" << kNullSink << " norewinds=1\n"
        << "load-module module-sine-source source_name=" << kSineSource
        << " rate=44100 frequency=" << static_cast<int>(kSineFrequency) << "\n"
        << "set-default-sink " << kNullSink << "\n"
        << "set-default-source " << kSineSource << "\n";
    out.close();
    start();
    variable_.emplace(address_);
}

void PulseServer::start()
{
    const std::string script = folder_ + "/server.pa";
    const std::string log = folder_ + "/server.log";
    // -n: none of the system's default modules, only the script's.
    std::vector<std::string> args = {
        "pulseaudio",
        "-n",
        "-F",
        script,
        "--daemonize=no",
        "--system=no",
        "--exit-idle-time=-1",
        "--disallow-exit",
        "--use-pid-file=no",
        "--realtime=no",
        "--high-priority=no",
        "--log-target=stderr",
    };
    std::vector<std::string> env = server_environment(folder_);
    std::vector<char*> argv, envp;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    for (auto& variable : env)
        envp.push_back(variable.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    const int spawned = posix_spawnp(&pid_, "pulseaudio", &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        pid_ = -1;
        stop();
        throw std::runtime_error("cannot start pulseaudio: " + std::string(std::strerror(spawned)));
    }

    using namespace std::chrono_literals;
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (!server_answers(address_)) {
        int status = 0;
        const bool exited = waitpid(pid_, &status, WNOHANG) == pid_;
        if (exited)
            pid_ = -1;
        if (exited || std::chrono::steady_clock::now() > deadline) {
            const std::string text = read_log(log);
            stop();
            throw std::runtime_error(std::string("the test sound server ") + (exited ? "exited" : "did not answer")
                                     + ":\n" + text);
        }
        std::this_thread::sleep_for(20ms);
    }
}

void PulseServer::kill()
{
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

void PulseServer::restart()
{
    kill();
    start();
}

void PulseServer::freeze()
{
    ::kill(pid_, SIGSTOP);
}

void PulseServer::thaw()
{
    ::kill(pid_, SIGCONT);
}

std::string PulseServer::pactl(const std::string& arguments) const
{
    const std::string command = "PULSE_SERVER='" + address_ + "' pactl " + arguments + " 2>&1";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    if (!pipe)
        throw std::runtime_error("cannot run pactl");
    std::string output;
    char chunk[512];
    while (size_t n = fread(chunk, 1, sizeof chunk, pipe.get()))
        output.append(chunk, n);
    const int status = pclose(pipe.release());
    if (status != 0)
        throw std::runtime_error("pactl " + arguments + " failed: " + output);
    return output;
}

PulseServer::~PulseServer()
{
    stop();
}

void PulseServer::stop()
{
    variable_.reset();
    if (pid_ > 0) {
        thaw();
        ::kill(pid_, SIGTERM);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (waitpid(pid_, nullptr, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ::kill(pid_, SIGKILL);
                waitpid(pid_, nullptr, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        pid_ = -1;
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

PlaybackStream::PlaybackStream(const PulseServer& server, const std::string& client, const std::string& stream)
{
    const std::string before = server.pactl("list short sink-inputs");
    std::vector<std::string> args = {
        "pacat", "--playback", "--raw", "--client-name=" + client, "--stream-name=" + stream, "/dev/zero"};
    std::vector<char*> argv;
    for (auto& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<std::string> env = {"PULSE_SERVER=" + server.address(), "HOME=/tmp"};
    std::vector<char*> envp;
    for (auto& variable : env)
        envp.push_back(variable.data());
    envp.push_back(nullptr);
    if (posix_spawnp(&pid_, "pacat", nullptr, nullptr, argv.data(), envp.data()) != 0)
        throw std::runtime_error("cannot start pacat");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;) {
        std::istringstream lines(server.pactl("list short sink-inputs"));
        std::string line;
        while (std::getline(lines, line))
            if (before.find(line.substr(0, line.find('\t')) + "\t") == std::string::npos) {
                index_ = static_cast<uint32_t>(std::stoul(line));
                return;
            }
        if (std::chrono::steady_clock::now() > deadline)
            throw std::runtime_error("pacat's stream did not appear");
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

PlaybackStream::~PlaybackStream()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

std::vector<uint32_t> channel_volumes(const std::string& pactl_text)
{
    std::vector<uint32_t> volumes;
    const size_t start = pactl_text.find("Volume:");
    if (start == std::string::npos)
        return volumes;
    std::istringstream line(pactl_text.substr(start, pactl_text.find('\n', start) - start));
    std::string word, previous;
    while (line >> word) {
        const bool number = !previous.empty() && std::all_of(previous.begin(), previous.end(), [](char c) {
            return std::isdigit(static_cast<unsigned char>(c));
        });
        if (word == "/" && number)
            volumes.push_back(static_cast<uint32_t>(std::stoul(previous)));
        previous = word;
    }
    return volumes;
}

NoPulseServer::NoPulseServer() : folder_(make_folder())
{
    variable_.emplace("unix:" + folder_ + "/native");
}

NoPulseServer::~NoPulseServer()
{
    variable_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

} // namespace ornavox::test
