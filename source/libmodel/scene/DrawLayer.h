#pragma once

#include "scene/VisualLayer.h"

#include <memory>

class QPainterPath;

namespace Model {

class FloatingSelection;
class SingleStroke;

// A visual layer that can be drawn on: it paints a stroke in progress on top
// of a frame and lifts lassoed parts of a drawing into a floating selection.
class DrawLayer : public VisualLayer
{
    Q_OBJECT

public:
    DrawLayer(QSize const& frameSize, QObject* parent);
    DrawLayer(DrawLayer const& other);
    ~DrawLayer() override;

    using VisualLayer::draw;
    virtual void draw(int frame, QPainter* painter, QRect const& rect,
                      Model::SingleStroke const* liveStroke) const = 0;
    // Empty when the frame is not valid or the lasso lifts nothing.
    virtual std::unique_ptr<Model::FloatingSelection>
    createNewFloatingSelection(int frame, QPainterPath const& lasso) const = 0;
};

} // namespace Model
