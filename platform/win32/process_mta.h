#pragma once

#include <objbase.h>

#include <condition_variable>
#include <mutex>
#include <thread>

namespace ornavox::win32 {

// Keeps a multithreaded apartment in the process for as long as it lives: a
// thread that joined it waits there. Some COM servers call back only into a
// process that has one, whatever apartment registered the callback: the
// audio session manager tells new sessions only to a process with an MTA,
// while the GUI thread is single-threaded.
class ProcessMta {
public:
    ProcessMta()
        : thread_([this] {
              const HRESULT joined = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
              std::unique_lock lock(mutex_);
              wake_.wait(lock, [this] { return done_; });
              lock.unlock();
              if (SUCCEEDED(joined))
                  CoUninitialize();
          })
    {
    }
    ~ProcessMta()
    {
        {
            const std::lock_guard lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    ProcessMta(const ProcessMta&) = delete;
    ProcessMta& operator=(const ProcessMta&) = delete;

private:
    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    std::thread thread_;
};

} // namespace ornavox::win32
