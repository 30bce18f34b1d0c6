#include "drawings/ImageDrawing.h"

#include <QPainter>
#include <QRect>
#include <QRectF>

namespace Model {

struct ImageDrawing::Data
{
    QImage image;
    QImage cachedThumbnail;
    QSize cachedThumbnailSize{-1, -1};
};

ImageDrawing::ImageDrawing(QImage const& image)
    : d(std::make_unique<Data>())
{
    d->image = image;
}

ImageDrawing::ImageDrawing(ImageDrawing const& other)
    : Drawing(other)
    , d(std::make_unique<Data>(*other.d))
{
}

ImageDrawing::~ImageDrawing() = default;

int ImageDrawing::type() const
{
    return ImageDrawingType;
}

Drawing* ImageDrawing::clone() const
{
    return new ImageDrawing(*this);
}

QImage ImageDrawing::thumbnail(QSize const& size, QList<unsigned int> const& /*colors*/) const
{
    if (size.width() < 0 || size.height() < 0)
        return QImage();

    if (size != d->cachedThumbnailSize) {
        d->cachedThumbnailSize = size;
        d->cachedThumbnail = QImage();
    }

    if (d->cachedThumbnail.isNull()) {
        QImage thumb(size, QImage::Format_ARGB32_Premultiplied);
        thumb.fill(Qt::transparent);
        // An empty size gives a null thumbnail, which cannot be painted on.
        if (!d->image.isNull() && !thumb.isNull()) {
            QImage const scaled =
                d->image.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            int const x = qRound((size.width() - scaled.width()) / 2.0);
            int const y = qRound((size.height() - scaled.height()) / 2.0);
            QPainter painter(&thumb);
            painter.drawImage(x, y, scaled);
        }
        d->cachedThumbnail = thumb;
    }
    return d->cachedThumbnail;
}

void ImageDrawing::invalidateThumbnail()
{
    d->cachedThumbnail = QImage();
}

void ImageDrawing::changeFrameSize(QSize const& /*newSize*/, KW::FitMode /*fitMode*/)
{
}

void ImageDrawing::add(Drawing const* /*other*/)
{
}

QImage ImageDrawing::image() const
{
    return d->image;
}

void ImageDrawing::draw(QPainter* painter, QSize const& frameSize, QRect const& rect) const
{
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform, true);

    if (!d->image.isNull()) {
        if (d->image.size() == frameSize) {
            painter->drawImage(rect, d->image, rect);
        } else {
            QSizeF const target = QSizeF(d->image.size())
                                      .scaled(QSizeF(frameSize), Qt::KeepAspectRatio)
                                      .expandedTo(QSizeF(1.0, 1.0));
            QPointF const topLeft((frameSize.width() - target.width()) * 0.5,
                                  (frameSize.height() - target.height()) * 0.5);
            QRectF const targetRect(topLeft, target);
            QRectF const visible = QRectF(rect).intersected(targetRect);
            if (!visible.isEmpty()) {
                qreal const factor = d->image.width() / target.width();
                QRectF const moved = visible.translated(-topLeft);
                QRectF const source(moved.x() * factor, moved.y() * factor,
                                    moved.width() * factor, moved.height() * factor);
                painter->drawImage(visible, d->image, source);
            }
        }
    }

    painter->restore();
}

} // namespace Model
