#include "recording/output_file.h"

#include "recording/audiorec.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace ornavox {

namespace {

bool lock_exclusive(int fd)
{
    return ::flock(fd, LOCK_EX | LOCK_NB) == 0;
}

} // namespace

OutputFile::OutputFile(int fd, std::string path, uint64_t length, bool created)
    : fd_(fd), path_(std::move(path)), length_(length), created_(created)
{
}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)), length_(other.length_),
      created_(other.created_), started_(other.started_)
{
}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept
{
    if (this != &other) {
        close();
        fd_ = std::exchange(other.fd_, -1);
        path_ = std::move(other.path_);
        length_ = other.length_;
        created_ = other.created_;
        started_ = other.started_;
    }
    return *this;
}

OutputFile::~OutputFile()
{
    close();
}

OutputFile OutputFile::create(const std::string& path)
{
    bool created = true;
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) {
        created = false;
        fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    }
    if (fd < 0)
        throw AudiorecError("Cannot create file " + path);
    if (!lock_exclusive(fd)) {
        ::close(fd);
        throw AudiorecError("Cannot create file " + path);
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        throw AudiorecError("Cannot create file " + path);
    }
    return OutputFile(fd, path, static_cast<uint64_t>(info.st_size), created);
}

OutputFile OutputFile::open_existing(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            return OutputFile();
        throw AudiorecError("Cannot open file " + path);
    }
    struct stat info {};
    if (!lock_exclusive(fd) || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        throw AudiorecError("Cannot open file " + path);
    }
    OutputFile file(fd, path, static_cast<uint64_t>(info.st_size), false);
    file.started_ = true;
    return file;
}

void OutputFile::start_anew()
{
    if (fd_ < 0 || started_)
        return;
    started_ = true;
    if (length_ > 0 && ::ftruncate(fd_, 0) == 0)
        length_ = 0;
}

bool OutputFile::write_all(const uint8_t* data, size_t size, std::string& error)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(fd_, data + done, size - done, static_cast<off_t>(length_ + done));
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        const int reason = n < 0 ? errno : ENOSPC;
        // Take back the part that got in, so the file ends on whole pieces.
        // Should even that fail, the length has to tell the truth.
        if (done > 0 && ::ftruncate(fd_, static_cast<off_t>(length_)) != 0)
            length_ += done;
        error = "Cannot write file " + path_ + ": " + std::strerror(reason);
        return false;
    }
    length_ += size;
    return true;
}

void OutputFile::close()
{
    if (fd_ < 0)
        return;
    if (created_ && !started_)
        ::unlink(path_.c_str());
    ::close(std::exchange(fd_, -1));
}

} // namespace ornavox
