// The routes that create, open and save the current scene, and the one
// writer of scene files that autosave shares.
#include "MainWindow.h"
#include "MainWindowPrivate.h"

#include "actions/ActionManager.h"
#include "audio/AudioLayer.h"
#include "autosave/AutosaveManager.h"
#include "dialogs/SceneSettingsDialog.h"
#include "files/SceneReader.h"
#include "files/SceneWriter.h"
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

MainWindow::BusyScope::BusyScope(bool& busy)
    : m_busy(busy)
    , m_previous(busy)
{
    m_busy = true;
}

MainWindow::BusyScope::~BusyScope()
{
    // Routes call each other (new scene asks to save first): only the outermost
    // one ends the busy time.
    m_busy = m_previous;
}

void MainWindow::replaceKWScene(Model::KWScene* bundle)
{
    Model::KWScene* previous = Model::KWScene::currentKWScene();
    setKWScene(bundle);
    if (previous && previous != bundle)
        previous->deleteLater();
}

void MainWindow::newScene(MainWindow::NewSceneBehaviour behaviour)
{
    BusyScope busy(d->busy);
    if (!maybeSave())
        return;

    auto* bundle = new Model::KWScene(this);
    Model::Scene* scene = bundle->scene();
    int frames = 1;
    if (behaviour == NewSceneAskSettings) {
        Model::Settings* settings = Model::Settings::instance();
        UI::SceneSettingsDialog::Params params;
        params.frameSize = settings->defaultFrameSize();
        params.frameRate = settings->defaultFrameRate();
        params.initialNumberOfFrames = settings->defaultInitialNumberOfFrames();
        UI::SceneSettingsDialog dialog(params, this);
        dialog.resize(1, 1);
        if (Model::Prompter::exec(&dialog) != QDialog::Accepted) {
            bundle->deleteLater();
            return;
        }
        params = dialog.params();
        scene->setFrameSize(params.frameSize, KW::FitMode::FitModeIgnore, nullptr);
        scene->setFrameRate(params.frameRate);
        frames = params.initialNumberOfFrames;
    }

    auto strokeLayer = std::make_shared<Model::StrokeLayer>(QColor(40, 97, 184), scene->frameSize(), scene);
    strokeLayer->setName(scene->getNextLayerName());
    scene->addLayer(strokeLayer, 0);
    if (frames >= 2)
        scene->addCloneDrawingsAfter(0, 1, frames - 1);
    scene->addLayer(std::make_shared<Model::AudioLayer>(scene), 1);
    scene->addLayer(std::make_shared<Model::AnnotationLayer>(scene), 2);
    scene->setActiveFrameAndLayer(1, 0, Model::Scene::KeepWithinDrawnFrames);

    replaceKWScene(bundle);
    if (behaviour == NewSceneAskSettings)
        Model::Settings::instance()->setDefaultInitialNumberOfFrames(frames);
    resetAutosave();
}

void MainWindow::newSceneIfNoneOpen()
{
    if (!quillmereScene())
        newScene(NewSceneWithoutAsking);
}

bool MainWindow::maybeSave()
{
    Model::Scene* scene = quillmereScene();
    if (!scene || scene->undoStack()->isClean())
        return true;
    const auto answer = Model::Prompter::warning(
        this, tr("Save"), tr("\"%1\" has been modified.\n\nSave the scene?").arg(scene->name()),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::NoButton);
    if (answer == QMessageBox::Save)
        return saveScene();
    // Only an explicit Discard may throw the work away; a box closed any
    // other way keeps it.
    return answer == QMessageBox::Discard;
}

bool MainWindow::closeAllScenes()
{
    return maybeSave();
}

void MainWindow::openScene()
{
    BusyScope busy(d->busy);
    if (!maybeSave())
        return;
    Model::Settings* settings = Model::Settings::instance();
    const QString name = Model::Prompter::getOpenFileName(
        this, tr("Open Scene"), settings->defaultSaveDir().absolutePath(), tr("KW Files (*.kw)"));
    if (name.isEmpty())
        return;
    if (Model::KWScene* bundle = readKWScene(name)) {
        replaceKWScene(bundle);
        settings->setDefaultSaveDir(QFileInfo(name).absoluteDir());
        // Only a scene that was installed starts autosave afresh: after a
        // failed open the old, still changed scene must go on being backed up.
        resetAutosave();
    }
}

