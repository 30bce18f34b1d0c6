#pragma once

#include "xsheet/ArtworkShadowEffect.h"

namespace UI {

// The shadow of the column gizmos: centred under the strip, growing with it.
class GizmoGraphicsEffect : public ArtworkShadowEffect
{
    Q_OBJECT

public:
    explicit GizmoGraphicsEffect(QObject* parent = nullptr);
    void updateUISize();

protected:
    QRectF shadowRectFor(QRectF const& sourceRect) const override;

private:
    float m_scale = 1.0f;
};

} // namespace UI
