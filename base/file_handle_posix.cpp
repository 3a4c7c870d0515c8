#include "base/file_handle.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ornavox::file {

namespace {

std::string error_text(int code)
{
    return std::strerror(code);
}

// The folder's entry of a renamed file reaches the disk only with the folder.
void sync_folder_of(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

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
        reason = error_text(n < 0 ? errno : ENOSPC);
        return 0;
    }
}

size_t read_at(Handle handle, uint8_t* data, size_t size, uint64_t offset)
{
    for (;;) {
        const ssize_t n = ::pread(static_cast<int>(handle), data, size, static_cast<off_t>(offset));
        if (n >= 0)
            return static_cast<size_t>(n);
        if (errno != EINTR)
            return 0;
    }
}

bool sync(Handle handle, std::string& reason)
{
    while (::fdatasync(static_cast<int>(handle)) != 0) {
        if (errno == EINTR)
            continue;
        // Files that cannot be synced (a pipe, some FUSE file systems) hold
        // nothing a sync would have saved.
        if (errno == EINVAL || errno == EROFS)
            return true;
        reason = error_text(errno);
        return false;
    }
    return true;
}

bool close(Handle handle, std::string& reason)
{
    // Linux releases the descriptor even when close fails; it is not retried.
    if (::close(static_cast<int>(handle)) == 0 || errno == EINTR)
        return true;
    reason = error_text(errno);
    return false;
}

void close(Handle handle)
{
    ::close(static_cast<int>(handle));
}

void remove(const std::string& path)
{
    ::unlink(path.c_str());
}

bool unlinked(Handle handle)
{
    struct stat info {};
    return ::fstat(static_cast<int>(handle), &info) == 0 && info.st_nlink == 0;
}

bool replace_whole(const std::string& path, const std::string& content, std::string& reason)
{
    const std::string temporary = path + ".new";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        reason = error_text(errno);
        return false;
    }
    bool ok = write_fully(fd, reinterpret_cast<const uint8_t*>(content.data()), content.size(), 0, reason);
    if (ok && ::fsync(fd) != 0) {
        reason = error_text(errno);
        ok = false;
    }
    if (::close(fd) != 0 && ok && errno != EINTR) {
        reason = error_text(errno);
        ok = false;
    }
    if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
        reason = error_text(errno);
        ok = false;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    sync_folder_of(path);
    return true;
}

} // namespace ornavox::file
