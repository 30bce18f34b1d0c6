#include "scene/ReferenceLayer.h"

#include "drawings/ImageDrawing.h"
#include "scene/LayerItem.h"

#include <QPainter>

namespace Model {

ReferenceLayer::ReferenceLayer(QSize const& frameSize, QObject* parent)
    : VisualLayer(frameSize, parent)
{
    frames().append(blankItem());
    setOpacity(0.5);
}

ReferenceLayer::ReferenceLayer(ReferenceLayer const& other)
    : ReferenceLayer(other, true)
{
}

ReferenceLayer::ReferenceLayer(ReferenceLayer const& other, bool withDrawings)
    : VisualLayer(other)
{
    copyCellsOf(other, withDrawings);
}

ReferenceLayer::~ReferenceLayer() = default;

int ReferenceLayer::type() const
{
    return ReferenceLayerType;
}

Layer* ReferenceLayer::clone() const
{
    return new ReferenceLayer(*this);
}

VisualLayer* ReferenceLayer::cloneWithoutDrawings() const
{
    return new ReferenceLayer(*this, false);
}

void ReferenceLayer::draw(int frame, QPainter* painter, QRect const& rect) const
{
    int const cell = shownFrame(frame);
    if (cell == 0)
        return;
    painter->save();
    painter->setOpacity(painter->opacity() * opacity());
    drawCell(cell, painter, rect);
    painter->restore();
}

void ReferenceLayer::drawAtFullOpacity(int frame, QPainter* painter, QRect const& rect,
                                       bool /*black*/) const
{
    if (int const cell = shownFrame(frame))
        drawCell(cell, painter, rect);
}

void ReferenceLayer::draw(int frame, QPainter* painter, QRect const& rect, bool /*black*/) const
{
    if (isFrameValid(frame))
        drawCell(frame, painter, rect);
}

QImage ReferenceLayer::thumbnail(int frame, QSize const& size) const
{
    if (!isFrameValid(frame))
        return QImage();
    std::shared_ptr<Drawing> const& drawing = frames().at(frame - 1)->drawing;
    return drawing ? drawing->thumbnail(size, {}) : QImage();
}

std::shared_ptr<LayerItem> ReferenceLayer::blankItem() const
{
    return std::make_shared<LayerItem>(LayerItem::Original, QUuid::createUuid(),
                                       std::make_shared<ImageDrawing>(QImage()));
}

ImageDrawing const* ReferenceLayer::imageDrawing(int index) const
{
    if (index < 0 || index >= length())
        return nullptr;
    return dynamic_cast<ImageDrawing const*>(frames().at(index)->drawing.get());
}

ImageDrawing* ReferenceLayer::imageDrawing(int index)
{
    if (index < 0 || index >= length())
        return nullptr;
    return dynamic_cast<ImageDrawing*>(frames().at(index)->drawing.get());
}

void ReferenceLayer::drawCell(int frame, QPainter* painter, QRect const& rect) const
{
    if (ImageDrawing const* picture = imageDrawing(frame - 1))
        picture->draw(painter, frameSize(), rect);
}

} // namespace Model
