// The Edit menu's handlers, which turn the selected cells (or the current
// cell) into one undo command each.
#include "MainWindow.h"
#include "MainWindowPrivate.h"

#include "actions/ActionManager.h"
#include "commands/AddBlankDrawing.h"
#include "commands/AddCloneDrawings.h"
#include "commands/ClearDrawingMakingBlank.h"
#include "commands/CloneEachSelectedDrawingOnce.h"
#include "commands/CollapseVectorData.h"
#include "commands/CycleSelectedDrawingsOnce.h"
#include "commands/DeleteCloneDrawing.h"
#include "commands/DiscardDrawing.h"
#include "commands/DuplicateDrawing.h"
#include "commands/InsertBlankDrawing.h"
#include "commands/LoseDrawingMakingHold.h"
#include "commands/PasteDrawing.h"
#include "commands/PasteImage.h"
#include "commands/TurnCloneIntoOriginal.h"
#include "models/FrameRangeModel.h"
#include "models/SceneModel.h"
#include "scene/KWScene.h"
#include "scene/Scene.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QItemSelectionModel>
#include <QMimeData>
#include <QUndoStack>

#include <algorithm>

namespace {

using A = KW::Action;

void push(Model::KWScene* bundle, QUndoCommand* command)
{
    bundle->scene()->undoStack()->push(command);
}

// One cell command for each entry of the Edit menu that edits cells.
template<class Target>
QUndoCommand* cellCommand(A action, Model::KWScene* bundle, const Target& target)
{
    using namespace Commands;
    switch (action) {
    case A::AddCloneDrawing:
        return new AddCloneDrawings(bundle, target, 1);
    case A::AddBlankDrawing:
        return new AddBlankDrawing(bundle, target);
    case A::InsertBlankDrawing:
        return new InsertBlankDrawing(bundle, target);
    case A::TurnCloneIntoOriginal:
        return new TurnCloneIntoOriginal(bundle, target);
    case A::DuplicateDrawing:
        return new DuplicateDrawing(bundle, target);
    case A::ClearDrawingMakingBlank:
        return new ClearDrawingMakingBlank(bundle, target);
    case A::LoseDrawingMakingHold:
        return new LoseDrawingMakingHold(bundle, target);
    case A::DiscardDrawing:
    case A::BackDeleteDrawing:
        return new DiscardDrawing(bundle, target);
    case A::DeleteCloneDrawing:
        return new DeleteCloneDrawing(bundle, target);
    default:
        return nullptr;
    }
}

// Asked on the virtual last frame, these add a drawing to the frame before
// it instead: there is nothing there to turn, duplicate, clear or lose.
bool addsBlankOnVirtualFrame(A action)
{
    switch (action) {
    case A::InsertBlankDrawing:
    case A::TurnCloneIntoOriginal:
    case A::DuplicateDrawing:
    case A::ClearDrawingMakingBlank:
    case A::LoseDrawingMakingHold:
        return true;
    default:
        return false;
    }
}

// The commands that keep the selection: the cells stay where they were.
bool keepsSelection(A action)
{
    return action == A::ClearDrawingMakingBlank || action == A::LoseDrawingMakingHold;
}

bool isVirtualLastFrame(Model::KWScene* bundle, const QModelIndex& index)
{
    return bundle->sceneModel()->data(index, Model::SceneModel::VirtualLastFrameRole).toBool();
}

// Puts the drawings on the clipboard; false when there was nothing to copy.
bool copyToClipboard(QMimeData* mimeData)
{
    if (!mimeData)
        return false;
    QGuiApplication::clipboard()->setMimeData(mimeData, QClipboard::Clipboard);
    return true;
}

} // namespace

QModelIndex MainWindow::editTargetIndex(int rowOffset) const
{
    Model::KWScene* bundle = KWScene();
    if (!bundle)
        return QModelIndex();
    const QModelIndex current = bundle->currentIndex();
    if (rowOffset == 0 && !isVirtualLastFrame(bundle, current))
        return current;
    if (rowOffset == 0)
        rowOffset = -1;
    Model::FrameRangeModel* range = bundle->frameRangeModel();
    const QModelIndex shown = range->mapFromSource(current);
    if (!shown.isValid())
        return QModelIndex();
    const int row = shown.row() + rowOffset;
    if (row < 0 || row >= range->rowCount())
        return QModelIndex();
    return range->mapToSource(range->index(row, shown.column()));
}

void MainWindow::onActionCellCommand(KW::Action action)
{
    Model::KWScene* bundle = KWScene();
    if (!bundle)
        return;
    if (bundle->hasSelection()) {
        const QList<QModelIndex> indexes = bundle->selection().indexes();
        if (QUndoCommand* command = cellCommand(action, bundle, indexes)) {
            push(bundle, command);
            if (!keepsSelection(action))
                bundle->clearSelection();
        }
        return;
    }

    QModelIndex target;
    QUndoCommand* command = nullptr;
    if (action == A::BackDeleteDrawing) {
        target = editTargetIndex(-1);
    } else if (action == A::DiscardDrawing || action == A::DeleteCloneDrawing) {
        target = bundle->currentIndex();
    } else {
        target = editTargetIndex();
        if (target != bundle->currentIndex() && addsBlankOnVirtualFrame(action))
            command = new Commands::AddBlankDrawing(bundle, target);
    }
    if (!command)
        command = cellCommand(action, bundle, target);
    if (command)
        push(bundle, command);
}

