#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace ornavox {

// What a file that a recording would continue begins with: nothing, MPEG
// Layer III frames (after an ID3v2 tag, if any) at one sample rate, or
// something else, which must not get frames appended.
struct Mp3Start {
    enum class Kind { Empty, Frames, Other };
    Kind kind = Kind::Empty;
    uint32_t rate = 0; // Hz, of the first frame
};

// `read(offset, data, size)` gives up to `size` bytes of the file at
// `offset`; `length` is the file's length. Two frame headers in a row, where
// the file is long enough for a second one, tell frames from bytes that
// merely look like a header.
Mp3Start probe_mp3_start(const std::function<size_t(uint64_t, uint8_t*, size_t)>& read, uint64_t length);

} // namespace ornavox
