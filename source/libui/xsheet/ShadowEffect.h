#pragma once

#include "xsheet/ArtworkShadowEffect.h"

namespace UI {

// The shadow of the layer rename field: the whole artwork centred on it.
class ShadowEffect : public ArtworkShadowEffect
{
    Q_OBJECT

public:
    explicit ShadowEffect(QObject* parent = nullptr);

protected:
    QRectF shadowRectFor(QRectF const& sourceRect) const override;
    bool drawsWholeArtwork() const override { return true; }
};

} // namespace UI
