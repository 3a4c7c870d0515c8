// The capture-device contract, run on every backend: the fake that unit tests
// use, and the platform's device on a private sound server: PulseAudio's on
// Linux, waveIn and the output's loopback under Wine
// (tools/windows/with_sound_server.sh starts the server there).
#include "platform/call_capture_device.h"
#include "platform/fake/fake_capture_device.h"
#include "platform/fake/queue_dispatcher.h"
#include "tests/support/capture_events.h"
#ifdef _WIN32
#include "platform/win32/com_ptr.h"
#include "platform/win32/core_audio_mixer_device.h"
#include "platform/win32/wave_in_capture_device.h"
#include "platform/win32/win32_capture_device.h"
#include "tests/support/fake_core_audio.h"
#include "tests/support/wine_sound.h"
#else
#include "platform/pulse/pulse_capture_device.h"
#include "platform/pulse/pulse_record_device.h"
#include "platform/pulse/pulse_session.h"
#include "platform/record_source_id.h"
#include "tests/support/pulse_server.h"
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <regex>
#include <thread>

namespace ornavox::test {
namespace {

using namespace std::chrono_literals;

// Long enough never to end a healthy test; a hang ends it instead.
constexpr auto kPatience = 30s;

class FakeBackend {
public:
    QueueDispatcher dispatcher;
    FakeCaptureDevice device{dispatcher};

    // Captures until `done` holds, running the dispatcher as the GUI would.
    bool capture_until(const std::function<bool()>& done)
    {
        for (int step = 0; step < 10000 && !done(); ++step) {
            device.fill_sine(441, 440);
            dispatcher.run_pending();
        }
        return done();
    }
    FakeBackend() { device.set_backlog(20 * 4 * 44100); }

    // Time passes without anyone running the dispatcher.
    void let_time_pass() { device.fill_sine(4410, 440); }
    // A second of that: the GUI thread is busy.
    void hold_the_gui_thread() { device.fill_sine(44100, 440); }
    static constexpr bool kHoldsBacklog = true;
    void break_device() { device.fail("the sound server went away (test)"); }
    void make_next_open_fail() { device.fail_next_open("no such device"); }
    static constexpr const char* kCannotBreak = nullptr;
    static const char* unavailable() { return nullptr; }
};

// A call over two fakes: a 440 Hz voice and a 660 Hz other side.
class FakeCallBackend {
public:
    QueueDispatcher dispatcher;
    FakeCaptureDevice voice{dispatcher};
    FakeCaptureDevice other{dispatcher};
    CallCaptureDevice device{voice, other};

    FakeCallBackend()
    {
        voice.set_backlog(20 * 4 * 44100);
        other.set_backlog(20 * 4 * 44100);
    }
    bool capture_until(const std::function<bool()>& done)
    {
        for (int step = 0; step < 10000 && !done(); ++step) {
            capture(441);
            dispatcher.run_pending();
        }
        return done();
    }
    void let_time_pass() { capture(4410); }
    void hold_the_gui_thread() { capture(44100); }
    static constexpr bool kHoldsBacklog = true;
    void break_device() { other.fail("the sound server went away (test)"); }
    void make_next_open_fail() { voice.fail_next_open("no such device"); }
    static constexpr const char* kCannotBreak = nullptr;
    static const char* unavailable() { return nullptr; }

private:
    void capture(size_t frames)
    {
        other.fill_sine(frames, 660);
        voice.fill_sine(frames, 440);
    }
};

#ifdef _WIN32
// The calls of the GUI thread's message loop that the contract runs.
class Win32Pump : public Win32Dispatcher {
public:
    void run_pending()
    {
        run_until([] { return false; }, std::chrono::milliseconds(0));
    }
};

class WaveInBackend {
public:
    WaveInBackend() { device.set_record_source(kWineMonitor); }

    Win32Pump dispatcher;
    WaveInCaptureDevice device;

    bool capture_until(const std::function<bool()>& done) { return dispatcher.run_until(done, kPatience); }
    void let_time_pass() { std::this_thread::sleep_for(300ms); }
    void hold_the_gui_thread() { std::this_thread::sleep_for(1s); }
    // The driver records into queued buffers only.
    static constexpr bool kHoldsBacklog = false;
    static constexpr const char* kCannotBreak =
        "the sound server runs outside the Windows program and cannot be taken away from inside it";
    void break_device() {}
    void make_next_open_fail() { device.set_record_source("no_such_source"); }
    static const char* unavailable() { return nullptr; }
};

// What the sink plays, through the program's capture device with that choice.
class LoopbackBackend {
public:
    LoopbackBackend() { device.choose({CoreAudioMixerDevice::kWhatYouHear, true}); }

