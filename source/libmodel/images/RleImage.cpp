#include "images/RleImage.h"

#include <QByteArray>
#include <QDataStream>
#include <QIODevice>

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

// Writes a code whose count comes in three widths: the first code carries
// 0..255, the second 256..65535 (as its low 16 bits), the third anything more.
void writeCounted(QDataStream& out, quint8 code8, int count)
{
    if (count < 256) {
        out << qint8(code8) << qint8(count);
    } else if (count < 65536) {
        out << qint8(code8 + 1) << qint16(quint16(count));
    } else {
        out << qint8(code8 + 2) << qint32(count);
    }
}

// Reads the count of an 8-, 16- or 32-bit form. Counts are unsigned: a signed
// reading would turn large values into negative offsets. A 32-bit value beyond
// the int range can only come from damaged data and is reported as -1.
qint64 readCount(QDataStream& in, int width)
{
    switch (width) {
    case 0: {
        quint8 v = 0;
        in >> v;
        return v;
    }
    case 1: {
        quint16 v = 0;
        in >> v;
        return v;
    }
    default: {
        quint32 v = 0;
        in >> v;
        return v > quint32(std::numeric_limits<qint32>::max()) ? -1 : qint64(v);
    }
    }
}

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

    QDataStream out(&d->data, QIODevice::WriteOnly);
    out.setVersion(StreamVersion);

    int pendingRows = 0;
    auto writeRun = [&](const uchar* line, int start, int end, bool literal) {
        if (pendingRows == 1) {
            out << qint8(NextRow);
        } else if (pendingRows > 1) {
            writeCounted(out, SkipRows8, pendingRows);
        }
        pendingRows = 0;
        const int length = end - start;
        if (literal) {
            writeCounted(out, Copy8, length);
            out.writeRawData(reinterpret_cast<const char*>(line + start), length);
        } else {
            writeCounted(out, SkipZeros8, length);
        }
    };

    if (width > 0) {
        for (int y = 0; y < height; ++y) {
            const uchar* line = image.constScanLine(y);
            int start = 0;
            bool literal = line[0] != 0;
            for (int x = 1; x < width; ++x) {
                // A lone 0 between two inked pixels costs less inside the
                // literal run than as a skip of its own.
                const bool stays = literal ? (line[x] != 0 || (x + 1 < width && line[x + 1] != 0))
                                           : line[x] == 0;
                if (!stays) {
                    writeRun(line, start, x, literal);
                    start = x;
                    literal = !literal;
                }
            }
            if (literal) {
                writeRun(line, start, width, true);
            }
            ++pendingRows;
        }
    }
    out << qint8(End);
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

QImage RleImage::toQImage() const
{
    const int width = d->width;
    const int height = d->height;
    // The size comes straight from a file or the clipboard: refuse nonsense
    // before allocating anything.
    if (width <= 0 || height <= 0 || width > maxSide || height > maxSide) {
        return QImage();
    }
    QImage image(width, height, QImage::Format_Alpha8);
    if (image.isNull()) {
        return QImage();
    }
    image.fill(0);

    QDataStream in(d->data);
    in.setVersion(StreamVersion);

    // Everything below is checked against the image before it is written to:
    // a run past the row's end or a row step past the last row is damage and
    // stops decoding with a null result.
    qint64 row = 0;
    qint64 x = 0;
    bool done = false;
    while (in.status() == QDataStream::Ok && row < height) {
        quint8 code = 0;
        in >> code;
        if (in.status() != QDataStream::Ok) {
            break;
        }
        switch (code) {
        case SkipZeros8:
        case SkipZeros16:
        case SkipZeros32: {
            const qint64 count = readCount(in, code - SkipZeros8);
            if (count < 0 || x + count > width) {
                in.setStatus(QDataStream::ReadPastEnd);
            } else {
                x += count;
            }
            break;
        }
        case Copy8:
        case Copy16:
        case Copy32: {
            const qint64 count = readCount(in, code - Copy8);
            if (in.status() != QDataStream::Ok) {
                break;
            }
            if (count < 0 || x + count > width) {
                in.setStatus(QDataStream::ReadPastEnd);
                break;
            }
            char* target = reinterpret_cast<char*>(image.scanLine(int(row))) + x;
            if (in.readRawData(target, int(count)) != int(count)) {
                // Fewer bytes than the count claims: the data was cut short.
                in.setStatus(QDataStream::ReadPastEnd);
                break;
            }
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
            const qint64 count = readCount(in, code - SkipRows8);
            if (count < 0 || row + count > height) {
                in.setStatus(QDataStream::ReadPastEnd);
            } else {
                row += count;
                x = 0;
            }
            break;
        }
        case End:
            done = true;
            in.setStatus(QDataStream::ReadPastEnd);
            break;
        default:
            // Unknown codes carry no operands and are passed over.
            break;
        }
    }
    return done ? image : QImage();
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
