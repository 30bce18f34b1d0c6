#pragma once

#include "xsheet/ArtworkShadowEffect.h"

namespace UI {

// The shadow of the layer colour gizmo, in fixed pixels.
class ColorGizmoGraphicsEffect : public ArtworkShadowEffect
{
    Q_OBJECT

public:
    explicit ColorGizmoGraphicsEffect(QObject* parent = nullptr);

protected:
    QRectF shadowRectFor(QRectF const& sourceRect) const override;
};

} // namespace UI
