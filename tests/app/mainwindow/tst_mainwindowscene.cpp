#include "HandClock.h"
#include "MainWindowFixture.h"

#include "TestSupport.h"

#include "commands/SetActiveFrameAndLayer.h"
#include "models/FrameRangeModel.h"
#include "playback/PlaybackController.h"
#include "rendering/OffscreenRenderer.h"
#include "settings/Settings.h"
#include "scene/StrokeLayer.h"
#include "strokes/SingleStroke.h"
#include "timeline/Timeline.h"

#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QUndoGroup>
#include <QUndoStack>

namespace {

// A scene whose first layer holds one drawing over the given frames, with the
// range over all of them.
void holdFirstLayer(Model::Scene* scene, int frames)
{
    scene->addCloneDrawingsAfter(0, 1, frames - 1);
    scene->setFrameRange(1, scene->maximumFrameNumber(), scene->activeFrame(), 0);
}

Model::Stroke::GuidePoint guide(QPointF position)
{
    Model::Stroke::GuidePoint point;
    point.position = position;
    point.pressure = 0.7;
    return point;
}

} // namespace

class TestMainWindowScene : public QObject
{
    Q_OBJECT

private slots:
    void aSecondSceneLeavesNothingOfTheFirstConnected()
    {
        MainWindowFixture f;
        Model::KWScene* firstBundle = f.window->KWScene();
        Model::Scene* first = f.scene();
        holdFirstLayer(first, 6);
        first->undoStack()->push(new QUndoCommand("first"));

        // The first bundle stays alive, as it does until a route deletes it.
        auto* secondBundle = new Model::KWScene(f.window.get());
        Model::Scene* second = secondBundle->scene();
        second->addLayer(std::make_shared<Model::StrokeLayer>(Qt::black, second->frameSize(), second), 0);
        f.window->setKWScene(secondBundle);
        holdFirstLayer(second, 6);
        QCOMPARE(f.scene(), second);

        QSignalSpy firstScrub(first, &Model::Scene::scrubFrameChanged);
        QSignalSpy firstActive(first, &Model::Scene::activeFrameAndLayerChanged);
        QSignalSpy secondScrub(second, &Model::Scene::scrubFrameChanged);
        auto* controller = f.window->findChild<PlaybackController*>();
        QVERIFY(controller);
        auto* clock = new HandClock;
        controller->setClock(clock);
        controller->setPlaybackModes({});
        controller->setFrameRate(60);
        controller->startPlayback();
        for (int ticks = 0; clock->tick() && ticks < 100; ++ticks)
            QCoreApplication::processEvents();
        QVERIFY(!controller->isPlaying());

        QList<int> shown;
        for (const auto& args : secondScrub)
            if (args.at(0).toInt() > 0)
                shown << args.at(0).toInt();
        // Every frame once, in order, to the last.
        QVERIFY(!shown.isEmpty());
        for (int i = 1; i < shown.size(); ++i)
            QCOMPARE(shown.at(i), shown.at(i - 1) + 1);
        QCOMPARE(shown.last(), 6);
        QCOMPARE(firstScrub.size(), 0);
        QCOMPARE(firstActive.size(), 0);

        // Undo and redo reach the current scene's history only.
        auto* group = f.window->findChild<QUndoGroup*>();
        QCOMPARE(group->activeStack(), second->undoStack());
        const int firstIndex = first->undoStack()->index();
        second->undoStack()->push(new QUndoCommand("second"));
        group->undo();
        QCOMPARE(first->undoStack()->index(), firstIndex);
        QVERIFY(second->undoStack()->canRedo());
        QVERIFY(!f.window->findChild<QUndoGroup*>()->stacks().contains(first->undoStack()));
        delete firstBundle;
    }

    void aNewSceneReplacesAndLaterDeletesTheOldOne()
    {
        MainWindowFixture f;
        QPointer<Model::KWScene> old = f.window->KWScene();
        f.scene()->undoStack()->push(new QUndoCommand("edit"));
        f.answer = [](const Model::Prompter::Request&) {
            Model::Prompter::Reply reply;
            reply.button = QMessageBox::Discard;
            return reply;
        };
        f.window->newScene(MainWindow::NewSceneWithoutAsking);
        QCOMPARE(f.asked.size(), 1); // the changed scene: save?
        QVERIFY(f.window->KWScene() != old);
        QCOMPARE(f.scene()->numLayers(), 3);
        QTRY_VERIFY(!old);
    }

    void switchingToNoSceneEmptiesTheViews()
    {
        MainWindowFixture f;
        f.window->setKWScene(nullptr);
        QVERIFY(!f.window->quillmereScene());
        QVERIFY(!f.window->findChild<QUndoGroup*>()->activeStack());
    }

    void aFrameSizeChangeResizesTheBuffersAndTheDefault()
    {
        MainWindowFixture f;
        // The new scene takes the stored default size, which earlier tests
        // may have changed: ask for a size it does not have.
        const QSize size = f.scene()->frameSize() == QSize(640, 480) ? QSize(800, 600) : QSize(640, 480);
        QSize bufferDuringChange;
        QObject::connect(f.scene(), &Model::Scene::frameSizeAboutToChange, f.scene(), [&] {
            bufferDuringChange = Model::OffscreenRenderer::instance()->currentFBOSize();
        });
        f.scene()->setFrameSize(size, KW::FitMode::FitModeIgnore, nullptr);
        // The window's handler ran first, before the scene's drawings changed.
        QCOMPARE(bufferDuringChange, size);
        QCOMPARE(Model::Settings::instance()->defaultFrameSize(), size);
    }

