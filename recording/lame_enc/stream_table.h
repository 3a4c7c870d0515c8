#pragma once

#include "recording/bladeenc.h"
#include "recording/lame_enc/lame_stream.h"

#include <memory>
#include <mutex>
#include <unordered_map>

namespace ornavox::lame_enc {

// The live streams by handle. Handles are table keys, never addresses (a
// handle is 32 bits wide), start at 1 and are not reused while live.
// Thread-safe; a stream found here stays alive for its finder even if
// another thread removes it meanwhile.
class StreamTable {
public:
    // The new stream's handle, or 0 when every handle is taken.
    HBE_STREAM add(std::shared_ptr<LameStream> stream);
    std::shared_ptr<LameStream> find(HBE_STREAM handle) const;
    // Whether `handle` was live.
    bool remove(HBE_STREAM handle);

private:
    mutable std::mutex mutex_;
    std::unordered_map<HBE_STREAM, std::shared_ptr<LameStream>> streams_;
    HBE_STREAM next_ = 1;
};

} // namespace ornavox::lame_enc