    win32::ComApartment com;
    Win32Pump dispatcher;
    Win32CaptureDevice device{dispatcher};

    bool capture_until(const std::function<bool()>& done) { return dispatcher.run_until(done, kPatience); }
    void let_time_pass() { std::this_thread::sleep_for(300ms); }
    void hold_the_gui_thread() { std::this_thread::sleep_for(1s); }
    static constexpr bool kHoldsBacklog = true;
    static constexpr const char* kCannotBreak = WaveInBackend::kCannotBreak;
    void break_device() {}
    void make_next_open_fail() { device.choose({"no_such_source", false}); }
    static const char* unavailable()
    {
        win32::ComApartment com;
        win32::ComPtr<IMMDeviceEnumerator> machine;
        win32::ComPtr<IMMDevice> output;
        const bool available = SUCCEEDED(CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL,
                                                          __uuidof(IMMDeviceEnumerator), machine.put_void()))
            && SUCCEEDED(machine->GetDefaultAudioEndpoint(eRender, eConsole, output.put()))
            && loopback_capture_available(*output.get());
        return available ? nullptr
                         : "this Wine cannot capture what an output plays: IAudioClient::GetService answers "
                           "AUDCLNT_E_WRONG_ENDPOINT_TYPE for a loopback stream";
    }
};

// The loopback device's own logic on a fake output that plays a tone: its
// thread, staging area and failure, where Wine cannot capture an output.
class FakeOutputLoopbackBackend {
public:
    struct Output {
        FakeEndpoints* endpoints = new FakeEndpoints;
        FakeEndpoint* output = new FakeEndpoint(L"Speakers", Speakers);
        Output()
        {
            output->loopback = true;
            endpoints->output = output;
        }
        ~Output()
        {
            output->Release();
            endpoints->Release();
        }
        win32::ComPtr<IMMDeviceEnumerator> machine() const
        {
            win32::ComPtr<IMMDeviceEnumerator> reference;
            endpoints->AddRef();
            *reference.put() = endpoints;
            return reference;
        }
    };

    Output fake;
    Win32Pump dispatcher;
    LoopbackCaptureDevice device{dispatcher, std::chrono::seconds(20), fake.machine()};

    bool capture_until(const std::function<bool()>& done) { return dispatcher.run_until(done, kPatience); }
    void let_time_pass() { std::this_thread::sleep_for(300ms); }
    void hold_the_gui_thread() { std::this_thread::sleep_for(1s); }
    static constexpr bool kHoldsBacklog = true;
    void break_device() { fake.output->stream->gone = true; }
    void make_next_open_fail() { fake.output->loopback = false; }
    static constexpr const char* kCannotBreak = nullptr;
    static const char* unavailable() { return nullptr; }
};

// A call of a real waveIn microphone with the loopback device on a fake
// output, where Wine cannot capture a real one.
class WaveInCallBackend {
public:
    WaveInCallBackend() { voice.set_record_source(kWineMonitor); }

    FakeOutputLoopbackBackend::Output fake;
    Win32Pump dispatcher;
    WaveInCaptureDevice voice;
    LoopbackCaptureDevice other{dispatcher, std::chrono::seconds(20), fake.machine()};
    CallCaptureDevice device{voice, other};

    bool capture_until(const std::function<bool()>& done) { return dispatcher.run_until(done, kPatience); }
    void let_time_pass() { std::this_thread::sleep_for(300ms); }
    void hold_the_gui_thread() { std::this_thread::sleep_for(1s); }
    static constexpr bool kHoldsBacklog = WaveInBackend::kHoldsBacklog;
    void break_device() { fake.output->stream->gone = true; }
    void make_next_open_fail() { voice.set_record_source("no_such_source"); }
    static constexpr const char* kCannotBreak = nullptr;
    static const char* unavailable() { return nullptr; }
};
#else
class PulseBackend {
public:
    PulseServer server;
    QueueDispatcher dispatcher;
    PulseSession session{dispatcher};
    PulseCaptureDevice device{session, dispatcher};