    void anEmptySceneOfTheLargestFrameCostsLittle()
    {
        MainWindowFixture f;
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        // What the window costs at its first paint is not counted.
        f.window->grab();
        TestSupport::PeakMemory memory;
        if (!memory.isAvailable())
            QSKIP("The kernel cannot restart the high-water mark of resident memory");
        QSize const largest(Model::Scene::maximumFrameSide, Model::Scene::maximumFrameSide);
        f.scene()->setFrameSize(largest, KW::FitMode::FitModeIgnore, nullptr);
        QCOMPARE(f.scene()->frameSize(), largest);
        f.window->grab();
        // One frame of 32-bit pixels is 256 MB; the stroke renderer's
        // buffers for it alone would take two gigabytes.
        qint64 const rise = memory.rise();
        QVERIFY2(rise < 512 * 1024 * 1024, qPrintable(QStringLiteral("%1 MB").arg(rise >> 20)));
    }

    void theTimelineFollowsTheScene()
    {
        MainWindowFixture f;
        holdFirstLayer(f.scene(), 8);
        auto* timeline = f.window->findChild<UI::Timeline*>();
        f.window->setActiveFrame(5);
        QCOMPARE(f.scene()->activeFrame(), 5);
        QCOMPARE(timeline->value(), 5);
        f.window->setFrameRange(3, 6);
        QCOMPARE(timeline->rangeLower(), 3);
        QCOMPARE(timeline->rangeUpper(), 6);
    }

    void aOneFrameRangeGrowsToTwoFrames_data()
    {
        QTest::addColumn<int>("asked");
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::newRow("5..5 from 1") << 5 << 4 << 5;
        QTest::newRow("1..1") << 1 << 1 << 2;
    }

    void aOneFrameRangeGrowsToTwoFrames()
    {
        QFETCH(int, asked);
        QFETCH(int, first);
        QFETCH(int, last);
        MainWindowFixture f;
        holdFirstLayer(f.scene(), 8);
        f.scene()->setFrameRange(1, 8, 1, 0);
        f.window->setFrameRange(asked, asked);
        QCOMPARE(f.scene()->minimumFrameRangeNumber(), first);
        QCOMPARE(f.scene()->maximumFrameRangeNumber(), last);
    }

    void movingAcrossLayersReturnsToTheRememberedFrame()
    {
        MainWindowFixture f;
        Model::Scene* scene = f.scene();
        holdFirstLayer(scene, 10);
        auto shortLayer = std::make_shared<Model::StrokeLayer>(Qt::red, scene->frameSize(), scene);
        const int shortIndex = scene->addLayer(shortLayer, 1);
        scene->addCloneDrawingsAfter(shortIndex, 1, 3);
        QCOMPARE(scene->layerLength(shortIndex), 4);

        f.window->setActiveFrameAndLayer(10, 0, Model::Scene::AcceptVirtualLastFrame);
        QCOMPARE(scene->activeFrame(), 10);
        f.window->setActiveLayer(shortIndex);
        QCOMPARE(scene->activeLayerIdx(), shortIndex);
        QCOMPARE(scene->activeFrame(), 4);
        f.window->setActiveLayer(0);
        QCOMPARE(scene->activeLayerIdx(), 0);
        QCOMPARE(scene->activeFrame(), 10);

        // Another kind of command in between forgets the frame.
        f.window->setActiveLayer(shortIndex);
        scene->undoStack()->push(new QUndoCommand("other"));
        f.window->setActiveLayer(0);
        QCOMPARE(scene->activeFrame(), 4);
    }

    void movingTheFrameWhileDrawingSplitsTheStroke_data()
    {
        QTest::addColumn<bool>("clonesLocked");
        QTest::newRow("onto a hold") << false;
        // The pen may not draw there: the stroke ends and none begins.
        QTest::newRow("onto a hold, clones locked") << true;
    }

    void movingTheFrameWhileDrawingSplitsTheStroke()
    {
        QFETCH(bool, clonesLocked);
        MainWindowFixture f;
        Model::Scene* scene = f.scene();
        holdFirstLayer(scene, 4);
        Model::Settings::instance()->setClonesLockedForDrawing(clonesLocked);
        scene->beginStroke(guide(QPointF(100, 100)));
        scene->addStrokePoint(guide(QPointF(300, 200)));
        const int before = scene->undoStack()->count();
        f.window->setActiveFrame(3);
        Model::Settings::instance()->setClonesLockedForDrawing(false);
        QCOMPARE(scene->activeFrame(), 3);
        QCOMPARE(scene->undoStack()->count(), before + 2);
        QVERIFY(!dynamic_cast<const Commands::SetActiveFrameAndLayer*>(
            scene->undoStack()->command(before)));
        QCOMPARE(scene->hasActiveStroke(), !clonesLocked);
        if (!clonesLocked)
            QCOMPARE(scene->activeStroke()->guidePoints().first().position, QPointF(300, 200));
    }

    void selectingACellMakesItActive()
    {
        MainWindowFixture f;
        Model::Scene* scene = f.scene();
        holdFirstLayer(scene, 5);
        Model::KWScene* bundle = f.window->KWScene();
        const QModelIndex cell = bundle->frameRangeModel()->index(3, 0);
        bundle->selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect);
        QCOMPARE(scene->activeFrame(), 4);
        QCOMPARE(scene->activeLayerIdx(), 0);
    }
};

QUILLMERE_TEST_MAIN(TestMainWindowScene)
#include "tst_mainwindowscene.moc"
