#include "platform/fake/fake_media_player.h"

namespace ornavox {

void FakeMediaPlayer::end(uint32_t code, const std::string& reason)
{
    dispatcher_.post([notify = notify_, code, reason] {
        if (auto target = notify.lock())
            target->play_notify(code, reason);
    });
}

bool FakeMediaPlayer::open(const std::string& path, std::string& error)
{
    calls_.push_back("open " + path);
    if (unplayable.count(path)) {
        error = "not a sound file";
        return false;
    }
    open_ = true;
    return true;
}

bool FakeMediaPlayer::play(std::weak_ptr<PlayNotifyTarget> notify)
{
    calls_.push_back("play");
    notify_ = std::move(notify);
    return open_;
}

std::optional<uint64_t> FakeMediaPlayer::length_ms() const
{
    calls_.push_back("length");
    return open_ ? std::optional<uint64_t>(length) : std::nullopt;
}

std::optional<uint64_t> FakeMediaPlayer::position_ms() const
{
    calls_.push_back("position");
    return open_ ? std::optional<uint64_t>(position) : std::nullopt;
}

void FakeMediaPlayer::stop()
{
    calls_.push_back("stop");
    if (open_)
        end(MCI_NOTIFY_ABORTED);
}

void FakeMediaPlayer::close()
{
    calls_.push_back("close");
    open_ = false;
}

} // namespace ornavox