    bool capture_until(const std::function<bool()>& done) { return dispatcher.run_until(done, kPatience); }
    void let_time_pass() { std::this_thread::sleep_for(300ms); }
    void hold_the_gui_thread() { std::this_thread::sleep_for(1s); }
    static constexpr bool kHoldsBacklog = true;
    void break_device() { server.kill(); }
    void make_next_open_fail() { session.set_record_source("no_such_source"); }
    static constexpr const char* kCannotBreak = nullptr;
    static const char* unavailable() { return nullptr; }
};

// The backend's device recording a call: the tone source and what the null
// sink plays.
class PulseCallBackend : public PulseBackend {
public:
    PulseCallBackend() { session.set_record_source(call_source_id(PulseServer::kSineSource)); }
    PulseRecordDevice device{session, dispatcher};
    void make_next_open_fail() { session.set_record_source(call_source_id("no_such_source")); }
};
#endif

template <class Backend>
class CaptureDeviceContract : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const char* why = Backend::unavailable())
            GTEST_SKIP() << why;
    }

    // The listener and the buffers outlive the device, which may still fill
    // what is queued until it is gone, as the recording keeps its own.
    CaptureEventLog log;
    BufferRing ring{4, 4 * 4410};
    Backend backend;
    CaptureDevice& device = backend.device;
    std::string error;

    void open_and_queue()
    {
        ASSERT_TRUE(device.open(stereo16(44100), log, error)) << error;
        ring.queue_all(device);
    }
    // Captures until `count` buffers were filled in all, queueing each filled
    // one again when `requeue`, as the recording component does.
    bool wait_for_filled(size_t count, bool requeue = false)
    {
        size_t seen = log.events.size();
        return backend.capture_until([&] {
            for (; seen < log.events.size(); ++seen)
                if (requeue && log.events[seen].kind == CaptureEvent::Filled)
                    device.add_buffer(*log.events[seen].buffer);
            return log.count(CaptureEvent::Filled) >= count;
        });
    }
    // Frames in every buffer handed back so far.
    uint64_t frames_handed_back() const
    {
        uint64_t bytes = 0;
        for (const CaptureEvent& event : log.events)
            bytes += event.bytes;
        return bytes / 4;
    }
};

#ifdef _WIN32
using Backends = ::testing::Types<FakeBackend, FakeCallBackend, WaveInBackend, LoopbackBackend,
                                  FakeOutputLoopbackBackend, WaveInCallBackend>;
#else
using Backends = ::testing::Types<FakeBackend, FakeCallBackend, PulseBackend, PulseCallBackend>;
#endif
class BackendNames {
public:
    template <class T>
    static std::string GetName(int)
    {
        if constexpr (std::is_same_v<T, FakeBackend>)
            return "Fake";
        else if constexpr (std::is_same_v<T, FakeCallBackend>)
            return "CallOnFakes";
#ifdef _WIN32
        else if constexpr (std::is_same_v<T, WaveInBackend>)
            return "WaveIn";
        else if constexpr (std::is_same_v<T, LoopbackBackend>)
            return "Loopback";
        else if constexpr (std::is_same_v<T, FakeOutputLoopbackBackend>)
            return "LoopbackOnFakeOutput";
        else
            return "CallOfWaveInAndFakeOutput";
#else
        else if constexpr (std::is_same_v<T, PulseBackend>)
            return "Pulse";
        else
            return "PulseCall";
#endif
    }
};
TYPED_TEST_SUITE(CaptureDeviceContract, Backends, BackendNames);

TYPED_TEST(CaptureDeviceContract, FillsQueuedBuffersInOrderOnlyAfterStart)
{
    EXPECT_FALSE(this->device.position_samples());
    this->open_and_queue();
    EXPECT_TRUE(this->log.events.empty()) << "notifications come through the dispatcher";
    this->backend.let_time_pass();
    this->backend.dispatcher.run_pending();
    EXPECT_EQ(this->log.kinds(), "O");
    EXPECT_EQ(this->device.position_samples(), 0u);

    this->device.start();
    ASSERT_TRUE(this->wait_for_filled(6, true));
    for (size_t i = 1; i < this->log.events.size(); ++i) {
        const CaptureEvent& event = this->log.events[i];
        ASSERT_EQ(event.kind, CaptureEvent::Filled);
        EXPECT_EQ(event.bytes, event.buffer->buffer_length);
        EXPECT_EQ(this->ring.index_of(event.buffer), (i - 1) % 4);
    }
    EXPECT_GE(*this->device.position_samples(), this->frames_handed_back());
}

