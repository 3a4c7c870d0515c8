#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

// The few file operations the output file and the settings need, one
// implementation per platform: POSIX descriptors, or Windows handles (paths
// UTF-8 here, UTF-16 at the API). Both use -1 for no file.
namespace ornavox::file {

using Handle = intptr_t;
inline constexpr Handle kNone = -1;

enum class Open { Existing, New };

// Opens `path` to read and write. New fails when a file is there already,
// Existing when none is; `missing`/`exists` say which.
Handle open(const std::string& path, Open how, bool& exists_or_missing);

// Locks the file against a second writer and checks that it is a regular
// file: its length, or nullopt when either fails.
std::optional<uint64_t> lock_and_measure(Handle handle);

bool truncate(Handle handle, uint64_t length);

// Writes some of `size` bytes at `offset`: how many, or 0 with the reason.
size_t write_at(Handle handle, const uint8_t* data, size_t size, uint64_t offset, std::string& reason);

// Writes all `size` bytes at `offset`, or false with the reason.
bool write_fully(Handle handle, const uint8_t* data, size_t size, uint64_t offset, std::string& reason);

// Reads up to `size` bytes at `offset`: how many, 0 at the end or on failure.
size_t read_at(Handle handle, uint8_t* data, size_t size, uint64_t offset);

// Waits until what was written is on the disk; false with the reason when
// the system could not write it back.
bool sync(Handle handle, std::string& reason);

// False with the reason when closing reported an error the writes did not.
bool close(Handle handle, std::string& reason);
void close(Handle handle);
void remove(const std::string& path);

// True when the open file has no name left: it was deleted while open.
bool unlinked(Handle handle);

// Replaces the file at `path` by `content`, whole or not at all: a temporary
// beside it is written and flushed to the disk, then renamed over it. On
// failure the old file stays as it was, no temporary is left, and `reason`
// says why.
bool replace_whole(const std::string& path, const std::string& content, std::string& reason);

} // namespace ornavox::file
