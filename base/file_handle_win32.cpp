#include "base/file_handle.h"

#include "base/utf16.h"

namespace ornavox::file {

namespace {

HANDLE native(Handle handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

} // namespace

// Others may read the file while it is recorded, as a player does; no one
// else may write it.
Handle open(const std::string& path, Open how, bool& exists_or_missing)
{
    const HANDLE file = CreateFileW(win32::utf16(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    how == Open::New ? CREATE_NEW : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    const DWORD error = file == INVALID_HANDLE_VALUE ? GetLastError() : ERROR_SUCCESS;
    exists_or_missing =
        how == Open::New ? error == ERROR_FILE_EXISTS : error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    return reinterpret_cast<Handle>(file);
}

std::optional<uint64_t> lock_and_measure(Handle handle)
{
    OVERLAPPED whole{};
    LARGE_INTEGER size{};
    if (GetFileType(native(handle)) != FILE_TYPE_DISK
        || !LockFileEx(native(handle), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD,
                       &whole)
        || !GetFileSizeEx(native(handle), &size))
        return std::nullopt;
    return static_cast<uint64_t>(size.QuadPart);
}

bool truncate(Handle handle, uint64_t length)
{
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(length);
    return SetFileInformationByHandle(native(handle), FileEndOfFileInfo, &end, sizeof end) != 0;
}

size_t write_at(Handle handle, const uint8_t* data, size_t size, uint64_t offset, std::string& reason)
{
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD written = 0;
    const DWORD chunk = size > MAXDWORD ? MAXDWORD : static_cast<DWORD>(size);
    const BOOL ok = WriteFile(native(handle), data, chunk, &written, &at);
    if (ok && written > 0)
        return written;
    reason = win32::error_text(ok ? ERROR_DISK_FULL : GetLastError());
    return 0;
}

size_t read_at(Handle handle, uint8_t* data, size_t size, uint64_t offset)
{
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD read = 0;
    const DWORD chunk = size > MAXDWORD ? MAXDWORD : static_cast<DWORD>(size);
    return ReadFile(native(handle), data, chunk, &read, &at) ? read : 0;
}

bool sync(Handle handle, std::string& reason)
{
    if (FlushFileBuffers(native(handle)))
        return true;
    reason = win32::error_text(GetLastError());
    return false;
}

bool close(Handle handle, std::string& reason)
{
    if (CloseHandle(native(handle)))
        return true;
    reason = win32::error_text(GetLastError());
    return false;
}

void close(Handle handle)
{
    CloseHandle(native(handle));
}

void remove(const std::string& path)
{
    DeleteFileW(win32::utf16(path).c_str());
}

// Opened without FILE_SHARE_DELETE, the file cannot lose its name while open.
bool unlinked(Handle)
{
    return false;
}

bool replace_whole(const std::string& path, const std::string& content, std::string& reason)
{
    const std::wstring target = win32::utf16(path);
    const std::wstring temporary = target + L".new";
    const HANDLE file =
        CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        reason = win32::error_text(GetLastError());
        return false;
    }
    bool ok = write_fully(reinterpret_cast<Handle>(file), reinterpret_cast<const uint8_t*>(content.data()),
                          content.size(), 0, reason);
    if (ok && !FlushFileBuffers(file)) {
        reason = win32::error_text(GetLastError());
        ok = false;
    }
    CloseHandle(file);
    if (ok && !MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        reason = win32::error_text(GetLastError());
        ok = false;
    }
    if (!ok)
        DeleteFileW(temporary.c_str());
    return ok;
}

} // namespace ornavox::file
