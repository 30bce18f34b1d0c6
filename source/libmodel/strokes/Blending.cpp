#include "strokes/Blending.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define QUILLMERE_BLENDING_SSE2 1
#elif defined(__ARM_NEON) || defined(__ARM_NEON__)
#include <arm_neon.h>
#define QUILLMERE_BLENDING_NEON 1
#endif

namespace Model {

namespace {

struct LookupTables
{
    unsigned char pen[Blending::TableSize];
    unsigned char eraser[Blending::TableSize];

    LookupTables()
    {
        for (int d = 0; d < 256; ++d) {
            for (int s = 0; s < 256; ++s) {
                // Computed in double and truncated toward zero.
                const double penValue = d + s * (255.0 - d) / 255.0;
                const double eraserValue = d * (255.0 - s) / 255.0;
                pen[d * 256 + s] = static_cast<unsigned char>(penValue);
                eraser[d * 256 + s] = static_cast<unsigned char>(eraserValue);
            }
        }
    }
};

// A function-local static is built exactly once, even if the first blend
// happens before start-up has built the tables.
const LookupTables& lookupTables()
{
    static const LookupTables tables;
    return tables;
}

bool isByteImage(const QImage& image)
{
    return !image.isNull() && image.depth() == 8;
}

} // namespace

void Blending::initLookupTables()
{
    lookupTables();
}

const unsigned char* Blending::penTable()
{
    return lookupTables().pen;
}

const unsigned char* Blending::eraserTable()
{
    return lookupTables().eraser;
}

void Blending::fillImage(QImage& image, QRect rect, unsigned char value)
{
    if (!isByteImage(image))
        return;
    const QRect area = rect.intersected(image.rect());
    if (area.isEmpty())
        return;
    const int width = area.width();
    for (int y = area.top(); y <= area.bottom(); ++y)
        std::memset(image.scanLine(y) + area.left(), value, static_cast<size_t>(width));
}

void Blending::blendImages(QImage& dst, const QImage& src, QRect rect, bool isPen)
{
    if (!isByteImage(dst) || !isByteImage(src))
        return;
    const QRect area = rect.intersected(dst.rect()).intersected(src.rect());
    if (area.isEmpty())
        return;
    const unsigned char* table = isPen ? penTable() : eraserTable();
    const int left = area.left();
    const int width = area.width();
    // Each pixel reads only its own source pixel, so blending an image into
    // itself in place is still correct.
    for (int y = area.top(); y <= area.bottom(); ++y) {
        unsigned char* d = dst.scanLine(y) + left;
        const unsigned char* s = src.constScanLine(y) + left;
        for (int x = 0; x < width; ++x)
            d[x] = table[(static_cast<unsigned>(d[x]) << 8) | s[x]];
    }
}

void Blending::maxBlendImages(QImage& dst, const QImage& src, QRect rect, QPoint offset)
{
    if (!isByteImage(dst) || !isByteImage(src))
        return;
    const QRect area = rect.intersected(dst.rect()).intersected(src.rect().translated(offset));
    if (area.isEmpty())
        return;
    // Holding a second reference makes dst detach before it is written when
    // both are the same image, so shifted rows never read pixels already
    // written in this call. Otherwise it costs a reference count.
    const QImage source(src);
    const int width = area.width();
    const int srcLeft = area.left() - offset.x();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        unsigned char* d = dst.scanLine(y) + area.left();
        const unsigned char* s = source.constScanLine(y - offset.y()) + srcLeft;
        maxRow(d, s, width);
    }
}

void Blending::maxRowScalar(unsigned char* dst, const unsigned char* src, int count)
{
    for (int i = 0; i < count; ++i)
        dst[i] = std::max(dst[i], src[i]);
}

void Blending::maxRow(unsigned char* dst, const unsigned char* src, int count)
{
    int i = 0;
#if defined(QUILLMERE_BLENDING_SSE2)
    for (; i + 16 <= count; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_max_epu8(a, b));
    }
#elif defined(QUILLMERE_BLENDING_NEON)
    for (; i + 16 <= count; i += 16)
        vst1q_u8(dst + i, vmaxq_u8(vld1q_u8(dst + i), vld1q_u8(src + i)));
#endif
    if (i < count)
        maxRowScalar(dst + i, src + i, count - i);
}

} // namespace Model
