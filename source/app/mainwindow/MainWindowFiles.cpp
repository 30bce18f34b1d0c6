// The routes that create, open and save the current scene.
#include "MainWindow.h"
#include "MainWindowPrivate.h"

#include "audio/AudioLayer.h"
#include "files/SceneReader.h"
#include "prompts/Prompter.h"
#include "rendering/OffscreenRenderer.h"
#include "scene/AnnotationLayer.h"
#include "scene/KWScene.h"
#include "scene/Scene.h"
#include "scene/StrokeLayer.h"
#include "settings/Settings.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUndoStack>

namespace {

// Holds the busy flag for the length of one route.
class BusyScope
{
public:
    explicit BusyScope(bool& busy) : m_busy(busy) { m_busy = true; }
    ~BusyScope() { m_busy = false; }

private:
    bool& m_busy;
};

} // namespace

void MainWindow::newScene(MainWindow::NewSceneBehaviour behaviour)
{
    Q_UNUSED(behaviour);
    BusyScope busy(d->busy);
    if (!maybeSave())
        return;

    auto* bundle = new Model::KWScene(this);
    Model::Scene* scene = bundle->scene();
    scene->addLayer(std::make_shared<Model::StrokeLayer>(QColor(40, 97, 184), scene->frameSize(), scene), 0);
    scene->addLayer(std::make_shared<Model::AudioLayer>(scene), 1);
    scene->addLayer(std::make_shared<Model::AnnotationLayer>(scene), 2);

    Model::KWScene* previous = Model::KWScene::currentKWScene();
    setKWScene(bundle);
    if (previous)
        previous->deleteLater();
}

void MainWindow::newSceneIfNoneOpen()
{
    if (!quillmereScene())
        newScene(NewSceneWithoutAsking);
}

bool MainWindow::maybeSave()
{
    Model::Scene* scene = quillmereScene();
    return !scene || scene->undoStack()->isClean();
}

bool MainWindow::openFile(const QString& filename)
{
    BusyScope busy(d->busy);
    if (!maybeSave())
        return false;

    QFile file(filename);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        Model::Prompter::warning(this, QApplication::applicationDisplayName(),
                                 tr("Cannot read file %1:\n%2.")
                                     .arg(QDir::toNativeSeparators(filename), file.errorString()));
        Model::Settings::instance()->removeFromRecentFiles(filename);
        return false;
    }
    auto* bundle = new Model::KWScene(this);
    Model::SceneReader reader(bundle->scene(), this);
    if (reader.read(&file) != 0) {
        bundle->deleteLater();
        return false;
    }
    bundle->scene()->setFilename(filename);
    Model::Settings::instance()->addToRecentFiles(filename);
    Model::KWScene* previous = Model::KWScene::currentKWScene();
    setKWScene(bundle);
    if (previous)
        previous->deleteLater();
    return true;
}