TYPED_TEST(CaptureDeviceContract, ResetHandsBackEveryQueuedBufferThenCloseComesLast)
{
    this->open_and_queue();
    this->device.start();
    ASSERT_TRUE(this->wait_for_filled(1, true));

    const size_t before = this->log.count(CaptureEvent::Filled);
    this->device.reset();
    // Handed back at once, or once the device has stopped.
    ASSERT_TRUE(this->backend.capture_until([&] { return this->log.count(CaptureEvent::Filled) == before + 4; }));
    this->backend.let_time_pass();
    this->backend.dispatcher.run_pending();
    const std::optional<uint64_t> position = this->device.position_samples();
    // The last four are the queued buffers, in queue order; after the first
    // that is not full, only empty ones.
    const auto& events = this->log.events;
    ASSERT_GE(events.size(), 6u);
    const size_t first = events.size() - 4;
    bool short_seen = false;
    for (size_t i = first; i < events.size(); ++i) {
        ASSERT_EQ(events[i].kind, CaptureEvent::Filled);
        EXPECT_EQ(this->ring.index_of(events[i].buffer),
                  (this->ring.index_of(events[first - 1].buffer) + i - first + 1) % 4);
        if (short_seen) {
            EXPECT_EQ(events[i].bytes, 0u);
        }
        short_seen = short_seen || events[i].bytes < events[i].buffer->buffer_length;
    }
    EXPECT_EQ(position, this->frames_handed_back()) << "the position is exactly what the buffers got";

    this->device.close();
    this->backend.dispatcher.run_pending();
    EXPECT_EQ(this->log.events.back().kind, CaptureEvent::Closed);
    EXPECT_EQ(this->log.count(CaptureEvent::Closed), 1u);
    EXPECT_FALSE(this->device.position_samples());
}

// The GUI thread was busy for a second, then reset: what the device held goes
// into buffers queued after the reset, each handed back at once, until one
// comes back short; nothing is left for the close to drop.
TYPED_TEST(CaptureDeviceContract, WhatTheDeviceHeldAtTheResetFillsTheBuffersQueuedAfter)
{
    this->open_and_queue();
    this->device.start();
    ASSERT_TRUE(this->wait_for_filled(1, true));
    const uint64_t before = this->frames_handed_back();
    this->backend.hold_the_gui_thread();
    size_t seen = this->log.events.size();
    this->device.reset();

    // The buffers may come back after the call, once the device has stopped.
    bool short_seen = false;
    this->backend.capture_until([&] {
        for (; seen < this->log.events.size() && !short_seen; ++seen) {
            const CaptureEvent& event = this->log.events[seen];
            short_seen = event.bytes < event.buffer->buffer_length;
            if (!short_seen)
                this->device.add_buffer(*event.buffer);
        }
        return short_seen;
    });
    ASSERT_TRUE(short_seen) << "the device ran dry";
    const uint64_t after = this->frames_handed_back();
    if (TypeParam::kHoldsBacklog)
        EXPECT_GE(after - before, 44100u * 9 / 10) << "the second the GUI thread was busy";
    else
        EXPECT_GE(after - before, 4u * 4410 - 4410) << "what the queued buffers took";
    this->device.close();
    this->backend.dispatcher.run_pending();
    EXPECT_EQ(this->log.events.back().kind, CaptureEvent::Closed);
    EXPECT_EQ(this->device.undelivered_bytes(), 0u);
}

// A close before the device ran dry counts what it still held from before
// the reset, and nothing that came after.
TYPED_TEST(CaptureDeviceContract, WhatACloseDropsAfterTheResetIsCounted)
{
    this->open_and_queue();
    this->device.start();
    ASSERT_TRUE(this->wait_for_filled(1, true));
    this->backend.hold_the_gui_thread();
    this->device.reset();
    ASSERT_TRUE(this->backend.capture_until([this] { return this->log.count(CaptureEvent::Filled) >= 5; }));
    this->device.close();
    ASSERT_TRUE(this->backend.capture_until([this] { return this->log.count(CaptureEvent::Closed) == 1; }));
    const uint64_t dropped = this->device.undelivered_bytes();
    if (TypeParam::kHoldsBacklog) {
        EXPECT_GT(dropped, 4u * 44100 / 2) << "most of the second the GUI thread was busy";
        EXPECT_LE(dropped, 4u * 44100 * 2);
    } else {
        EXPECT_EQ(dropped, 0u);
    }
}

