#pragma once

#include "scene/Layer.h"

#include <QImage>
#include <QList>
#include <QSize>

#include <memory>

namespace Model {

// The notes scribbled in the exposure sheet's annotation column: one 8-bit
// image per frame (a null image where nothing was drawn). The layer has no
// cells and is never painted on the canvas. Its edits return records of the
// annotation-image kinds that undo them.
class AnnotationLayer : public Layer
{
    Q_OBJECT

public:
    // The largest notes image of one frame, whatever the frame size. The
    // exposure sheet makes them 56 pixels high and about 336 wide at every
    // thumbnail size and UI scale, and never wider than this; the scene
    // reader refuses larger ones before decoding them.
    static constexpr int maximumImageWidth = 1024;
    static constexpr int maximumImageHeight = 128;

    explicit AnnotationLayer(QObject* parent);
    ~AnnotationLayer() override;

    int type() const override;
    // The scene counts the layer as long as the scene itself.
    int length() const override;
    bool isFrameValid(int frame) const override;
    // A new empty frame after frame; nothing for frame < 1.
    void insertBlankFrameAfter(int frame) override;
    // Notes are never held: the same as insertBlankFrameAfter.
    void insertHoldFrameAfter(int frame) override;
    QList<LayerChange> removeFrame(int frame) override;
    // An annotation layer is never copied: null.
    Layer* clone() const override;

    // Null for frame < 1 and past the stored images.
    QImage annotationImage(int frame) const;
    // Images from frame on move one frame later. The list grows with null
    // images to reach frame first.
    QList<LayerChange> insertFrame(int frame, QImage const& image);
    QList<LayerChange> replaceFrame(int frame, QImage const& image);
    // Appends, for the scene reader, which adds the images frame by frame.
    void addImage(QImage const& image);
    // The frame's notes in warm grey, each byte giving the opacity; null
    // where the frame has no image.
    QImage thumbnail(int frame, QSize const& size) const;

private:
    void padTo(int count);

    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Model
