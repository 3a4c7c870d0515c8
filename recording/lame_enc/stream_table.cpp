#include "recording/lame_enc/stream_table.h"

#include <limits>

namespace ornavox::lame_enc {

HBE_STREAM StreamTable::add(std::shared_ptr<LameStream> stream)
{
    std::lock_guard lock(mutex_);
    if (streams_.size() >= std::numeric_limits<HBE_STREAM>::max())
        return 0;
    while (next_ == 0 || streams_.contains(next_))
        ++next_;
    const HBE_STREAM handle = next_++;
    streams_.emplace(handle, std::move(stream));
    return handle;
}

std::shared_ptr<LameStream> StreamTable::find(HBE_STREAM handle) const
{
    std::lock_guard lock(mutex_);
    const auto it = streams_.find(handle);
    return it == streams_.end() ? nullptr : it->second;
}

bool StreamTable::remove(HBE_STREAM handle)
{
    std::shared_ptr<LameStream> removed;
    {
        std::lock_guard lock(mutex_);
        const auto it = streams_.find(handle);
        if (it == streams_.end())
            return false;
        removed = std::move(it->second);
        streams_.erase(it);
    }
    // The encoder is closed here, outside the lock, unless a caller still uses it.
    return true;
}

} // namespace ornavox::lame_enc
