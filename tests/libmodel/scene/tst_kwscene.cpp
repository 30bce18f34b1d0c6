// The current-scene bundle: a scene with its item model, frame-range proxy
// and selection, wired so that layer inserts and removals reach both models
// as columns and the current cell follows the scene's active cell; the
// static current scene for undo commands; the floating selection and the
// saved connections.
#include "TestSupport.h"

#include "LayerFixture.h"

#include "models/FrameRangeModel.h"
#include "models/SceneModel.h"
#include "scene/KWScene.h"
#include "scene/Scene.h"

#include <QAbstractItemModelTester>
#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QUndoCommand>
#include <QUndoStack>

using Model::FrameRangeModel;
using Model::KWScene;
using Model::SceneModel;

namespace {

std::shared_ptr<FixtureDrawLayer> drawLayer(QString const& name, QString const& pattern)
{
    auto layer = std::make_shared<FixtureDrawLayer>(name);
    Fixture::build(*layer, pattern);
    return layer;
}

// Counts its runs and tells when it is deleted.
class ProbeCommand : public QUndoCommand
{
public:
    ProbeCommand(int* redone, bool* deleted)
        : m_redone(redone)
        , m_deleted(deleted)
    {
    }
    ~ProbeCommand() override { *m_deleted = true; }
    void redo() override { ++*m_redone; }
    void undo() override {}

private:
    int* m_redone;
    bool* m_deleted;
};

struct ColumnSpies
{
    explicit ColumnSpies(QAbstractItemModel* model)
        : aboutToInsert(model, &QAbstractItemModel::columnsAboutToBeInserted)
        , inserted(model, &QAbstractItemModel::columnsInserted)
        , aboutToRemove(model, &QAbstractItemModel::columnsAboutToBeRemoved)
        , removed(model, &QAbstractItemModel::columnsRemoved)
    {
    }

    void clear()
    {
        aboutToInsert.clear();
        inserted.clear();
        aboutToRemove.clear();
        removed.clear();
    }

    QSignalSpy aboutToInsert;
    QSignalSpy inserted;
    QSignalSpy aboutToRemove;
    QSignalSpy removed;
};

QVariantList columnsAt(int column)
{
    return {QVariant::fromValue(QModelIndex()), column, column};
}

} // namespace

class TestKWScene : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void theBundleOwnsAndWiresItsParts();
    void layersArriveAsColumnsThroughBothModels();
    void theCurrentCellFollowsTheActiveCell();
    void selectionIsReadInSceneModelTerms();
    void commandsGoToTheCurrentScene();
    void floatingSelectionIsSwapped();
    void savedConnectionsAreCutOnRequestOnly();
};

void TestKWScene::init()
{
    TestSupport::clearSettings();
}

void TestKWScene::cleanup()
{
    KWScene::setCurrentKWScene(nullptr);
}

void TestKWScene::theBundleOwnsAndWiresItsParts()
{
    KWScene kw;
    QVERIFY(kw.scene());
    QCOMPARE(kw.scene()->parent(), &kw);
    QCOMPARE(kw.sceneModel()->parent(), &kw);
    QCOMPARE(kw.frameRangeModel()->parent(), &kw);
    QCOMPARE(kw.selectionModel()->parent(), &kw);
    QCOMPARE(kw.sceneModel()->scene(), kw.scene());
    QCOMPARE(kw.frameRangeModel()->scene(), kw.scene());
    QCOMPARE(kw.frameRangeModel()->sourceModel(), kw.sceneModel());
    QCOMPARE(kw.selectionModel()->model(), kw.frameRangeModel());
    QVERIFY(!kw.floatingSelection());
    QVERIFY(!KWScene::currentKWScene());

    // A new scene has no active cell.
    QVERIFY(!kw.selectionModel()->currentIndex().isValid());
    QVERIFY(!kw.currentIndex().isValid());
    QVERIFY(!kw.hasSelection());

    // The selection goes with the proxy; the accessors then answer empty.
    delete kw.frameRangeModel();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!kw.selectionModel());
    QVERIFY(!kw.currentIndex().isValid());
    QVERIFY(!kw.hasSelection());
    QVERIFY(kw.selection().isEmpty());
    kw.clearSelection();
}

