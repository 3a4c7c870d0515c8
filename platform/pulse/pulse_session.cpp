#include "platform/pulse/pulse_session.h"

#include <pulse/error.h>

#include <algorithm>
#include <utility>

namespace ornavox {

// The listeners, shared with the calls posted to the GUI thread, so that a
// call still queued when the session or a listener is gone finds nobody
// instead of a dangling pointer. GUI thread only.
struct PulseSession::Registry {
    struct Entry {
        uint64_t id;
        PulseSessionListener* listener;
        uint32_t facilities;
    };
    std::vector<Entry> entries;
    uint64_t next_id = 1;

    // Calls `call` for every listener that wants `facility_bit` (every one
    // when 0). A listener removed by an earlier call is skipped.
    template <class Call>
    void each(uint32_t facility_bit, Call call)
    {
        std::vector<uint64_t> ids;
        for (const Entry& entry : entries)
            if (facility_bit == 0 || (entry.facilities & facility_bit))
                ids.push_back(entry.id);
        for (uint64_t id : ids) {
            auto it = std::find_if(entries.begin(), entries.end(), [id](const Entry& e) { return e.id == id; });
            if (it != entries.end())
                call(*it->listener);
        }
    }

    uint32_t facilities() const
    {
        uint32_t all = PA_SUBSCRIPTION_MASK_NULL;
        for (const Entry& entry : entries)
            all |= entry.facilities;
        return all;
    }
};

namespace {

std::string connect_error(const char* reason)
{
    return std::string("Cannot connect to the sound server: ") + reason;
}

} // namespace

PulseSession::PulseSession(Dispatcher& dispatcher, std::string application_name)
    : dispatcher_(dispatcher), application_name_(std::move(application_name)), registry_(std::make_shared<Registry>())
{
}

PulseSession::~PulseSession()
{
    registry_->entries.clear();
    if (!mainloop_)
        return;
    {
        PulseLock lock(mainloop_.get());
        wanted_ = false;
        retry_.reset();
        attempt_limit_.reset();
        context_.reset();
        retired_.reset();
    }
    mainloop_.reset();
}

bool PulseSession::start_mainloop()
{
    if (mainloop_)
        return true;
    mainloop_.reset(pa_threaded_mainloop_new());
    if (mainloop_ && pa_threaded_mainloop_start(mainloop_.get()) == 0)
        return true;
    mainloop_.reset();
    return false;
}

bool PulseSession::connect(std::string& error, std::chrono::milliseconds timeout)
{
    return connect_within(error, timeout, false);
}

bool PulseSession::connect_or_attempt(std::string& error, std::chrono::milliseconds wait)
{
    return connect_within(error, wait, true);
}

bool PulseSession::connect_within(std::string& error, std::chrono::milliseconds timeout, bool attempt_will_do)
{
    if (!start_mainloop()) {
        error = connect_error("the event thread could not be started");
        return false;
    }
    PulseLock lock(mainloop_.get());
    wanted_ = true;
    if (connected_)
        return true;
    // An attempt already under way is waited for rather than replaced.
    if (!context_)
        start_connecting();
    wait_until([this] { return connected_ || !context_; }, timeout);
    if (connected_ || (attempt_will_do && context_))
        return true;
    error = connect_error(pa_strerror(context_ ? PA_ERR_TIMEOUT : last_error_));
    return false;
}

bool PulseSession::connect_in_background()
{
    if (!start_mainloop())
        return false;
    PulseLock lock(mainloop_.get());
    wanted_ = true;
    told_ = true;
    // Reading the client configuration and the cookie is left to the
    // mainloop thread; a retry that was waiting starts now.
    if (!connected_ && !context_)
        retry_ = std::make_unique<PulseTimer>(api(), std::chrono::microseconds(0), [this] { start_connecting(); });
    return true;
}

pa_context* PulseSession::context() const
{
    return connected_ ? context_.get() : nullptr;
}

bool PulseSession::connected() const
{
    if (!mainloop_)
        return false;
    PulseLock lock(mainloop_.get());
    return connected_;
}

void PulseSession::start_connecting()
{
    retry_.reset();
    retired_.reset();
    PulseProplistPtr properties(pa_proplist_new());
    pa_proplist_sets(properties.get(), PA_PROP_APPLICATION_NAME, application_name_.c_str());
    pa_proplist_sets(properties.get(), PA_PROP_APPLICATION_ID, "ornavox");
    pa_proplist_sets(properties.get(), PA_PROP_APPLICATION_ICON_NAME, "ornavox");
    context_.reset(pa_context_new_with_proplist(api(), application_name_.c_str(), properties.get()));
    if (!context_) {
        last_error_ = PA_ERR_INTERNAL;
        retire_context();
        return;
    }
    attempt_limit_ = std::make_unique<PulseTimer>(api(), kWaitLimit, [this] {
        attempt_limit_.reset();
        tell_unavailable(PA_ERR_TIMEOUT);
    });
    pa_context_set_state_callback(context_.get(), context_state_changed, this);
    pa_context_set_subscribe_callback(context_.get(), server_event_arrived, this);
    // No autospawn: starting a server of our own would hide a missing or
    // misconfigured one from the user.
    // A connection refused at once fails the context inside this call, and
    // the state callback has retired it already.
    pa_context* context = context_.get();
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 && context_.get() == context) {
        last_error_ = pa_context_errno(context);
        retire_context();
    }
}

