#pragma once

#include "platform/media_player.h"
#include "platform/win32/message_window.h"

#include <memory>
#include <string>

namespace ornavox {

// Plays through the media control interface, by command strings on the
// device alias "playback", as the window's play button always has. The end of
// a play comes as MM_MCINOTIFY to a message-only window, on the GUI thread.
// GUI thread only.
class MciMediaPlayer final : public MediaPlayer {
public:
    MciMediaPlayer();
    ~MciMediaPlayer() override;

    bool open(const std::string& path, std::string& error) override;
    bool play(std::weak_ptr<PlayNotifyTarget> notify) override;
    std::optional<uint64_t> length_ms() const override;
    std::optional<uint64_t> position_ms() const override;
    void stop() override;
    void close() override;

private:
    std::optional<uint64_t> status(const wchar_t* item) const;

    bool open_ = false;
    std::weak_ptr<PlayNotifyTarget> notify_;
    std::string failure_; // why the last play did not start
    win32::MessageWindow window_;
};

} // namespace ornavox
