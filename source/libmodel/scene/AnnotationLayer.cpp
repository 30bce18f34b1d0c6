#include "scene/AnnotationLayer.h"

#include <QColor>

namespace Model {

struct AnnotationLayer::Data
{
    QList<QImage> images;
    QList<QRgb> colorTable;
};

AnnotationLayer::AnnotationLayer(QObject* parent)
    : Layer(parent)
    , d(std::make_unique<Data>())
{
    d->colorTable.reserve(256);
    for (int i = 0; i < 256; ++i)
        d->colorTable.append(qRgba(185, 183, 181, i));
}

AnnotationLayer::~AnnotationLayer() = default;

int AnnotationLayer::type() const
{
    return AnnotationLayerType;
}

int AnnotationLayer::length() const
{
    return 0;
}

bool AnnotationLayer::isFrameValid(int /*frame*/) const
{
    return false;
}

void AnnotationLayer::insertBlankFrameAfter(int frame)
{
    if (frame < 1)
        return;
    padTo(frame);
    d->images.insert(frame, QImage());
}

void AnnotationLayer::insertHoldFrameAfter(int frame)
{
    insertBlankFrameAfter(frame);
}

QList<LayerChange> AnnotationLayer::removeFrame(int frame)
{
    if (frame < 1 || frame > d->images.size())
        return {};
    QImage const removed = d->images.takeAt(frame - 1);
    return {LayerChange(LayerChange::InsertImage, frame, removed)};
}

Layer* AnnotationLayer::clone() const
{
    return nullptr;
}

QImage AnnotationLayer::annotationImage(int frame) const
{
    if (frame < 1 || frame > d->images.size())
        return QImage();
    return d->images.at(frame - 1);
}

QList<LayerChange> AnnotationLayer::insertFrame(int frame, QImage const& image)
{
    if (frame < 1)
        return {};
    padTo(frame);
    d->images.insert(frame - 1, image);
    return {LayerChange(LayerChange::RemoveImage, frame, QImage())};
}

QList<LayerChange> AnnotationLayer::replaceFrame(int frame, QImage const& image)
{
    if (frame < 1)
        return {};
    padTo(frame);
    QImage const previous = d->images.at(frame - 1);
    d->images[frame - 1] = image;
    return {LayerChange(LayerChange::ReplaceImage, frame, previous)};
}

void AnnotationLayer::addImage(QImage const& image)
{
    d->images.append(image);
}

QImage AnnotationLayer::thumbnail(int frame, QSize const& size) const
{
    QImage image = annotationImage(frame);
    if (image.isNull())
        return QImage();
    // The bytes are read as colour indices, so they must be one per pixel.
    if (image.depth() != 8)
        image = image.convertToFormat(QImage::Format_Alpha8);
    // Read in place: the stored bytes are viewed as colour indices.
    QImage indexed(image.constBits(), image.width(), image.height(), image.bytesPerLine(),
                   QImage::Format_Indexed8);
    indexed.setColorTable(d->colorTable);
    QImage scaled = indexed.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    // At the same size the result would still point into the stored bytes.
    if (scaled.constBits() == image.constBits())
        scaled = scaled.copy();
    return scaled;
}

void AnnotationLayer::padTo(int count)
{
    while (d->images.size() < count)
        d->images.append(QImage());
}

} // namespace Model
