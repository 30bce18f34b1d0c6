#pragma once

// Helpers shared by the tests of the scene reader: hand-made documents,
// stroke and picture payloads.

#include "SceneFileFixtures.h"

#include "strokes/BitmapStroke.h"

#include <QDataStream>
#include <QRandomGenerator>

#include <zlib.h>

namespace SceneFiles {

// The stream form of an empty stroke drawing of 64 x 48, single precision.
inline constexpr char emptyStrokes[] =
    "AAAAQAAAADAAAAAAAAAAAAAAAAAAAAAAP4AAAAAAAAAAAAAAAAAAAD+AAAAAAAAAAAAAAAAAAAA/gAAA/////w==";

// A black RGB picture of the given size as QImage streams it: int32 1, then
// the PNG. Without rows, the PNG ends after its header. The pixels are
// compressed row by row, so that a picture of the largest frame costs little
// to make.
inline QByteArray streamedPng(QSize const& size, bool rows)
{
    auto const chunk = [](QByteArray const& type, QByteArray const& data) {
        QByteArray out;
        QDataStream stream(&out, QIODevice::WriteOnly);
        QByteArray const body = type + data;
        stream << quint32(data.size());
        stream.writeRawData(body.constData(), int(body.size()));
        stream << quint32(crc32(0, reinterpret_cast<Bytef const*>(body.constData()), uInt(body.size())));
        return out;
    };
    QByteArray header;
    {
        QDataStream stream(&header, QIODevice::WriteOnly);
        stream << quint32(size.width()) << quint32(size.height()) << quint8(8) << quint8(2)
               << quint8(0) << quint8(0) << quint8(0);
    }
    QByteArray pixels;
    if (rows) {
        z_stream zip{};
        deflateInit(&zip, 1);
        QByteArray const row(1 + 3 * size.width(), '\0'); // filter byte, then the pixels
        QByteArray out(1 << 16, Qt::Uninitialized);
        for (int y = 0; y <= size.height(); ++y) {
            bool const last = y == size.height();
            zip.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(row.constData()));
            zip.avail_in = last ? 0 : uInt(row.size());
            do {
                zip.next_out = reinterpret_cast<Bytef*>(out.data());
                zip.avail_out = uInt(out.size());
                deflate(&zip, last ? Z_FINISH : Z_NO_FLUSH);
                pixels.append(out.constData(), out.size() - zip.avail_out);
            } while (zip.avail_out == 0);
        }
        deflateEnd(&zip);
    }
    return QByteArray("\0\0\0\1\x89PNG\r\n\x1a\n", 12) + chunk("IHDR", header)
           + (rows ? chunk("IDAT", pixels) : QByteArray()) + chunk("IEND", QByteArray());
}

// The stream form of a 64 x 48 stroke drawing holding one bitmap stroke of
// noise at ratio times the frame's resolution.
inline QByteArray noiseStrokes(int ratio, quint32 seed)
{
    QImage image(64 * ratio, 48 * ratio, QImage::Format_Alpha8);
    QRandomGenerator random(seed);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.scanLine(y)[x] = uchar(1 + random.bounded(255));
    Model::StrokeDrawing drawing(QSize(64, 48));
    drawing.appendStroke(std::make_unique<Model::BitmapStroke>(image, QRect(0, 0, 64, 48)));
    return strokeBytes(drawing);
}

// A document around the given scene attributes and layers.
inline QByteArray document(QString const& sceneAttributes, QString const& layers)
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE kw>\n"
                          "<kw version=\"0.4\">\n<scene frameWidth=\"64\" frameHeight=\"48\" %1>\n"
                          "<layers>\n%2\n</layers>\n</scene>\n</kw>\n")
        .arg(sceneAttributes, layers)
        .toUtf8();
}

inline QString strokeLayer(QString const& name, int blankCells, QString const& extra = QString())
{
    QString cells;
    for (int i = 0; i < blankCells; ++i)
        cells += QStringLiteral("<drawing type=\"original\"/>");
    return QStringLiteral("<layer name=\"%1\" visible=\"yes\" type=\"stroke\">%2%3</layer>")
        .arg(name, extra, cells);
}

inline Model::VisualLayer* visualAt(Model::Scene& scene, int index)
{
    return qobject_cast<Model::VisualLayer*>(scene.layer(index).get());
}

} // namespace SceneFiles
