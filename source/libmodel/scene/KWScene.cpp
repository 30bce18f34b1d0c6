#include "scene/KWScene.h"

#include "drawings/FrameFit.h"
#include "models/FrameRangeModel.h"
#include "models/SceneModel.h"
#include "scene/Scene.h"

#include <QDebug>
#include <QItemSelectionModel>
#include <QPointer>
#include <QUndoCommand>
#include <QUndoStack>

namespace Model {

namespace {

KWScene* s_currentKWScene = nullptr;

} // namespace

struct KWScene::Data
{
    // All children of the bundle; guarded because the selection model may
    // follow its proxy out before the bundle goes.
    QPointer<Scene> scene;
    QPointer<SceneModel> sceneModel;
    QPointer<FrameRangeModel> frameRangeModel;
    QPointer<QItemSelectionModel> selectionModel;
    std::unique_ptr<FloatingSelection> floatingSelection;
    QList<QMetaObject::Connection> savedConnections;
};

KWScene::KWScene(QObject* parent)
    : QObject(parent)
    , d(std::make_unique<Data>())
{
    d->scene = new Scene(this);

    d->sceneModel = new SceneModel(this);
    d->sceneModel->setScene(d->scene);

    d->frameRangeModel = new FrameRangeModel(this);
    d->frameRangeModel->setSourceModel(d->sceneModel);
    d->frameRangeModel->setScene(d->scene);

    d->selectionModel = new QItemSelectionModel(d->frameRangeModel, this);
    connect(d->frameRangeModel, &QObject::destroyed, d->selectionModel, &QObject::deleteLater);

    QModelIndex const active = d->frameRangeModel->mapFromSource(
        d->sceneModel->index(d->scene->activeFrame() - 1, d->scene->activeLayerIdx()));
    d->selectionModel->setCurrentIndex(active, QItemSelectionModel::NoUpdate);

    connect(d->scene, &Scene::activeFrameAndLayerChanged, this, &KWScene::followActiveCell);
}

KWScene::~KWScene()
{
    // A bundle that goes while current must not leave the pointer behind
    // for the next push.
    if (s_currentKWScene == this)
        s_currentKWScene = nullptr;
    // The saved connections belong to the views, which cut them themselves.
    d->savedConnections.clear();
    d->floatingSelection.reset();
    d.reset();
}

Scene* KWScene::scene() const
{
    return d->scene;
}

SceneModel* KWScene::sceneModel() const
{
    return d->sceneModel;
}

FrameRangeModel* KWScene::frameRangeModel() const
{
    return d->frameRangeModel;
}

QItemSelectionModel* KWScene::selectionModel() const
{
    return d->selectionModel;
}

KWScene* KWScene::currentKWScene()
{
    return s_currentKWScene;
}

void KWScene::setCurrentKWScene(KWScene* scene)
{
    s_currentKWScene = scene;
}

void KWScene::pushToCurrentScenesUndoStack(QUndoCommand* command)
{
    Scene* const scene = s_currentKWScene ? s_currentKWScene->scene() : nullptr;
    if (!scene) {
        qDebug() << "Trying to push command with no current scene";
        delete command;
        return;
    }
    scene->undoStack()->push(command);
}

void KWScene::followActiveCell(int frame, int layer)
{
    if (!d->selectionModel || !d->frameRangeModel || !d->sceneModel)
        return;
    QModelIndex const active =
        d->frameRangeModel->mapFromSource(d->sceneModel->index(frame - 1, layer));
    if (d->selectionModel->currentIndex() != active)
        d->selectionModel->clearSelection();
    d->selectionModel->setCurrentIndex(active, QItemSelectionModel::NoUpdate);
}

QModelIndex KWScene::currentIndex() const
{
    if (!d->selectionModel || !d->frameRangeModel)
        return QModelIndex();
    return d->frameRangeModel->mapToSource(d->selectionModel->currentIndex());
}

bool KWScene::hasSelection() const
{
    return d->selectionModel && d->selectionModel->hasSelection();
}

QItemSelection KWScene::selection() const
{
    if (!d->selectionModel || !d->frameRangeModel)
        return QItemSelection();
    return d->frameRangeModel->mapSelectionToSource(d->selectionModel->selection());
}

void KWScene::clearSelection()
{
    if (d->selectionModel)
        d->selectionModel->clearSelection();
}

std::unique_ptr<FloatingSelection>
KWScene::setFloatingSelection(std::unique_ptr<FloatingSelection> floatingSelection)
{
    std::swap(d->floatingSelection, floatingSelection);
    emit floatingSelectionChanged();
    return floatingSelection;
}

FloatingSelection* KWScene::floatingSelection() const
{
    return d->floatingSelection.get();
}

void KWScene::setFloatingSelectionTransform(FloatingSelection::Transform transform)
{
    if (!d->floatingSelection)
        return;
    d->floatingSelection->setTransform(transform);
    emit floatingSelectionTransformChanged(d->floatingSelection->transform());
}

FloatingSelection::Transform KWScene::floatingSelectionTransform() const
{
    return d->floatingSelection ? d->floatingSelection->transform() : FloatingSelection::Transform();
}

void KWScene::changeFrameSize(QSize const& size, KW::FitMode fitMode,
                              QProgressDialog* progressDialog)
{
    Scene* const s = scene();
    if (!s)
        return;
    QSize const oldSize = s->frameSize();
    s->setFrameSize(size, fitMode, progressDialog);
    QSize const newSize = s->frameSize();
    if (newSize == oldSize || !d->floatingSelection)
        return;
    d->floatingSelection->fitToFrame(frameFitTransform(oldSize, newSize, fitMode));
    emit floatingSelectionChanged();
}

void KWScene::saveConnection(QMetaObject::Connection const& connection)
{
    d->savedConnections.append(connection);
}

void KWScene::disconnectSavedConnections()
{
    for (QMetaObject::Connection const& connection : std::as_const(d->savedConnections))
        QObject::disconnect(connection);
    d->savedConnections.clear();
}

} // namespace Model
