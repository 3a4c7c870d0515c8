#pragma once

// The encoder plug-in's binary interface, laid out as the published BladeEnc
// DLL interface lays it out (byte-packed records, 32-bit DWORD and BOOL).
// Shared by the recording component and by the plug-in itself.

#include <cstddef>
#include <cstdint>

// The entry points' calling convention: the C one, as the published DLL
// declares them.
#ifdef _WIN32
#define BE_CALL __cdecl
#else
#define BE_CALL
#endif

extern "C" {

typedef uint32_t BE_DWORD;
typedef int32_t BE_BOOL;
typedef uint32_t BE_ERR;
typedef uint32_t HBE_STREAM;

#define BE_CONFIG_MP3 0
#define BE_CONFIG_LAME 256

#define BE_ERR_SUCCESSFUL 0x00000000
#define BE_ERR_INVALID_FORMAT 0x00000001
#define BE_ERR_INVALID_FORMAT_PARAMETERS 0x00000002
#define BE_ERR_NO_MORE_HANDLES 0x00000003
#define BE_ERR_INVALID_HANDLE 0x00000004
#define BE_ERR_BUFFER_TOO_SMALL 0x00000005

#define BE_MP3_MODE_STEREO 0
#define BE_MP3_MODE_JSTEREO 1
#define BE_MP3_MODE_DUALCHANNEL 2
#define BE_MP3_MODE_MONO 3

#define BE_MAX_HOMEPAGE 128

#pragma pack(push, 1)

typedef struct {
    BE_DWORD dwConfig;
    union {
        struct {
            BE_DWORD dwSampleRate;
            uint8_t byMode;
            uint16_t wBitrate;
            BE_BOOL bPrivate;
            BE_BOOL bCRC;
            BE_BOOL bCopyright;
            BE_BOOL bOriginal;
        } mp3;
        struct {
            BE_DWORD dwStructVersion;
            BE_DWORD dwStructSize;
            BE_DWORD dwSampleRate;
            BE_DWORD dwReSampleRate;
            int32_t nMode;
            BE_DWORD dwBitrate;
            BE_DWORD dwMaxBitrate;
            int32_t nPreset;
            BE_DWORD dwMpegVersion;
            BE_DWORD dwPsyModel;
            BE_DWORD dwEmphasis;
            BE_BOOL bPrivate;
            BE_BOOL bCRC;
            BE_BOOL bCopyright;
            BE_BOOL bOriginal;
            BE_BOOL bWriteVBRHeader;
            BE_BOOL bEnableVBR;
            int32_t nVBRQuality;
            BE_DWORD dwVbrAbr_bps;
            int32_t nVbrMethod;
            BE_BOOL bNoRes;
            BE_BOOL bStrictIso;
            uint16_t nQuality;
            uint8_t btReserved[255 - 4 * sizeof(BE_DWORD) - sizeof(uint16_t)];
        } LHV1;
        struct {
            BE_DWORD dwSampleRate;
            uint8_t byMode;
            uint16_t wBitrate;
            uint8_t byEncodingMethod;
        } aac;
    } format;
} BE_CONFIG;

typedef struct {
    uint8_t byDLLMajorVersion;
    uint8_t byDLLMinorVersion;
    uint8_t byMajorVersion;
    uint8_t byMinorVersion;
    uint8_t byDay;
    uint8_t byMonth;
    uint16_t wYear;
    char zHomepage[BE_MAX_HOMEPAGE + 1];
    uint8_t byAlphaLevel;
    uint8_t byBetaLevel;
    uint8_t byMMXEnabled;
    uint8_t btReserved[125];
} BE_VERSION;

#pragma pack(pop)

// Callers built against other copies of the interface depend on these offsets.
static_assert(sizeof(BE_CONFIG) == 331, "BE_CONFIG must keep the published size");
static_assert(offsetof(BE_CONFIG, format.mp3.dwSampleRate) == 4);
static_assert(offsetof(BE_CONFIG, format.mp3.byMode) == 8);
static_assert(offsetof(BE_CONFIG, format.mp3.wBitrate) == 9);
static_assert(offsetof(BE_CONFIG, format.mp3.bPrivate) == 11);
static_assert(offsetof(BE_CONFIG, format.mp3.bOriginal) == 23);
static_assert(sizeof(BE_VERSION) == 8 + BE_MAX_HOMEPAGE + 1 + 3 + 125);

typedef void(BE_CALL* BEVERSION)(BE_VERSION* version);
typedef BE_ERR(BE_CALL* BEINITSTREAM)(BE_CONFIG* config, BE_DWORD* samples, BE_DWORD* buffer_size, HBE_STREAM* stream);
typedef BE_ERR(BE_CALL* BEENCODECHUNK)(HBE_STREAM stream, BE_DWORD samples, const int16_t* pcm, uint8_t* output,
                                       BE_DWORD* output_bytes);
typedef BE_ERR(BE_CALL* BEDEINITSTREAM)(HBE_STREAM stream, uint8_t* output, BE_DWORD* output_bytes);
typedef BE_ERR(BE_CALL* BECLOSESTREAM)(HBE_STREAM stream);

} // extern "C"