void TestKWScene::layersArriveAsColumnsThroughBothModels()
{
    KWScene kw;
    Model::Scene* const scene = kw.scene();
    using Mode = QAbstractItemModelTester::FailureReportingMode;
    QAbstractItemModelTester sceneTester(kw.sceneModel(), Mode::QtTest);
    QAbstractItemModelTester rangeTester(kw.frameRangeModel(), Mode::QtTest);
    ColumnSpies sceneSpies(kw.sceneModel());
    ColumnSpies rangeSpies(kw.frameRangeModel());

    scene->addLayer(drawLayer(QStringLiteral("first"), QStringLiteral("A.B")), 0);
    scene->addLayer(drawLayer(QStringLiteral("second"), QStringLiteral("C.D")), 1);
    scene->setFrameRange(1, 3, 1, 0);
    for (ColumnSpies* spies : {&sceneSpies, &rangeSpies}) {
        QCOMPARE(spies->aboutToInsert.count(), 2);
        QCOMPARE(spies->inserted.count(), 2);
        QCOMPARE(spies->aboutToInsert.at(1), columnsAt(1));
        QCOMPARE(spies->inserted.at(1), columnsAt(1));
        spies->clear();
    }

    // In the middle: the column appears where the layer was put.
    scene->addLayer(drawLayer(QStringLiteral("middle"), QStringLiteral("E..")), 1);
    for (ColumnSpies* spies : {&sceneSpies, &rangeSpies}) {
        QCOMPARE(spies->aboutToInsert.count(), 1);
        QCOMPARE(spies->aboutToInsert.at(0), columnsAt(1));
        QCOMPARE(spies->inserted.at(0), columnsAt(1));
        QVERIFY(spies->aboutToRemove.isEmpty());
        spies->clear();
    }
    QCOMPARE(kw.sceneModel()->columnCount(), 3);
    QCOMPARE(kw.frameRangeModel()->columnCount(), 3);
    QCOMPARE(kw.frameRangeModel()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("middle"));
    QCOMPARE(kw.frameRangeModel()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("second"));
    QVERIFY(kw.frameRangeModel()->index(3, 1).data(SceneModel::VirtualLastFrameRole).toBool());

    QVERIFY(scene->removeLayer(0));
    for (ColumnSpies* spies : {&sceneSpies, &rangeSpies}) {
        QCOMPARE(spies->aboutToRemove.count(), 1);
        QCOMPARE(spies->aboutToRemove.at(0), columnsAt(0));
        QCOMPARE(spies->removed.count(), 1);
        QCOMPARE(spies->removed.at(0), columnsAt(0));
        QVERIFY(spies->aboutToInsert.isEmpty());
    }
    QCOMPARE(kw.sceneModel()->columnCount(), 2);
    QCOMPARE(kw.frameRangeModel()->columnCount(), 2);
    QCOMPARE(kw.sceneModel()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("middle"));
    QCOMPARE(kw.frameRangeModel()->index(0, 1).data(SceneModel::OriginalRole), QVariant(true));

    QVERIFY(scene->removeLayer(1));
    QVERIFY(scene->removeLayer(0));
    QCOMPARE(kw.sceneModel()->columnCount(), 0);
    QCOMPARE(kw.frameRangeModel()->columnCount(), 0);
    QCOMPARE(sceneSpies.removed.count(), 3);
    QCOMPARE(rangeSpies.removed.count(), 3);
}

void TestKWScene::theCurrentCellFollowsTheActiveCell()
{
    KWScene kw;
    Model::Scene* const scene = kw.scene();
    scene->addLayer(drawLayer(QStringLiteral("first"), QStringLiteral("A.B.C")), 0);
    scene->addLayer(drawLayer(QStringLiteral("second"), QStringLiteral("D.E.F")), 1);
    scene->setFrameRange(1, 5, 1, 0);
    FrameRangeModel* const proxy = kw.frameRangeModel();
    QItemSelectionModel* const selection = kw.selectionModel();
    QCOMPARE(selection->currentIndex(), proxy->index(0, 0));

    selection->select(QItemSelection(proxy->index(0, 0), proxy->index(2, 1)),
                      QItemSelectionModel::Select);
    QCOMPARE(selection->selectedIndexes().size(), 6);

    // A new active cell drops the selection and becomes current unselected.
    scene->setActiveFrameAndLayer(3, 1, Model::Scene::KeepWithinDrawnFrames);
    QCOMPARE(selection->currentIndex(), proxy->index(2, 1));
    QVERIFY(!selection->hasSelection());
    QCOMPARE(kw.currentIndex(), kw.sceneModel()->index(2, 1));

    // When it is already the current cell, the selection stays.
    selection->select(QItemSelection(proxy->index(2, 0), proxy->index(3, 1)),
                      QItemSelectionModel::Select);
    selection->setCurrentIndex(proxy->index(3, 1), QItemSelectionModel::NoUpdate);
    scene->setActiveFrameAndLayer(4, 1, Model::Scene::KeepWithinDrawnFrames);
    QCOMPARE(selection->currentIndex(), proxy->index(3, 1));
    QCOMPARE(selection->selectedIndexes().size(), 4);

    // An active cell outside the range has no row: nothing stays current.
    emit scene->activeFrameAndLayerChanged(40, 0);
    QVERIFY(!selection->currentIndex().isValid());
    QVERIFY(!selection->hasSelection());
    QVERIFY(!kw.currentIndex().isValid());
}

