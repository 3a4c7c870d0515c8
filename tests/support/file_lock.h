#pragma once

#include <cstdint>
#include <string>

namespace ornavox::test {

// Another writer's exclusive lock on a file, as a second recorder would
// hold it; released when destroyed. Per platform: flock, or LockFileEx.
class HeldFile {
public:
    explicit HeldFile(const std::string& path);
    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    bool held() const { return held_; }

private:
    intptr_t handle_;
    bool held_ = false;
};

// True when no one holds the file: it can be locked now.
bool file_is_free(const std::string& path);

} // namespace ornavox::test
