#include "TestSupport.h"

#include "SceneFixture.h"

using Model::DrawingRef;
using Model::LayerItem;

class TestSceneClones : public QObject
{
    Q_OBJECT

private slots:
    void removingALayerHandsItsClonesToCellsThatStay();
    void addingTheLayerBackRestoresTheLinks_data();
    void addingTheLayerBackRestoresTheLinks();
    void removingALayerOfClonesOnlyUnlistsThem();
    void addingALayerWithAClonePicksUpItsOriginal();
    void connectCloneToNewOriginal();
    void connectCloneToNewOriginalDoesNothingWithoutBothCells_data();
    void connectCloneToNewOriginalDoesNothingWithoutBothCells();
    void disconnectFromOriginal();
    void fixupReferencesGivesHoldsAndClonesTheirDrawings();
};

void TestSceneClones::removingALayerHandsItsClonesToCellsThatStay()
{
    SceneFixture f;
    DrawingRef const aRef = Fixture::ref(*f.first, 1);
    DrawingRef const cRef = Fixture::ref(*f.second, 1);
    DrawingRef const wRef = Fixture::ref(*f.first, 4);
    DrawingRef const xRef = Fixture::ref(*f.second, 2);
    DrawingRef const yRef = Fixture::ref(*f.reference, 2);
    DrawingRef const zRef = Fixture::ref(*f.first, 3);
    auto const a = f.a();
    auto const w = f.w();
    auto const z = f.z();

    QCOMPARE(f.scene.removeLayer(0), std::shared_ptr<Model::Layer>(f.first));

    // X, the first of A's clones on another layer, becomes the original and
    // Y now follows it. The clone W on A's own layer goes with it.
    QCOMPARE(f.x()->kind, int(LayerItem::Original));
    QVERIFY(f.x()->original.isNull());
    QCOMPARE(f.x()->clones, QList<DrawingRef>{yRef});
    QCOMPARE(f.y()->kind, int(LayerItem::DistantClone));
    QCOMPARE(f.y()->original, xRef);
    QCOMPARE(f.y()->drawing, f.x()->drawing);
    // Z was a clone of C: C forgets it.
    QVERIFY(f.c()->clones.isEmpty());

    // The removed cells keep their own links for the way back.
    QCOMPARE(a->clones, (QList<DrawingRef>{wRef, xRef, yRef}));
    QCOMPARE(w->original, aRef);
    QCOMPARE(z->original, cRef);
    QCOMPARE(z->kind, int(LayerItem::DistantClone));
    QVERIFY(!f.scene.hasDrawing(zRef));
}

void TestSceneClones::addingTheLayerBackRestoresTheLinks_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("where it was") << 0;
    QTest::newRow("at the end") << 4;
    QTest::newRow("in the middle") << 2;
}

void TestSceneClones::addingTheLayerBackRestoresTheLinks()
{
    QFETCH(int, index);

    SceneFixture f;
    // Compared without the layer lines, whose indices move with the layer.
    auto const cellLines = [](SceneFixture const& fixture) {
        QStringList lines;
        for (QString const& line : Fixture::sceneState(fixture.scene)) {
            if (line.startsWith(QLatin1String("  ")))
                lines << line;
        }
        return lines;
    };
    QStringList const cellsBefore = cellLines(f);

    std::shared_ptr<Model::Layer> const removed = f.scene.removeLayer(0);
    QCOMPARE(f.scene.addLayer(removed, index), index);

    DrawingRef const aRef = Fixture::ref(*f.first, 1);
    QCOMPARE(f.x()->kind, int(LayerItem::DistantClone));
    QCOMPARE(f.x()->original, aRef);
    QVERIFY(f.x()->clones.isEmpty());
    QCOMPARE(f.y()->original, aRef);
    QCOMPARE(f.a()->clones,
             (QList<DrawingRef>{Fixture::ref(*f.first, 4), Fixture::ref(*f.second, 2),
                                Fixture::ref(*f.reference, 2)}));
    QCOMPARE(f.c()->clones, QList<DrawingRef>{Fixture::ref(*f.first, 3)});
    QCOMPARE(f.z()->drawing, f.c()->drawing);
    QCOMPARE(f.x()->drawing, f.a()->drawing);

    // Every cell is exactly as before, in whatever order the layers now are.
    QStringList after = cellLines(f);
    QStringList expected = cellsBefore;
    after.sort();
    expected.sort();
    QCOMPARE(after, expected);
}

