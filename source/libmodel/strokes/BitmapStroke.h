#pragma once

#include "strokes/Stroke.h"

#include <QImage>
#include <QRect>

#include <memory>

class QPainterPath;

namespace Model {

// A raster replacement for vector strokes, made by collapsing a compound
// stroke: one coverage image and the rectangle it is drawn into. The image
// normally has a whole-number multiple of the rectangle's size. It cannot be
// cut stroke by stroke, only cropped to a rectangle.
class BitmapStroke : public Stroke
{
public:
    BitmapStroke();
    BitmapStroke(const QImage& image, const QRect& rect);
    BitmapStroke(const BitmapStroke& other);
    BitmapStroke& operator=(const BitmapStroke&) = delete;
    ~BitmapStroke() override;

    int type() const override { return 2; }
    std::unique_ptr<Stroke> clone() const override;

    // Adds the image's coverage, scaled into the rectangle, over the target
    // with the pen table. The texture offset and render scale are not used.
    QRect draw(QImage& target, const QRect& rect, const QTransform& transform,
               const QPoint& textureOffset, double renderScale) const override;

    QRect boundingRect() const override;
    bool isEmpty() const override;

    // Changes nothing: a bitmap cannot be cut.
    bool clipInsidePath(QPainterPath path) override;
    // Crops to the path's bounding rectangle; a path that misses the
    // rectangle, or an empty rectangle, empties the stroke.
    void clipOutsidePath(QPainterPath path) override;

    void serialize(QDataStream& stream) const override;

    const QImage& image() const;
    QRect rect() const;

    // Image pixels per rectangle unit a stored stroke may have on each axis:
    // collapsing uses 2, and a crop keeps the ratio.
    static constexpr int maximumImageRatio = 8;

    // Image codes of the stream form.
    static constexpr qint32 ImageFollows = 2;
    static constexpr qint32 NoImage = -1;

private:
    class BitmapStrokePrivate;
    std::unique_ptr<BitmapStrokePrivate> d;

    friend QDataStream& operator>>(QDataStream& stream, BitmapStroke& stroke);
};

// Reads the rectangle and, unless the stream ends there, the image code and
// the run-length image. The run-length form switches the stream to its own
// version, exactly as writing does. A damaged rectangle or image, or an image
// more than maximumImageRatio times the rectangle's size, leaves the stream's
// status other than Ok.
QDataStream& operator>>(QDataStream& stream, BitmapStroke& stroke);

} // namespace Model
