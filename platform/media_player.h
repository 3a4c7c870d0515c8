#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace ornavox {

// Codes of the end-of-play notification.
// Windows' own header defines them alike, as macros.
#ifndef MCI_NOTIFY_SUCCESSFUL
inline constexpr uint32_t MCI_NOTIFY_SUCCESSFUL = 1; // played to the last sample
inline constexpr uint32_t MCI_NOTIFY_SUPERSEDED = 2;
inline constexpr uint32_t MCI_NOTIFY_ABORTED = 4; // stopped or closed before the end
inline constexpr uint32_t MCI_NOTIFY_FAILURE = 8; // the file or the sound output failed midway
#else
static_assert(MCI_NOTIFY_SUCCESSFUL == 1 && MCI_NOTIFY_SUPERSEDED == 2 && MCI_NOTIFY_ABORTED == 4
              && MCI_NOTIFY_FAILURE == 8);
#endif

// Hears how a play ended, on the GUI thread through the dispatcher. A target
// that is gone by then is not told.
class PlayNotifyTarget {
public:
    virtual ~PlayNotifyTarget() = default;
    // `reason` says what failed, for MCI_NOTIFY_FAILURE.
    virtual void play_notify(uint32_t code, const std::string& reason) = 0;
};

// Plays one sound file at a time. Every call on the GUI thread; none waits
// for longer than a short call.
class MediaPlayer {
public:
    virtual ~MediaPlayer() = default;

    // Opens `path` whole, blanks, quotes and all; closes a file that was
    // open. False with a reason when the file is missing, unreadable or holds
    // no sound the player knows.
    virtual bool open(const std::string& path, std::string& error) = 0;
    // Plays the open file from its start; the end is told to `notify`. A
    // play that cannot start returns false and is told as a failure, with
    // its reason.
    virtual bool play(std::weak_ptr<PlayNotifyTarget> notify) = 0;
    // Milliseconds; nullopt when nothing is open, or while a player that
    // learns it in the background does not know it yet.
    virtual std::optional<uint64_t> length_ms() const = 0;
    // Milliseconds heard so far; nullopt when nothing is open.
    virtual std::optional<uint64_t> position_ms() const = 0;
    // Silences the output at once; the play ends with MCI_NOTIFY_ABORTED.
    virtual void stop() = 0;
    virtual void close() = 0;
};

} // namespace ornavox
