#include "tests/support/file_lock.h"

#ifdef _WIN32
#include "platform/win32/utf16.h"
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace ornavox::test {

#ifdef _WIN32

namespace {

intptr_t open_shared(const std::string& path)
{
    return reinterpret_cast<intptr_t>(CreateFileW(win32::utf16(path).c_str(), GENERIC_READ,
                                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool lock(intptr_t handle)
{
    OVERLAPPED whole{};
    return LockFileEx(reinterpret_cast<HANDLE>(handle), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0,
                      MAXDWORD, MAXDWORD, &whole);
}

void close(intptr_t handle)
{
    CloseHandle(reinterpret_cast<HANDLE>(handle));
}

} // namespace

#else

namespace {

intptr_t open_shared(const std::string& path)
{
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

bool lock(intptr_t handle)
{
    return ::flock(static_cast<int>(handle), LOCK_EX | LOCK_NB) == 0;
}

void close(intptr_t handle)
{
    ::close(static_cast<int>(handle));
}

} // namespace

#endif

HeldFile::HeldFile(const std::string& path) : handle_(open_shared(path))
{
    held_ = handle_ != -1 && lock(handle_);
}

HeldFile::~HeldFile()
{
    if (handle_ != -1)
        close(handle_);
}

bool file_is_free(const std::string& path)
{
    const intptr_t handle = open_shared(path);
    const bool free = handle != -1 && lock(handle);
    if (handle != -1)
        close(handle);
    return free;
}

} // namespace ornavox::test
