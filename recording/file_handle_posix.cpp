#include "recording/file_handle.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ornavox::file {

Handle open(const std::string& path, Open how, bool& exists_or_missing)
{
    const int flags = O_RDWR | O_CLOEXEC | (how == Open::New ? O_CREAT | O_EXCL : 0);
    const int fd = ::open(path.c_str(), flags, 0666);
    exists_or_missing = fd < 0 && errno == (how == Open::New ? EEXIST : ENOENT);
    return fd;
}

std::optional<uint64_t> lock_and_measure(Handle handle)
{
    const int fd = static_cast<int>(handle);
    struct stat info {};
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    return static_cast<uint64_t>(info.st_size);
}

bool truncate(Handle handle, uint64_t length)
{
    return ::ftruncate(static_cast<int>(handle), static_cast<off_t>(length)) == 0;
}

size_t write_at(Handle handle, const uint8_t* data, size_t size, uint64_t offset, std::string& reason)
{
    for (;;) {
        const ssize_t n = ::pwrite(static_cast<int>(handle), data, size, static_cast<off_t>(offset));
        if (n > 0)
            return static_cast<size_t>(n);
        if (n < 0 && errno == EINTR)
            continue;
        reason = std::strerror(n < 0 ? errno : ENOSPC);
        return 0;
    }
}

void close(Handle handle)
{
    ::close(static_cast<int>(handle));
}

void remove(const std::string& path)
{
    ::unlink(path.c_str());
}

} // namespace ornavox::file
