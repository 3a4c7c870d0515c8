#pragma once

#include <string>

namespace ornavox {

// The record source the user chose on the Windows mixer: a capture endpoint
// by its name, or what the default output plays.
struct RecordSource {
    std::string name;
    bool what_you_hear = false;

    bool operator==(const RecordSource&) const = default;
};

} // namespace ornavox
