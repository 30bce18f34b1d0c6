#pragma once

#include "xsheet/ArtworkShadowEffect.h"

namespace UI {

// The shadow of a layer's opacity slider, centred on it.
class OpacitySliderGraphicsEffect : public ArtworkShadowEffect
{
    Q_OBJECT

public:
    explicit OpacitySliderGraphicsEffect(QObject* parent = nullptr);

protected:
    QRectF shadowRectFor(QRectF const& sourceRect) const override;
};

} // namespace UI
