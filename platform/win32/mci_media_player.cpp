#include "platform/win32/mci_media_player.h"

#include "base/utf16.h"

#include <mmsystem.h>

#include <cwchar>
#include <utility>

namespace ornavox {

namespace {

MCIERROR command(const std::wstring& text, HWND callback = nullptr, std::wstring* reply = nullptr)
{
    wchar_t answer[128] = {};
    const MCIERROR result = mciSendStringW(text.c_str(), answer, 128, callback);
    if (reply)
        *reply = answer;
    return result;
}

std::string mci_error(MCIERROR error)
{
    wchar_t text[256] = {};
    if (!mciGetErrorStringW(error, text, 256))
        return "error " + std::to_string(error);
    return win32::utf8(text);
}

} // namespace

MciMediaPlayer::MciMediaPlayer()
    : window_([this](HWND window, UINT message, WPARAM wparam, LPARAM lparam) -> LRESULT {
          if (message != MM_MCINOTIFY)
              return DefWindowProcW(window, message, wparam, lparam);
          // The codes are the ones the window's notification knows.
          const std::string failure = std::exchange(failure_, {});
          if (const std::shared_ptr<PlayNotifyTarget> target = notify_.lock())
              target->play_notify(static_cast<uint32_t>(wparam),
                                  wparam != MCI_NOTIFY_FAILURE ? ""
                                      : failure.empty()        ? "the sound output failed"
                                                               : failure);
          return 0;
      })
{
}

MciMediaPlayer::~MciMediaPlayer()
{
    close();
}

// A path with blanks needs its quotes; MCI has no way to quote a quote, and
// Windows file names hold none.
bool MciMediaPlayer::open(const std::string& path, std::string& error)
{
    close();
    const MCIERROR result = command(L"open \"" + win32::utf16(path) + L"\" type mpegvideo alias playback");
    if (result != 0) {
        error = mci_error(result);
        return false;
    }
    open_ = true;
    command(L"set playback time format milliseconds");
    return true;
}

bool MciMediaPlayer::play(std::weak_ptr<PlayNotifyTarget> notify)
{
    if (!open_)
        return false;
    notify_ = std::move(notify);
    const MCIERROR result = command(L"play playback from 0 notify", window_.handle());
    if (result == 0)
        return true;
    // MCI sends nothing for a play it refused: the end is told as a failure.
    failure_ = mci_error(result);
    PostMessageW(window_.handle(), MM_MCINOTIFY, MCI_NOTIFY_FAILURE, 0);
    return false;
}

std::optional<uint64_t> MciMediaPlayer::status(const wchar_t* item) const
{
    if (!open_)
        return std::nullopt;
    std::wstring reply;
    if (command(std::wstring(L"status playback ") + item, nullptr, &reply) != 0)
        return 0;
    return std::wcstoull(reply.c_str(), nullptr, 10);
}

std::optional<uint64_t> MciMediaPlayer::length_ms() const
{
    return status(L"length");
}

std::optional<uint64_t> MciMediaPlayer::position_ms() const
{
    return status(L"position");
}

void MciMediaPlayer::stop()
{
    if (open_)
        command(L"stop playback");
}

void MciMediaPlayer::close()
{
    if (open_)
        command(L"close playback");
    open_ = false;
}

} // namespace ornavox
