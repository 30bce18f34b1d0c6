// Every cell edit of the scene returns the records that undo it: applying
// them with addChanges must give back the scene as it was, cell for cell,
// with its clone links, shared drawings, off-pegs transforms and key-drawing
// marks.
#include "TestSupport.h"

#include "EditFixture.h"

#include <functional>

using Model::LayerItem;
using Model::SceneChange;

namespace {

using CellEdit = std::function<QList<SceneChange>(EditScene&)>;

} // namespace

Q_DECLARE_METATYPE(CellEdit)

class TestSceneUndo : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void undoRestoresTheScene_data();
    void undoRestoresTheScene();
    void removingAnOriginalPromotesItsFirstCloneUntilUndone();
    void replacingAnOriginalPassesItsClonesOnUntilUndone();
    void undoOfLinkedRemovalsRelinksCellsRemovedTogether();
};

void TestSceneUndo::init()
{
    TestSupport::clearSettings();
}

void TestSceneUndo::undoRestoresTheScene_data()
{
    QTest::addColumn<QList<int>>("linked");
    QTest::addColumn<CellEdit>("edit");
    // The range and active cell after the undo, when the records leave them
    // where the edit put them (the undo commands restore those themselves);
    // empty when they come back too.
    QTest::addColumn<QString>("position");

    using E = EditScene;
    auto const row = [](char const* name, QList<int> linked, CellEdit edit,
                        QString position = QString()) {
        QTest::newRow(name) << linked << edit << position;
    };
    QList<int> const alone;

    row("blank before a hold", alone,
        [](E& s) { return s.scene.addBlankDrawingBefore2(E::Ink, 3); });
    row("blank before the virtual last frame", alone,
        [](E& s) { return s.scene.addBlankDrawingBefore2(E::Ink, 9); });
    row("blank before the first frame", alone,
        [](E& s) { return s.scene.addBlankDrawingBefore2(E::Ink, 1); },
        QStringLiteral("range 1-9 max 9 active 2@0"));
    row("blank after an original takes over its holds", alone,
        [](E& s) { return s.scene.addBlankDrawingAfter2(E::Ink, 1); });
    row("blank after the last frame of the longest layer", alone,
        [](E& s) { return s.scene.addBlankDrawingAfter2(E::Timing, 9); });
    row("blank on linked layers, notes and sound among them", {E::Ink, E::Paper, E::Sketch, E::Audio, E::Notes},
        [](E& s) { return s.scene.addBlankDrawingBefore2(E::Ink, 2); });
    row("hold after a distant clone", alone,
        [](E& s) { return s.scene.addCloneDrawingAfter2(E::Ink, 5, false); });
    row("holds after the longest layer's end", alone,
        [](E& s) { return s.scene.addCloneDrawingsAfter2(E::Timing, 9, 3); });
    row("holds on linked layers", {E::Paper, E::Ref},
        [](E& s) { return s.scene.addCloneDrawingsAfter2(E::Paper, 3, 2); });

    row("removing an original with holds and a clone elsewhere", alone,
        [](E& s) { return s.scene.removeFrame(E::Paper, 4); });
    row("removing the first frame keeps its drawing", alone,
        [](E& s) { return s.scene.removeFrame(E::Ink, 1); });
    row("removing a distant clone followed by a hold", alone,
        [](E& s) { return s.scene.removeFrame(E::Ink, 5); });
    row("removing a hold", alone,
        [](E& s) { return s.scene.removeFrame(E::Timing, 4); });
    row("removing the last frame of the range", alone,
        [](E& s) { return s.scene.removeFrame(E::Timing, 9); },
        QStringLiteral("range 1-9 max 9 active 9@0"));
    row("removing an original and its clone on linked layers", {E::Ink, E::Sketch},
        [](E& s) { return s.scene.removeFrame(E::Ink, 4); });
    row("removing a distant clone and its original's holds on linked layers", {E::Ink, E::Paper},
        [](E& s) { return s.scene.removeFrame(E::Paper, 3); });
    row("removing from linked layers with notes", {E::Ink, E::Timing, E::Notes},
        [](E& s) { return s.scene.removeFrame(E::Ink, 2); });
    row("removing several frames", alone,
        [](E& s) { return s.scene.removeFrames(E::Ink, 8, 3); });
    row("removing every frame of a layer", alone,
        [](E& s) { return s.scene.removeFrames(E::Sketch, 4, 4); });

    row("sliding an original later", alone,
        [](E& s) { return s.scene.slideOriginalDrawing(E::Timing, 6, 1, -2, 3); });
    row("sliding an original earlier", alone,
        [](E& s) { return s.scene.slideOriginalDrawing(E::Timing, 6, -2, -2, 0); });
    row("sliding back to where it started", alone,
        [](E& s) { return s.scene.slideOriginalDrawing(E::Timing, 6, 0, -1, 2); });

    row("replacing an original whose clones are passed on", alone,
        [](E& s) { return s.scene.replaceDrawing(E::Ink, 1, Fixture::namedDrawing("N"), true, false); });
    row("replacing an original whose clones follow", alone,
        [](E& s) { return s.scene.replaceDrawing(E::Ink, 1, Fixture::namedDrawing("N"), false, false); });
    row("replacing a hold", alone,
        [](E& s) { return s.scene.replaceDrawing(E::Ink, 2, Fixture::namedDrawing("N"), true, false); });
    row("replacing a distant clone", alone,
        [](E& s) { return s.scene.replaceDrawing(E::Paper, 3, Fixture::namedDrawing("N"), true, true); });

    row("hold in place of an original with a clone", alone,
        [](E& s) { return s.scene.replaceDrawingWithHold(E::Ink, 4, false); });
    row("hold in place of a distant clone", alone,
        [](E& s) { return s.scene.replaceDrawingWithHold(E::Paper, 3, true); });
    row("original in place of a hold after a hold", alone,
        [](E& s) { return s.scene.replaceDrawingWithOriginal(E::Ink, 3, QUuid::createUuid()); });
    row("original in place of a distant clone", alone,
        [](E& s) { return s.scene.replaceDrawingWithOriginal(E::Ink, 5, QUuid()); });
    row("distant clone in place of an original with clones", alone, [](E& s) {
        return s.scene.replaceDrawingWithDistantClone(E::Ink, 1, s.scene.drawingIdentifier(E::Paper, 1),
                                                      false);
    });
    row("distant clone in place of a hold", alone, [](E& s) {
        return s.scene.replaceDrawingWithDistantClone(E::Ink, 2, s.scene.drawingIdentifier(E::Paper, 4),
                                                      false);
    });
    row("distant clone of another original in place of a distant clone", alone, [](E& s) {
        return s.scene.replaceDrawingWithDistantClone(E::Ink, 5, s.scene.drawingIdentifier(E::Sketch, 1),
                                                      true);
    });
    row("distant clone on a reference layer", alone, [](E& s) {
        return s.scene.replaceDrawingWithDistantClone(E::Ref, 2, s.scene.drawingIdentifier(E::Ref, 3),
                                                      false);
    });
}

