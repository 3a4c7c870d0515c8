#pragma once

#include <string>

namespace ornavox {

// The record source the user chose on the Windows mixer: a capture endpoint
// by its name, what the default output plays, or a call: the endpoint named
// and what the default output plays, mixed.
struct RecordSource {
    std::string name;
    bool what_you_hear = false;
    bool call = false;

    bool operator==(const RecordSource&) const = default;
};

} // namespace ornavox
