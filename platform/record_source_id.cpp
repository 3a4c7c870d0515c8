#include "platform/record_source_id.h"

#include <cstring>

namespace ornavox {

std::string call_source_name(const std::string& voice_name)
{
    // The mixer's names are 64 characters; the suffix is plain ASCII.
    const size_t room = 64 - std::strlen(kCallSuffix);
    size_t characters = 0;
    for (size_t i = 0; i < voice_name.size(); ++i)
        if ((static_cast<unsigned char>(voice_name[i]) & 0xC0) != 0x80 && ++characters > room)
            return voice_name.substr(0, i) + kCallSuffix;
    return voice_name + kCallSuffix;
}

std::string call_source_id(const std::string& voice_id)
{
    return voice_id + kCallSuffix;
}

std::optional<std::string> call_voice(const std::string& call)
{
    const size_t suffix = std::strlen(kCallSuffix);
    if (call.size() <= suffix || call.compare(call.size() - suffix, suffix, kCallSuffix) != 0)
        return std::nullopt;
    return call.substr(0, call.size() - suffix);
}

} // namespace ornavox
