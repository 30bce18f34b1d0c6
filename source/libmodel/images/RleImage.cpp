#include "images/RleImage.h"

#include <QByteArray>
#include <QDataStream>
#include <QIODevice>

#include <algorithm>
#include <cstring>
#include <limits>

namespace Model {

namespace {

// The stored form is pinned to one stream version so that files and clipboard
// data read the same whatever version the surrounding stream uses.
constexpr int StreamVersion = 19;

enum OpCode : quint8 {
    SkipZeros8 = 0,
    SkipZeros16 = 1,
    SkipZeros32 = 2,
    Copy8 = 3,
    Copy16 = 4,
    Copy32 = 5,
    NextRow = 6,
    SkipRows8 = 7,
    SkipRows16 = 8,
    SkipRows32 = 9,
    End = 10,
};

// Appends a code whose count comes in three widths: the first code carries
// 0..255, the second 256..65535, the third anything more; big-endian.
void appendCounted(QByteArray& out, quint8 code8, int count)
{
    if (count < 256) {
        const char bytes[] = {char(code8), char(count)};
        out.append(bytes, 2);
    } else if (count < 65536) {
        const char bytes[] = {char(code8 + 1), char(count >> 8), char(count)};
        out.append(bytes, 3);
    } else {
        const char bytes[] = {char(code8 + 2), char(count >> 24), char(count >> 16),
                              char(count >> 8), char(count)};
        out.append(bytes, 5);
    }
}

// The first x from x on where the row is not 0, or width; zeros are passed a
// word at a time, for most of a coverage row is blank.
int firstNonZero(const uchar* line, int x, int width)
{
    while (x + 8 <= width) {
        quint64 word;
        std::memcpy(&word, line + x, sizeof word);
        if (word != 0) {
            break;
        }
        x += 8;
    }
    while (x < width && line[x] == 0) {
        ++x;
    }
    return x;
}

// Reads the operands of the stored form, big-endian, never past its end.
class OpReader
{
public:
    explicit OpReader(const QByteArray& data)
        : m_next(reinterpret_cast<const uchar*>(data.constData()))
        , m_end(m_next + data.size())
    {
    }

    bool atEnd() const { return m_next == m_end; }
    quint8 code() { return *m_next++; }

    // The count of an 8-, 16- or 32-bit form; -1 when the data ends first or,
    // for the 32-bit form, when the value is beyond the int range (damage:
    // counts are unsigned, and a signed reading would turn large values into
    // negative offsets).
    qint64 count(int width)
    {
        const int bytes = width == 0 ? 1 : width == 1 ? 2 : 4;
        if (m_end - m_next < bytes) {
            return -1;
        }
        quint32 value = 0;
        for (int i = 0; i < bytes; ++i) {
            value = (value << 8) | m_next[i];
        }
        m_next += bytes;
        return value > quint32(std::numeric_limits<qint32>::max()) ? -1 : qint64(value);
    }

