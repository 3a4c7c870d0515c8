#pragma once

#include "base/file_handle.h"

#include <string>

namespace ornavox::test {

// Another writer's hold on a file, as a second recorder would take it: the
// recorder's own open and lock. Released when destroyed.
class HeldFile {
public:
    explicit HeldFile(const std::string& path)
    {
        bool missing = false;
        handle_ = file::open(path, file::Open::Existing, missing);
        held_ = handle_ != file::kNone && file::lock_and_measure(handle_).has_value();
    }
    ~HeldFile()
    {
        if (handle_ != file::kNone)
            file::close(handle_);
    }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    bool held() const { return held_; }

private:
    file::Handle handle_ = file::kNone;
    bool held_ = false;
};

// True when no one holds the file: a second writer could take it now.
inline bool file_is_free(const std::string& path)
{
    return HeldFile(path).held();
}

} // namespace ornavox::test
