#pragma once

#include <objbase.h>

#include <utility>

namespace ornavox::win32 {

// Owns one reference to a COM object.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr& other) : object_(other.object_)
    {
        if (object_)
            object_->AddRef();
    }
    ComPtr(ComPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept
    {
        std::swap(object_, other.object_);
        return *this;
    }
    ~ComPtr() { reset(); }

    void reset()
    {
        if (T* object = std::exchange(object_, nullptr))
            object->Release();
    }
    // For a call that hands out a reference: the old one goes first.
    T** put()
    {
        reset();
        return &object_;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    T* get() const { return object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

private:
    T* object_ = nullptr;
};

// COM on the calling thread for the life of this object: the GUI thread's
// single-threaded apartment, or the multithreaded one of a worker.
class ComApartment {
public:
    explicit ComApartment(DWORD model = COINIT_APARTMENTTHREADED) : ok_(SUCCEEDED(CoInitializeEx(nullptr, model))) {}
    ~ComApartment()
    {
        if (ok_)
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool ok_;
};

} // namespace ornavox::win32