void TestSceneClones::removingALayerOfClonesOnlyUnlistsThem()
{
    SceneFixture f;
    DrawingRef const xRef = Fixture::ref(*f.second, 2);
    DrawingRef const yRef = Fixture::ref(*f.reference, 2);
    DrawingRef const wRef = Fixture::ref(*f.first, 4);
    auto const x = f.x();

    f.scene.removeLayer(1);
    // X is gone from A's list; C, an original whose clones lie elsewhere,
    // promoted Z on the first layer.
    QCOMPARE(f.a()->clones, (QList<DrawingRef>{wRef, yRef}));
    QCOMPARE(f.z()->kind, int(LayerItem::Original));
    QVERIFY(f.z()->original.isNull());
    QCOMPARE(x->original, Fixture::ref(*f.first, 1));

    f.scene.addLayer(f.second, 1);
    QCOMPARE(f.a()->clones, (QList<DrawingRef>{wRef, yRef, xRef}));
    QCOMPARE(f.z()->kind, int(LayerItem::DistantClone));
    QCOMPARE(f.z()->original, Fixture::ref(*f.second, 1));
}

void TestSceneClones::addingALayerWithAClonePicksUpItsOriginal()
{
    SceneFixture f;
    auto const extra = std::make_shared<FixtureDrawLayer>(QStringLiteral("extra"));
    Fixture::build(*extra, QStringLiteral("G*"));
    auto const clone = extra->layerItem(2);
    clone->original = Fixture::ref(*f.second, 1);
    // A clone listed already is not listed twice.
    DrawingRef const cloneRef = Fixture::ref(*extra, 2);
    f.c()->clones.append(cloneRef);

    f.scene.addLayer(extra, 0);
    QCOMPARE(clone->drawing, f.c()->drawing);
    QCOMPARE(f.c()->clones, (QList<DrawingRef>{Fixture::ref(*f.first, 3), cloneRef}));

    // One whose original is nowhere keeps what it has.
    auto const orphan = std::make_shared<FixtureDrawLayer>(QStringLiteral("orphan"));
    Fixture::build(*orphan, QStringLiteral("*"));
    orphan->layerItem(1)->original = DrawingRef{QUuid::createUuid(), QUuid::createUuid()};
    f.scene.addLayer(orphan, 0);
    QVERIFY(!orphan->layerItem(1)->drawing);
}

void TestSceneClones::connectCloneToNewOriginal()
{
    SceneFixture f;
    DrawingRef const bRef = Fixture::ref(*f.first, 2);
    DrawingRef const xRef = Fixture::ref(*f.second, 2);

    f.scene.connectCloneToNewOriginal(xRef, bRef, nullptr);
    QCOMPARE(f.x()->original, bRef);
    QCOMPARE(f.first->layerItem(2)->clones, QList<DrawingRef>{xRef});
    // Again: listed once.
    f.scene.connectCloneToNewOriginal(xRef, bRef, f.first->layerItem(2));
    QCOMPARE(f.first->layerItem(2)->clones, QList<DrawingRef>{xRef});

    // The given cell is used as the original without looking it up.
    auto const loose = Fixture::original(QStringLiteral("L"));
    DrawingRef const nowhere{QUuid::createUuid(), loose->identifier};
    f.scene.connectCloneToNewOriginal(xRef, nowhere, loose);
    QCOMPARE(loose->clones, QList<DrawingRef>{xRef});
    QCOMPARE(f.x()->original, nowhere);
}

void TestSceneClones::connectCloneToNewOriginalDoesNothingWithoutBothCells_data()
{
    QTest::addColumn<int>("which");
    QTest::newRow("original not found") << 0;
    QTest::newRow("clone not found") << 1;
    QTest::newRow("clone is an original") << 2;
    QTest::newRow("clone is a hold") << 3;
}

void TestSceneClones::connectCloneToNewOriginalDoesNothingWithoutBothCells()
{
    QFETCH(int, which);

    SceneFixture f;
    auto const hold = std::make_shared<LayerItem>(f.first->layerItem(2)->drawing);
    f.first->frames().insert(2, hold);
    DrawingRef const bRef = Fixture::ref(*f.first, 2);
    DrawingRef const refs[][2] = {
        {Fixture::ref(*f.second, 2), DrawingRef{f.first->identifier(), QUuid::createUuid()}},
        {DrawingRef{f.second->identifier(), QUuid::createUuid()}, bRef},
        {Fixture::ref(*f.second, 1), bRef},
        {Fixture::ref(*f.first, 3), bRef},
    };
    QStringList const before = Fixture::sceneState(f.scene);
    f.scene.connectCloneToNewOriginal(refs[which][0], refs[which][1], nullptr);
    QCOMPARE(Fixture::sceneState(f.scene), before);
}

