#pragma once

#include <QGraphicsEffect>
#include <QIcon>
#include <QRectF>
#include <QSize>

namespace UI {

// A drop shadow painted from SVG artwork behind a pop-up. The artwork is
// rendered at a fixed size; the part of it that the shadow shows depends on
// where the concrete effect places its bounding rectangle around the widget.
class ArtworkShadowEffect : public QGraphicsEffect
{
    Q_OBJECT

public:
    ArtworkShadowEffect(QString const& artwork, QSize artworkSize, QObject* parent = nullptr);
    ~ArtworkShadowEffect() override;

    QSize artworkSize() const;
    void setArtworkSize(QSize size);
    QRectF boundingRectFor(QRectF const& sourceRect) const override;

protected:
    void draw(QPainter* painter) override;
    // Where the shadow stands around a source rectangle.
    virtual QRectF shadowRectFor(QRectF const& sourceRect) const = 0;
    // A rectangle of the artwork's size centred on the source.
    QRectF centredOn(QRectF const& sourceRect) const;
    // The whole artwork centred on the source instead of its bottom part.
    virtual bool drawsWholeArtwork() const { return false; }

private:
    QIcon m_artwork;
    QSize m_artworkSize;
    mutable QRectF m_boundingRect;
};

} // namespace UI