    // count bytes, or null when fewer are left.
    const uchar* take(qint64 count)
    {
        if (m_end - m_next < count) {
            return nullptr;
        }
        const uchar* bytes = m_next;
        m_next += count;
        return bytes;
    }

private:
    const uchar* m_next;
    const uchar* m_end;
};

} // namespace

struct RleImage::Data
{
    int width = 0;
    int height = 0;
    QByteArray data;
};

RleImage::RleImage()
    : d(std::make_unique<Data>())
{
}

RleImage::RleImage(const QImage& source)
    : d(std::make_unique<Data>())
{
    // Rows are read as width bytes each; anything but one byte per pixel would
    // read the wrong bytes, or, below 8 bits, past the end of each row.
    const QImage image = source.depth() == 8 ? source : source.convertToFormat(QImage::Format_Alpha8);
    const int width = image.width();
    const int height = image.height();
    d->width = width;
    d->height = height;

    // Written straight into the array, big-endian as the stream version asks:
    // a whole frame is scanned on every save, mostly over zeros.
    QByteArray& out = d->data;
    int pendingRows = 0;
    auto flushRows = [&]() {
        if (pendingRows == 1) {
            out.append(char(NextRow));
        } else if (pendingRows > 1) {
            appendCounted(out, SkipRows8, pendingRows);
        }
        pendingRows = 0;
    };

    if (width > 0) {
        for (int y = 0; y < height; ++y) {
            const uchar* line = image.constScanLine(y);
            int x = 0;
            while (x < width) {
                const int inked = firstNonZero(line, x, width);
                // Zeros at the end of a row are never written.
                if (inked == width) {
                    break;
                }
                if (inked > x) {
                    flushRows();
                    appendCounted(out, SkipZeros8, inked - x);
                }
                // A lone 0 between two inked pixels costs less inside the
                // literal run than as a skip of its own.
                int end = inked + 1;
                while (end < width && (line[end] != 0 || (end + 1 < width && line[end + 1] != 0))) {
                    ++end;
                }
                flushRows();
                appendCounted(out, Copy8, end - inked);
                out.append(reinterpret_cast<const char*>(line + inked), end - inked);
                x = end;
            }
            ++pendingRows;
        }
    }
    out.append(char(End));
}

RleImage::RleImage(const RleImage& other)
    : d(std::make_unique<Data>(*other.d))
{
}

RleImage& RleImage::operator=(const RleImage& other)
{
    if (this != &other) {
        *d = *other.d;
    }
    return *this;
}

RleImage::~RleImage() = default;

QSize RleImage::size() const
{
    return QSize(d->width, d->height);
}

namespace {

// Walks the operations of an image of width x height, handing every copied
// run to copy(row, x, bytes, count). Everything is checked before it is
// handed on: a run past the row's end or a row step past the last row is
// damage, as is data that ends too soon or before the end code; then the
// walk stops and answers false.
template <typename Copy>
bool walkOperations(const QByteArray& data, int width, int height, Copy&& copy)
{
    OpReader in(data);
    qint64 row = 0;
    qint64 x = 0;
    while (row < height && !in.atEnd()) {
        const quint8 code = in.code();
        switch (code) {
        case SkipZeros8:
        case SkipZeros16:
        case SkipZeros32: {
            const qint64 count = in.count(code - SkipZeros8);
            if (count < 0 || x + count > width) {
                return false;
            }
            x += count;
            break;
        }
        case Copy8:
        case Copy16:
        case Copy32: {
            const qint64 count = in.count(code - Copy8);
            const uchar* bytes = count < 0 || x + count > width ? nullptr : in.take(count);
            if (!bytes) {
                return false;
            }
            copy(int(row), int(x), bytes, int(count));
            x += count;
            break;
        }
        case NextRow:
            ++row;
            x = 0;
            break;
        case SkipRows8:
        case SkipRows16:
        case SkipRows32: {
            const qint64 count = in.count(code - SkipRows8);
            if (count < 0 || row + count > height) {
                return false;
            }
            row += count;
            x = 0;
            break;
        }
        case End:
            return true;
        default:
            // Unknown codes carry no operands and are passed over.
            break;
        }
    }
    return false;
}

} // namespace

bool RleImage::hasDecodableSize() const
{
    // The size comes straight from a file or the clipboard: nonsense is
    // refused before anything is allocated.
    return d->width > 0 && d->height > 0 && d->width <= maxSide && d->height <= maxSide;
}

QImage RleImage::toQImage() const
{
    if (!hasDecodableSize()) {
        return QImage();
    }
    QImage image(d->width, d->height, QImage::Format_Alpha8);
    if (image.isNull()) {
        return QImage();
    }
    image.fill(0);
    const bool decoded = walkOperations(d->data, d->width, d->height,
                                        [&](int row, int x, const uchar* bytes, int count) {
                                            std::memcpy(image.scanLine(row) + x, bytes, size_t(count));
                                        });
    return decoded ? image : QImage();
}

QImage RleImage::toQImage(const QRect& area) const
{
    const QRect part = area & QRect(0, 0, d->width, d->height);
    if (!hasDecodableSize() || part.isEmpty()) {
        return QImage();
    }
    QImage image(part.size(), QImage::Format_Alpha8);
    if (image.isNull()) {
        return QImage();
    }
    image.fill(0);
    const bool decoded = walkOperations(
        d->data, d->width, d->height, [&](int row, int x, const uchar* bytes, int count) {
            if (row < part.top() || row > part.bottom()) {
                return;
            }
            const int from = std::max(x, part.left());
            const int to = std::min(x + count, part.right() + 1);
            if (from < to) {
                std::memcpy(image.scanLine(row - part.top()) + (from - part.left()),
                            bytes + (from - x), size_t(to - from));
            }
        });
    return decoded ? image : QImage();
}

bool RleImage::isCanonical(QRect* inked) const
{
    if (inked) {
        *inked = QRect();
    }
    if (!hasDecodableSize()) {
        return false;
    }
    const int width = d->width;
    const int height = d->height;
    // Each count in the narrowest form that holds it, as the encoder writes.
    auto narrowest = [](int form, qint64 count) {
        return form == (count < 256 ? 0 : count < 65536 ? 1 : 2);
    };
    OpReader in(d->data);
    qint64 row = 0;
    qint64 x = 0;
    bool rowHasContent = false; // something was written in this row
    bool afterCopy = false;     // the last operation of the row was a copy
    bool stepPending = false;   // a row step was just read
    int left = width;
    int right = -1;
    int top = -1;
    int bottom = -1;
    while (!in.atEnd()) {
        const quint8 code = in.code();
        switch (code) {
        case SkipZeros8:
        case SkipZeros16:
        case SkipZeros32: {
            const qint64 count = in.count(code - SkipZeros8);
            // A skip always leads to a copy in the same row; between two
            // copies it is at least two long, for a lone zero stays inside
            // the copy.
            if (count < 1 || !narrowest(code - SkipZeros8, count) || x + count >= width
                || (afterCopy && count < 2) || (rowHasContent && !afterCopy)
                || (!rowHasContent && row > 0 && !stepPending) || row >= height) {
                return false;
            }
            x += count;
            rowHasContent = true;
            afterCopy = false;
            stepPending = false;
            break;
        }
        case Copy8:
        case Copy16:
        case Copy32: {
            const qint64 count = in.count(code - Copy8);
            if (count < 1 || !narrowest(code - Copy8, count) || x + count > width || afterCopy
                || (!rowHasContent && row > 0 && !stepPending) || row >= height) {
                return false;
            }
            const uchar* bytes = in.take(count);
            // Inked at both ends, and never two zeros in a row inside.
            if (!bytes || bytes[0] == 0 || bytes[count - 1] == 0) {
                return false;
            }
            for (qint64 i = 1; i + 1 < count; ++i) {
                if (bytes[i] == 0 && bytes[i + 1] == 0) {
                    return false;
                }
            }
            left = std::min(left, int(x));
            right = std::max(right, int(x + count - 1));
            if (top < 0) {
                top = int(row);
            }
            bottom = int(row);
            x += count;
            rowHasContent = true;
            afterCopy = true;
            stepPending = false;
            break;
        }
        case NextRow:
        case SkipRows8:
        case SkipRows16:
        case SkipRows32: {
            const qint64 count = code == NextRow ? 1 : in.count(code - SkipRows8);
            // A step comes once, right before a row with content, after a
            // row with content or at the very start.
            const bool wellFormed =
                code == NextRow || (count >= 2 && narrowest(code - SkipRows8, count));
            if (count < 1 || !wellFormed || stepPending || (!rowHasContent && row > 0)
                || row + count >= height) {
                return false;
            }
            row += count;
            x = 0;
            rowHasContent = false;
            afterCopy = false;
            stepPending = true;
            break;
        }
        case End:
            if (!in.atEnd() || stepPending || (rowHasContent && !afterCopy)) {
                return false;
            }
            if (inked && top >= 0) {
                *inked = QRect(QPoint(left, top), QPoint(right, bottom));
            }
            return true;
        default:
            return false;
        }
    }
    return false;
}

QDataStream& operator<<(QDataStream& stream, const RleImage& image)
{
    stream.setVersion(StreamVersion);
    stream << qint32(image.d->width) << qint32(image.d->height) << image.d->data;
    return stream;
}

QDataStream& operator>>(QDataStream& stream, RleImage& image)
{
    stream.setVersion(StreamVersion);
    qint32 width = 0;
    qint32 height = 0;
    QByteArray data;
    stream >> width >> height >> data;
    image.d->width = width;
    image.d->height = height;
    image.d->data = data;
    return stream;
}

} // namespace Model
