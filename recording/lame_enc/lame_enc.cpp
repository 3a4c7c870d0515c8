// The plug-in's exported entry points. Only these five leave the library
// (see exports.map); everything else is hidden.

#include "recording/bladeenc.h"
#include "recording/lame_enc/lame_stream.h"
#include "recording/lame_enc/stream_table.h"

#include <lame/lame.h>

#include <cstring>
#include <new>

#ifdef _WIN32
#define ORNAVOX_EXPORT __declspec(dllexport)
#else
#define ORNAVOX_EXPORT __attribute__((visibility("default")))
#endif

using ornavox::lame_enc::LameStream;
using ornavox::lame_enc::StreamTable;

namespace {

StreamTable& streams()
{
    static StreamTable table;
    return table;
}

} // namespace

extern "C" {

ORNAVOX_EXPORT void BE_CALL beVersion(BE_VERSION* version)
{
    if (!version)
        return;
    std::memset(version, 0, sizeof *version);
    version->byDLLMajorVersion = 1;
    version->byDLLMinorVersion = 0;
    lame_version_t lame{};
    get_lame_version_numerical(&lame);
    version->byMajorVersion = static_cast<uint8_t>(lame.major);
    version->byMinorVersion = static_cast<uint8_t>(lame.minor);
    std::strncpy(version->zHomepage, get_lame_url(), BE_MAX_HOMEPAGE);
}

ORNAVOX_EXPORT BE_ERR BE_CALL beInitStream(BE_CONFIG* config, BE_DWORD* samples, BE_DWORD* buffer_size,
                                           HBE_STREAM* stream)
{
    if (!config || !samples || !buffer_size || !stream)
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    try {
        BE_ERR error = BE_ERR_SUCCESSFUL;
        std::shared_ptr<LameStream> created = LameStream::create(*config, error);
        if (!created)
            return error;
        const BE_DWORD suggested = created->suggested_values();
        const BE_DWORD size = created->output_buffer_size();
        const HBE_STREAM handle = streams().add(std::move(created));
        if (handle == 0)
            return BE_ERR_NO_MORE_HANDLES;
        *samples = suggested;
        *buffer_size = size;
        *stream = handle;
        return BE_ERR_SUCCESSFUL;
    } catch (const std::bad_alloc&) {
        return BE_ERR_NO_MORE_HANDLES;
    }
}

ORNAVOX_EXPORT BE_ERR BE_CALL beEncodeChunk(HBE_STREAM stream, BE_DWORD samples, const int16_t* pcm, uint8_t* output,
                                            BE_DWORD* output_bytes)
{
    if (!output_bytes)
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    *output_bytes = 0;
    const auto found = streams().find(stream);
    if (!found)
        return BE_ERR_INVALID_HANDLE;
    return found->encode(samples, pcm, output, output_bytes);
}

ORNAVOX_EXPORT BE_ERR BE_CALL beDeinitStream(HBE_STREAM stream, uint8_t* output, BE_DWORD* output_bytes)
{
    if (!output_bytes)
        return BE_ERR_INVALID_FORMAT_PARAMETERS;
    *output_bytes = 0;
    const auto found = streams().find(stream);
    if (!found)
        return BE_ERR_INVALID_HANDLE;
    return found->flush(output, output_bytes);
}

ORNAVOX_EXPORT BE_ERR BE_CALL beCloseStream(HBE_STREAM stream)
{
    return streams().remove(stream) ? BE_ERR_SUCCESSFUL : BE_ERR_INVALID_HANDLE;
}

} // extern "C"