void TestKWScene::selectionIsReadInSceneModelTerms()
{
    KWScene kw;
    Model::Scene* const scene = kw.scene();
    scene->addLayer(drawLayer(QStringLiteral("first"), QStringLiteral("A.B.C.D")), 0);
    scene->setFrameRange(3, 6, 4, 0);
    FrameRangeModel* const proxy = kw.frameRangeModel();
    QCOMPARE(kw.currentIndex(), kw.sceneModel()->index(3, 0));
    QCOMPARE(kw.selectionModel()->currentIndex(), proxy->index(1, 0));

    kw.selectionModel()->select(QItemSelection(proxy->index(0, 0), proxy->index(1, 0)),
                                QItemSelectionModel::Select);
    QVERIFY(kw.hasSelection());
    QModelIndexList const cells = kw.selection().indexes();
    QCOMPARE(cells.size(), 2);
    QVERIFY(cells.contains(kw.sceneModel()->index(2, 0)));
    QVERIFY(cells.contains(kw.sceneModel()->index(3, 0)));

    kw.clearSelection();
    QVERIFY(!kw.hasSelection());
    QVERIFY(kw.selection().isEmpty());
}

void TestKWScene::commandsGoToTheCurrentScene()
{
    int redone = 0;
    bool deleted = false;
    QTest::ignoreMessage(QtDebugMsg, "Trying to push command with no current scene");
    KWScene::pushToCurrentScenesUndoStack(new ProbeCommand(&redone, &deleted));
    QVERIFY(deleted);
    QCOMPARE(redone, 0);

    KWScene first;
    auto* second = new KWScene;
    KWScene::setCurrentKWScene(second);
    QCOMPARE(KWScene::currentKWScene(), second);
    deleted = false;
    KWScene::pushToCurrentScenesUndoStack(new ProbeCommand(&redone, &deleted));
    QCOMPARE(redone, 1);
    QVERIFY(!deleted);
    QCOMPARE(second->scene()->undoStack()->count(), 1);
    QCOMPARE(first.scene()->undoStack()->count(), 0);

    // A current bundle that goes away leaves no current scene behind.
    delete second;
    QVERIFY(deleted);
    QVERIFY(!KWScene::currentKWScene());
    deleted = false;
    QTest::ignoreMessage(QtDebugMsg, "Trying to push command with no current scene");
    KWScene::pushToCurrentScenesUndoStack(new ProbeCommand(&redone, &deleted));
    QVERIFY(deleted);
    QCOMPARE(redone, 1);

    KWScene::setCurrentKWScene(&first);
    KWScene::pushToCurrentScenesUndoStack(new ProbeCommand(&redone, &deleted));
    QCOMPARE(first.scene()->undoStack()->count(), 1);
    KWScene::setCurrentKWScene(nullptr);
    QVERIFY(!KWScene::currentKWScene());
}

void TestKWScene::floatingSelectionIsSwapped()
{
    using Model::FloatingSelection;
    KWScene kw;
    QSignalSpy changed(&kw, &KWScene::floatingSelectionChanged);
    QSignalSpy transformed(&kw, &KWScene::floatingSelectionTransformChanged);

    FloatingSelection::Transform moved;
    moved.third = QTransform::fromTranslate(12, -3);
    moved.centre = QPointF(4, 5);

    // Without a selection a transform goes nowhere.
    kw.setFloatingSelectionTransform(moved);
    QVERIFY(transformed.isEmpty());
    QCOMPARE(kw.floatingSelectionTransform(), FloatingSelection::Transform());

    auto lifted = std::make_unique<FloatingSelection>(nullptr, QImage(), 0.5);
    FloatingSelection* const liftedPointer = lifted.get();
    QVERIFY(!kw.setFloatingSelection(std::move(lifted)));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(kw.floatingSelection(), liftedPointer);

    kw.setFloatingSelectionTransform(moved);
    QCOMPARE(transformed.count(), 1);
    QCOMPARE(transformed.at(0).at(0).value<FloatingSelection::Transform>(), moved);
    QCOMPARE(kw.floatingSelectionTransform(), moved);

    std::unique_ptr<FloatingSelection> const back = kw.setFloatingSelection(nullptr);
    QCOMPARE(back.get(), liftedPointer);
    QCOMPARE(changed.count(), 2);
    QVERIFY(!kw.floatingSelection());
    kw.setFloatingSelectionTransform(FloatingSelection::Transform());
    QCOMPARE(transformed.count(), 1);
}

void TestKWScene::savedConnectionsAreCutOnRequestOnly()
{
    QObject sender;
    int received = 0;
    auto* kw = new KWScene;
    kw->saveConnection(connect(kw->scene(), &Model::Scene::nameChanged, [&received] { ++received; }));
    kw->saveConnection(
        connect(&sender, &QObject::objectNameChanged, [&received] { received += 10; }));
    kw->scene()->setName(QStringLiteral("one"));
    QCOMPARE(received, 1);

    kw->disconnectSavedConnections();
    kw->scene()->setName(QStringLiteral("two"));
    sender.setObjectName(QStringLiteral("two"));
    QCOMPARE(received, 1);
    kw->disconnectSavedConnections();

    // Deleting the bundle leaves what it saved connected.
    kw->saveConnection(
        connect(&sender, &QObject::objectNameChanged, [&received] { received += 100; }));
    delete kw;
    sender.setObjectName(QStringLiteral("three"));
    QCOMPARE(received, 101);
}

QUILLMERE_TEST_MAIN(TestKWScene)
#include "tst_kwscene.moc"
