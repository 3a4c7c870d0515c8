// A stand-in for the encoder plug-in whose results a test chooses, built in
// several variants (see CMakeLists.txt), each named liblame_enc.so.
//
// The results come from the environment, read at every call, so one loaded
// copy serves every case of a test program:
//   FAKE_ENC_INIT_RESULT, FAKE_ENC_DEINIT_RESULT, FAKE_ENC_CLOSE_RESULT:
//   the BE_ERR code the call returns (0 when unset).
// "Encoding" copies the PCM bytes to the output unchanged, so a test can see
// what was passed; a successful deinit writes the four bytes "TAIL".

#include "recording/bladeenc.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {

// 16-bit values per chunk that beInitStream suggests.
constexpr BE_DWORD kSuggestedValues = 2304;
// Holds a copied chunk of twice the suggested count.
constexpr BE_DWORD kOutputBufferSize = 2 * kSuggestedValues * sizeof(int16_t);

std::atomic<HBE_STREAM> next_stream{1};

BE_ERR chosen_result(const char* variable)
{
    const char* value = std::getenv(variable);
    return value ? static_cast<BE_ERR>(std::strtoul(value, nullptr, 0)) : BE_ERR_SUCCESSFUL;
}

} // namespace

extern "C" {

#ifndef FAKE_ENC_WITHOUT_VERSION
void beVersion(BE_VERSION* version)
{
    std::memset(version, 0, sizeof *version);
}
#endif

BE_ERR beInitStream(BE_CONFIG*, BE_DWORD* samples, BE_DWORD* buffer_size, HBE_STREAM* stream)
{
    const BE_ERR result = chosen_result("FAKE_ENC_INIT_RESULT");
    if (result != BE_ERR_SUCCESSFUL)
        return result;
    *samples = kSuggestedValues;
    *buffer_size = kOutputBufferSize;
    *stream = next_stream++;
    return BE_ERR_SUCCESSFUL;
}

BE_ERR beEncodeChunk(HBE_STREAM, BE_DWORD samples, const int16_t* pcm, uint8_t* output, BE_DWORD* output_bytes)
{
    const BE_DWORD bytes = samples * sizeof(int16_t);
    if (bytes > kOutputBufferSize) {
        *output_bytes = 0;
        return BE_ERR_BUFFER_TOO_SMALL;
    }
    std::memcpy(output, pcm, bytes);
    *output_bytes = bytes;
    return BE_ERR_SUCCESSFUL;
}

BE_ERR beDeinitStream(HBE_STREAM, uint8_t* output, BE_DWORD* output_bytes)
{
    const BE_ERR result = chosen_result("FAKE_ENC_DEINIT_RESULT");
    *output_bytes = 0;
    if (result == BE_ERR_SUCCESSFUL) {
        std::memcpy(output, "TAIL", 4);
        *output_bytes = 4;
    }
    return result;
}

#ifndef FAKE_ENC_WITHOUT_CLOSE
BE_ERR beCloseStream(HBE_STREAM)
{
    return chosen_result("FAKE_ENC_CLOSE_RESULT");
}
#endif

} // extern "C"