void MainWindow::onActionCutDrawing()
{
    Model::KWScene* bundle = KWScene();
    if (!bundle)
        return;
    if (bundle->hasSelection()) {
        const QList<QModelIndex> indexes = bundle->selection().indexes();
        copyToClipboard(bundle->sceneModel()->createMimeData(indexes));
        push(bundle, new Commands::DiscardDrawing(bundle, indexes));
    } else {
        const QModelIndex index = bundle->currentIndex();
        copyToClipboard(bundle->sceneModel()->createMimeData(index));
        push(bundle, new Commands::DiscardDrawing(bundle, index));
    }
}

void MainWindow::onActionCopyDrawing()
{
    Model::KWScene* bundle = KWScene();
    if (!bundle)
        return;
    if (bundle->hasSelection())
        copyToClipboard(bundle->sceneModel()->createMimeData(bundle->selection().indexes()));
    else
        copyToClipboard(bundle->sceneModel()->createMimeData(bundle->currentIndex()));
}

void MainWindow::onActionPasteDrawing()
{
    Model::KWScene* bundle = KWScene();
    if (!bundle)
        return;
    const QMimeData* mimeData = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
    const bool drawings = mimeData && mimeData->hasFormat(Model::Scene::clipboardMimeType());
    const bool image = mimeData && mimeData->hasImage();

    if (bundle->hasSelection()) {
        const QList<QModelIndex> indexes = bundle->selection().indexes();
        if (drawings)
            push(bundle, new Commands::PasteDrawing(bundle, indexes, mimeData));
        else if (image)
            push(bundle, new Commands::PasteImage(bundle, indexes,
                                                  qvariant_cast<QImage>(mimeData->imageData())));
        bundle->clearSelection();
        return;
    }
    const QModelIndex target = editTargetIndex();
    if (drawings)
        push(bundle, new Commands::PasteDrawing(bundle, target, mimeData));
    else if (image)
        push(bundle, new Commands::PasteImage(bundle, target,
                                              qvariant_cast<QImage>(mimeData->imageData())));
}

void MainWindow::onActionSelectAllDrawings()
{
    Model::KWScene* bundle = KWScene();
    if (!bundle)
        return;
    Model::FrameRangeModel* range = bundle->frameRangeModel();
    const int column = range->mapFromSource(bundle->currentIndex()).column();
    if (column < 0)
        return;
    if (!range->headerData(column, Qt::Horizontal, Model::SceneModel::IsVisualLayerRole).toBool())
        return;
    const int n = range->headerData(column, Qt::Horizontal, Model::SceneModel::LayerLengthRole).toInt();
    if (n <= 0)
        return;
    const QItemSelection cells(range->index(0, column),
                               range->index(std::min(n, range->rowCount()) - 1, column));
    bundle->selectionModel()->select(cells, QItemSelectionModel::ClearAndSelect);
}

void MainWindow::onActionCloneEachSelectedDrawingOnce()
{
    Model::KWScene* bundle = KWScene();
    if (!bundle || !bundle->hasSelection())
        return;
    auto* command =
        new Commands::CloneEachSelectedDrawingOnce(bundle, bundle->selection().indexes());
    Model::FrameRangeModel* range = bundle->frameRangeModel();
    const QModelIndex first = range->mapFromSource(command->firstIndex());
    const int count = 2 * command->indicesCount();
    push(bundle, command);
    if (!first.isValid())
        return;
    const int last = std::min(first.row() + std::max(count, 1) - 1, range->rowCount() - 1);
    bundle->selectionModel()->select(QItemSelection(first, range->index(last, first.column())),
                                     QItemSelectionModel::ClearAndSelect);
}

void MainWindow::onActionCycleSelectedDrawingsOnce()
{
    Model::KWScene* bundle = KWScene();
    if (!bundle || !bundle->hasSelection())
        return;
    push(bundle, new Commands::CycleSelectedDrawingsOnce(bundle, bundle->selection().indexes()));
}

void MainWindow::onActionCollapseVectorData()
{
    if (Model::KWScene* bundle = KWScene())
        push(bundle, new Commands::CollapseVectorData(bundle, bundle->currentIndex(), this));
}

void MainWindow::clearCellSelection()
{
    if (Model::KWScene* bundle = KWScene())
        bundle->clearSelection();
}

void MainWindow::onSelectionChanged()
{
    Model::KWScene* bundle = KWScene();
    const bool selected = bundle && bundle->hasSelection();
    const int n = selected ? int(bundle->selection().indexes().size()) : -1;
    Model::ActionManager* manager = Model::ActionManager::instance();
    manager->action(A::CycleSelectedDrawingsOnce)->setEnabled(selected);
    for (A action : {A::AddCloneDrawing, A::DeleteCloneDrawing, A::AddBlankDrawing,
                     A::InsertBlankDrawing, A::TurnCloneIntoOriginal, A::DuplicateDrawing,
                     A::CutDrawing, A::CopyDrawing, A::ClearDrawingMakingBlank,
                     A::LoseDrawingMakingHold, A::DiscardDrawing, A::BackDeleteDrawing})
        manager->setProfile(action,
                            selected ? Model::ActionManager::Alternative
                                     : Model::ActionManager::Default,
                            n);
}

void MainWindow::onFloatingSelectionChanged()
{
    Model::KWScene* bundle = KWScene();
    Model::ActionManager::instance()
        ->action(A::GetLatestFloatingSelectionBack)
        ->setEnabled(bundle && bundle->floatingSelection());
}
