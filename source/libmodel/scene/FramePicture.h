#pragma once

#include <QImage>
#include <QRect>

class QPainter;

namespace Model {

// A cached picture of a frame that holds pixels only where something was
// painted: its image (premultiplied, so that ink is blended straight into
// it) covers one rectangle of the frame, and the rest of the
// frame is transparent. A composite of thin ink then costs memory and copies
// in proportion to the ink, not to the frame, and a large empty frame costs
// nothing at all.
class FramePicture
{
public:
    // Starts a new, transparent picture whose pixels cover area (frame
    // coordinates; empty for a picture without any), reusing the memory when
    // it is large enough. The part replaced, which the caller paints over at
    // once with a mode that replaces pixels, is left as it was.
    void reset(QRect const& area, QRect const& replaced = QRect());
    // Opens painter on the picture in frame coordinates; false when the
    // picture has no pixels.
    bool begin(QPainter& painter);

    QRect const& area() const;
    // Paints the part rect of the picture onto painter at rect, exactly as
    // copying that part of a full-frame picture would, transparent pixels
    // included. Nothing before the first reset.
    void paint(QPainter* painter, QRect const& rect) const;

private:
    QImage m_image;
    QRect m_area;
    bool m_made = false;
};

} // namespace Model
