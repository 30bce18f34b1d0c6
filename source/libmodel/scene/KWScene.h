#pragma once

#include "settings/KW.h"
#include "strokes/FloatingSelection.h"

#include <QItemSelection>
#include <QList>
#include <QMetaObject>
#include <QModelIndex>
#include <QObject>

#include <memory>

class QItemSelectionModel;
class QProgressDialog;
class QSize;
class QUndoCommand;

namespace Model {

class FrameRangeModel;
class Scene;
class SceneModel;

// One open scene with everything the views need to show and select in it:
// the scene, its item model, the frame-range proxy the exposure sheet shows,
// the selection on that proxy and the floating selection being moved on the
// canvas. One bundle is current at a time, so that the widgets can push
// their undo commands without knowing which scene is open. The bundle also
// keeps the connections the main window makes for it, to cut them when
// another scene becomes current.
class KWScene : public QObject
{
    Q_OBJECT

public:
    explicit KWScene(QObject* parent = nullptr);
    ~KWScene() override;

    Model::Scene* scene() const;
    Model::SceneModel* sceneModel() const;
    Model::FrameRangeModel* frameRangeModel() const;
    QItemSelectionModel* selectionModel() const;

    static KWScene* currentKWScene();
    // The caller keeps ownership; null is allowed.
    static void setCurrentKWScene(KWScene* scene);
    // Takes the command. Without a current scene it is deleted unrun.
    static void pushToCurrentScenesUndoStack(QUndoCommand* command);

    // The current cell and the selection, in terms of the scene model.
    QModelIndex currentIndex() const;
    bool hasSelection() const;
    QItemSelection selection() const;

    // Swaps the given selection in and hands back the previous one.
    std::unique_ptr<Model::FloatingSelection>
    setFloatingSelection(std::unique_ptr<Model::FloatingSelection> floatingSelection);
    Model::FloatingSelection* floatingSelection() const;
    void setFloatingSelectionTransform(Model::FloatingSelection::Transform transform);
    Model::FloatingSelection::Transform floatingSelectionTransform() const;

    // Resizes the scene's frames (Model::Scene::setFrameSize) and fits the
    // floating selection as the drawings are fitted, so that it stays over
    // the drawings it was lifted from.
    void changeFrameSize(QSize const& size, KW::FitMode fitMode, QProgressDialog* progressDialog);

    void saveConnection(QMetaObject::Connection const& connection);
    void disconnectSavedConnections();

public slots:
    void clearSelection();

signals:
    void floatingSelectionChanged();
    void floatingSelectionTransformChanged(Model::FloatingSelection::Transform transform);

private:
    // Keeps the current cell of the selection on the scene's active cell.
    void followActiveCell(int frame, int layer);

    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Model
