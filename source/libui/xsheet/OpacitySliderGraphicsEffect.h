#pragma once

#include <QGraphicsEffect>
#include <QIcon>

namespace UI {

// The shadow of a layer's opacity slider: its artwork centred on the slider.
class OpacitySliderGraphicsEffect : public QGraphicsEffect
{
    Q_OBJECT

public:
    explicit OpacitySliderGraphicsEffect(QObject* parent = nullptr);

    QRectF boundingRectFor(const QRectF& sourceRect) const override;

protected:
    void draw(QPainter* painter) override;

private:
    QIcon m_artwork;
    QSize m_size{68, 136};
};

} // namespace UI
