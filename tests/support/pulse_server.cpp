#include "tests/support/pulse_server.h"

#include "tests/support/session_bus.h"

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

// The null-terminated array of pointers that exec takes; `strings` must
// outlive it.
std::vector<char*> c_strings(std::vector<std::string>& strings)
{
    std::vector<char*> pointers;
    for (auto& text : strings)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Runs a shell command in `env` and returns its exit status, with what it
// printed in `output`. The status comes back through the pipe, not from
// waitpid: a test program's toolkit may reap children before we can.
int run_shell(const std::vector<std::string>& env, const std::string& command, std::string& output)
{
    int pipe_ends[2];
    if (pipe(pipe_ends) != 0) {
        output = std::string("cannot make a pipe: ") + std::strerror(errno);
        return -1;
    }
    std::vector<std::string> arguments = {"sh", "-c", "{ " + command + "\n} 2>&1; echo \"#status=$?\""};
    std::vector<std::string> variables = env;
    std::vector<char*> argv = c_strings(arguments), envp = c_strings(variables);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipe_ends[0]);
    posix_spawn_file_actions_addclose(&actions, pipe_ends[1]);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, "sh", &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipe_ends[1]);
    output.clear();
    char chunk[512];
    for (ssize_t n; spawned == 0 && (n = read(pipe_ends[0], chunk, sizeof chunk)) != 0;)
        if (n > 0)
            output.append(chunk, static_cast<size_t>(n));
        else if (errno != EINTR)
            break;
    close(pipe_ends[0]);
    if (spawned != 0) {
        output = std::string("cannot start sh: ") + std::strerror(spawned);
        return -1;
    }
    waitpid(pid, nullptr, 0);
    const size_t mark = output.rfind("#status=");
    if (mark == std::string::npos)
        return -1;
    const int status = std::atoi(output.c_str() + mark + 8);
    output.erase(mark);
    return status;
}

int run_with(const std::vector<std::string>& env, const std::string& command)
{
    std::string ignored;
    return run_shell(env, command, ignored);
}

} // namespace

ServerKind server_under_test()
{
    const char* chosen = std::getenv("ORNAVOX_TEST_SERVER");
    return chosen && std::string(chosen) == "pipewire" ? ServerKind::PipeWire : ServerKind::PulseAudio;
}

PulseServer::PulseServer(ServerKind kind) : kind_(kind), folder_(make_folder())
{
    std::filesystem::create_directories(folder_ + "/run");
    std::filesystem::permissions(folder_ + "/run", std::filesystem::perms::owner_all);
    // pipewire-pulse makes its socket in PULSE_RUNTIME_PATH.
    address_ = "unix:" + folder_ + (kind_ == ServerKind::PipeWire ? "/runtime/native" : "/native");
    start();
    variable_.emplace(address_);
}

