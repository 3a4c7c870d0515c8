#pragma once

#include <string>

namespace ornavox {

// The first 64 characters of a UTF-8 name, as the mixer lists names, cut on a
// character boundary.
std::string list_name(const std::string& name);

} // namespace ornavox
