#pragma once

#include "scene/DrawingRef.h"
#include "settings/KW.h"

#include <QList>
#include <QSize>
#include <QTransform>
#include <QUuid>

#include <memory>

namespace Model {

class Drawing;

// One cell of a visual layer. Cells are shared between the layer and the
// change records that can put them back, so they live behind std::shared_ptr
// and their fields are open to the scene that keeps them consistent.
class LayerItem
{
public:
    enum Kind {
        Original = 0,
        Hold = 1,         // repeats the drawing of the cell before it
        DistantClone = 2, // shows the drawing of an original elsewhere in the scene
        NoDrawing = 3     // answered by queries where there is no cell
    };

    // An original with a null identifier and no drawing.
    LayerItem();
    // A hold of the cell whose drawing is given: a new identifier, the same
    // shared drawing, and nothing else carried over.
    explicit LayerItem(std::shared_ptr<Drawing> drawing);
    LayerItem(int kind, QUuid identifier, std::shared_ptr<Drawing> drawing);

    // Moves the off-pegs translation with the frame; only an original passes
    // the change on to its drawing, since the others share it.
    void changeFrameSize(QSize const& oldSize, QSize const& newSize, KW::FitMode fitMode);

    DrawingRef reference(QUuid const& layerIdentifier) const
    {
        return DrawingRef{layerIdentifier, identifier};
    }

    int kind = Original;
    QUuid identifier;
    std::shared_ptr<Drawing> drawing;
    QTransform offPegsTransform;
    bool keyDrawing = false;
    QList<DrawingRef> clones; // on an original: its distant clones
    DrawingRef original;      // on a distant clone: its original
};

} // namespace Model
