#pragma once

#include <QImage>
#include <QList>
#include <QRect>

#include <array>
#include <memory>
#include <vector>

class QPainter;

namespace Model {

// A drawing's coverage turned into 32-bit pixels through a colour table.
// Strokes are thin: even inside the ink's bounds most pixels are blank. In
// premultiplied colours only the runs of each row that hold ink are kept,
// one after another, and blending them onto a premultiplied image reads and
// writes in proportion to the ink, where a painter would read and blend
// every pixel of the bounds. Copies share their pixels.
class ColouredInk
{
public:
    using Table = std::array<unsigned int, 256>;

    ColouredInk() = default;
    // The coverage bytes inside area (which must lie inside coverage) through
    // table, whose entries are pixels of the image's format: premultiplied
    // (Format_ARGB32_Premultiplied) or not (Format_ARGB32). Null when there is
    // no memory for it.
    static ColouredInk make(QImage const& coverage, QRect const& area, Table const& table,
                            bool premultiplied);

    bool isNull() const;
    qsizetype sizeInBytes() const;
    // The part (in the ink's own pixels) as an image of its format.
    QImage toImage(QRect const& part) const;

    // Paints the part part (frame coordinates) of the ink, which covers
    // covered, at the same place, at full opacity: the table carries the
    // opacity. Exactly what a painter's source-over drawing of the image
    // gives; onto an image of premultiplied pixels through a painter that
    // only moves by whole pixels, the runs are blended straight into the
    // image's memory.
    void paint(QPainter* painter, QRect const& covered, QRect const& part) const;

    // Blends row (premultiplied pixels) onto target as source-over does,
    // pixel for pixel as a painter would.
    static void blendRow(unsigned int* target, unsigned int const* row, int length);

private:
    bool blendInto(QPainter* painter, QRect const& covered, QRect const& part) const;

    // A stretch of pixels of one row, [left, right), outside of which the
    // row is transparent; its pixels start at first in the packed pixels.
    struct Run
    {
        int y;
        int left;
        int right;
        qsizetype first;
    };
    struct Data
    {
        QSize size;
        bool premultiplied = true;
        QImage image; // the whole, when the pixels are not premultiplied
        std::vector<Run> runs;
        std::vector<unsigned int> pixels;
    };
    std::shared_ptr<Data const> d;
};

} // namespace Model
