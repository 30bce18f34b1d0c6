#include "images/StreamedPicture.h"

#include "scene/Scene.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QIODevice>
#include <QImageReader>

#include <climits>

namespace Model {

namespace {

constexpr qint64 Megabyte = 1024 * 1024;

struct Header
{
    QSize size;
    int bitDepth = 0;
};

// The size and bit depth of a PNG's header chunk, read ahead without
// consuming anything; an invalid size when the bytes start no PNG.
Header peekHeader(QIODevice* device)
{
    static char const signature[] = "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR";
    QByteArray const start = device ? device->peek(8 + 8 + 13) : QByteArray();
    if (start.size() < 8 + 8 + 13 || !start.startsWith(QByteArray(signature, 16)))
        return {};
    auto const word = [&start](int at) {
        return (quint32(uchar(start.at(at))) << 24) | (quint32(uchar(start.at(at + 1))) << 16)
               | (quint32(uchar(start.at(at + 2))) << 8) | quint32(uchar(start.at(at + 3)));
    };
    quint32 const width = word(16);
    quint32 const height = word(20);
    // The format allows up to 2^31 - 1 in either direction.
    if (width == 0 || height == 0 || width > quint32(INT_MAX) || height > quint32(INT_MAX))
        return {};
    return {QSize(int(width), int(height)), int(uchar(start.at(24)))};
}

} // namespace

qint64 StreamedPicture::maximumBytes()
{
    return qint64(Scene::maximumFrameSide) * Scene::maximumFrameSide * 4;
}

StreamedPicture::Outcome StreamedPicture::read(QDataStream& stream, QImage* image, QSize* size)
{
    *image = QImage();
    qint32 marker = 0;
    stream >> marker;
    if (stream.status() != QDataStream::Ok)
        return Damaged;
    if (marker == 0)
        return Read;

    Header const header = peekHeader(stream.device());
    if (size)
        *size = header.size;
    if (!header.size.isValid()) {
        stream.setStatus(QDataStream::ReadCorruptData);
        return Damaged;
    }
    // Decoded, every pixel takes 32 bits, or 64 from 16-bit samples.
    qint64 const pixelBytes = header.bitDepth > 8 ? 8 : 4;
    if (qint64(header.size.width()) * header.size.height() * pixelBytes > maximumBytes()) {
        stream.setStatus(QDataStream::ReadCorruptData);
        return TooLarge;
    }
    // The decoder's own limit, shared by every reader of the process, must
    // not refuse what is allowed here; it stays a limit all the same.
    int const limit = int(maximumBytes() / Megabyte);
    if (QImageReader::allocationLimit() < limit)
        QImageReader::setAllocationLimit(limit);
    QImageReader reader(stream.device(), QByteArrayLiteral("png"));
    reader.setAutoDetectImageFormat(false);
    reader.setDecideFormatFromContent(false);
    *image = reader.read();
    if (image->size() != header.size)
        *image = QImage();
    if (image->isNull()) {
        stream.setStatus(QDataStream::ReadCorruptData);
        return Damaged;
    }
    return Read;
}

QString StreamedPicture::tooLargeMessage(QSize const& size)
{
    return QCoreApplication::translate("Model::StreamedPicture",
                                       "The picture is too large: %1 x %2 pixels, where a picture "
                                       "may take at most %3 MB, as much as a frame of %4 x %4")
        .arg(size.width())
        .arg(size.height())
        .arg(maximumBytes() / Megabyte)
        .arg(Scene::maximumFrameSide);
}

} // namespace Model
