// Layer actions, picking up and dropping a floating selection, and the
// exposure sheet's own fields: the opacity slider and the rename field.
#include "MainWindow.h"
#include "MainWindowPrivate.h"

#include "actions/ActionManager.h"
#include "commands/ChangeLayerOpacity.h"
#include "commands/ChangeToolType.h"
#include "commands/DiscardLayer.h"
#include "commands/DuplicateLayer.h"
#include "commands/MergeLayerDown.h"
#include "commands/NewLayer.h"
#include "commands/RenameLayer.h"
#include "commands/SetAllLayersLinked.h"
#include "commands/SetLayerBeyondLast.h"
#include "commands/SetLayerLinked.h"
#include "commands/SetLayerVisible.h"
#include "models/SceneModel.h"
#include "scene/KWScene.h"
#include "scene/Layer.h"
#include "scene/Scene.h"
#include "tools/ToolManager.h"
#include "xsheet/LayerRenameWidget.h"
#include "xsheet/OpacitySlider.h"
#include "xsheet/XSheet.h"

#include <QAction>
#include <QMenu>
#include <QUndoStack>

#include <algorithm>

namespace {

QAction* action(KW::Action id)
{
    return Model::ActionManager::instance()->action(id);
}

void push(Model::Scene* scene, QUndoCommand* command)
{
    scene->undoStack()->push(command);
}

// A rectangle of the given size centred on a point, kept at least the margin
// inside its parent (centred when the parent is smaller).
QPoint centredInside(QPoint centre, QSize size, QSize parent, int margin)
{
    auto axis = [margin](int c, int extent, int room) {
        const int lo = margin;
        const int hi = room - extent - margin;
        if (hi < lo)
            return (room - extent) / 2;
        return std::clamp(c - extent / 2, lo, hi);
    };
    return {axis(centre.x(), size.width(), parent.width()),
            axis(centre.y(), size.height(), parent.height())};
}

} // namespace

void MainWindow::onActionNewLayer()
{
    if (Model::Scene* scene = quillmereScene())
        push(scene, new Commands::NewLayer(scene, Model::Layer::StrokeLayerType, -1));
}

void MainWindow::onActionNewPaintLayer()
{
    if (Model::Scene* scene = quillmereScene())
        push(scene, new Commands::NewLayer(scene, Model::Layer::PaintLayerType, -1));
}

void MainWindow::onActionDuplicateActiveLayer()
{
    if (Model::Scene* scene = quillmereScene())
        push(scene, new Commands::DuplicateLayer(scene, scene->activeLayerIdx()));
}

void MainWindow::onActionDiscardActiveLayer()
{
    if (Model::Scene* scene = quillmereScene())
        push(scene, new Commands::DiscardLayer(scene, scene->activeLayerIdx()));
}

void MainWindow::onActionMergeLayerDown()
{
    if (Model::Scene* scene = quillmereScene())
        push(scene, new Commands::MergeLayerDown(KWScene(), scene->activeLayerIdx()));
}

void MainWindow::onActionLayerAbove()
{
    if (Model::Scene* scene = quillmereScene())
        setActiveLayer(scene->layerIndexAbove());
}

void MainWindow::onActionLayerBelow()
{
    if (Model::Scene* scene = quillmereScene())
        setActiveLayer(scene->layerIndexBelow());
}

void MainWindow::onActionLayerTop()
{
    if (Model::Scene* scene = quillmereScene())
        setActiveLayer(scene->layerIndexTop());
}

void MainWindow::onActionLayerBottom()
{
    if (Model::Scene* scene = quillmereScene())
        setActiveLayer(scene->layerIndexBottom());
}

void MainWindow::onActionLayerVisibility(bool checked)
{
    Model::Scene* scene = quillmereScene();
    if (!scene)
        return;
    const int layer = scene->activeLayerIdx();
    if (checked != scene->isLayerVisible(layer))
        push(scene, new Commands::SetLayerVisible(KWScene()->sceneModel(), layer, checked));
}

void MainWindow::onActionLayerLink(bool checked)
{
    Model::Scene* scene = quillmereScene();
    if (!scene)
        return;
    const int layer = scene->activeLayerIdx();
    if (checked != scene->isLayerLinked(layer))
        push(scene, new Commands::SetLayerLinked(KWScene()->sceneModel(), layer, checked));
}

void MainWindow::setBeyondLast(int mode)
{
    Model::Scene* scene = quillmereScene();
    if (!scene)
        return;
    const int layer = scene->activeLayerIdx();
    if (scene->layerBeyondLast(layer) != mode)
        push(scene, new Commands::SetLayerBeyondLast(
                        scene, layer, static_cast<Model::Layer::LayerBeyondLast>(mode)));
}

void MainWindow::onActionShowNothingBeyond()
{
    setBeyondLast(Model::Layer::showNothing);
}

void MainWindow::onActionFreezeLastDrawingBeyond()
{
    setBeyondLast(Model::Layer::freezeLast);
}

void MainWindow::onActionCycleDrawingsBeyond()
{
    setBeyondLast(Model::Layer::cycleDrawings);
}

void MainWindow::onActionUnlinkAllLayers()
{
    if (Model::Scene* scene = quillmereScene())
        push(scene, new Commands::SetAllLayersLinked(KWScene()->sceneModel(), false));
}

