#pragma once

#include "scene/VisualLayer.h"

namespace Model {

class ImageDrawing;

// A visual layer of pictures to trace over: imported frames, pasted or
// scanned images. Every cell's drawing is an ImageDrawing; the layer shows
// half transparent until the user changes its opacity.
class ReferenceLayer : public VisualLayer
{
    Q_OBJECT

public:
    // One blank cell, opacity 0.5.
    ReferenceLayer(QSize const& frameSize, QObject* parent);
    // A new identifier and copies of every drawing. Links to distant clones on
    // other layers are not carried over; links inside the layer follow the
    // copy.
    ReferenceLayer(ReferenceLayer const& other);
    ~ReferenceLayer() override;

    int type() const override;
    Layer* clone() const override;
    VisualLayer* cloneWithoutDrawings() const override;
    // The picture shown at the frame, past the end as the beyond-last mode
    // says, with the layer's opacity.
    void draw(int frame, QPainter* painter, QRect const& rect) const override;
    // The cell's picture at full strength, only for a frame inside the layer.
    // Pictures have no lines to blacken, so the flag changes nothing.
    void draw(int frame, QPainter* painter, QRect const& rect, bool black) const override;
    // The picture shown at the frame as draw shows it, at full strength.
    void drawAtFullOpacity(int frame, QPainter* painter, QRect const& rect,
                           bool black) const override;
    QImage thumbnail(int frame, QSize const& size) const override;
    std::shared_ptr<LayerItem> blankItem() const override;

    // The picture of the cell at a 0-based index, null outside the cells.
    ImageDrawing const* imageDrawing(int index) const;
    ImageDrawing* imageDrawing(int index);

private:
    ReferenceLayer(ReferenceLayer const& other, bool withDrawings);

    void drawCell(int frame, QPainter* painter, QRect const& rect) const;
};

} // namespace Model
