#pragma once

#include <QImage>
#include <QString>

class QPainter;

namespace Model {

class FileWriter;
class VisualLayer;

// The images that the frame and exposure-sheet exports write.
class ExportImage
{
public:
    enum Format { PNG, OpenEXR };

    static QString extension(Format format);
    // False, with a warning in the log, when this build cannot write the format.
    static bool isWritable(Format format);
    // The canvas of one exported image: the frame size, premultiplied,
    // transparent or opaque white.
    static QImage canvas(QSize const& frameSize, bool transparent);
    // Paints the layer's frame (past its end as its beyond-last mode shows it)
    // at the given layer opacity, applied exactly once.
    static void paintLayer(QPainter& painter, VisualLayer const& layer, int frame,
                           QRect const& rect, double opacity, bool allLinesBlack);
    // Encodes the image into a file the caller opened and commits (see
    // FileWriter: whole or nothing, an earlier file kept); false with the
    // reason in the file's errorString().
    static bool encode(QImage const& image, Format format, FileWriter& file);
};

} // namespace Model
