#pragma once

// The command tests' small scene made current in a real main window, and a
// structural check that a scene is consistent: holds repeat the drawing
// before them, distant clones and their originals name each other, and the
// active cell and the frame range lie within the scene.

#include "MainWindowFixture.h"

#include "../../libmodel/commands/CommandFixture.h"

#include "models/FrameRangeModel.h"
#include "scene/VisualLayer.h"

#include <QItemSelectionModel>

// Made current in the given window for the fixture's life, so that one
// window serves many cases.
struct MainWindowSceneFixture
{
    explicit MainWindowSceneFixture(MainWindowFixture& windowFixture)
        : window(windowFixture.window.get())
    {
        window->setKWScene(&small.bundle);
    }
    ~MainWindowSceneFixture() { window->setKWScene(nullptr); }

    Model::KWScene* bundle() { return &small.bundle; }
    Model::Scene* scene() { return small.scene; }
    QUndoStack* stack() { return small.stack; }

    // Cells in the exposure sheet's terms: frame-range rows start at the
    // range start, frame 1 here.
    QModelIndex shown(int layer, int frame)
    {
        return bundle()->frameRangeModel()->mapFromSource(small.cell(layer, frame));
    }
    void select(int layer, int firstFrame, int lastFrame)
    {
        bundle()->selectionModel()->select(
            QItemSelection(shown(layer, firstFrame), shown(layer, lastFrame)),
            QItemSelectionModel::ClearAndSelect);
    }

    MainWindow* window;
    CommandScene small;
};

namespace Consistency {

// Empty when the scene holds together; else what is broken, one line each.
inline QStringList problems(Model::Scene const& scene)
{
    QStringList found;
    QHash<QUuid, Model::VisualLayer const*> layers;
    for (int l = 0; l < scene.numLayers(); ++l)
        if (auto const* visual = qobject_cast<Model::VisualLayer const*>(scene.layer(l).get()))
            layers.insert(visual->identifier(), visual);
    const auto find = [&layers](Model::DrawingRef const& ref) -> std::shared_ptr<Model::LayerItem> {
        Model::VisualLayer const* layer = layers.value(ref.layer);
        if (!layer)
            return nullptr;
        for (int f = 1; f <= layer->length(); ++f)
            if (layer->layerItem(f)->identifier == ref.drawing)
                return layer->layerItem(f);
        return nullptr;
    };

    for (Model::VisualLayer const* layer : std::as_const(layers)) {
        for (int f = 1; f <= layer->length(); ++f) {
            auto const cell = layer->layerItem(f);
            QString const where = QStringLiteral("%1 frame %2").arg(layer->name()).arg(f);
            if (!cell || cell->identifier.isNull() || !cell->drawing) {
                found << where + QStringLiteral(": no identifier or drawing");
                continue;
            }
            switch (cell->kind) {
            case Model::LayerItem::Original:
                for (Model::DrawingRef const& ref : cell->clones) {
                    auto const clone = find(ref);
                    if (!clone || clone->kind != Model::LayerItem::DistantClone
                        || clone->original != cell->reference(layer->identifier())
                        || clone->drawing != cell->drawing)
                        found << where + QStringLiteral(": a clone that does not name it back");
                }
                break;
            case Model::LayerItem::Hold:
                if (f == 1 || layer->layerItem(f - 1)->drawing != cell->drawing)
                    found << where + QStringLiteral(": a hold of another drawing");
                break;
            case Model::LayerItem::DistantClone: {
                auto const original = find(cell->original);
                if (!original || original->kind != Model::LayerItem::Original
                    || !original->clones.contains(cell->reference(layer->identifier()))
                    || original->drawing != cell->drawing)
                    found << where + QStringLiteral(": a clone without its original");
                break;
            }
            default:
                found << where + QStringLiteral(": unknown kind");
            }
        }
    }
    int const active = scene.activeLayerIdx();
    if (active < 0 || active >= scene.numLayers())
        found << QStringLiteral("active layer %1 outside the scene").arg(active);
    else if (scene.isVisualLayer(active)
             && (scene.activeFrame() < 1 || scene.activeFrame() > scene.virtualLayerLength(active)))
        found << QStringLiteral("active frame %1 outside its layer").arg(scene.activeFrame());
    if (scene.minimumFrameRangeNumber() < 1
        || scene.minimumFrameRangeNumber() > scene.maximumFrameRangeNumber())
        found << QStringLiteral("frame range %1-%2")
                     .arg(scene.minimumFrameRangeNumber())
                     .arg(scene.maximumFrameRangeNumber());
    return found;
}

} // namespace Consistency
