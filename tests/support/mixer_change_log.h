#pragma once

#include "platform/mixer_device.h"

#include <cstdint>
#include <vector>

namespace ornavox::test {

// What a mixer device raised: each changed control, and how often its lines
// changed.
class MixerChangeLog : public MixerListener {
public:
    std::vector<uint32_t> changed;
    int lines = 0;
    void control_changed(uint32_t control_id) override { changed.push_back(control_id); }
    void lines_changed() override { ++lines; }
};

} // namespace ornavox::test
