#include "ui/controls.h"

#include <array>

namespace ornavox {

namespace {

constexpr std::array kNames = {"",
#define ORNAVOX_CONTROL_NAME(name) #name,
                               ORNAVOX_CONTROLS(ORNAVOX_CONTROL_NAME)
#undef ORNAVOX_CONTROL_NAME
};

} // namespace

const char* control_name(ControlId id)
{
    return kNames[static_cast<size_t>(id)];
}

ControlId control_named(std::string_view name)
{
    for (size_t i = 1; i < kNames.size(); ++i)
        if (name == kNames[i])
            return static_cast<ControlId>(i);
    return ControlId::None;
}

} // namespace ornavox
