#pragma once

#include "tests/support/environment_variable.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace ornavox::test {

// Points PULSE_SERVER of this process at `server` and restores the previous
// value when it goes. Clients made while it lives connect there and nowhere
// else.
class PulseServerVariable : public EnvironmentVariable {
public:
    explicit PulseServerVariable(const std::string& server) : EnvironmentVariable("PULSE_SERVER", server) {}
};

// The sound servers the integration tests run on. ORNAVOX_TEST_SERVER=pipewire
// picks a private PipeWire stack (pipewire, wireplumber and pipewire-pulse on
// a session bus of their own); anything else the PulseAudio daemon.
enum class ServerKind { PulseAudio, PipeWire };
ServerKind server_under_test();

// A private sound server for one test: its own temporary folder, socket and
// state (so no stream-restore database from another test), a null sink and a
// 440 Hz tone as the default source. The user's own server is never touched.
// The constructor returns once the server answers and throws
// std::runtime_error (with the server's log) when it does not; the destructor
// stops it and removes the folder. The server can be killed and started again
// on the same socket, with nothing kept.
class PulseServer {
public:
    static constexpr const char* kSineSource = "ornavox_sine";
    static constexpr const char* kNullSink = "ornavox_null";
    static constexpr double kSineFrequency = 440.0;

    explicit PulseServer(ServerKind kind = server_under_test());
    ~PulseServer();
    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

    const std::string& address() const { return address_; }

    // SIGKILL, and waits until the process is gone.
    void kill();
    // Starts the server again on the same socket, from the same script.
    void restart();
    // SIGSTOP and SIGCONT: a server that stops answering without going away.
    void freeze();
    void thaw();

    ServerKind kind() const { return kind_; }

    // Runs pactl against this server and returns what it printed; throws
    // std::runtime_error when it fails.
    std::string pactl(const std::string& arguments) const;

    // A source that streams a steady sine tone of `frequency` as the server
    // asks for it, named `name`, with a description ("Sine tone at <f> Hz"
    // unless given) and, for a microphone, its form factor. A virtual source
    // fed by a player of the tone on either server. `amplitude` is the tone's
    // peak, linear: 0.5 is -6 dB of full scale, 0 silence.
    void add_tone_source(const std::string& name, int frequency, const std::string& description = {},
                         bool microphone = false, double amplitude = 0.5);
    // The sources a tone source adds: on PulseAudio also the monitor of the
    // sink that feeds it.
    int sources_per_tone() const { return kind_ == ServerKind::PulseAudio ? 2 : 1; }
    // Plays a steady tone into a sink until the server stops; the sink's
    // monitor then records it.
    void play_tone_into(const std::string& sink, int frequency);
    // Unplugs a tone source: it leaves the server.
    void remove_source(const std::string& name);

private:
    struct Tone {
        std::vector<std::string> modules; // unloaded last to first
        pid_t player = -1;                // a process group
    };

    pid_t start_tone(const std::string& name, const std::string& target, const std::string& ports, int frequency,
                     double amplitude = 0.5);
    // What the last attempt printed goes to `refusal`.
    bool link_tone(const std::string& output, const std::string& inputs, std::string& refusal) const;
    void start();
    void start_pulseaudio();
    void start_pipewire();
    void wait_until_answering(pid_t watched, const std::string& log);
    void stop();
    void stop_tones();
    pid_t spawn(const std::vector<std::string>& args, const std::string& log, bool own_group = false) const;
    std::vector<std::string> environment() const;

    ServerKind kind_;
    std::string folder_;
    std::string address_;
    // The process that serves the socket; with PipeWire the rest of its
    // stack follows it, session bus last.
    pid_t pid_ = -1;
    std::vector<pid_t> stack_;
    std::map<std::string, Tone> tones_;
    std::optional<PulseServerVariable> variable_;
};

// A playback stream that plays while it lives, as a desktop player does: pacat
// with the given client and stream names, on the server's default sink or on
// `sink`, playing silence or a steady tone of `frequency` at -6 dB. The
// server's policy, or a test, may move it.
class PlaybackStream {
public:
    PlaybackStream(const PulseServer& server, const std::string& client, const std::string& stream, int frequency = 0,
                   const std::string& sink = {});
    ~PlaybackStream();
    PlaybackStream(const PlaybackStream&) = delete;
    PlaybackStream& operator=(const PlaybackStream&) = delete;

    // The sink input's index, once the server lists it.
    uint32_t index() const { return index_; }

private:
    pid_t pid_ = -1;
    uint32_t index_ = 0;
    std::string tone_file_;
};

// The raw channel volumes on the first "Volume:" line of pactl's text.
std::vector<uint32_t> channel_volumes(const std::string& pactl_text);

// No server at all: PULSE_SERVER names a socket in an empty temporary folder.
class NoPulseServer {
public:
    NoPulseServer();
    ~NoPulseServer();
    NoPulseServer(const NoPulseServer&) = delete;
    NoPulseServer& operator=(const NoPulseServer&) = delete;

private:
    std::string folder_;
    std::optional<PulseServerVariable> variable_;
};

} // namespace ornavox::test
