#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace ornavox {

// The recording's output file, held open without sharing: an exclusive
// advisory lock refuses a second writer (another recorder on the same file).
//
// Every write is all or nothing, so that a file that fills up mid-recording
// still ends on the last complete piece written before.
class OutputFile {
public:
    // Opens `path` to be written anew, creating it if needed. The old content
    // stays until start_anew(), so a recording that never starts loses
    // nothing; a file created here is removed again unless it was started.
    // Throws AudiorecError("Cannot create file <path>").
    static OutputFile create(const std::string& path);

    // Opens an existing file to continue at its end. Returns an empty
    // (not is_open) file when `path` does not exist; throws
    // AudiorecError("Cannot open file <path>") when it exists but cannot be
    // opened or is held by another writer.
    static OutputFile open_existing(const std::string& path);

    OutputFile() = default;
    OutputFile(OutputFile&& other) noexcept;
    OutputFile& operator=(OutputFile&& other) noexcept;
    ~OutputFile();

    bool is_open() const;
    const std::string& path() const { return path_; }
    uint64_t length() const { return length_; }

    // Drops the old content of a file opened by create().
    void start_anew();

    // Writes all `size` bytes at the end, or, on failure, leaves the file as it
    // was and puts "Cannot write file <path>: <reason>" into `error`.
    bool write_all(const uint8_t* data, size_t size, std::string& error);

    // Reads up to `size` bytes at `offset` of what the file holds.
    size_t read(uint64_t offset, uint8_t* data, size_t size) const;

    // Puts what was written on the disk; on failure "Cannot write file
    // <path>: <reason>" goes into `error`.
    bool sync(std::string& error);

    // True when the file was deleted while open: it has no name left, and
    // what it holds is gone once it is closed.
    bool lost_name() const;

    // Writes what the nameless file holds into a new file under its old
    // name, or beside it when that name is taken again. Returns the new
    // file's path, or empty with the reason in `error`.
    std::string save_again(std::string& error) const;

    // Closes the file and tells, as sync() does, when closing failed.
    bool close(std::string& error);
    void close();

private:
    OutputFile(intptr_t handle, std::string path, uint64_t length, bool created);

    intptr_t handle_ = -1; // the platform's file (see file_handle.h)
    std::string path_;
    uint64_t length_ = 0;
    bool created_ = false; // by create(), which found no file there
    bool started_ = false;
};

} // namespace ornavox
