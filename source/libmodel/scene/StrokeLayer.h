#pragma once

#include "scene/DrawLayer.h"

#include <QColor>
#include <QList>

#include <memory>

class QPainterPath;

namespace Model {

class FloatingSelection;
class Stroke;
class StrokeDrawing;

// The layer the user draws on with pens and erasers. Its cells hold stroke
// drawings, whose coverage bytes it shows in the layer colour through a
// 256-entry table: entry i is the colour with alpha i.
class StrokeLayer : public DrawLayer
{
    Q_OBJECT

public:
    // One blank cell, so a new layer has length 1.
    StrokeLayer(QColor const& color, QSize const& frameSize, QObject* parent);
    // Copies of every drawing under a new identifier. Clone links to other
    // layers are dropped; links inside the layer follow the copy.
    StrokeLayer(StrokeLayer const& other);
    ~StrokeLayer() override;

    int type() const override;
    Layer* clone() const override;
    VisualLayer* cloneWithoutDrawings() const override;

    // Paint the frame (past the end as the beyond-last mode says) with the
    // layer's opacity.
    void draw(int frame, QPainter* painter, QRect const& rect) const override;
    // black: in black at the coverage, instead of the layer colour.
    void draw(int frame, QPainter* painter, QRect const& rect, bool black) const override;
    void drawAtFullOpacity(int frame, QPainter* painter, QRect const& rect,
                           bool black) const override;
    void draw(int frame, QPainter* painter, QRect const& rect,
              Model::SingleStroke const* liveStroke) const override;
    void draw(int frame, QPainter* painter, QRect const& rect,
              QList<unsigned int> const& colorTable) const;
    // The light-table copy of a frame: the layer colour turned by hueShift
    // degrees, at opacityStep (0..1) of the coverage.
    void drawBacklight(int frame, QPainter* painter, QRect const& rect, int hueShift,
                       double opacityStep) const;

    QImage thumbnail(int frame, QSize const& size) const override;
    std::shared_ptr<LayerItem> blankItem() const override;
    // Null for an invalid frame or when the lasso lifts nothing.
    std::unique_ptr<Model::FloatingSelection>
    createNewFloatingSelection(int frame, QPainterPath const& lasso) const override;

    QColor color() const;
    QList<unsigned int> const& colorTable() const;
    void updateColorTable();

    // Stroke edits of the drawing at a frame within 1..length; outside it
    // nothing changes (false, null).
    bool appendStroke(int frame, std::unique_ptr<Stroke> stroke);
    std::unique_ptr<Stroke> removeLastStroke(int frame);
    bool appendCut(int frame, QPainterPath const& path);

    // The drawing of the cell at a 0-based index, null outside the cells.
    StrokeDrawing* strokeDrawing(int index) const;

public slots:
    // A new colour rebuilds the table and drops the originals' thumbnails.
    void setColor(QColor const& color);

private:
    StrokeLayer(StrokeLayer const& other, bool withDrawings);

    void paint(int frame, QPainter* painter, QRect const& rect,
               QList<unsigned int> const& colorTable, SingleStroke const* liveStroke,
               bool withLayerOpacity = true) const;

    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Model
