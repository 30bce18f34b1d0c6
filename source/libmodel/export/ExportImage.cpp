#include "export/ExportImage.h"

#include "export/ExrWriter.h"
#include "files/FileWriter.h"
#include "scene/VisualLayer.h"

#include <QDebug>
#include <QImageWriter>
#include <QPainter>

namespace Model {

QString ExportImage::extension(Format format)
{
    return format == OpenEXR ? QStringLiteral("exr") : QStringLiteral("png");
}

bool ExportImage::isWritable(Format format)
{
    // OpenEXR files are written by our own writer, PNG by Qt's plug-in.
    QString const ext = extension(format);
    if (format == PNG && !QImageWriter::supportedImageFormats().contains(ext.toLatin1())) {
        qWarning().noquote() << "Export Frames: Unsupported image format"
                             << QStringLiteral("\"%1\"").arg(ext);
        return false;
    }
    return true;
}

QImage ExportImage::canvas(QSize const& frameSize, bool transparent)
{
    QImage image(frameSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(transparent ? Qt::transparent : Qt::white);
    return image;
}

void ExportImage::paintLayer(QPainter& painter, VisualLayer const& layer, int frame,
                             QRect const& rect, double opacity, bool allLinesBlack)
{
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setOpacity(opacity);
    layer.drawAtFullOpacity(frame, &painter, rect, allLinesBlack);
    painter.restore();
}

bool ExportImage::encode(QImage const& image, Format format, FileWriter& file)
{
    return format == OpenEXR ? writeExr(image, file) : file.writeImage(image, "png");
}

} // namespace Model
