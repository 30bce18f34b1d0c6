#include "scene/LayerItem.h"

#include "drawings/Drawing.h"

#include <utility>

namespace Model {

LayerItem::LayerItem() = default;

LayerItem::LayerItem(std::shared_ptr<Drawing> drawing)
    : kind(Hold)
    , identifier(QUuid::createUuid())
    , drawing(std::move(drawing))
{
}

LayerItem::LayerItem(int kind, QUuid identifier, std::shared_ptr<Drawing> drawing)
    : kind(kind)
    , identifier(identifier)
    , drawing(std::move(drawing))
{
}

void LayerItem::changeFrameSize(QSize const& oldSize, QSize const& newSize, KW::FitMode fitMode)
{
    if (kind == Original && drawing)
        drawing->changeFrameSize(newSize, fitMode);

    if (offPegsTransform.isIdentity())
        return;
    // Without an old extent there is nothing to scale against.
    if (oldSize.width() <= 0 || oldSize.height() <= 0)
        return;

    QSize scale;
    switch (fitMode) {
    case KW::FitMode::FitModeStretch:
        scale = newSize;
        break;
    case KW::FitMode::FitModeKeepAspect:
        scale = oldSize.scaled(newSize, Qt::KeepAspectRatio);
        break;
    case KW::FitMode::FitModeKeepAspectByExpanding:
        scale = oldSize.scaled(newSize, Qt::KeepAspectRatioByExpanding);
        break;
    case KW::FitMode::FitModeCropCenter:
    case KW::FitMode::FitModeIgnore:
        return;
    }

    qreal const dx = offPegsTransform.dx();
    qreal const dy = offPegsTransform.dy();
    qreal const shiftX = dx * scale.width() / oldSize.width() - dx;
    qreal const shiftY = dy * scale.height() / oldSize.height() - dy;
    offPegsTransform = offPegsTransform * QTransform::fromTranslate(shiftX, shiftY);
}

} // namespace Model