TYPED_TEST(CaptureDeviceContract, CloseWithoutResetHandsBackQueuedBuffersAndTheDeviceOpensAgain)
{
    this->open_and_queue();
    this->device.close();
    this->backend.dispatcher.run_pending();
    EXPECT_EQ(this->log.kinds(), "OFFFFC");

    // Queued while closed: ignored, never handed back.
    CaptureEventLog again;
    this->device.add_buffer(this->ring.buffers[0]);
    ASSERT_TRUE(this->device.open(stereo16(44100), again, this->error)) << this->error;
    this->device.add_buffer(this->ring.buffers[1]);
    this->device.start();
    ASSERT_TRUE(this->backend.capture_until([&] { return again.count(CaptureEvent::Filled) == 1; }));
    this->device.reset();
    this->device.close();
    this->backend.dispatcher.run_pending();
    EXPECT_EQ(again.kinds(), "OFC");
    EXPECT_EQ(again.events[1].buffer, &this->ring.buffers[1]);
}

TYPED_TEST(CaptureDeviceContract, FailureFollowsTheFilledBuffersAndPrecedesTheRest)
{
    if (const char* why = TypeParam::kCannotBreak)
        GTEST_SKIP() << why;
    this->open_and_queue();
    this->device.start();
    ASSERT_TRUE(this->wait_for_filled(2));
    this->backend.break_device();
    ASSERT_TRUE(this->backend.capture_until([&] { return this->log.count(CaptureEvent::Failed) == 1; }));
    EXPECT_FALSE(this->log.events.back().reason.empty());

    // Nothing more is captured, and nothing is made up for the time after.
    const uint64_t position = *this->device.position_samples();
    this->backend.let_time_pass();
    this->backend.dispatcher.run_pending();
    EXPECT_EQ(this->device.position_samples(), position);

    // The buffers still queued come back at the reset, then the close.
    this->device.reset();
    this->device.close();
    this->backend.dispatcher.run_pending();
    EXPECT_TRUE(std::regex_match(this->log.kinds(), std::regex("OF+XF*C"))) << this->log.kinds();
    EXPECT_EQ(this->log.count(CaptureEvent::Filled), 4u);
    EXPECT_EQ(position, this->frames_handed_back());
}

// A device that learns of the failure from its server only later tells it
// as a failure after the opened notification; the buffers still come back.
TYPED_TEST(CaptureDeviceContract, AFailedOpenGivesAReason)
{
    this->backend.make_next_open_fail();
    const bool opened = this->device.open(stereo16(44100), this->log, this->error);
    this->ring.queue_all(this->device);
    this->device.start();
    if (!opened) {
        EXPECT_FALSE(this->error.empty());
        this->device.reset();
        this->device.close();
        this->backend.dispatcher.run_pending();
        EXPECT_TRUE(this->log.events.empty());
        EXPECT_FALSE(this->device.position_samples());
        return;
    }
    ASSERT_TRUE(this->backend.capture_until([this] { return this->log.count(CaptureEvent::Failed) == 1; }));
    this->device.reset();
    ASSERT_TRUE(this->backend.capture_until([this] { return this->log.count(CaptureEvent::Filled) == 4; }));
    this->device.close();
    ASSERT_TRUE(this->backend.capture_until([this] { return this->log.count(CaptureEvent::Closed) == 1; }));
    EXPECT_EQ(this->log.kinds(), "OXFFFFC");
    EXPECT_FALSE(this->log.events[1].reason.empty());
    EXPECT_EQ(this->frames_handed_back(), 0u);
}

