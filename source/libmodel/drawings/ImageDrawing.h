#pragma once

#include "drawings/Drawing.h"

#include <memory>

class QPainter;
class QRect;

namespace Model {

// A raster picture, as shown by reference layers. The picture keeps its own
// pixels whatever the frame size; it is fitted into the frame when drawn.
class ImageDrawing : public Drawing
{
public:
    explicit ImageDrawing(QImage const& image);
    ImageDrawing(ImageDrawing const& other);
    ImageDrawing& operator=(ImageDrawing const&) = delete;
    ~ImageDrawing() override;

    int type() const override;
    Drawing* clone() const override;
    // Built once per size and kept until the size changes or it is
    // invalidated. The colour list has no meaning for pictures.
    QImage thumbnail(QSize const& size, QList<unsigned int> const& colors) const override;
    void invalidateThumbnail() override;
    void changeFrameSize(QSize const& newSize, KW::FitMode fitMode) override;
    void add(Drawing const* other) override;

    QImage image() const;

    // Paints the part of the picture that falls into rect of a frame of the
    // given size: unscaled when the picture has the frame's size, otherwise
    // fitted and centred keeping its aspect ratio.
    void draw(QPainter* painter, QSize const& frameSize, QRect const& rect) const;

private:
    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Model
