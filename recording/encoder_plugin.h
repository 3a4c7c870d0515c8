#pragma once

#include "platform/message_sink.h"
#include "recording/bladeenc.h"

#include <string>

namespace ornavox {

// The plug-in's file name in the program folder.
#ifdef _WIN32
inline constexpr const char* kEncoderPluginFileName = "lame_enc.dll";
#else
inline constexpr const char* kEncoderPluginFileName = "liblame_enc.so";
#endif

// The four stream entry points of a loaded plug-in.
struct EncoderEntryPoints {
    BEINITSTREAM beInitStream = nullptr;
    BEENCODECHUNK beEncodeChunk = nullptr;
    BEDEINITSTREAM beDeinitStream = nullptr;
    BECLOSESTREAM beCloseStream = nullptr;
};

// Loads kEncoderPluginFileName from `program_dir` (with its trailing
// separator), looks up beVersion, calls it once, then the other four. The
// library is never unloaded; loading the same path again returns the same
// entry points. A library that cannot be loaded shows "MP3 Encode plugin is
// not installed!" through `messages`; a missing entry point is silent. Returns
// nullptr when the encoder is unavailable.
const EncoderEntryPoints* load_encoder_plugin(const std::string& program_dir, MessageSink& messages);

// 0 for BE_ERR_SUCCESSFUL; otherwise shows the code's message and returns -1.
int encodercheck(BE_ERR code, MessageSink& messages);

} // namespace ornavox
