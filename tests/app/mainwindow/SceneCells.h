#pragma once

#include "scene/LayerItem.h"
#include "scene/Scene.h"
#include "scene/VisualLayer.h"

#include <QString>

// Writes a visual layer's cells from a pattern, one character a frame:
//   'A'..'Z'  an original (a blank drawing of the layer's kind)
//   'k'       an original marked as a key drawing
//   '.'       a hold of the cell before it
// then sets the frame range and the active cell.
inline void fillCells(Model::Scene* scene, int layer, const QString& pattern, int rangeFirst,
                      int rangeLast, int activeFrame)
{
    auto visual = std::dynamic_pointer_cast<Model::VisualLayer>(scene->layer(layer));
    auto& cells = visual->frames();
    cells.clear();
    for (QChar ch : pattern) {
        if (ch == QLatin1Char('.')) {
            cells.append(std::make_shared<Model::LayerItem>(cells.last()->drawing));
        } else {
            auto cell = visual->blankItem();
            cell->keyDrawing = ch == QLatin1Char('k');
            cells.append(cell);
        }
    }
    scene->updateMaxFrameNumber();
    scene->setFrameRange(rangeFirst, rangeLast, activeFrame, layer);
    scene->setActiveFrameAndLayer(activeFrame, layer, Model::Scene::AcceptVirtualLastFrame);
}
