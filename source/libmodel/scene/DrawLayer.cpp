#include "scene/DrawLayer.h"

namespace Model {

DrawLayer::DrawLayer(QSize const& frameSize, QObject* parent)
    : VisualLayer(frameSize, parent)
{
}

DrawLayer::DrawLayer(DrawLayer const& other)
    : VisualLayer(other)
{
}

DrawLayer::~DrawLayer() = default;

} // namespace Model