bool MainWindow::openFile(const QString& filename)
{
    BusyScope busy(d->busy);
    if (!maybeSave())
        return false;
    Model::KWScene* bundle = readKWScene(filename);
    if (!bundle)
        return false;
    replaceKWScene(bundle);
    // A scene opened at start-up may be the one a crash interrupted: its ring
    // of backups goes on after the newest one instead of overwriting it.
    resetAutosave();
    return true;
}

Model::KWScene* MainWindow::readKWScene(const QString& filename)
{
    QFile file(filename);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        Model::Prompter::warning(this, QApplication::applicationDisplayName(),
                                 tr("Cannot read file %1:\n%2.")
                                     .arg(QDir::toNativeSeparators(filename), file.errorString()));
        Model::Settings::instance()->removeFromRecentFiles(filename);
        return nullptr;
    }

    Model::OffscreenRenderer* renderer = Model::OffscreenRenderer::instance();
    const QSize bufferSize = renderer->currentFBOSize();
    auto* bundle = new Model::KWScene(this);
    int result = 0;
    QString error;
    {
        Model::SceneReader reader(bundle->scene(), this);
        result = reader.read(&file);
        error = reader.errorString();
    }
    // Reading may have sized the buffers for the new scene; the current one
    // keeps them until the switch.
    renderer->prepareFor(bufferSize);

    if (result == 0) {
        Model::Settings::instance()->setDefaultSaveDir(QFileInfo(filename).absoluteDir());
        bundle->scene()->setFilename(filename);
        Model::Settings::instance()->addToRecentFiles(filename);
        return bundle;
    }
    if (result == 1)
        Model::Prompter::warning(this, QApplication::applicationDisplayName(),
                                 tr("Parse error in file %1:\n\n%2")
                                     .arg(QDir::toNativeSeparators(filename), error));
    bundle->deleteLater();
    return nullptr;
}

bool MainWindow::saveScene()
{
    BusyScope busy(d->busy);
    Model::Scene* scene = quillmereScene();
    if (!scene)
        return true;
    const QString filename = scene->filename();
    if (filename.isEmpty())
        return saveSceneAs();
    if (scene->undoStack()->isClean())
        return true;
    return saveScene(scene, filename);
}

bool MainWindow::saveSceneAs()
{
    BusyScope busy(d->busy);
    Model::Scene* scene = quillmereScene();
    if (!scene)
        return true;
    Model::Settings* settings = Model::Settings::instance();
    const QString proposed = settings->defaultSaveDir().filePath(scene->name() + QStringLiteral(".kw"));

    Model::ActionManager* actions = Model::ActionManager::instance();
    actions->disableActions();
    const QString name = Model::Prompter::getSaveFileName(this, tr("Save Scene"), proposed,
                                                          tr("KW Files (*.kw)"));
    bool saved = false;
    if (!name.isEmpty()) {
        settings->setDefaultSaveDir(QFileInfo(name).absoluteDir());
        saved = saveScene(scene, name);
    }
    actions->enableActions();
    return saved;
}

bool MainWindow::saveScene(Model::Scene* scene, const QString& filename)
{
    if (!writeScene(scene, filename))
        return false;
    scene->setFilename(filename);
    scene->undoStack()->setClean();
    Model::Settings::instance()->addToRecentFiles(filename);
    return true;
}

bool MainWindow::writeScene(Model::Scene* scene, const QString& filename)
{
    QString failure;
    const bool written = writeSceneFile(scene, filename, &failure);
    if (!failure.isEmpty())
        Model::Prompter::warning(this, QApplication::applicationDisplayName(), failure);
    return written;
}

bool MainWindow::writeSceneFile(Model::Scene* scene, const QString& filename, QString* failure)
{
    const QString path = QDir::toNativeSeparators(filename);
    // The target is replaced only by a whole, flushed file, never left half written.
    Model::SceneWriter writer(scene, this);
    QString reason;
    switch (writer.writeFile(filename, &reason)) {
    case 0:
        return true;
    case 1:
        *failure = reason.isEmpty() ? tr("Cannot write file %1").arg(path)
                                    : tr("Cannot write file %1:\n%2.").arg(path, reason);
        return false;
    default:
        return false;
    }
}
