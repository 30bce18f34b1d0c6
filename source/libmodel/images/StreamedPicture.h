#pragma once

#include <QImage>
#include <QString>
#include <QtGlobal>

class QDataStream;

namespace Model {

// Reads a picture in the form QImage streams it (an int32 that is 0 for a
// null picture, then the picture as PNG) from the stream's own bytes, as PNG
// only, and no larger than the largest frame shows in 32-bit pixels: a few
// kilobytes of PNG may describe gigabytes of pixels, and the program itself
// writes no larger picture (a pasted one is fitted into the frame).
class StreamedPicture
{
public:
    enum Outcome { Read, Damaged, TooLarge };

    // Bytes a decoded picture may take.
    static qint64 maximumBytes();

    // The picture into image (a null image for the null marker). Damaged and
    // TooLarge leave image null and the stream's status other than Ok; size
    // receives the size the picture claims, when it tells one.
    static Outcome read(QDataStream& stream, QImage* image, QSize* size = nullptr);

    // What the user is told of a picture of that size refused as too large.
    static QString tooLargeMessage(QSize const& size);
};

} // namespace Model
