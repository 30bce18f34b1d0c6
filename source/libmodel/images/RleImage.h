#pragma once

#include <QImage>

#include <memory>

class QDataStream;

namespace Model {

// Compact stored form of an 8-bit coverage image, most of whose pixels are 0:
// zero runs are skipped, other runs are copied, empty rows are folded into the
// row step before the next row with content. Used wherever an annotation image
// or a stroke buffer goes into a scene file or onto the clipboard.
class RleImage
{
public:
    RleImage();
    // The image should have one byte per pixel (Format_Alpha8 or another 8-bit
    // format); each row's first width bytes are taken as they stand. Images of
    // any other depth are first converted to Format_Alpha8.
    explicit RleImage(const QImage& image);
    RleImage(const RleImage& other);
    RleImage& operator=(const RleImage& other);
    virtual ~RleImage();

    // A Format_Alpha8 image of the stored size, or a null image when the stored
    // form is damaged, has no end code, or its size is not within
    // 1..maxSide on each side.
    QImage toQImage() const;
    // The part area of the image alone, as an image of that part's size; a
    // null image when the stored form is damaged (all of it is checked).
    QImage toQImage(const QRect& area) const;
    // Whether toQImage would give an image, found without making it; with
    // inked, also the smallest rectangle holding every non-zero pixel.
    bool isDecodable(QRect* inked = nullptr) const;
    // Whether the stored form is exactly what encoding its image would give,
    // checked without decoding it: then it may be kept and written again as
    // it is. With inked, also the smallest rectangle holding every non-zero
    // pixel.
    bool isCanonical(QRect* inked = nullptr) const;
    // The stored size, known before decoding, so that a reader can refuse an
    // image it has no room for without allocating it.
    QSize size() const;

    // Largest width or height that decoding accepts; anything beyond is damage.
    static constexpr int maxSide = 16384;

private:
    bool hasDecodableSize() const;

    struct Data;
    std::unique_ptr<Data> d;

    friend QDataStream& operator<<(QDataStream& stream, const RleImage& image);
    friend QDataStream& operator>>(QDataStream& stream, RleImage& image);
};

// Both set the stream's version to 19 and leave it there.
QDataStream& operator<<(QDataStream& stream, const RleImage& image);
QDataStream& operator>>(QDataStream& stream, RleImage& image);

} // namespace Model
