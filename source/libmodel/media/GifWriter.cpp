#include "media/GifWriter.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

int msf_gif_bgra_flag = 0;
int msf_gif_alpha_threshold = 0;

namespace {

constexpr int lzwCodes = 4096;
// 4096 codes × 256 colours, 16-bit entries.
constexpr size_t lzwMemBytes = size_t(lzwCodes) * 256 * sizeof(int16_t);
constexpr int headerBytes = 32;

// Bits per channel at each total depth: d = R + G + B.
constexpr int greenBits[17] = {0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 5, 6};
constexpr int redBits[17] = {0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5, 5};
constexpr int blueBits[17] = {0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 4, 4, 4, 5, 5};

constexpr int bayer[16] = {0, 8, 2, 10, 12, 4, 14, 6, 3, 11, 1, 9, 15, 7, 13, 5};

int bitLength(int value)
{
    int bits = 0;
    while (value > 0) {
        ++bits;
        value >>= 1;
    }
    return bits;
}

MsfGifBuffer* allocPage(size_t dataBytes)
{
    auto* page = static_cast<MsfGifBuffer*>(std::malloc(offsetof(MsfGifBuffer, data) + dataBytes));
    if (page) {
        page->next = nullptr;
        page->size = dataBytes;
    }
    return page;
}

void freeHandle(MsfGifHandle* handle)
{
    std::free(handle->previousFrame.pixels);
    std::free(handle->currentFrame.pixels);
    std::free(handle->lzwMem);
    handle->previousFrame.pixels = nullptr;
    handle->currentFrame.pixels = nullptr;
    handle->lzwMem = nullptr;
    for (MsfGifBuffer* page = handle->listHead; page;) {
        MsfGifBuffer* const next = page->next;
        std::free(page);
        page = next;
    }
    handle->listHead = nullptr;
    handle->listTail = nullptr;
}

void append(MsfGifHandle* handle, MsfGifBuffer* page)
{
    if (handle->listTail)
        handle->listTail->next = page;
    else
        handle->listHead = page;
    handle->listTail = page;
}

void put16(uint8_t* out, int value)
{
    out[0] = uint8_t(value & 0xFF);
    out[1] = uint8_t((value >> 8) & 0xFF);
}

// Reduces a frame to colour indices at total depth d; the transparent slot is
// index 2^d. Marks the used indices and returns how many colours are used,
// the transparent slot not counted.
int cook(MsfCookedFrame* frame, uint8_t const* raw, uint8_t* used, int width, int height,
         int pitch, int depth, bool* anyTransparent)
{
    int const g = greenBits[depth];
    int const r = redBits[depth];
    int const b = blueBits[depth];
    // The channel in the pixel's first byte takes the lowest bits.
    int const bits0 = msf_gif_bgra_flag ? b : r;
    int const bits1 = g;
    int const bits2 = msf_gif_bgra_flag ? r : b;
    frame->depth = depth;
    frame->rbits = r;
    frame->gbits = g;
    frame->bbits = b;

    auto multiplier = [](int bits) {
        return uint16_t((255.0f - float((1 << (8 - bits)) - 1)) / 255.0f * 257.0f);
    };
    uint32_t const mul0 = multiplier(bits0);
    uint32_t const mul1 = multiplier(bits1);
    uint32_t const mul2 = multiplier(bits2);
    uint32_t const mask1 = ((1u << (bits0 + bits1)) - 1) & ~((1u << bits0) - 1);
    uint32_t const mask2 = ((1u << depth) - 1) & ~((1u << (bits0 + bits1)) - 1);
    uint32_t const transparent = 1u << depth;
    int const threshold = msf_gif_alpha_threshold;

    std::memset(used, 0, size_t(transparent) + 1);
    bool transparentSeen = false;
    for (int y = 0; y < height; ++y) {
        uint8_t const* row = raw + ptrdiff_t(y) * pitch;
        uint32_t* out = frame->pixels + size_t(y) * width;
        int const* const dither = bayer + (y & 3) * 4;
        for (int x = 0; x < width; ++x) {
            uint8_t const* const p = row + x * 4;
            uint32_t index;
            if (p[3] < threshold) {
                index = transparent;
                transparentSeen = true;
            } else {
                uint32_t const k = uint32_t(dither[x & 3]) * 4096u;
                uint32_t const s0 = std::min<uint32_t>(65535u, p[0] * mul0 + (k >> bits0));
                uint32_t const s1 = std::min<uint32_t>(65535u, p[1] * mul1 + (k >> bits1));
                uint32_t const s2 = std::min<uint32_t>(65535u, p[2] * mul2 + (k >> bits2));
                index = (s0 >> (16 - bits0)) | ((s1 >> (16 - bits0 - bits1)) & mask1)
                    | ((s2 >> (16 - bits0 - bits1 - bits2)) & mask2);
            }
            out[x] = index;
            used[index] = 1;
        }
    }
    int count = 0;
    for (uint32_t i = 0; i < transparent; ++i)
        count += used[i];
    frame->count = count;
    *anyTransparent = transparentSeen;
    return count;
}

// Expands a b-bit channel value to 8 bits by repeating its bits.
uint8_t replicate(uint32_t value, int bits)
{
    if (bits == 0)
        return 0;
    uint32_t const top = (value << (8 - bits)) & 0xFF;
    return uint8_t((top | (top >> bits) | (top >> (2 * bits)) | (top >> (3 * bits))) & 0xFF);
}

// Writes LZW codes least-significant bit first into 255-byte sub-blocks.
struct BlockWriter
{
    uint8_t* out;
    uint8_t* countByte;
    int blockLength = 0;
    uint64_t bits = 0;
    int bitCount = 0;

