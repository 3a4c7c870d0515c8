#pragma once

#include "recording/bladeenc.h"

#include <lame/lame.h>

#include <memory>

namespace ornavox::lame_enc {

// One encoder stream: a LAME encoder set up from a BE_CONFIG, producing a
// plain sequence of CBR frames (no Xing/Info frame, no ID3 tags) so that
// streams written one after another into a file play as one.
// Not thread-safe: calls on one stream must not overlap.
class LameStream {
public:
    // The stream `config` describes, or nullptr with `error` set to why not.
    static std::unique_ptr<LameStream> create(const BE_CONFIG& config, BE_ERR& error);

    // 16-bit values per chunk, all channels together: one MP3 frame's worth.
    BE_DWORD suggested_values() const;
    // Bytes that always hold the output of one chunk of up to
    // max_chunk_values(), and of flush().
    BE_DWORD output_buffer_size() const;
    // Callers may pass up to twice the suggested count per chunk.
    BE_DWORD max_chunk_values() const { return 2 * suggested_values(); }

    // `output` must hold output_buffer_size() bytes. `*output_bytes` is 0
    // whenever the result is not BE_ERR_SUCCESSFUL.
    BE_ERR encode(BE_DWORD values, const int16_t* pcm, uint8_t* output, BE_DWORD* output_bytes);
    // Pads and writes out what the encoder still holds; the stream takes no
    // more input afterwards. A second flush writes nothing.
    BE_ERR flush(uint8_t* output, BE_DWORD* output_bytes);

private:
    struct LameCloser {
        void operator()(lame_global_flags* flags) const { lame_close(flags); }
    };

    LameStream(std::unique_ptr<lame_global_flags, LameCloser> lame, int channels);

    std::unique_ptr<lame_global_flags, LameCloser> lame_;
    int channels_;
    bool flushed_ = false;
};

} // namespace ornavox::lame_enc
