#pragma once

#include "platform/hotkey_service.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace ornavox {

// Hotkeys that only the test presses. Combinations in `taken` belong to
// another program and never become active.
//
// Thread contract: every call on one thread.
class FakeHotkeyService : public HotkeyService {
public:
    std::set<uint16_t> taken;

    void set_handler(std::function<void(int)> handler) override { handler_ = std::move(handler); }
    bool register_hotkey(int id, uint16_t shortcut) override
    {
        calls_.push_back("register " + std::to_string(id) + " " + std::to_string(shortcut));
        registered_.erase(id);
        if (shortcut == 0 || taken.count(shortcut))
            return false;
        registered_[id] = shortcut;
        return true;
    }
    void unregister_hotkey(int id) override
    {
        calls_.push_back("unregister " + std::to_string(id));
        registered_.erase(id);
    }
    bool active(int id) const override { return registered_.count(id) > 0; }
    uint16_t granted_shortcut(int id) const override { return active(id) ? registered_.at(id) : 0; }

    // Presses a combination: the identifier registered for it fires.
    void press(uint16_t shortcut)
    {
        for (const auto& [id, registered] : registered_)
            if (registered == shortcut && handler_) {
                handler_(id);
                return;
            }
    }
    // A desktop that chose another combination for `id`, and says so later.
    void grant(int id, uint16_t shortcut)
    {
        registered_[id] = shortcut;
        if (grants_handler_)
            grants_handler_();
    }
    void set_grants_handler(std::function<void()> handler) override { grants_handler_ = std::move(handler); }
    const std::vector<std::string>& calls() const { return calls_; }

private:
    std::function<void(int)> handler_;
    std::function<void()> grants_handler_;
    std::map<int, uint16_t> registered_;
    std::vector<std::string> calls_;
};

} // namespace ornavox