    explicit BlockWriter(uint8_t* at)
        : out(at + 1)
        , countByte(at)
    {
    }

    void putByte(uint8_t byte)
    {
        if (blockLength == 255) {
            *countByte = 255;
            countByte = out++;
            blockLength = 0;
        }
        *out++ = byte;
        ++blockLength;
    }

    void put(uint32_t code, int width)
    {
        bits |= uint64_t(code) << bitCount;
        bitCount += width;
        while (bitCount >= 8) {
            putByte(uint8_t(bits & 0xFF));
            bits >>= 8;
            bitCount -= 8;
        }
    }

    // Ends the data with its last partial byte and the 0 terminator; returns
    // the end of what was written.
    uint8_t* finish()
    {
        if (bitCount > 0)
            putByte(uint8_t(bits & 0xFF));
        if (blockLength > 0)
            *countByte = uint8_t(blockLength);
        else
            out = countByte; // an empty last block is left out
        *out++ = 0;
        return out;
    }
};

} // namespace

int msf_gif_begin(MsfGifHandle* handle, int width, int height)
{
    std::memset(handle, 0, sizeof *handle);
    if (width <= 0 || height <= 0 || width > 0xFFFF || height > 0xFFFF)
        return 0;
    handle->width = width;
    handle->height = height;
    handle->framesSubmitted = 0;
    size_t const frameBytes = size_t(width) * size_t(height) * 4;
    handle->lzwMem = static_cast<int16_t*>(std::malloc(lzwMemBytes));
    handle->previousFrame.pixels = static_cast<uint32_t*>(std::malloc(frameBytes));
    handle->currentFrame.pixels = static_cast<uint32_t*>(std::malloc(frameBytes));
    MsfGifBuffer* const page = allocPage(headerBytes);
    if (!handle->lzwMem || !handle->previousFrame.pixels || !handle->currentFrame.pixels || !page) {
        std::free(page);
        freeHandle(handle);
        return 0;
    }
    uint8_t* const h = page->data;
    std::memcpy(h, "GIF89a", 6);
    put16(h + 6, width);
    put16(h + 8, height);
    h[10] = 0x70; // no global colour table, colour resolution 8 bits
    h[11] = 0;
    h[12] = 0;
    h[13] = 0x21; // application extension: loop for ever
    h[14] = 0xFF;
    h[15] = 0x0B;
    std::memcpy(h + 16, "NETSCAPE2.0", 11);
    h[27] = 0x03;
    h[28] = 0x01;
    h[29] = 0x00;
    h[30] = 0x00;
    h[31] = 0x00;
    append(handle, page);
    return 1;
}