void TestSceneUndo::undoRestoresTheScene()
{
    QFETCH(QList<int>, linked);
    QFETCH(CellEdit, edit);
    QFETCH(QString, position);

    EditScene s;
    for (int const layer : linked)
        QVERIFY(s.scene.setLayerLinked(layer, true));
    QStringList const before = Structure::of(s.scene);

    QList<SceneChange> const changes = edit(s);
    QVERIFY(!changes.isEmpty());
    QVERIFY2(Structure::of(s.scene) != before, "the edit changed nothing");

    s.scene.addChanges(changes);
    QStringList const after = Structure::of(s.scene);
    QCOMPARE(after.mid(1), before.mid(1));
    QCOMPARE(after.first(), position.isEmpty() ? before.first() : position);
}

void TestSceneUndo::removingAnOriginalPromotesItsFirstCloneUntilUndone()
{
    EditScene s;
    auto const e = s.paper->layerItem(4);
    auto const clone = s.sketch->layerItem(2);
    Model::DrawingRef const eRef = Fixture::ref(*s.paper, 4);
    auto const eDrawing = e->drawing;

    QList<SceneChange> const changes = s.scene.removeFrame(EditScene::Paper, 4);

    // The clone holds E's drawing on as an original of its own, and the holds
    // that followed E now repeat the clone at paper 3.
    QCOMPARE(clone->kind, int(LayerItem::Original));
    QVERIFY(clone->original.isNull());
    QCOMPARE(clone->drawing, eDrawing);
    QCOMPARE(s.sketch->layerItem(3)->drawing, eDrawing);
    QCOMPARE(Fixture::describe(*s.paper), QStringLiteral("D.*.."));
    QCOMPARE(s.paper->layerItem(4)->drawing, s.paper->layerItem(3)->drawing);

    QSignalSpy drawings(&s.scene, &Model::Scene::drawingsChanged);
    s.scene.addChanges(changes);
    QCOMPARE(clone->kind, int(LayerItem::DistantClone));
    QCOMPARE(clone->original, eRef);
    QCOMPARE(e->clones, QList<Model::DrawingRef>{Fixture::ref(*s.sketch, 2)});
    QCOMPARE(s.paper->layerItem(5)->drawing, eDrawing);
    QCOMPARE(s.paper->layerItem(6)->drawing, eDrawing);
    // The demoted clone and its hold are reported.
    QCOMPARE(drawings.count(), 1);
    auto const reported = drawings.first().first().value<QList<std::pair<int, int>>>();
    QVERIFY(reported.contains(std::make_pair(2, int(EditScene::Sketch))));
    QVERIFY(reported.contains(std::make_pair(3, int(EditScene::Sketch))));
}