void TestSceneClones::disconnectFromOriginal()
{
    SceneFixture f;
    DrawingRef const xRef = Fixture::ref(*f.second, 2);
    f.a()->clones.append(xRef);

    // Every entry goes; the clone itself keeps its reference.
    f.scene.disconnectFromOriginal(xRef, nullptr);
    QCOMPARE(f.a()->clones, (QList<DrawingRef>{Fixture::ref(*f.first, 4), Fixture::ref(*f.reference, 2)}));
    QCOMPARE(f.x()->original, Fixture::ref(*f.first, 1));
    QCOMPARE(f.x()->kind, int(LayerItem::DistantClone));

    // A given clone cell is read without looking it up.
    auto const loose = std::make_shared<LayerItem>(LayerItem::DistantClone, QUuid::createUuid(), nullptr);
    loose->original = Fixture::ref(*f.first, 1);
    DrawingRef const yRef = Fixture::ref(*f.reference, 2);
    f.scene.disconnectFromOriginal(yRef, loose);
    QCOMPARE(f.a()->clones, QList<DrawingRef>{Fixture::ref(*f.first, 4)});

    // Nothing to find: nothing changes.
    QStringList const before = Fixture::sceneState(f.scene);
    f.scene.disconnectFromOriginal(DrawingRef{QUuid::createUuid(), QUuid::createUuid()}, nullptr);
    f.x()->original = DrawingRef();
    f.scene.disconnectFromOriginal(xRef, nullptr);
    f.x()->original = Fixture::ref(*f.first, 1);
    QCOMPARE(Fixture::sceneState(f.scene), before);
}

void TestSceneClones::fixupReferencesGivesHoldsAndClonesTheirDrawings()
{
    // As a file is read: every original has its drawing, holds and clones
    // have none yet. The first layer's clones point forward to the second.
    Model::Scene scene;
    auto const first = std::make_shared<FixtureDrawLayer>(QStringLiteral("first"));
    auto const second = std::make_shared<FixtureDrawLayer>(QStringLiteral("second"));
    Fixture::build(*first, QStringLiteral("*.A.*"));
    Fixture::build(*second, QStringLiteral("BC."));
    scene.addLayer(first, 0);
    scene.addLayer(second, 1);
    first->layerItem(1)->original = Fixture::ref(*second, 2);
    first->layerItem(5)->original = Fixture::ref(*first, 3);
    for (auto const& layer : {first, second}) {
        for (auto const& cell : layer->frames()) {
            if (cell->kind != LayerItem::Original)
                cell->drawing.reset();
        }
    }
    // A hold on the first frame repeats itself; a clone of nothing stands on
    // its own with its layer's blank drawing, or it would be saved back as a
    // clone of nothing.
    auto const strayHold = std::make_shared<LayerItem>(nullptr);
    auto const lost = std::make_shared<LayerItem>(LayerItem::DistantClone, QUuid::createUuid(), nullptr);
    lost->original = DrawingRef{second->identifier(), QUuid::createUuid()};
    second->frames().prepend(strayHold);
    second->frames().append(lost);

    scene.fixupReferences();

    auto const c = second->layerItem(3)->drawing;
    QVERIFY(c);
    QCOMPARE(first->layerItem(1)->drawing, c);
    QCOMPARE(first->layerItem(2)->drawing, c);
    QCOMPARE(first->layerItem(4)->drawing, first->layerItem(3)->drawing);
    QCOMPARE(first->layerItem(5)->drawing, first->layerItem(3)->drawing);
    QCOMPARE(second->layerItem(4)->drawing, c);
    QVERIFY(!strayHold->drawing);
    QCOMPARE(lost->kind, int(LayerItem::Original));
    QCOMPARE(lost->original, DrawingRef());
    QVERIFY(lost->drawing);
    QCOMPARE(Fixture::describe(*first), QStringLiteral("*.A.*"));
}

QUILLMERE_TEST_MAIN(TestSceneClones)
#include "tst_sceneclones.moc"