int msf_gif_frame(MsfGifHandle* handle, uint8_t* pixelData, int centiSecondsPerFrame,
                  int maxBitDepth, int pitchInBytes)
{
    if (!handle->listHead || !pixelData)
        return 0;
    int const width = handle->width;
    int const height = handle->height;
    maxBitDepth = std::clamp(maxBitDepth, 1, 16);
    if (pitchInBytes == 0)
        pitchInBytes = width * 4;
    if (pitchInBytes < 0)
        pixelData -= ptrdiff_t(pitchInBytes) * (height - 1);

    // Most frames need one cooking: start from what the previous frame used.
    MsfCookedFrame& previous = handle->previousFrame;
    MsfCookedFrame& current = handle->currentFrame;
    int depth = std::min(maxBitDepth, previous.depth + 160 / std::max(1, previous.count));
    uint8_t used[(1 << 16) + 1];
    bool anyTransparent = false;
    while (cook(&current, pixelData, used, width, height, pitchInBytes, depth, &anyTransparent)
           >= 256)
        --depth;
    int const count = current.count;

    // Palette: 0 transparent, then the used colours in increasing order.
    int const tableBits = std::max(2, bitLength(count));
    int const tableSize = 1 << tableBits;
    uint32_t const transparent = 1u << depth;
    uint8_t palette[256 * 3] = {};
    static thread_local uint16_t paletteIndex[(1 << 16) + 1];
    int const bits0 = msf_gif_bgra_flag ? current.bbits : current.rbits;
    int const bits1 = current.gbits;
    int next = 1;
    for (uint32_t i = 0; i < transparent; ++i) {
        if (!used[i])
            continue;
        uint32_t const c0 = i & ((1u << bits0) - 1);
        uint32_t const c1 = (i >> bits0) & ((1u << bits1) - 1);
        uint32_t const c2 = i >> (bits0 + bits1);
        uint32_t const red = msf_gif_bgra_flag ? c2 : c0;
        uint32_t const blue = msf_gif_bgra_flag ? c0 : c2;
        palette[next * 3 + 0] = replicate(red, current.rbits);
        palette[next * 3 + 1] = replicate(c1, current.gbits);
        palette[next * 3 + 2] = replicate(blue, current.bbits);
        paletteIndex[i] = uint16_t(next++);
    }
    paletteIndex[transparent] = 0;

    // Pixels unchanged since the previous frame show through it.
    bool const difference = !anyTransparent && current.rbits == previous.rbits
        && current.gbits == previous.gbits && current.bbits == previous.bbits;
    if (anyTransparent && handle->framesSubmitted > 0 && handle->listTail)
        handle->listTail->data[3] = 0x09; // the previous frame: dispose to background
    size_t const pixels = size_t(width) * size_t(height);

    size_t const worstCase = 16 + 32 + 768 + pixels * 3 / 2 + pixels / 128 + 16;
    MsfGifBuffer* page = allocPage(worstCase);
    if (!page) {
        freeHandle(handle);
        return 0;
    }
    uint8_t* out = page->data;
    out[0] = 0x21; // graphic control extension
    out[1] = 0xF9;
    out[2] = 0x04;
    out[3] = 0x05; // leave in place, transparent colour present
    put16(out + 4, centiSecondsPerFrame);
    out[6] = 0; // transparent index
    out[7] = 0;
    out[8] = 0x2C; // image descriptor
    put16(out + 9, 0);
    put16(out + 11, 0);
    put16(out + 13, width);
    put16(out + 15, height);
    out[17] = uint8_t(0x80 | (tableBits - 1));
    out += 18;
    std::memcpy(out, palette, size_t(tableSize) * 3);
    out += tableSize * 3;
    *out++ = uint8_t(tableBits);

    int const clearCode = 1 << tableBits;
    int const endCode = clearCode + 1;
    int const columns = count + 1; // palette indices 0 … count
    int16_t* const table = handle->lzwMem;
    size_t const tableBytes = size_t(lzwCodes) * size_t(columns) * sizeof(int16_t);
    std::memset(table, 0xFF, tableBytes);
    int nextCode = clearCode + 2;

    auto indexAt = [&](size_t i) -> int {
        uint32_t const colour = current.pixels[i];
        if (difference && colour == previous.pixels[i])
            return 0;
        return paletteIndex[colour];
    };

    BlockWriter writer(out);
    writer.put(uint32_t(clearCode), tableBits + 1);
    int code = indexAt(0);
    for (size_t i = 1; i < pixels; ++i) {
        int const index = indexAt(i);
        int16_t& entry = table[size_t(code) * columns + index];
        if (entry >= 0) {
            code = entry;
            continue;
        }
        int const codeWidth = bitLength(nextCode - 1);
        writer.put(uint32_t(code), codeWidth);
        if (nextCode < lzwCodes) {
            entry = int16_t(nextCode++);
        } else {
            writer.put(uint32_t(clearCode), codeWidth);
            std::memset(table, 0xFF, tableBytes);
            nextCode = clearCode + 2;
        }
        code = index;
    }
    writer.put(uint32_t(code), std::min(12, bitLength(nextCode - 1)));
    writer.put(uint32_t(endCode), std::min(12, bitLength(nextCode)));
    uint8_t* const end = writer.finish();

    size_t const usedBytes = size_t(end - page->data);
    if (auto* shrunk = static_cast<MsfGifBuffer*>(
            std::realloc(page, offsetof(MsfGifBuffer, data) + usedBytes)))
        page = shrunk;
    page->size = usedBytes;
    append(handle, page);
    std::swap(handle->previousFrame, handle->currentFrame);
    ++handle->framesSubmitted;
    return 1;
}

MsfGifOutput msf_gif_end(MsfGifHandle* handle)
{
    MsfGifOutput result{};
    if (!handle->listHead)
        return result;
    size_t total = 0;
    for (MsfGifBuffer* page = handle->listHead; page; page = page->next)
        total += page->size;
    auto* data = static_cast<uint8_t*>(std::malloc(total + 1));
    if (data) {
        uint8_t* at = data;
        for (MsfGifBuffer* page = handle->listHead; page; page = page->next) {
            std::memcpy(at, page->data, page->size);
            at += page->size;
        }
        *at = 0x3B; // trailer
        result.data = data;
        result.dataSize = total + 1;
        result.allocSize = total + 1;
        result.contextPointer = handle->customAllocatorContext;
    }
    freeHandle(handle);
    return result;
}

void msf_gif_free(MsfGifOutput result)
{
    std::free(result.data);
}