void TestSceneUndo::replacingAnOriginalPassesItsClonesOnUntilUndone()
{
    EditScene s;
    auto const a = s.ink->layerItem(1);
    auto const heir = s.ink->layerItem(5);
    auto const other = s.paper->layerItem(3);
    auto const oldDrawing = a->drawing;
    Model::DrawingRef const aRef = Fixture::ref(*s.ink, 1);
    Model::DrawingRef const heirRef = Fixture::ref(*s.ink, 5);
    Model::DrawingRef const otherRef = Fixture::ref(*s.paper, 3);
    // A stale entry in front: the first clone that exists is the heir.
    a->clones.prepend(Model::DrawingRef{s.sketch->identifier(), QUuid::createUuid()});

    QList<SceneChange> const changes =
        s.scene.replaceDrawing(EditScene::Ink, 1, Fixture::namedDrawing("N"), true, false);

    QCOMPARE(heir->kind, int(LayerItem::Original));
    QVERIFY(heir->original.isNull());
    QCOMPARE(heir->clones, QList<Model::DrawingRef>{otherRef});
    QCOMPARE(other->original, heirRef);
    QCOMPARE(heir->drawing, oldDrawing);
    QCOMPARE(other->drawing, oldDrawing);
    QVERIFY(a->clones.isEmpty());
    QCOMPARE(a->drawing->name(), QStringLiteral("N"));
    QCOMPARE(s.ink->layerItem(3)->drawing, a->drawing);

    s.scene.addChanges(changes);
    auto const restored = s.ink->layerItem(1);
    QCOMPARE(restored->kind, int(LayerItem::Original));
    QCOMPARE(heir->kind, int(LayerItem::DistantClone));
    QCOMPARE(heir->original, aRef);
    QVERIFY(heir->clones.isEmpty());
    QCOMPARE(other->original, aRef);
    QCOMPARE(heir->drawing, restored->drawing);
    QCOMPARE(other->drawing, restored->drawing);
    QCOMPARE(s.ink->layerItem(6)->drawing, restored->drawing);
    QCOMPARE(restored->drawing->name(), QStringLiteral("A"));
}

void TestSceneUndo::undoOfLinkedRemovalsRelinksCellsRemovedTogether()
{
    // B (ink 4) and its distant clone (sketch 4) go in one removal of linked
    // layers: removing B first makes the clone an original, which the
    // sketch layer then loses. Undoing the layers in the order they were
    // removed would bring the clone back as an original that B lists.
    EditScene s;
    s.scene.setLayerLinked(EditScene::Ink, true);
    s.scene.setLayerLinked(EditScene::Sketch, true);
    auto const b = s.ink->layerItem(4);
    auto const clone = s.sketch->layerItem(4);

    QList<SceneChange> const changes = s.scene.removeFrame(EditScene::Ink, 4);
    QCOMPARE(Fixture::describe(changes), QStringLiteral("1@4:2 1@4:0"));
    QCOMPARE(clone->kind, int(LayerItem::Original));

    s.scene.addChanges(changes);
    QCOMPARE(s.sketch->layerItem(4), clone);
    QCOMPARE(clone->kind, int(LayerItem::DistantClone));
    QCOMPARE(clone->original, Fixture::ref(*s.ink, 4));
    QCOMPARE(clone->drawing, b->drawing);
    QCOMPARE(b->clones, QList<Model::DrawingRef>{Fixture::ref(*s.sketch, 4)});

    // And the other way round: a clone on a layer before its original's,
    // both at frame 3, would find no original to return to.
    EditScene t;
    QVERIFY(!t.scene.replaceDrawingWithDistantClone(EditScene::Ink, 3,
                                                    t.scene.drawingIdentifier(EditScene::Timing, 3),
                                                    false)
                 .isEmpty());
    t.scene.setLayerLinked(EditScene::Ink, true);
    t.scene.setLayerLinked(EditScene::Timing, true);
    QStringList const before = Structure::of(t.scene);
    QList<SceneChange> const both = t.scene.removeFrame(EditScene::Ink, 3);
    t.scene.addChanges(both);
    QCOMPARE(Structure::of(t.scene), before);
    QCOMPARE(t.ink->layerItem(3)->kind, int(LayerItem::DistantClone));
}

QUILLMERE_TEST_MAIN(TestSceneUndo)
#include "tst_sceneundo.moc"
