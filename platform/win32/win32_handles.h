#pragma once

#include <windows.h>
// After windows.h, which they need.
#include <objbase.h>
#include <propidl.h>

#include <memory>

namespace ornavox::win32 {

// Memory that COM hands out (CoTaskMemAlloc), freed with CoTaskMemFree.
struct CoTaskMemFreer {
    void operator()(void* memory) const { CoTaskMemFree(memory); }
};
template <class T>
using CoTaskMem = std::unique_ptr<T, CoTaskMemFreer>;

// A PROPVARIANT, cleared when it goes.
class PropVariant {
public:
    PropVariant() { PropVariantInit(&value_); }
    ~PropVariant() { PropVariantClear(&value_); }
    PropVariant(const PropVariant&) = delete;
    PropVariant& operator=(const PropVariant&) = delete;
    PROPVARIANT* put() { return &value_; }
    const PROPVARIANT& operator*() const { return value_; }
    const PROPVARIANT* operator->() const { return &value_; }

private:
    PROPVARIANT value_;
};

// A kernel object's handle, closed with CloseHandle.
struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using KernelHandle = std::unique_ptr<void, HandleCloser>;

} // namespace ornavox::win32
