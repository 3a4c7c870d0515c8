#include "base/list_name.h"

namespace ornavox {

std::string list_name(const std::string& name)
{
    constexpr size_t kCharacters = 64;
    size_t characters = 0;
    for (size_t i = 0; i < name.size(); ++i) {
        if ((static_cast<unsigned char>(name[i]) & 0xC0) != 0x80 && ++characters > kCharacters)
            return name.substr(0, i);
    }
    return name;
}

} // namespace ornavox
