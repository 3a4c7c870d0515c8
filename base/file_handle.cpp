#include "base/file_handle.h"

namespace ornavox::file {

bool write_fully(Handle handle, const uint8_t* data, size_t size, uint64_t offset, std::string& reason)
{
    for (size_t done = 0; done < size;) {
        const size_t n = write_at(handle, data + done, size - done, offset + done, reason);
        if (n == 0)
            return false;
        done += n;
    }
    return true;
}

} // namespace ornavox::file