#ifdef _WIN32
// A hung output holds neither the GUI thread nor the recording: the open
// fails after the limit, and a close that finds the output stuck returns.
TEST(LoopbackCapture, AnOutputThatNeverAnswersLeavesOpenAndCloseUnheld)
{
    FakeOutputLoopbackBackend backend;
    backend.fake.output->stream->hung = true;
    CaptureEventLog log;
    BufferRing ring{4, 4 * 4410};
    std::string error;
    ASSERT_TRUE(backend.device.open(stereo16(44100), log, error)) << error;
    ring.queue_all(backend.device);
    backend.device.start();
    ASSERT_TRUE(backend.capture_until([&] { return log.count(CaptureEvent::Failed) == 1; }));
    EXPECT_EQ(log.events[1].reason, "the sound output did not answer within 5 seconds");
    backend.device.reset();
    backend.device.close();
    ASSERT_TRUE(backend.capture_until([&] { return log.count(CaptureEvent::Closed) == 1; }));
    EXPECT_EQ(log.kinds(), "OXFFFFC");

    // Opened while it answered, stuck when it is closed.
    backend.fake.output->stream->hung = false;
    CaptureEventLog again;
    ASSERT_TRUE(backend.device.open(stereo16(44100), again, error)) << error;
    ring.queue_all(backend.device);
    backend.device.start();
    ASSERT_TRUE(backend.capture_until([&] { return again.count(CaptureEvent::Filled) >= 1; }));
    backend.fake.output->stream->hung = true;
    backend.device.reset();
    backend.device.close();
    ASSERT_TRUE(backend.capture_until([&] { return again.count(CaptureEvent::Closed) == 1; }));
    EXPECT_EQ(again.kinds().back(), 'C');
    backend.fake.output->stream->hung = false;
}

// Another output becomes the default and the one recorded goes: the
// recording goes on from the new one, and nothing fails.
TEST(LoopbackCapture, TheRecordingFollowsTheDefaultOutput)
{
    FakeOutputLoopbackBackend backend;
    FakeEndpoint* headset = new FakeEndpoint(L"Headset", Speakers);
    headset->loopback = true;
    CaptureEventLog log;
    BufferRing ring{4, 4 * 4410};
    std::string error;
    ASSERT_TRUE(backend.device.open(stereo16(44100), log, error)) << error;
    ring.queue_all(backend.device);
    backend.device.start();
    size_t seen = 0;
    const auto filled_until = [&](size_t count) {
        return backend.capture_until([&] {
            for (; seen < log.events.size(); ++seen)
                if (log.events[seen].kind == CaptureEvent::Filled)
                    backend.device.add_buffer(*log.events[seen].buffer);
            return log.count(CaptureEvent::Filled) >= count || log.count(CaptureEvent::Failed) > 0;
        });
    };
    ASSERT_TRUE(filled_until(3));
    backend.fake.endpoints->output = headset;
    backend.fake.output->stream->gone = true;
    ASSERT_TRUE(filled_until(12));
    EXPECT_EQ(log.count(CaptureEvent::Failed), 0u);
    EXPECT_EQ(headset->stream->running, 1) << "the headset is recorded";
    backend.device.reset();
    backend.device.close();
    backend.dispatcher.run_pending();
    backend.fake.endpoints->output = backend.fake.output;
    headset->Release();
}

// While the output plays nothing it sends nothing; the recording still keeps
// its time, in silence.
TEST(LoopbackCapture, WhileNothingPlaysSilenceKeepsTheTime)
{
    FakeOutputLoopbackBackend backend;
    backend.fake.output->stream->silent = true;
    CaptureEventLog log;
    BufferRing ring{4, 4 * 4410};
    std::string error;
    ASSERT_TRUE(backend.device.open(stereo16(44100), log, error)) << error;
    ring.queue_all(backend.device);
    const auto started = std::chrono::steady_clock::now();
    backend.device.start();
    size_t seen = 0;
    ASSERT_TRUE(backend.capture_until([&] {
        for (; seen < log.events.size(); ++seen)
            if (log.events[seen].kind == CaptureEvent::Filled)
                backend.device.add_buffer(*log.events[seen].buffer);
        return log.count(CaptureEvent::Filled) >= 5;
    }));
    const double elapsed_ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
    const double position_ms = *backend.device.position_samples() / 44.1;
    EXPECT_LE(position_ms, elapsed_ms);
    EXPECT_GE(position_ms, elapsed_ms - 150) << "at most the wait before silence is filled in is missing";
    for (const CaptureEvent& event : log.events)
        if (event.kind == CaptureEvent::Filled) {
            EXPECT_TRUE(
                std::all_of(event.buffer->data, event.buffer->data + event.bytes, [](uint8_t b) { return b == 0; }));
        }
    backend.device.reset();
    backend.device.close();
    backend.dispatcher.run_pending();
}
#endif

} // namespace
} // namespace ornavox::test
