#include "drawings/ColouredInk.h"

#include <QPainter>
#include <QtDebug>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#ifdef __SSE2__
#include <emmintrin.h>
#include <xmmintrin.h>
#endif

namespace Model {

namespace {

// Coverage is scanned in words of this many bytes, the pixels blended at
// once.
constexpr int WordBytes = 4;

// How many runs ahead the target's memory is fetched.
constexpr int PrefetchAhead = 6;

// x times a over 255 in each of the two bytes 0 and 2 (and 1 and 3) of x,
// rounded as the painter's blending rounds.
inline unsigned int byteMul(unsigned int x, unsigned int a)
{
    unsigned int t = (x & 0xff00ffu) * a;
    t = (t + ((t >> 8) & 0xff00ffu) + 0x800080u) >> 8;
    t &= 0xff00ffu;
    x = ((x >> 8) & 0xff00ffu) * a;
    x = x + ((x >> 8) & 0xff00ffu) + 0x800080u;
    x &= 0xff00ff00u;
    return x | t;
}

inline unsigned int blendPixel(unsigned int target, unsigned int source)
{
    return source + byteMul(target, 255u - (source >> 24));
}

} // namespace

ColouredInk ColouredInk::make(QImage const& coverage, QRect const& area, Table const& table,
                              bool premultiplied)
{
    auto data = std::make_shared<Data>();
    data->size = area.size();
    data->premultiplied = premultiplied;
    int const width = area.width();
    if (!premultiplied || table[0] != 0u) {
        // Kept whole: only the painter draws these.
        data->premultiplied = false;
        data->image = QImage(area.size(), premultiplied ? QImage::Format_ARGB32_Premultiplied
                                                        : QImage::Format_ARGB32);
        if (data->image.isNull()) {
            qWarning("ColouredInk: no memory for a %dx%d image", area.width(), area.height());
            return ColouredInk();
        }
        for (int y = 0; y < area.height(); ++y) {
            uchar const* source = coverage.constScanLine(area.top() + y) + area.left();
            auto* pixels = reinterpret_cast<unsigned int*>(data->image.scanLine(y));
            for (int x = 0; x < width; ++x)
                pixels[x] = table[source[x]];
        }
        ColouredInk ink;
        ink.d = std::move(data);
        return ink;
    }

    try {
        for (int y = 0; y < area.height(); ++y) {
            uchar const* source = coverage.constScanLine(area.top() + y) + area.left();
            int x = 0;
            while (x < width) {
                // Blank words of coverage are passed over whole; a run
                // starts and ends on their boundaries (or at the row's end).
                quint32 word = 0;
                std::memcpy(&word, source + x, size_t(std::min(WordBytes, width - x)));
                if (word == 0) {
                    x = std::min(x + WordBytes, width);
                    continue;
                }
                int const left = x;
                // The last word of a row may be short: a run ends at the
                // row's end, never beyond it.
                do {
                    x = std::min(x + WordBytes, width);
                    if (x == width)
                        break;
                    word = 0;
                    std::memcpy(&word, source + x, size_t(std::min(WordBytes, width - x)));
                } while (word != 0);
                data->runs.push_back({y, left, x, qsizetype(data->pixels.size())});
                for (int i = left; i < x; ++i)
                    data->pixels.push_back(table[source[i]]);
            }
        }
    } catch (std::bad_alloc const&) {
        qWarning("ColouredInk: no memory for the ink of a %dx%d area", area.width(),
                 area.height());
        return ColouredInk();
    }
    ColouredInk ink;
    ink.d = std::move(data);
    return ink;
}

bool ColouredInk::isNull() const
{
    return !d;
}

qsizetype ColouredInk::sizeInBytes() const
{
    if (!d)
        return 0;
    return d->image.sizeInBytes() + qsizetype(d->runs.size() * sizeof(Run))
           + qsizetype(d->pixels.size() * sizeof(unsigned int));
}

QImage ColouredInk::toImage(QRect const& part) const
{
    if (!d)
        return QImage();
    QRect const r = part & QRect(QPoint(0, 0), d->size);
    if (!d->premultiplied)
        return d->image.copy(r);
    QImage image(r.size(), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    image.fill(0u);
    auto const first = std::lower_bound(d->runs.cbegin(), d->runs.cend(), r.top(),
                                        [](Run const& run, int y) { return run.y < y; });
    for (auto run = first; run != d->runs.cend() && run->y <= r.bottom(); ++run) {
        int const left = std::max(run->left, r.left());
        int const right = std::min(run->right, r.right() + 1);
        if (left < right)
            std::memcpy(reinterpret_cast<unsigned int*>(image.scanLine(run->y - r.top()))
                            + (left - r.left()),
                        d->pixels.data() + run->first + (left - run->left),
                        size_t(right - left) * sizeof(unsigned int));
    }
    return image;
}

void ColouredInk::paint(QPainter* painter, QRect const& covered, QRect const& part) const
{
    if (!d || part.isEmpty() || blendInto(painter, covered, part))
        return;
    qreal const opacity = painter->opacity();
    painter->setOpacity(1.0);
    QRect const own = part.translated(-covered.topLeft());
    if (!d->premultiplied)
        painter->drawImage(QPointF(part.topLeft()), d->image, QRectF(own));
    else
        painter->drawImage(QPointF(part.topLeft()), toImage(own));
    painter->setOpacity(opacity);
}

bool ColouredInk::blendInto(QPainter* painter, QRect const& covered, QRect const& part) const
{
    // Anything a plain source-over copy of whole pixels would not be is left
    // to the painter.
    QPaintDevice* const device = painter->device();
    if (!d->premultiplied || !device || device->devType() != QInternal::Image
        || painter->compositionMode() != QPainter::CompositionMode_SourceOver
        || painter->hasClipping())
        return false;
    auto* const target = static_cast<QImage*>(device);
    // A target shared with a copy would be detached by writing to it, away
    // from the memory the painter paints into.
    if (target->format() != QImage::Format_ARGB32_Premultiplied || !target->isDetached())
        return false;
    QTransform const transform = painter->deviceTransform();
    if (transform.type() > QTransform::TxTranslate || transform.dx() != std::floor(transform.dx())
        || transform.dy() != std::floor(transform.dy())
        || std::abs(transform.dx()) > 1e6 || std::abs(transform.dy()) > 1e6)
        return false;
    QPoint const shift(int(transform.dx()), int(transform.dy()));

    // What is painted, in the ink's pixels, and where it lands.
    QRect const inTarget =
        (part & covered & QRect(covered.topLeft(), d->size)).translated(shift) & target->rect();
    if (inTarget.isEmpty())
        return true;
    QPoint const origin = covered.topLeft() + shift;
    QRect const source = inTarget.translated(-origin);

    auto const first = std::lower_bound(d->runs.cbegin(), d->runs.cend(), source.top(),
                                        [](Run const& run, int y) { return run.y < y; });
    auto* const bits = target->bits();
    qsizetype const stride = target->bytesPerLine();
    auto const end = d->runs.cend();
    auto const lineOf = [&](Run const& run) {
        return reinterpret_cast<unsigned int*>(bits + (run.y + origin.y()) * stride) + origin.x();
    };
    for (auto run = first; run != end && run->y <= source.bottom(); ++run) {
#ifdef __SSE2__
        // Runs are short and rows far apart, beyond what the processor
        // foresees: the target's pixels of a run a little ahead are asked for
        // now.
        if (end - run > PrefetchAhead && run[PrefetchAhead].y <= source.bottom()) {
            Run const& ahead = run[PrefetchAhead];
            _mm_prefetch(reinterpret_cast<char const*>(lineOf(ahead) + ahead.left), _MM_HINT_T0);
            _mm_prefetch(reinterpret_cast<char const*>(lineOf(ahead) + ahead.right - 1),
                         _MM_HINT_T0);
        }
#endif
        int const left = std::max(run->left, source.left());
        int const right = std::min(run->right, source.right() + 1);
        if (left >= right)
            continue;
        auto* const line = lineOf(*run);
        blendRow(line + left, d->pixels.data() + run->first + (left - run->left), right - left);
    }
    return true;
}

void ColouredInk::blendRow(unsigned int* target, unsigned int const* row, int length)
{
    int x = 0;
#ifdef __SSE2__
    __m128i const zero = _mm_setzero_si128();
    __m128i const half = _mm_set1_epi16(0x80);
    __m128i const full = _mm_set1_epi16(0xff);
    __m128i const lowBytes = _mm_set1_epi16(0x00ff);
    for (; x + 4 <= length; x += 4) {
        __m128i const source = _mm_loadu_si128(reinterpret_cast<__m128i const*>(row + x));
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(source, zero)) == 0xffff)
            continue;
        auto* const out = reinterpret_cast<__m128i*>(target + x);
        __m128i const pixels = _mm_loadu_si128(out);
        // 255 minus the source's alpha in every 16-bit half of a pixel.
        __m128i alpha = _mm_srli_epi32(source, 24);
        alpha = _mm_sub_epi16(full, _mm_or_si128(alpha, _mm_slli_epi32(alpha, 16)));
        __m128i rb = _mm_mullo_epi16(_mm_and_si128(pixels, lowBytes), alpha);
        __m128i ag = _mm_mullo_epi16(_mm_srli_epi16(pixels, 8), alpha);
        rb = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(rb, _mm_srli_epi16(rb, 8)), half), 8);
        ag = _mm_add_epi16(_mm_add_epi16(ag, _mm_srli_epi16(ag, 8)), half);
        ag = _mm_andnot_si128(lowBytes, ag);
        _mm_storeu_si128(out, _mm_add_epi8(source, _mm_or_si128(rb, ag)));
    }
#endif
    for (; x < length; ++x)
        target[x] = blendPixel(target[x], row[x]);
}

} // namespace Model
