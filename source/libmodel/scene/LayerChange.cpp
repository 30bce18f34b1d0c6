#include "scene/LayerChange.h"

#include "scene/LayerItem.h"

#include <utility>

namespace Model {

LayerChange::LayerChange() = default;

LayerChange::LayerChange(int kind, int frame, std::shared_ptr<LayerItem> cell)
    : kind(kind)
    , frame(frame)
    , cell(std::move(cell))
{
}

LayerChange::LayerChange(int kind, int frame, QTransform const& transform)
    : kind(kind)
    , frame(frame)
    , transform(transform)
{
}

LayerChange::LayerChange(int kind, int frame, QImage const& image)
    : kind(kind)
    , frame(frame)
    , image(image)
{
}

LayerChange::LayerChange(LayerChange const& other)
{
    copyFrom(other);
}

LayerChange::LayerChange(LayerChange&& other) noexcept
{
    moveFrom(other);
}

LayerChange& LayerChange::operator=(LayerChange const& other)
{
    if (this != &other)
        copyFrom(other);
    return *this;
}

LayerChange& LayerChange::operator=(LayerChange&& other) noexcept
{
    if (this != &other)
        moveFrom(other);
    return *this;
}

LayerChange::~LayerChange() = default;

void LayerChange::copyFrom(LayerChange const& other)
{
    kind = other.kind;
    frame = other.frame;
    cell = carriesCell(kind) ? other.cell : nullptr;
    transform = carriesTransform(kind) ? other.transform : QTransform();
    image = carriesImage(kind) ? other.image : QImage();
}

void LayerChange::moveFrom(LayerChange& other) noexcept
{
    kind = other.kind;
    frame = other.frame;
    if (carriesCell(kind))
        cell = std::move(other.cell);
    else
        cell.reset();
    transform = carriesTransform(kind) ? other.transform : QTransform();
    if (carriesImage(kind))
        image = std::move(other.image);
    else
        image = QImage();
    other.kind = NoChange;
    other.frame = -1;
}

} // namespace Model
