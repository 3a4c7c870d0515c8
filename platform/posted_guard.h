#pragma once

#include <memory>

namespace ornavox {

// Keeps a call posted to the GUI thread from reaching an object that went
// before the call ran. The owner holds the guard and points it at the target
// (itself, or its listener); a posted call takes a copy of ref() along, made
// on any thread, and reads it when it runs. The guard is pointed, read and
// destroyed on the GUI thread only, so a call that runs after the owner went
// finds nullptr.
template <class T>
class PostedGuard {
public:
    class Ref {
    public:
        T* get() const { return *cell_; }

    private:
        friend class PostedGuard;
        explicit Ref(std::shared_ptr<T*> cell) : cell_(std::move(cell)) {}
        std::shared_ptr<T*> cell_;
    };

    explicit PostedGuard(T* target = nullptr) : cell_(std::make_shared<T*>(target)) {}
    ~PostedGuard() { *cell_ = nullptr; }
    PostedGuard(const PostedGuard&) = delete;
    PostedGuard& operator=(const PostedGuard&) = delete;

    void point_at(T* target) { *cell_ = target; }
    Ref ref() const { return Ref(cell_); }

private:
    std::shared_ptr<T*> cell_;
};

} // namespace ornavox