// The servers' environment: everything they could write or look up lies in
// the test's folder, and they see no session bus but their own.
std::vector<std::string> PulseServer::environment() const
{
    const std::vector<std::pair<std::string, std::string>> own = {
        {"HOME", folder_},
        {"XDG_RUNTIME_DIR", folder_ + "/run"},
        {"XDG_CONFIG_HOME", folder_ + "/config"},
        {"XDG_STATE_HOME", folder_ + "/state"},
        {"XDG_DATA_HOME", folder_ + "/data"},
        {"PULSE_RUNTIME_PATH", folder_ + "/runtime"},
        {"PULSE_STATE_PATH", folder_ + "/state"},
        {"PULSE_SERVER", address_},
        {"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + folder_ + "/bus"},
    };
    std::vector<std::string> env;
    for (char** entry = environ; *entry; ++entry) {
        const std::string variable(*entry);
        const std::string name = variable.substr(0, variable.find('='));
        const bool replaced = std::any_of(own.begin(), own.end(), [&](const auto& item) { return item.first == name; });
        if (!replaced && name != "PIPEWIRE_REMOTE" && name != "PIPEWIRE_RUNTIME_DIR")
            env.push_back(variable);
    }
    for (const auto& [name, value] : own)
        env.push_back(name + "=" + value);
    return env;
}

pid_t PulseServer::spawn(const std::vector<std::string>& args, const std::string& log, bool own_group) const
{
    std::vector<std::string> arguments = args;
    std::vector<std::string> env = environment();
    std::vector<char*> argv = c_strings(arguments), envp = c_strings(env);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    if (own_group) {
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
        posix_spawnattr_setpgroup(&attributes, 0);
    }
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        throw std::runtime_error("cannot start " + args[0] + ": " + std::strerror(spawned));
    return pid;
}

void PulseServer::start()
{
    try {
        if (kind_ == ServerKind::PipeWire)
            start_pipewire();
        else
            start_pulseaudio();
    } catch (...) {
        stop();
        throw;
    }
}

void PulseServer::start_pulseaudio()
{
    const std::string script = folder_ + "/server.pa";
    std::ofstream out(script);
    out << "load-module module-native-protocol-unix socket=" << address_.substr(5)
        << " auth-anonymous=1\n"
        // The stock null sink keeps about two seconds of latency.
        << "load-module module-null-sink sink_name=" << kNullSink << " norewinds=1\n"
        << "load-module module-sine-source source_name=" << kSineSource
        << " rate=44100 frequency=" << static_cast<int>(kSineFrequency) << "\n"
        << "set-default-sink " << kNullSink << "\n"
        << "set-default-source " << kSineSource << "\n";
    out.close();
    const std::string log = folder_ + "/server.log";
    std::filesystem::remove(log);
    // -n: none of the system's default modules, only the script's.
    pid_ = spawn({"pulseaudio", "-n", "-F", script, "--daemonize=no", "--system=no", "--exit-idle-time=-1",
                  "--disallow-exit", "--use-pid-file=no", "--realtime=no", "--high-priority=no", "--log-target=stderr"},
                 log);
    stack_ = {pid_};
    wait_until_answering(pid_, log);
}

// pipewire, its session manager and its PulseAudio server, on a session bus
// with no service folders, so that nothing else is started on it.
void PulseServer::start_pipewire()
{
    const std::string log = folder_ + "/server.log";
    std::filesystem::remove(log);
    const std::string bus = folder_ + "/bus";
    // A killed bus leaves its socket behind, where a new one could not listen.
    std::filesystem::remove(bus);
    std::ofstream(folder_ + "/bus.conf") << session_bus_config("unix:path=" + bus);
    stack_.clear();
    stack_.push_back(spawn({"dbus-daemon", "--nofork", "--config-file=" + folder_ + "/bus.conf"}, log));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!std::filesystem::exists(bus)) {
        if (std::chrono::steady_clock::now() > deadline)
            throw std::runtime_error("the test session bus did not start:\n" + read_log(log));
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // The graph runs at the tests' rate, so that a tone reaches them without
    // being resampled twice, and at one quantum: a tone player linked by hand
    // into a virtual source fell silent for good, under load, when a new
    // stream changed the quantum of the graph.
    std::filesystem::create_directories(folder_ + "/config/pipewire/pipewire.conf.d");
    std::ofstream(folder_ + "/config/pipewire/pipewire.conf.d/rate.conf")
        << "context.properties = { default.clock.rate = 44100 default.clock.quantum = 1024\n"
           "    default.clock.min-quantum = 1024 default.clock.max-quantum = 1024 }\n";
    // Its clients come once the daemon listens: a session manager that finds
    // no daemon gives up, and without it no node gets its ports.
    stack_.insert(stack_.begin(), spawn({"pipewire"}, log));
    const auto listening = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (run_with(environment(), "pw-cli info 0") != 0) {
        if (std::chrono::steady_clock::now() > listening)
            throw std::runtime_error("pipewire did not start:\n" + read_log(log));
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    for (const char* program : {"wireplumber", "pipewire-pulse"})
        stack_.insert(stack_.begin(), spawn({program}, log));
    pid_ = stack_.front();
    wait_until_answering(pid_, log);

    pactl(std::string("load-module module-null-sink sink_name=") + kNullSink
          + " norewinds=1 \"sink_properties='device.description=\\\"Null Output\\\"'\"");
    add_tone_source(kSineSource, static_cast<int>(kSineFrequency));
    // The session manager makes them the defaults a moment later, and may
    // pass over a wish that came before it knew the sink or source: asked
    // again until it holds.
    const auto settled = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (;;) {
        pactl(std::string("set-default-sink ") + kNullSink);
        pactl(std::string("set-default-source ") + kSineSource);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (pactl("get-default-sink").find(kNullSink) != std::string::npos
            && pactl("get-default-source").find(kSineSource) != std::string::npos)
            break;
        if (std::chrono::steady_clock::now() > settled)
            throw std::runtime_error("the test sound server did not take its defaults:\n" + read_log(log));
    }
}

void PulseServer::wait_until_answering(pid_t watched, const std::string& log)
{
    using namespace std::chrono_literals;
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (!server_answers(address_)) {
        int status = 0;
        const bool exited = waitpid(watched, &status, WNOHANG) == watched;
        if (exited)
            std::replace(stack_.begin(), stack_.end(), watched, -1);
        if (exited || std::chrono::steady_clock::now() > deadline)
            throw std::runtime_error(std::string("the test sound server ") + (exited ? "exited" : "did not answer")
                                     + ":\n" + read_log(log));
        std::this_thread::sleep_for(20ms);
    }
}

void PulseServer::add_tone_source(const std::string& name, int frequency, const std::string& description,
                                  bool microphone, double amplitude)
{
    std::string properties = "device.description=\\\""
        + (description.empty() ? "Sine tone at " + std::to_string(frequency) + " Hz" : description) + "\\\"";
    if (microphone)
        properties += " device.form_factor=microphone";
    Tone source;
    if (kind_ == ServerKind::PipeWire) {
        // Never paused or suspended between two streams that record it: the
        // player linked to it by hand would not be taken up again.
        properties += " node.pause-on-idle=false session.suspend-timeout-seconds=0";
        source.modules.push_back(pactl("load-module module-null-sink media.class=Audio/Source/Virtual sink_name=" + name
                                       + " \"sink_properties='" + properties + "'\""));
        source.player = start_tone(name, name, "input_", frequency, amplitude);
    } else {
        // A null sink that the tone plays into, and a source made of its
        // monitor.
        source.modules.push_back(pactl("load-module module-null-sink norewinds=1 sink_name=" + name + "_feed"));
        source.modules.push_back(pactl("load-module module-remap-source source_name=" + name + " master=" + name
                                       + "_feed.monitor \"source_properties='" + properties + "'\""));
        source.player = start_tone(name, name + "_feed", "", frequency, amplitude);
    }
    tones_[name] = source;
}

void PulseServer::play_tone_into(const std::string& sink, int frequency)
{
    tones_[sink + "_player"].player = start_tone(sink + "_player", sink, "playback_", frequency);
}

// A player of two minutes of the tone from a file (a pipe could run dry under
// load and put gaps into it) into `target`. On PipeWire its ports are linked
// by hand to the target's input ports (`ports` followed by the channel): the
// session manager would send it to the default sink, and move it with the
// default.
pid_t PulseServer::start_tone(const std::string& name, const std::string& target, const std::string& ports,
                              int frequency, double amplitude)
{
    const std::string file = folder_ + "/" + name + ".wav";
    const std::string synth = "sox -q -n -r 44100 -c 1 -e signed -b 16 " + file + " synth 120 sine ";
    if (run_with(environment(), synth + std::to_string(frequency) + " vol " + std::to_string(amplitude)) != 0)
        throw std::runtime_error("cannot make the tone of " + name);
    const std::string log = folder_ + "/tones.log";
    if (kind_ == ServerKind::PulseAudio)
        return spawn({"paplay", "--device=" + target, "--client-name=ornavox-tone", file}, log, true);
    // A player whose ports do not come up to be linked is started again.
    std::string graph;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const pid_t player =
            spawn({"pw-cat", "--playback", "--target=0", "-P", "node.name=" + name + "_tone", file}, log, true);
        std::string refusal;
        if (link_tone(name + "_tone:output_MONO", target + ":" + ports, refusal))
            return player;
        graph = refusal + "\n";
        run_with(environment(), "(pw-link -o; pw-link -i; pw-link -l; pw-cli ls Port) >" + folder_ + "/graph.txt 2>&1");
        graph += read_log(folder_ + "/graph.txt");
        ::kill(-player, SIGKILL);
        waitpid(player, nullptr, 0);
    }
    throw std::runtime_error("cannot link the tone of " + name + " to " + target + ":\n" + read_log(log) + graph);
}

// Links an output port to the left and right input ports that begin with
// `inputs`, waiting up to 10 s for the ports to come up. A link that exists
// already counts as made.
bool PulseServer::link_tone(const std::string& output, const std::string& inputs, std::string& refusal) const
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (const char* channel : {"FL", "FR"}) {
        const std::string link = "out=$(pw-link " + output + " " + inputs + channel
            + " 2>&1) || { echo \"$out\"; echo \"$out\" | grep -q 'File exists'; }";
        while (run_shell(environment(), link, refusal) != 0) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    return true;
}

void PulseServer::remove_source(const std::string& name)
{
    const auto found = tones_.find(name);
    if (found == tones_.end())
        throw std::runtime_error("no tone source " + name);
    for (auto module = found->second.modules.rbegin(); module != found->second.modules.rend(); ++module)
        pactl("unload-module " + *module);
    ::kill(-found->second.player, SIGKILL);
    waitpid(found->second.player, nullptr, 0);
    tones_.erase(found);
}

void PulseServer::stop_tones()
{
    for (auto& [name, tone] : tones_) {
        ::kill(-tone.player, SIGKILL);
        waitpid(tone.player, nullptr, 0);
    }
    tones_.clear();
}

void PulseServer::kill()
{
    stop_tones();
    for (pid_t& pid : stack_) {
        if (pid <= 0)
            continue;
        ::kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        pid = -1;
    }
    stack_.clear();
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
    std::vector<std::string> env;
    for (char** entry = environ; *entry; ++entry)
        if (std::string(*entry).rfind("PULSE_SERVER=", 0) != 0)
            env.emplace_back(*entry);
    env.push_back("PULSE_SERVER=" + address_);
    std::string output;
    if (run_shell(env, "pactl " + arguments, output) != 0)
        throw std::runtime_error("pactl " + arguments + " failed: " + output);
    while (!output.empty() && std::isspace(static_cast<unsigned char>(output.back())))
        output.pop_back();
    return output;
}

PulseServer::~PulseServer()
{
    stop();
}

// Each process is asked to end, the one serving the socket first.
void PulseServer::stop()
{
    variable_.reset();
    stop_tones();
    if (pid_ > 0)
        thaw();
    for (pid_t& pid : stack_) {
        if (pid <= 0)
            continue;
        ::kill(pid, SIGTERM);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (waitpid(pid, nullptr, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                ::kill(pid, SIGKILL);
                waitpid(pid, nullptr, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        pid = -1;
    }
    stack_.clear();
    pid_ = -1;
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

PlaybackStream::PlaybackStream(const PulseServer& server, const std::string& client, const std::string& stream,
                               int frequency, const std::string& sink)
{
    std::vector<std::string> env = {"PULSE_SERVER=" + server.address(), "HOME=/tmp"};
    std::string played = "/dev/zero";
    if (frequency > 0) {
        char name[] = "/tmp/ornavox-tone-XXXXXX";
        const int fd = mkstemp(name);
        if (fd < 0)
            throw std::runtime_error("cannot make a tone file");
        close(fd);
        tone_file_ = played = name;
        if (run_with(env,
                     "sox -q -n -r 44100 -c 2 -e signed -b 16 -t raw " + tone_file_ + " synth 120 sine "
                         + std::to_string(frequency) + " vol 0.5")
            != 0)
            throw std::runtime_error("cannot make the tone of " + client);
    }
    std::vector<std::string> args = {"pacat", "--playback", "--raw", "--client-name=" + client,
                                     "--stream-name=" + stream};
    if (!sink.empty())
        args.push_back("--device=" + sink);
    args.push_back(played);
    std::vector<char*> argv = c_strings(args), envp = c_strings(env);
    if (posix_spawnp(&pid_, "pacat", nullptr, nullptr, argv.data(), envp.data()) != 0)
        throw std::runtime_error("cannot start pacat");
    // Found by its client's name: tone players are sink inputs too.
    const std::string named = "application.name = \"" + client + "\"";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (;;) {
        const std::string all = server.pactl("list sink-inputs");
        const size_t name = all.find(named);
        const size_t block = name == std::string::npos ? name : all.rfind("Sink Input #", name);
        if (block != std::string::npos) {
            index_ = static_cast<uint32_t>(std::stoul(all.substr(block + 12)));
            return;
        }
        if (std::chrono::steady_clock::now() > deadline)
            throw std::runtime_error("pacat's stream did not appear");
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

PlaybackStream::~PlaybackStream()
{
    if (!tone_file_.empty())
        unlink(tone_file_.c_str());
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
