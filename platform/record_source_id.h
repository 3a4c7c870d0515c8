#pragma once

#include <optional>
#include <string>

namespace ornavox {

// The record sources that are not one of the system's own, by the ids under
// which the mixer lists them and the settings keep them, on every platform:
// - "What you hear": what the default output plays, whichever output that
//   is at the moment;
// - a call: a source (its voice) and what you hear, mixed. Its id is the
//   voice's id followed by kCallSuffix, and so is its name.
inline constexpr const char* kWhatYouHear = "What you hear";
inline constexpr const char* kCallSuffix = " + what you hear";

// The call item of a source: its name or id with the suffix, the name cut so
// that the whole fits the mixer's 64 characters.
std::string call_source_name(const std::string& voice_name);
std::string call_source_id(const std::string& voice_id);
// The voice of a call's name or id; nullopt for anything else.
std::optional<std::string> call_voice(const std::string& call);

} // namespace ornavox
