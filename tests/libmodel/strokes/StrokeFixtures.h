// Helpers shared by the stroke tests: building strokes from guide points,
// streaming them the way scene files do, and comparing coverage images.
#pragma once

#include "images/RleImage.h"
#include "strokes/CompoundStroke.h"
#include "strokes/SingleStroke.h"
#include "tools/EraserTool.h"
#include "tools/PenTool.h"

#include <QByteArray>
#include <QDataStream>
#include <QImage>
#include <QList>
#include <QPainterPath>
#include <QPointF>
#include <QTransform>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace StrokeFixtures {

// Scene files and the clipboard stream drawings in single precision.
inline void prepare(QDataStream& stream, int version = QDataStream::Qt_6_4)
{
    stream.setVersion(version);
    stream.setFloatingPointPrecision(QDataStream::SinglePrecision);
}

inline Model::Stroke::GuidePoint guide(const QPointF& position, double pressure = 0.5)
{
    Model::Stroke::GuidePoint point;
    point.position = position;
    point.pressure = pressure;
    return point;
}

// A stroke of the given tool fed with the points, one builder run each, then
// the end point; with a frame size its buffer is filled as the scene does it.
inline std::unique_ptr<Model::SingleStroke> strokeThrough(Model::Tool* tool,
                                                          const QList<QPointF>& points,
                                                          const QSize& frame = QSize(),
                                                          double pressure = 0.8)
{
    auto stroke = frame.isValid() ? std::make_unique<Model::SingleStroke>(frame, tool)
                                  : std::make_unique<Model::SingleStroke>(tool);
    for (const QPointF& p : points) {
        stroke->addPoint(guide(p, pressure));
        stroke->drawLastSegmentToBuffer();
    }
    stroke->addEndPoint();
    stroke->drawLastSegmentToBuffer();
    return stroke;
}

template <typename T>
QByteArray bytesOf(const T& stroke, int version = QDataStream::Qt_6_4)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    prepare(out, version);
    stroke.serialize(out);
    return bytes;
}

inline QImage blank(const QSize& size, uchar value = 0)
{
    QImage image(size, QImage::Format_Alpha8);
    image.fill(QColor(0, 0, 0, value));
    return image;
}

inline uchar at(const QImage& image, int x, int y)
{
    return image.constScanLine(y)[x];
}

inline qint64 total(const QImage& image)
{
    qint64 sum = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            sum += at(image, x, y);
    return sum;
}

struct Difference
{
    int largest = 0;   // largest difference of one pixel
    double mean = 0.0; // mean difference over the pixels that have ink in either
    int inked = 0;     // pixels with ink in either image
};

inline Difference difference(const QImage& a, const QImage& b)
{
    Difference result;
    qint64 sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const int va = at(a, x, y);
            const int vb = at(b, x, y);
            if (va == 0 && vb == 0)
                continue;
            const int diff = std::abs(va - vb);
            result.largest = std::max(result.largest, diff);
            sum += diff;
            ++result.inked;
        }
    }
    result.mean = result.inked ? double(sum) / result.inked : 0.0;
    return result;
}

// The stream form of a drawing of the given size holding strokes pen
// strokes of dots dots each (inside one compound when nested), written
// directly, so that drawings far beyond what the program makes cost little
// to generate. With a stored buffer (blank, of the drawing's size) reading
// it redraws nothing; without, the strokes are redrawn.
inline QByteArray dotDrawing(const QSize& size, qint64 strokes, qint64 dots, bool nested,
                             bool storedBuffer)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    prepare(out);
    out << size;
    const auto endCompound = [&out]() { out << QPainterPath() << QPainterPath() << QTransform(); };
    if (nested)
        out << qint64(1) << qint32(1);
    out << qint64(strokes);
    for (qint64 i = 0; i < strokes; ++i) {
        const QPointF dot(5 + i % 50, 5 + i / 50 % 30);
        out << qint32(0) << true << qint32(Model::Tool::Marker)
            << QRect(dot.toPoint() - QPoint(3, 3), QSize(7, 7)) << qint32(0) << qint32(dots);
        for (qint64 k = 0; k < dots; ++k)
            out << qint32(0) << dot << 1.0 << 2.0;
    }
    endCompound();
    if (nested)
        endCompound();
    if (storedBuffer) {
        QImage buffer(size, QImage::Format_Alpha8);
        buffer.fill(0);
        out << qint32(2) << Model::RleImage(buffer);
        return bytes;
    }
    out << qint32(-1);
    return bytes;
}

} // namespace StrokeFixtures
