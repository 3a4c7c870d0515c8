#include "recording/output_file.h"

#include "base/file_handle.h"
#include "recording/audiorec.h"

#include <utility>
#include <vector>

namespace ornavox {

OutputFile::OutputFile(intptr_t handle, std::string path, uint64_t length, bool created)
    : handle_(handle), path_(std::move(path)), length_(length), created_(created)
{
}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : handle_(std::exchange(other.handle_, file::kNone)), path_(std::move(other.path_)), length_(other.length_),
      created_(other.created_), started_(other.started_)
{
}

OutputFile& OutputFile::operator=(OutputFile&& other) noexcept
{
    if (this != &other) {
        close();
        handle_ = std::exchange(other.handle_, file::kNone);
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

bool OutputFile::is_open() const
{
    return handle_ != file::kNone;
}

OutputFile OutputFile::create(const std::string& path)
{
    bool exists = false;
    bool created = true;
    file::Handle handle = file::open(path, file::Open::New, exists);
    if (handle == file::kNone && exists) {
        created = false;
        bool missing = false;
        handle = file::open(path, file::Open::Existing, missing);
    }
    if (handle == file::kNone)
        throw AudiorecError("Cannot create file " + path);
    const std::optional<uint64_t> length = file::lock_and_measure(handle);
    if (!length) {
        file::close(handle);
        throw AudiorecError("Cannot create file " + path);
    }
    return OutputFile(handle, path, *length, created);
}

OutputFile OutputFile::open_existing(const std::string& path)
{
    bool missing = false;
    const file::Handle handle = file::open(path, file::Open::Existing, missing);
    if (handle == file::kNone) {
        if (missing)
            return OutputFile();
        throw AudiorecError("Cannot open file " + path);
    }
    const std::optional<uint64_t> length = file::lock_and_measure(handle);
    if (!length) {
        file::close(handle);
        throw AudiorecError("Cannot open file " + path);
    }
    OutputFile output(handle, path, *length, false);
    output.started_ = true;
    return output;
}

void OutputFile::start_anew()
{
    if (!is_open() || started_)
        return;
    started_ = true;
    if (length_ > 0 && file::truncate(handle_, 0))
        length_ = 0;
}

bool OutputFile::write_all(const uint8_t* data, size_t size, std::string& error)
{
    size_t done = 0;
    while (done < size) {
        std::string reason;
        const size_t n = file::write_at(handle_, data + done, size - done, length_ + done, reason);
        if (n > 0) {
            done += n;
            continue;
        }
        // Take back the part that got in, so the file ends on whole pieces.
        // Should even that fail, the length has to tell the truth.
        if (done > 0 && !file::truncate(handle_, length_))
            length_ += done;
        error = "Cannot write file " + path_ + ": " + reason;
        return false;
    }
    length_ += size;
    return true;
}

size_t OutputFile::read(uint64_t offset, uint8_t* data, size_t size) const
{
    return is_open() ? file::read_at(handle_, data, size, offset) : 0;
}

bool OutputFile::sync(std::string& error)
{
    std::string reason;
    if (!is_open() || file::sync(handle_, reason))
        return true;
    error = "Cannot write file " + path_ + ": " + reason;
    return false;
}

bool OutputFile::lost_name() const
{
    return is_open() && file::unlinked(handle_);
}

std::string OutputFile::save_again(std::string& error) const
{
    const size_t dot = path_.find_last_of("./\\");
    const bool has_suffix = dot != std::string::npos && path_[dot] == '.';
    const std::string stem = has_suffix ? path_.substr(0, dot) : path_;
    const std::string suffix = has_suffix ? path_.substr(dot) : std::string();
    file::Handle copy = file::kNone;
    std::string copy_path;
    for (int attempt = 0; attempt < 100 && copy == file::kNone; ++attempt) {
        copy_path = attempt == 0 ? path_ : stem + " (recovered " + std::to_string(attempt) + ")" + suffix;
        bool exists = false;
        copy = file::open(copy_path, file::Open::New, exists);
        if (copy == file::kNone && !exists)
            break;
    }
    if (copy == file::kNone) {
        error = "Cannot create file " + copy_path;
        return {};
    }
    std::vector<uint8_t> block(1 << 16);
    uint64_t offset = 0;
    std::string reason;
    bool ok = true;
    while (ok && offset < length_) {
        const size_t n = file::read_at(handle_, block.data(), block.size(), offset);
        ok = n > 0 && file::write_fully(copy, block.data(), n, offset, reason);
        offset += n;
    }
    ok = ok && file::sync(copy, reason);
    ok = file::close(copy, reason) && ok;
    if (!ok) {
        error = "Cannot write file " + copy_path + ": " + (reason.empty() ? "the recording could not be read" : reason);
        return {};
    }
    return copy_path;
}

bool OutputFile::close(std::string& error)
{
    if (!is_open())
        return true;
    std::string reason;
    const bool removed = created_ && !started_;
    // A file is removed only once it is closed, on every platform.
    const bool ok = file::close(std::exchange(handle_, file::kNone), reason);
    if (removed)
        file::remove(path_);
    if (!ok && !removed)
        error = "Cannot write file " + path_ + ": " + reason;
    return ok || removed;
}

void OutputFile::close()
{
    std::string ignored;
    close(ignored);
}

} // namespace ornavox