void PulseSession::retire_context()
{
    if (!connected_)
        tell_unavailable(last_error_);
    attempt_limit_.reset();
    connected_ = false;
    retired_ = std::move(context_);
    if (wanted_)
        retry_ = std::make_unique<PulseTimer>(api(), kRetryInterval, [this] { start_connecting(); });
}

void PulseSession::tell_unavailable(int error)
{
    if (!told_)
        return;
    dispatcher_.post([registry = registry_, reason = std::string(pa_strerror(error))] {
        registry->each(0, [&](PulseSessionListener& listener) { listener.session_unavailable(reason); });
    });
}

// GUI thread: the listeners' facilities changed.
void PulseSession::update_subscription()
{
    if (!mainloop_) {
        facilities_ = registry_->facilities();
        return;
    }
    PulseLock lock(mainloop_.get());
    facilities_ = registry_->facilities();
    subscribe();
}

void PulseSession::subscribe()
{
    if (connected_)
        forget_operation(
            pa_context_subscribe(context_.get(), static_cast<pa_subscription_mask_t>(facilities_), nullptr, nullptr));
}

void PulseSession::context_state_changed(pa_context* context, void* session)
{
    auto& self = *static_cast<PulseSession*>(session);
    if (context != self.context_.get())
        return;
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        self.attempt_limit_.reset();
        self.connected_ = true;
        self.subscribe();
        self.dispatcher_.post([registry = self.registry_] {
            registry->each(0, [](PulseSessionListener& listener) { listener.session_ready(); });
        });
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED: {
        self.last_error_ = pa_context_errno(context);
        if (self.connected_) {
            self.dispatcher_.post([registry = self.registry_, reason = std::string(pa_strerror(self.last_error_))] {
                registry->each(0, [&](PulseSessionListener& listener) { listener.session_lost(reason); });
            });
        }
        // libpulse holds its own reference while it runs this callback.
        self.retire_context();
        break;
    }
    default:
        break;
    }
    self.signal();
}

void PulseSession::server_event_arrived(pa_context*, pa_subscription_event_type_t event, uint32_t index, void* session)
{
    auto& self = *static_cast<PulseSession*>(session);
    const auto facility = static_cast<pa_subscription_event_type_t>(event & PA_SUBSCRIPTION_EVENT_FACILITY_MASK);
    const auto type = static_cast<pa_subscription_event_type_t>(event & PA_SUBSCRIPTION_EVENT_TYPE_MASK);
    self.dispatcher_.post([registry = self.registry_, facility, type, index] {
        registry->each(1u << facility,
                       [&](PulseSessionListener& listener) { listener.server_event(facility, type, index); });
    });
}

PulseSession::Listening PulseSession::listen(PulseSessionListener& listener, uint32_t facilities)
{
    const uint64_t id = registry_->next_id++;
    registry_->entries.push_back({id, &listener, facilities});
    update_subscription();
    return Listening(this, id);
}

PulseSession::Listening::Listening(Listening&& other) noexcept
    : session_(std::exchange(other.session_, nullptr)), id_(other.id_)
{
}

PulseSession::Listening& PulseSession::Listening::operator=(Listening&& other) noexcept
{
    if (this != &other) {
        Listening old(std::move(*this));
        session_ = std::exchange(other.session_, nullptr);
        id_ = other.id_;
    }
    return *this;
}

PulseSession::Listening::~Listening()
{
    if (!session_)
        return;
    auto& entries = session_->registry_->entries;
    std::erase_if(entries, [this](const Registry::Entry& entry) { return entry.id == id_; });
    session_->update_subscription();
}

void PulseSession::set_record_source(std::string name, std::string description)
{
    const bool changed = name != record_source_;
    {
        std::optional<PulseLock> lock;
        if (mainloop_)
            lock.emplace(mainloop_.get());
        record_source_ = std::move(name);
        record_source_description_ = std::move(description);
    }
    if (changed)
        dispatcher_.post([registry = registry_] {
            registry->each(0, [](PulseSessionListener& listener) { listener.record_source_changed(); });
        });
}

void PulseSession::set_record_stream(PulseRecordStream stream)
{
    record_stream_ = std::move(stream);
    dispatcher_.post([registry = registry_] {
        registry->each(0, [](PulseSessionListener& listener) { listener.record_stream_changed(); });
    });
}

bool PulseSession::wait_until(const std::function<bool()>& done, std::chrono::milliseconds timeout) const
{
    bool expired = false;
    PulseTimer timer(api(), timeout, [this, &expired] {
        expired = true;
        signal();
    });
    while (!done()) {
        if (expired)
            return false;
        pa_threaded_mainloop_wait(mainloop_.get());
    }
    return true;
}

void PulseSession::signal() const
{
    pa_threaded_mainloop_signal(mainloop_.get(), 0);
}

} // namespace ornavox
