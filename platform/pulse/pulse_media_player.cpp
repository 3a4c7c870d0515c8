#include "platform/pulse/pulse_media_player.h"

#include <pulse/error.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>

namespace ornavox {

namespace {

// How much sound the server holds ahead: enough to ride out a busy moment,
// little enough that a stop is heard at once even without the flush.
constexpr pa_usec_t kTargetLatency = 250000;

void initialise_mpg123()
{
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

std::string decoder_error(mpg123_handle* decoder, int code)
{
    return code == MPG123_ERR && decoder ? mpg123_strerror(decoder) : mpg123_plain_strerror(code);
}

} // namespace

void Mpg123Deleter::operator()(mpg123_handle* decoder) const
{
    mpg123_close(decoder);
    mpg123_delete(decoder);
}

PulseMediaPlayer::PulseMediaPlayer(PulseSession& session, Dispatcher& dispatcher)
    : session_(session), dispatcher_(dispatcher)
{
    initialise_mpg123();
    listening_ = session_.listen(*this);
}

PulseMediaPlayer::~PulseMediaPlayer()
{
    close();
}

namespace {

// A decoder that gives 16-bit samples at any rate it knows.
Mpg123Ptr new_decoder(std::string& error)
{
    int code = MPG123_OK;
    Mpg123Ptr decoder(mpg123_new(nullptr, &code));
    if (!decoder) {
        error = decoder_error(nullptr, code);
        return nullptr;
    }
    mpg123_param(decoder.get(), MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    mpg123_format_none(decoder.get());
    const long* rates = nullptr;
    size_t rate_count = 0;
    mpg123_rates(&rates, &rate_count);
    for (size_t i = 0; i < rate_count; ++i)
        mpg123_format(decoder.get(), rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    return decoder;
}

// The scan reads through a handle that stops reading once the scan is
// cancelled, so that a close does not wait for the rest of a long file.
struct ScanInput {
    int fd = -1;
    const std::atomic<bool>* cancelled = nullptr;
};

mpg123_ssize_t scan_read(void* handle, void* data, size_t size)
{
    auto& input = *static_cast<ScanInput*>(handle);
    if (input.cancelled->load())
        return -1;
    ssize_t got;
    do
        got = ::read(input.fd, data, size);
    while (got < 0 && errno == EINTR);
    return got;
}

off_t scan_seek(void* handle, off_t offset, int whence)
{
    return ::lseek(static_cast<ScanInput*>(handle)->fd, offset, whence);
}

} // namespace

// A file is an MP3 only when the decoder finds a format in it: mpg123_open
// takes text and WAV files too.
bool PulseMediaPlayer::open(const std::string& path, std::string& error)
{
    close();
    Mpg123Ptr decoder = new_decoder(error);
    if (!decoder)
        return false;
    long rate = 0;
    int channels = 0, encoding = 0;
    int code = MPG123_OK;
    if ((code = mpg123_open(decoder.get(), path.c_str())) != MPG123_OK
        || (code = mpg123_getformat(decoder.get(), &rate, &channels, &encoding)) != MPG123_OK) {
        error = decoder_error(decoder.get(), code);
        return false;
    }
    if (rate <= 0) {
        error = "no sound in the file";
        return false;
    }
    rate_ = rate;
    channels_ = channels;
    heard_ms_ = 0;
    decoder_ = std::move(decoder);
    scan_length(path);
    return true;
}

void PulseMediaPlayer::scan_length(const std::string& path)
{
    scan_ = std::make_shared<Scan>();
    scanner_ = std::thread([this, path, scan = scan_] {
        std::string error;
        Mpg123Ptr decoder = new_decoder(error);
        ScanInput input{::open(path.c_str(), O_RDONLY | O_CLOEXEC), &scan->cancelled};
        if (!decoder || input.fd < 0)
            return;
        long rate = 0;
        int channels = 0, encoding = 0;
        off_t samples = 0;
        if (mpg123_replace_reader_handle(decoder.get(), scan_read, scan_seek, nullptr) == MPG123_OK
            && mpg123_open_handle(decoder.get(), &input) == MPG123_OK && mpg123_scan(decoder.get()) == MPG123_OK
            && mpg123_getformat(decoder.get(), &rate, &channels, &encoding) == MPG123_OK && rate > 0
            && !scan->cancelled)
            samples = mpg123_length(decoder.get());
        decoder.reset();
        ::close(input.fd);
        if (samples <= 0)
            return;
        const uint64_t length_ms =
            (static_cast<uint64_t>(samples) * 1000 + static_cast<uint64_t>(rate) / 2) / static_cast<uint64_t>(rate);
        // The player and the file are there for as long as the scan is theirs.
        dispatcher_.post([this, weak = std::weak_ptr<Scan>(scan), length_ms] {
            if (const auto current = weak.lock(); current && current == scan_)
                length_ms_ = length_ms;
        });
    });
}

void PulseMediaPlayer::stop_scan()
{
    if (scan_)
        scan_->cancelled = true;
    if (scanner_.joinable())
        scanner_.join();
    scan_.reset();
}

bool PulseMediaPlayer::play(std::weak_ptr<PlayNotifyTarget> notify)
{
    if (!decoder_)
        return false;
    // A server that is not there is told at once; one still connecting, or
    // slow to make the stream ready, by the answer limit.
    std::string error;
    const bool reachable = session_.connect_or_attempt(error, kConnectWait);
    auto lock = session_.lock();
    release_stream();
    notify_ = std::move(notify);
    ended_ = false;
    decoded_all_ = false;
    heard_ms_ = 0;
    if (!reachable) {
        end(MCI_NOTIFY_FAILURE, "the sound server cannot be reached");
        return false;
    }
    answer_limit_ = std::make_unique<PulseTimer>(session_.api(), kAnswerLimit, [this] {
        answer_limit_.reset();
        end(MCI_NOTIFY_FAILURE,
            "the sound server did not answer within " + std::to_string(kAnswerLimit.count() / 1000) + " seconds");
    });
    if (!session_.context()) {
        awaiting_session_ = true;
        return true;
    }
    return start_stream(session_.context());
}

void PulseMediaPlayer::session_ready()
{
    if (!awaiting_session_)
        return;
    auto lock = session_.lock();
    awaiting_session_ = false;
    if (!ended_)
        start_stream(session_.context());
}

// Under the lock, on the GUI thread.
bool PulseMediaPlayer::start_stream(pa_context* context)
{
    if (!context) {
        end(MCI_NOTIFY_FAILURE, "the sound server cannot be reached");
        return false;
    }
    mpg123_seek(decoder_.get(), 0, SEEK_SET);
    const pa_sample_spec spec{PA_SAMPLE_S16LE, static_cast<uint32_t>(rate_), static_cast<uint8_t>(channels_)};
    PulseStreamPtr stream(new_stream_with_role(context, "Playback", spec, "music"));
    if (!stream) {
        end(MCI_NOTIFY_FAILURE, pa_strerror(pa_context_errno(context)));
        return false;
    }
    pa_stream_set_state_callback(stream.get(), stream_state_changed, this);
    pa_stream_set_write_callback(stream.get(), stream_writable, this);
    pa_buffer_attr attr;
    attr.maxlength = attr.prebuf = attr.minreq = attr.fragsize = static_cast<uint32_t>(-1);
    attr.tlength = static_cast<uint32_t>(pa_usec_to_bytes(kTargetLatency, &spec));
    const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE
                                                      | PA_STREAM_ADJUST_LATENCY);
    // Not waited for: the write callback starts the sound once the stream is
    // ready, and a failure arrives through the state callback.
    if (pa_stream_connect_playback(stream.get(), nullptr, &attr, flags, nullptr, nullptr) < 0) {
        end(MCI_NOTIFY_FAILURE, pa_strerror(pa_context_errno(context)));
        return false;
    }
    stream_ = std::move(stream);
    return true;
}

std::optional<uint64_t> PulseMediaPlayer::length_ms() const
{
    if (!decoder_)
        return std::nullopt;
    return length_ms_;
}

std::optional<uint64_t> PulseMediaPlayer::position_ms() const
{
    if (!decoder_)
        return std::nullopt;
    if (!stream_)
        return heard_ms_;
    auto lock = session_.lock();
    pa_usec_t heard = 0;
    if (pa_stream_get_time(stream_.get(), &heard) == 0)
        heard_ms_ = std::max(heard_ms_, std::min<uint64_t>(heard / 1000, length_ms_.value_or(UINT64_MAX)));
    return heard_ms_;
}

// Silence at once: cork, drop what the server holds, disconnect.
void PulseMediaPlayer::stop()
{
    if (!stream_ && !awaiting_session_)
        return;
    auto lock = session_.lock();
    if (stream_ && pa_stream_get_state(stream_.get()) == PA_STREAM_READY) {
        forget_operation(pa_stream_cork(stream_.get(), 1, nullptr, nullptr));
        forget_operation(pa_stream_flush(stream_.get(), nullptr, nullptr));
    }
    end(MCI_NOTIFY_ABORTED, "");
    release_stream();
}

// Once the stream is released under the lock, the mainloop thread no longer
// touches the decoder.
void PulseMediaPlayer::close()
{
    stop();
    stop_scan();
    decoder_.reset();
    length_ms_.reset();
    heard_ms_ = 0;
}

void PulseMediaPlayer::release_stream()
{
    awaiting_session_ = false;
    answer_limit_.reset();
    drain_.reset();
    stream_.reset();
}

void PulseMediaPlayer::end(uint32_t code, const std::string& reason)
{
    if (ended_)
        return;
    ended_ = true;
    dispatcher_.post([notify = notify_, code, reason] {
        if (auto target = notify.lock())
            target->play_notify(code, reason);
    });
}

void PulseMediaPlayer::stream_state_changed(pa_stream* stream, void* player)
{
    auto& self = *static_cast<PulseMediaPlayer*>(player);
    if (stream != self.stream_.get())
        return;
    if (pa_stream_get_state(stream) == PA_STREAM_READY)
        self.answer_limit_.reset();
    if (PA_STREAM_IS_GOOD(pa_stream_get_state(stream)))
        return;
    pa_context* context = pa_stream_get_context(stream);
    const std::string detail = context ? pa_strerror(pa_context_errno(context)) : "";
    self.end(MCI_NOTIFY_FAILURE, "the sound server went away" + (detail.empty() ? "" : " (" + detail + ")"));
}

void PulseMediaPlayer::stream_writable(pa_stream* stream, size_t bytes, void* player)
{
    auto& self = *static_cast<PulseMediaPlayer*>(player);
    if (stream != self.stream_.get() || self.decoded_all_ || self.ended_)
        return;
    while (bytes > 0) {
        void* data = nullptr;
        size_t room = bytes;
        if (pa_stream_begin_write(stream, &data, &room) < 0 || room == 0)
            return;
        size_t decoded = 0;
        const int code = mpg123_read(self.decoder_.get(), data, room, &decoded);
        if (decoded > 0)
            pa_stream_write(stream, data, decoded, nullptr, 0, PA_SEEK_RELATIVE);
        else
            pa_stream_cancel_write(stream);
        if (code == MPG123_DONE) {
            self.decoded_all_ = true;
            self.drain_.reset(pa_stream_drain(stream, stream_drained, player));
            return;
        }
        if (code != MPG123_OK && code != MPG123_NEW_FORMAT) {
            self.end(MCI_NOTIFY_FAILURE,
                     "the file could not be decoded further (" + decoder_error(self.decoder_.get(), code) + ")");
            forget_operation(pa_stream_cork(stream, 1, nullptr, nullptr));
            return;
        }
        if (decoded == 0 && code == MPG123_OK)
            return;
        bytes -= std::min(bytes, decoded);
    }
}

void PulseMediaPlayer::stream_drained(pa_stream*, int success, void* player)
{
    if (success)
        static_cast<PulseMediaPlayer*>(player)->end(MCI_NOTIFY_SUCCESSFUL, "");
}

} // namespace ornavox
