#include "strokes/BitmapStroke.h"

#include "images/RleImage.h"
#include "strokes/Blending.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace Model {

namespace {

bool isPlausibleRect(const QRect& rect)
{
    return Stroke::isPlausibleCoordinate(rect.left()) && Stroke::isPlausibleCoordinate(rect.top())
           && Stroke::isPlausibleCoordinate(rect.right())
           && Stroke::isPlausibleCoordinate(rect.bottom());
}

// The pixels of image inside rect (which must lie inside it) as an image of
// their own, sharing the memory: blending into it blends into image.
QImage viewOf(QImage& image, const QRect& rect)
{
    uchar* first = image.scanLine(rect.top()) + rect.left();
    return QImage(first, rect.width(), rect.height(), image.bytesPerLine(), image.format());
}

} // namespace

class BitmapStroke::BitmapStrokePrivate
{
public:
    QImage image;
    QRect rect;
};

BitmapStroke::BitmapStroke() : d(std::make_unique<BitmapStrokePrivate>())
{
}

BitmapStroke::BitmapStroke(const QImage& image, const QRect& rect)
    : d(std::make_unique<BitmapStrokePrivate>())
{
    d->image = image;
    d->rect = rect;
}

BitmapStroke::BitmapStroke(const BitmapStroke& other)
    : Stroke(other), d(std::make_unique<BitmapStrokePrivate>(*other.d))
{
}

BitmapStroke::~BitmapStroke() = default;

std::unique_ptr<Stroke> BitmapStroke::clone() const
{
    return std::make_unique<BitmapStroke>(*this);
}

QRect BitmapStroke::draw(QImage& target, const QRect& rect, const QTransform& transform,
                         const QPoint&, double) const
{
    const QRect area = transform.mapToPolygon(d->rect).boundingRect() & rect;
    if (!area.isValid())
        return QRect();
    // The scratch image covers only what can change: the area within the
    // target. That is also all the blend below would read of it.
    const QRect work = area & target.rect();
    if (work.isEmpty() || d->image.isNull() || target.depth() != 8)
        return area;

    QImage scratch(work.size(), QImage::Format_Alpha8);
    if (scratch.isNull())
        return area;
    scratch.fill(0);
    {
        QPainter painter(&scratch);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
        painter.setTransform(transform * QTransform::fromTranslate(-work.left(), -work.top()));
        painter.drawImage(QRectF(d->rect), d->image,
                          QRectF(0, 0, d->image.width(), d->image.height()));
    }
    QImage view = viewOf(target, work);
    Blending::blendImages(view, scratch, scratch.rect(), true);
    return area;
}

QRect BitmapStroke::boundingRect() const
{
    return d->rect;
}

bool BitmapStroke::isEmpty() const
{
    return d->rect.isEmpty();
}

bool BitmapStroke::clipInsidePath(QPainterPath)
{
    return true;
}

void BitmapStroke::clipOutsidePath(QPainterPath path)
{
    const QRectF bounds(d->rect);
    // An empty rectangle has no ratio between image and rectangle to crop
    // by: nothing of it can be shown, so the stroke empties.
    if (d->rect.isEmpty() || !(path.contains(bounds) || path.intersects(bounds))) {
        d->rect = QRect();
        d->image = QImage();
        return;
    }

    const QRect crop = path.boundingRect().toAlignedRect() & d->rect;
    if (crop.isEmpty()) {
        d->rect = QRect();
        d->image = QImage();
        return;
    }
    if (crop == d->rect)
        return;
    if (d->image.isNull()) {
        d->rect = crop;
        return;
    }

    // Image pixels per rectangle unit on each axis. A collapsed stroke has a
    // whole-number ratio, for which this is exact; whatever the image's size,
    // neither ratio can be 0, so the cropped image never ends up without
    // pixels or stretched differently from before.
    const double kx = double(d->image.width()) / d->rect.width();
    const double ky = double(d->image.height()) / d->rect.height();
    const QSize size(std::max(1, int(std::lround(crop.width() * kx))),
                     std::max(1, int(std::lround(crop.height() * ky))));
    QImage cropped(size, d->image.format());
    if (cropped.isNull())
        return;
    cropped.fill(0);
    {
        QPainter painter(&cropped);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(QPointF((d->rect.left() - crop.left()) * kx,
                                  (d->rect.top() - crop.top()) * ky),
                          d->image);
    }
    d->image = cropped;
    d->rect = crop;
}

void BitmapStroke::serialize(QDataStream& stream) const
{
    stream << d->rect;
    if (d->image.isNull()) {
        stream << NoImage;
        return;
    }
    stream << ImageFollows;
    stream << RleImage(d->image);
}

const QImage& BitmapStroke::image() const
{
    return d->image;
}

QRect BitmapStroke::rect() const
{
    return d->rect;
}

QDataStream& operator>>(QDataStream& stream, BitmapStroke& stroke)
{
    QRect rect;
    stream >> rect;
    stroke.d->rect = QRect();
    stroke.d->image = QImage();
    if (stream.status() != QDataStream::Ok)
        return stream;
    if (!isPlausibleRect(rect)) {
        stream.setStatus(QDataStream::ReadCorruptData);
        return stream;
    }
    stroke.d->rect = rect;
    if (stream.atEnd())
        return stream;

    qint32 code = 0;
    stream >> code;
    if (stream.status() != QDataStream::Ok || code != BitmapStroke::ImageFollows)
        return stream;
    RleImage image;
    stream >> image;
    if (stream.status() != QDataStream::Ok)
        return stream;
    // Collapsing renders at a small whole-number multiple of the rectangle;
    // a far larger image is a few bytes of runs that would take gigabytes.
    const QSize stored = image.size();
    if (stored.width() > std::max(1, rect.width()) * BitmapStroke::maximumImageRatio
        || stored.height() > std::max(1, rect.height()) * BitmapStroke::maximumImageRatio) {
        stream.setStatus(QDataStream::ReadCorruptData);
        return stream;
    }
    stroke.d->image = image.toQImage();
    // A stroke without its pixels would be saved back without them: the
    // loss would go unnoticed until the file is opened again.
    if (stroke.d->image.isNull())
        stream.setStatus(QDataStream::ReadCorruptData);
    return stream;
}

} // namespace Model
