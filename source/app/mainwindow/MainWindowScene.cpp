// Switching the current scene, and the window's requests that move the
// active frame, layer and frame range.
#include "MainWindow.h"
#include "MainWindowPrivate.h"

#include "canvas/Paper.h"
#include "rendering/OffscreenRenderer.h"
#include "scene/KWScene.h"
#include "scene/Scene.h"
#include "settings/Settings.h"
#include "timeline/Timeline.h"
#include "xsheet/XSheet.h"

#include <QUndoGroup>
#include <QUndoStack>

Model::Scene* MainWindow::quillmereScene() const
{
    Model::KWScene* bundle = Model::KWScene::currentKWScene();
    return bundle ? bundle->scene() : nullptr;
}

Model::KWScene* MainWindow::KWScene() const
{
    return Model::KWScene::currentKWScene();
}

void MainWindow::setKWScene(Model::KWScene* kwscene)
{
    if (Model::KWScene* old = Model::KWScene::currentKWScene()) {
        old->disconnectSavedConnections();
        Model::Scene* oldScene = old->scene();
        disconnect(oldScene, nullptr, this, nullptr);
        disconnect(oldScene->undoStack(), nullptr, this, nullptr);
        m_undoGroup->removeStack(oldScene->undoStack());
        ui->scrollAreaWidgetContents->setCurrentScene(nullptr);
    }

    Model::KWScene::setCurrentKWScene(kwscene);
    if (kwscene) {
        Model::Scene* scene = kwscene->scene();
        Model::Settings::instance()->setDefaultFrameSize(scene->frameSize());
        Model::OffscreenRenderer::instance()->resizeFBOs(scene->frameSize());
        ui->scrollAreaWidgetContents->setCurrentScene(kwscene);

        m_undoGroup->addStack(scene->undoStack());
        m_undoGroup->setActiveStack(scene->undoStack());
        connect(scene->undoStack(), &QUndoStack::cleanChanged, this,
                [this] { actualizeTitlebar(ui->scrollAreaWidgetContents->zoomLevel()); });

        d->xsheet->setModel(kwscene->frameRangeModel());
        d->xsheet->setSelectionModel(kwscene->selectionModel());

        actualizeTitlebar(ui->scrollAreaWidgetContents->zoomLevel());
        updateAudioActions();
    }
    onClipboardChanged(QClipboard::Clipboard);
}