void MainWindow::onActionLinkAllLayers()
{
    if (Model::Scene* scene = quillmereScene())
        push(scene, new Commands::SetAllLayersLinked(KWScene()->sceneModel(), true));
}

void MainWindow::updateLayerActions()
{
    Model::Scene* scene = quillmereScene();
    if (!scene)
        return;
    const int layer = scene->activeLayerIdx();
    action(KW::Action::LayerLink)->setChecked(scene->isLayerLinked(layer));
    action(KW::Action::LayerVisibility)->setChecked(scene->isLayerVisible(layer));
    switch (scene->layerBeyondLast(layer)) {
    case Model::Layer::showNothing:
        action(KW::Action::ShowNothingBeyond)->setChecked(true);
        break;
    case Model::Layer::freezeLast:
        action(KW::Action::FreezeLastDrawingBeyond)->setChecked(true);
        break;
    case Model::Layer::cycleDrawings:
        action(KW::Action::CycleDrawingsBeyond)->setChecked(true);
        break;
    default:
        break;
    }
    action(KW::Action::MergeLayerDown)->setEnabled(scene->canMergeLayerDown(layer));
}

void MainWindow::onActionDropFloatingSelection()
{
    using Type = Model::Tool::Type;
    Model::ToolManager* tools = Model::ToolManager::instance();
    const Type current = tools->currentToolType();
    const Type last = tools->lastDrawingToolType();
    if (current == Type::Lasso || current == Type::Cutter) {
        const Model::Tool::State state = calcToolState(last);
        if (current != last || tools->currentToolState() != state)
            tools->setCurrentTool(last, state);
    } else if (current == Type::FloatingSelection) {
        if (Model::Scene* scene = quillmereScene())
            push(scene, new Commands::ChangeToolType(KWScene(), last));
    }
}

void MainWindow::onActionGetLatestFloatingSelectionBack()
{
    if (Model::Scene* scene = quillmereScene())
        push(scene, new Commands::ChangeToolType(KWScene(), Model::Tool::Type::FloatingSelection));
}

void MainWindow::onOpacityChanged(int layer, double oldOpacity, double newOpacity)
{
    if (Model::Scene* scene = quillmereScene())
        Model::KWScene::pushToCurrentScenesUndoStack(
            new Commands::ChangeLayerOpacity(scene, layer, oldOpacity, newOpacity));
}

void MainWindow::onOpacitySliderMoved(int layer, double opacity)
{
    if (Model::Scene* scene = quillmereScene())
        scene->setLayerOpacity(layer, opacity);
}

void MainWindow::onXSheetOpacityClicked(int layer)
{
    Model::Scene* scene = quillmereScene();
    UI::OpacitySlider* slider = d->opacitySlider;
    if (!scene || !slider || layer < 0 || layer >= scene->numLayers())
        return;
    slider->setLayerIdx(layer);
    slider->setColor(scene->layerColor(layer));
    slider->setOpacity(scene->layerOpacity(layer));
    slider->show();
    slider->raise();
    slider->setFocus();
}

void MainWindow::onXSheetOpacityCenterMoved(QPoint center)
{
    UI::OpacitySlider* slider = d->opacitySlider;
    if (!slider || !slider->parentWidget())
        return;
    QWidget* parent = slider->parentWidget();
    slider->move(centredInside(parent->mapFromGlobal(center), slider->size(), parent->size(), 3));
}

void MainWindow::onLayerRenamed(const QString& name)
{
    if (quillmereScene() && d->renamedLayer >= 0)
        Model::KWScene::pushToCurrentScenesUndoStack(
            new Commands::RenameLayer(d->xsheet->model(), d->renamedLayer, name));
}

void MainWindow::onXSheetDoubleClickedLayer(int layer, QRect headerRect)
{
    Model::Scene* scene = quillmereScene();
    UI::LayerRenameWidget* field = d->layerRenameWidget;
    if (!scene || !field || !field->parentWidget() || layer < 0 || layer >= scene->numLayers())
        return;
    d->renamedLayer = layer;
    const QString text = d->xsheet->model()->headerData(layer, Qt::Horizontal).toString();
    QWidget* parent = field->parentWidget();
    field->resize(76, 25);
    // The header reports its rectangle in global coordinates.
    const QPoint centre = parent->mapFromGlobal(headerRect.center());
    field->move(centredInside(centre, field->size(), parent->size(), 3));
    field->setText(text);
    field->show();
    field->raise();
    field->setFocus();
}

namespace {

// Shows a context menu without blocking and lets it go once it closes.
void popupOnce(QMenu* menu, QPoint globalPos)
{
    QObject::connect(menu, &QMenu::aboutToHide, menu, &QObject::deleteLater);
    menu->popup(globalPos);
}

} // namespace

void MainWindow::onXSheetRightClickedThumbnail(const QModelIndex& index, QPoint globalPos)
{
    popupOnce(setupContextMenuDrawing(index), globalPos);
}

void MainWindow::onXSheetRightClickedLayer(int layer, QPoint globalPos)
{
    if (layer < 0) {
        if (d->xsheetContextMenu)
            d->xsheetContextMenu->popup(globalPos);
        return;
    }
    setActiveLayer(layer);
    popupOnce(setupContextMenuLayer(layer, true), globalPos);
}
