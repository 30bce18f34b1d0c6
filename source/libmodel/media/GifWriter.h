#pragma once

// A small self-contained animated GIF writer with a C interface. Each 32-bit
// frame is reduced to at most 255 colours plus a transparent slot by ordered
// dithering at an adaptive bit depth, gets a local palette, has the pixels
// that did not change since the previous frame made transparent, and is
// LZW-compressed into an in-memory page; msf_gif_end joins the pages into the
// whole file.

#include <cstddef>
#include <cstdint>

// Non-zero: input pixels lie in memory as B, G, R, A (else R, G, B, A).
extern int msf_gif_bgra_flag;
// A pixel whose alpha is below this becomes transparent.
extern int msf_gif_alpha_threshold;

typedef size_t (*MsfGifFileWriteFunc)(const void* buffer, size_t size, size_t count,
                                      void* stream);

struct MsfCookedFrame
{
    uint32_t* pixels;
    int depth;
    int count;
    int rbits;
    int gbits;
    int bbits;
};

struct MsfGifBuffer
{
    MsfGifBuffer* next;
    size_t size;
    uint8_t data[1];
};

struct MsfGifHandle
{
    MsfGifFileWriteFunc fileWriteFunc;
    void* fileWriteData;
    MsfCookedFrame previousFrame;
    MsfCookedFrame currentFrame;
    int16_t* lzwMem;
    MsfGifBuffer* listHead;
    MsfGifBuffer* listTail;
    int width;
    int height;
    void* customAllocatorContext;
    int framesSubmitted;
};

struct MsfGifOutput
{
    void* data;
    size_t dataSize;
    size_t allocSize;
    void* contextPointer;
};

// Each returns 1 on success, 0 on failure. After a failure everything the
// handle held is freed and later frames fail too.
int msf_gif_begin(MsfGifHandle* handle, int width, int height);
int msf_gif_frame(MsfGifHandle* handle, uint8_t* pixelData, int centiSecondsPerFrame,
                  int maxBitDepth, int pitchInBytes);
// The whole file ending in ';'; all zero when there is nothing (or after a
// failure). The handle's memory is released either way.
MsfGifOutput msf_gif_end(MsfGifHandle* handle);
void msf_gif_free(MsfGifOutput result);
