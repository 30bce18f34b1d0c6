// Cell edits of the scene: blanks and holds inserted, frames removed, an
// original slid over its holds, a drawing put into a cell; their change
// records, the frame bookkeeping that follows them, and addChanges with the
// repairs it makes around restored cells.
#include "TestSupport.h"

#include "EditFixture.h"

using Model::LayerChange;
using Model::LayerItem;
using Model::SceneChange;

namespace {

using Cells = QList<std::pair<int, int>>;

std::shared_ptr<FixtureDrawLayer> lettered(QString const& name, int length)
{
    auto layer = std::make_shared<FixtureDrawLayer>(name);
    QString cells;
    for (int i = 0; i < length; ++i)
        cells += QChar(u'A' + i % 26);
    Fixture::build(*layer, cells);
    return layer;
}

Cells reportedCells(QSignalSpy const& spy)
{
    return spy.isEmpty() ? Cells() : spy.last().first().value<Cells>();
}

} // namespace

class TestSceneEdits : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void insertsOnLinkedLayers();
    void insertsMoveTheRangeAndTheActiveFrame_data();
    void insertsMoveTheRangeAndTheActiveFrame();
    void insertingBeforeTheVirtualLastFrameAppends();
    void severalHoldsAreAnnouncedOnce();
    void integerFormsReturnTheNewFrame();
    void insertsRefuseFramesOutsideTheLayer_data();
    void insertsRefuseFramesOutsideTheLayer();

    void removalKeepsTheRange_data();
    void removalKeepsTheRange();
    void removingAnOriginalHandsItsHoldsToTheDrawingBefore();
    void removeFramesWalksBackwards();

    void slideOfTheWorkedExample();
    void slideRefusesWhatItCannotDo_data();
    void slideRefusesWhatItCannotDo();

    void replacingAHoldMakesItAnOriginal();
    void replacingRestoresTransformAndKeyMarkOnUndo();
    void quietEditsAreNotHeard_data();
    void quietEditsAreNotHeard();

    void updateHolds_data();
    void updateHolds();
    void changedCellsAreSortedWithoutRepeats();
    void holdRestoredByReplaceShowsTheDrawingBefore();
    void emptyListStillRefreshes();
    void annotationRecordsReachTheNotes();
    void distantCloneResolvesOnlyToAnOriginalOfItsKind_data();
    void distantCloneResolvesOnlyToAnOriginalOfItsKind();
};

void TestSceneEdits::init()
{
    TestSupport::clearSettings();
}

void TestSceneEdits::insertsOnLinkedLayers()
{
    EditScene s;
    for (int const layer : {EditScene::Ink, EditScene::Sketch, EditScene::Audio, EditScene::Notes})
        s.scene.setLayerLinked(layer, true);
    QSignalSpy layers(&s.scene, &Model::Scene::layersChanged);

    QList<SceneChange> const changes = s.scene.addBlankDrawingBefore2(EditScene::Sketch, 3);

    // One removal record per layer that changed, highest index first; the
    // audio layer has no frames to insert.
    QCOMPARE(Fixture::describe(changes), QStringLiteral("3@3:6 3@3:2 3@3:0"));
    QCOMPARE(Fixture::describe(*s.sketch), QStringLiteral("H*0.*"));
    QCOMPARE(Fixture::describe(*s.ink), QStringLiteral("A...B*.C."));
    QCOMPARE(s.notes->annotationImage(3), QImage());
    QCOMPARE(s.notes->annotationImage(5), Fixture::note(4));
    QCOMPARE(Fixture::describe(*s.paper), QStringLiteral("D.*E.."));
    QCOMPARE(layers.count(), 1);
    QCOMPARE(layers.first(), (QVariantList{EditScene::Sketch, EditScene::Sketch}));
}

void TestSceneEdits::insertsMoveTheRangeAndTheActiveFrame_data()
{
    QTest::addColumn<int>("frame");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<int>("active");
    QTest::addColumn<int>("scrub");

    // A layer of 12 frames, range 5-10, active frame 7, scrub frame 9.
    QTest::newRow("before the range") << 3 << 6 << 11 << 8 << 10;
    QTest::newRow("inside the range") << 8 << 5 << 11 << 7 << 10;
    QTest::newRow("just after the range") << 11 << 5 << 11 << 7 << 9;
    QTest::newRow("past the range") << 12 << 5 << 10 << 7 << 9;
}

void TestSceneEdits::insertsMoveTheRangeAndTheActiveFrame()
{
    QFETCH(int, frame);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(int, active);
    QFETCH(int, scrub);

    Model::Scene scene;
    scene.addLayer(lettered("long", 12), 0);
    scene.setFrameRange(5, 10, 7, 0);
    scene.setScrubFrame(9);
    QSignalSpy range(&scene, &Model::Scene::frameRangeChanged);
    QSignalSpy maximum(&scene, &Model::Scene::maximumFrameNumberChanged);

    QList<SceneChange> const changes = scene.addBlankDrawingBefore2(0, frame);
    QCOMPARE(changes.size(), 1);
    QCOMPARE(scene.minimumFrameRangeNumber(), first);
    QCOMPARE(scene.maximumFrameRangeNumber(), last);
    QCOMPARE(scene.activeFrame(), active);
    QCOMPARE(scene.scrubFrame(), scrub);
    QCOMPARE(range.count(), last == 10 ? 0 : 1);
    QCOMPARE(maximum.count(), 1);
    QCOMPARE(scene.maximumFrameNumber(), 13);

    // Undoing takes the frame out again but leaves the range where the
    // insert put it: the scene is still long enough for it.
    scene.addChanges(changes);
    QCOMPARE(scene.maximumFrameNumber(), 12);
    QCOMPARE(scene.minimumFrameRangeNumber(), first);
    QCOMPARE(scene.maximumFrameRangeNumber(), last);
}

void TestSceneEdits::insertingBeforeTheVirtualLastFrameAppends()
{
    EditScene s;
    auto const cells = s.ink->frames();
    QCOMPARE(s.scene.addBlankDrawingBefore2(EditScene::Ink, 9).size(), 1);
    QCOMPARE(s.ink->frames().mid(0, 8), cells);
    QCOMPARE(s.ink->length(), 9);
    QCOMPARE(s.ink->drawingType(9), int(LayerItem::Original));
    QVERIFY(s.ink->layerItem(9)->drawing != cells.last()->drawing);
}

void TestSceneEdits::severalHoldsAreAnnouncedOnce()
{
    Model::Scene scene;
    scene.addLayer(lettered("short", 4), 0);
    scene.setFrameRange(1, 4, 1, 0);
    auto const spies = Fixture::spyOnAllSignals(&scene);

    QList<SceneChange> const changes = scene.addCloneDrawingsAfter2(0, 4, 3);
    QCOMPARE(Fixture::describe(changes), QStringLiteral("3@5:0 3@5:0 3@5:0"));
    auto const layer = qobject_cast<Model::VisualLayer*>(scene.layer(0).get());
    QCOMPARE(Fixture::describe(*layer), QStringLiteral("ABCD..."));
    for (auto const& spy : spies)
        QVERIFY2(spy->count() <= 1, spy->signal().constData());
    QCOMPARE(scene.maximumFrameNumber(), 7);
    QCOMPARE(scene.maximumFrameRangeNumber(), 7);
    QVERIFY(!scene.signalsBlocked());
}

void TestSceneEdits::integerFormsReturnTheNewFrame()
{
    EditScene s;
    QCOMPARE(s.scene.addBlankDrawingAfter(EditScene::Paper, 2), 3);
    QCOMPARE(Fixture::describe(*s.paper), QStringLiteral("D.0*E.."));
    QCOMPARE(s.scene.addCloneDrawingAfter(EditScene::Paper, 7), 8);
    QCOMPARE(s.scene.addCloneDrawingsAfter(EditScene::Sketch, 1, 3), 4);
    QCOMPARE(Fixture::describe(*s.sketch), QStringLiteral("H...*.*"));
    QCOMPARE(s.scene.addBlankDrawingAfter(EditScene::Paper, 9), -1);
    QCOMPARE(s.scene.addCloneDrawingsAfter(EditScene::Sketch, 1, 0), -1);
    QCOMPARE(s.scene.addCloneDrawingsAfter(EditScene::Sketch, -1, 2), -1);
    // A new scene's first layer is drawn out with holds from frame 1.
    Model::Scene scene;
    scene.addLayer(lettered("new", 1), 0);
    QCOMPARE(scene.addCloneDrawingsAfter(0, 1, 23), 24);
    QCOMPARE(scene.maximumFrameNumber(), 24);
}

void TestSceneEdits::insertsRefuseFramesOutsideTheLayer_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<int>("layer");
    QTest::addColumn<int>("frame");

    QTest::newRow("before frame 1") << "before" << 0 << 0;
    QTest::newRow("before past the virtual last frame") << "before" << 0 << 10;
    QTest::newRow("after frame -1") << "after" << 0 << -1;
    QTest::newRow("after the virtual last frame") << "after" << 0 << 9;
    QTest::newRow("hold after the virtual last frame") << "clone" << 0 << 9;
    QTest::newRow("no such layer") << "before" << 7 << 1;
    QTest::newRow("negative layer") << "clone" << -1 << 1;
    QTest::newRow("no count") << "clones0" << 0 << 1;
    QTest::newRow("annotation layer after frame 0") << "before" << EditScene::Notes << 1;
}

void TestSceneEdits::insertsRefuseFramesOutsideTheLayer()
{
    QFETCH(QString, edit);
    QFETCH(int, layer);
    QFETCH(int, frame);

    EditScene s;
    QStringList const before = Structure::of(s.scene);
    auto const spies = Fixture::spyOnAllSignals(&s.scene);
    QList<SceneChange> changes;
    if (edit == QLatin1String("before"))
        changes = s.scene.addBlankDrawingBefore2(layer, frame);
    else if (edit == QLatin1String("after"))
        changes = s.scene.addBlankDrawingAfter2(layer, frame);
    else if (edit == QLatin1String("clone"))
        changes = s.scene.addCloneDrawingAfter2(layer, frame, false);
    else
        changes = s.scene.addCloneDrawingsAfter2(layer, frame, 0);
    QVERIFY(changes.isEmpty());
    QCOMPARE(Structure::of(s.scene), before);
    QCOMPARE(Fixture::caught(spies), QStringList());
}

void TestSceneEdits::removalKeepsTheRange_data()
{
    QTest::addColumn<QString>("other");
    QTest::addColumn<int>("frame");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<int>("active");

    // "main" has 12 frames, the range is 4-8 and frame 6 of "main" is
    // active; "other" is a second, unlinked layer.
    // Removing the range's last frame makes the active layer's virtual last
    // frame active, ready for a new drawing.
    QTest::newRow("last frame of the range, another layer reaching past it")
        << "ABCDEFGHIJ" << 8 << 4 << 8 << 12;
    QTest::newRow("last frame of the range, no other layer reaching it")
        << "ABC" << 8 << 4 << 7 << 12;
    QTest::newRow("inside the range, no other layer reaching its end")
        << "ABC" << 5 << 4 << 7 << 6;
    QTest::newRow("before the range, no other layer reaching its end")
        << "ABC" << 2 << 3 << 7 << 6;
    // Nothing inside the range moved: it stays as it was.
    QTest::newRow("past the range") << "ABC" << 10 << 4 << 8 << 6;
}

void TestSceneEdits::removalKeepsTheRange()
{
    QFETCH(QString, other);
    QFETCH(int, frame);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(int, active);

    Model::Scene scene;
    scene.addLayer(lettered("main", 12), 0);
    auto const second = std::make_shared<FixtureDrawLayer>(QStringLiteral("other"));
    Fixture::build(*second, other);
    scene.addLayer(second, 1);
    scene.setFrameRange(4, 8, 6, 0);

    QCOMPARE(scene.removeFrame(0, frame).size(), 1);
    QCOMPARE(scene.minimumFrameRangeNumber(), first);
    QCOMPARE(scene.maximumFrameRangeNumber(), last);
    QCOMPARE(scene.activeFrame(), active);
    QCOMPARE(scene.maximumFrameNumber(), 11);
}

void TestSceneEdits::removingAnOriginalHandsItsHoldsToTheDrawingBefore()
{
    Model::Scene scene;
    auto const layer = std::make_shared<FixtureDrawLayer>(QStringLiteral("l"));
    Fixture::build(*layer, QStringLiteral("ABCD..E"));
    scene.addLayer(layer, 0);
    auto const d = layer->layerItem(4);
    QSignalSpy layers(&scene, &Model::Scene::layersChanged);
    QSignalSpy rect(&scene, &Model::Scene::rectChanged);

    QList<SceneChange> const changes = scene.removeFrame(0, 4);
    QCOMPARE(Fixture::describe(changes), QStringLiteral("1@4:0"));
    QCOMPARE(Fixture::describe(*layer), QStringLiteral("ABC..E"));
    QCOMPARE(layer->layerItem(5)->drawing, layer->layerItem(3)->drawing);
    QCOMPARE(layers.last(), (QVariantList{0, 0}));
    QCOMPARE(rect.last().first().toRect(), QRect(QPoint(0, 0), scene.frameSize()));

    scene.addChanges(changes);
    QCOMPARE(layer->layerItem(4), d);
    QCOMPARE(Fixture::describe(*layer), QStringLiteral("ABCD..E"));
    QCOMPARE(layer->layerItem(6)->drawing, d->drawing);
}

void TestSceneEdits::removeFramesWalksBackwards()
{
    EditScene s;
    auto const cells = s.ink->frames();
    QList<SceneChange> const changes = s.scene.removeFrames(EditScene::Ink, 8, 3);
    QCOMPARE(Fixture::describe(*s.ink), QStringLiteral("A..B*"));
    // The lowest frame is put back first.
    QCOMPARE(Fixture::describe(changes), QStringLiteral("1@6:0 1@7:0 1@8:0"));
    // Steps whose frame is gone contribute nothing.
    QCOMPARE(s.scene.removeFrames(EditScene::Sketch, 5, 3).size(), 2);
    QVERIFY(s.scene.removeFrames(EditScene::Ink, 3, 0).isEmpty());
    s.scene.addChanges(changes);
    QCOMPARE(s.ink->frames(), cells);
}

void TestSceneEdits::slideOfTheWorkedExample()
{
    EditScene s;
    auto const cells = s.timing->frames();
    auto const k = cells.at(2)->drawing;
    auto const o = cells.at(5);
    QSignalSpy drawings(&s.scene, &Model::Scene::drawingsChanged);
    QSignalSpy range(&s.scene, &Model::Scene::frameRangeChanged);
    QSignalSpy maximum(&s.scene, &Model::Scene::maximumFrameNumberChanged);

    QList<SceneChange> const changes = s.scene.slideOriginalDrawing(EditScene::Timing, 6, 1, -2, 3);

    QCOMPARE(Fixture::describe(*s.timing), QStringLiteral("J.K...O.."));
    QCOMPARE(s.timing->layerItem(7), o);
    for (int f = 4; f <= 6; ++f)
        QCOMPARE(s.timing->layerItem(f)->drawing, k);
    QCOMPARE(Fixture::describe(changes),
             QStringLiteral("3@4:3 3@4:3 3@4:3 3@5:3 3@5:3 1@5:3 1@5:3 1@5:3 1@4:3 1@4:3"));
    QCOMPARE(drawings.count(), 1);
    QVERIFY(reportedCells(drawings).isEmpty());
    QCOMPARE(range.count(), 0);
    QCOMPARE(maximum.count(), 0);
    QCOMPARE(s.scene.activeFrame(), 1);
}

void TestSceneEdits::slideRefusesWhatItCannotDo_data()
{
    QTest::addColumn<int>("layer");
    QTest::addColumn<int>("frame");
    QTest::addColumn<int>("distance");
    QTest::addColumn<int>("smallest");
    QTest::addColumn<int>("largest");

    QTest::newRow("the first frame") << int(EditScene::Timing) << 1 << 1 << 0 << 1;
    QTest::newRow("a hold") << int(EditScene::Timing) << 5 << 1 << 0 << 1;
    QTest::newRow("past the layer") << int(EditScene::Timing) << 10 << 1 << 0 << 1;
    QTest::newRow("the annotation layer") << int(EditScene::Notes) << 2 << 1 << 0 << 1;
    QTest::newRow("smallest above the distance") << int(EditScene::Timing) << 6 << -1 << 0 << 1;
    QTest::newRow("largest below the distance") << int(EditScene::Timing) << 6 << 2 << 0 << 1;
    QTest::newRow("more holds after than there are") << int(EditScene::Timing) << 6 << 4 << 0 << 4;
    QTest::newRow("more holds before than there are") << int(EditScene::Timing) << 6 << -4 << -4 << 0;
}

void TestSceneEdits::slideRefusesWhatItCannotDo()
{
    QFETCH(int, layer);
    QFETCH(int, frame);
    QFETCH(int, distance);
    QFETCH(int, smallest);
    QFETCH(int, largest);

    EditScene s;
    QStringList const before = Structure::of(s.scene);
    auto const spies = Fixture::spyOnAllSignals(&s.scene);
    QVERIFY(s.scene.slideOriginalDrawing(layer, frame, distance, smallest, largest).isEmpty());
    QCOMPARE(Structure::of(s.scene), before);
    QCOMPARE(Fixture::caught(spies), QStringList());
}

void TestSceneEdits::replacingAHoldMakesItAnOriginal()
{
    EditScene s;
    auto const hold = s.ink->layerItem(2);
    QUuid const id = hold->identifier;
    auto const drawing = Fixture::namedDrawing("N");
    QSignalSpy drawings(&s.scene, &Model::Scene::drawingsChanged);
    QSignalSpy kind(&s.scene, &Model::Scene::currentDrawingTypeUpdated);

    QList<SceneChange> const changes = s.scene.replaceDrawing(EditScene::Ink, 2, drawing, true, false);
    QCOMPARE(changes.size(), 1);
    QCOMPARE(changes.first().kind, int(LayerChange::ReplaceCell));
    QVERIFY(!changes.first().cell->drawing);

    QCOMPARE(hold->kind, int(LayerItem::Original));
    QCOMPARE(hold->identifier, id);
    QCOMPARE(hold->drawing, std::shared_ptr<Model::Drawing>(drawing));
    QCOMPARE(s.ink->layerItem(3)->drawing, hold->drawing);
    QCOMPARE(reportedCells(drawings), (Cells{{2, 0}, {3, 0}}));
    QCOMPARE(kind.count(), 1);
}

void TestSceneEdits::replacingRestoresTransformAndKeyMarkOnUndo()
{
    // Undo records keep the cell's place off the pegs and its key mark.
    EditScene s;
    auto const a = s.ink->layerItem(1);
    QTransform const offPegs = QTransform::fromTranslate(12, -3).rotate(7);
    a->offPegsTransform = offPegs;
    QVERIFY(a->keyDrawing);

    QList<SceneChange> const changes =
        s.scene.replaceDrawing(EditScene::Ink, 1, Fixture::namedDrawing("N"), false, false);
    QCOMPARE(changes.first().cell->offPegsTransform, offPegs);
    QVERIFY(changes.first().cell->keyDrawing);

    // The cell is changed on, meanwhile, as the user might.
    a->offPegsTransform = QTransform();
    a->keyDrawing = false;
    s.scene.addChanges(changes);
    auto const restored = s.ink->layerItem(1);
    QCOMPARE(restored->offPegsTransform, offPegs);
    QVERIFY(restored->keyDrawing);
    QCOMPARE(restored->drawing->name(), QStringLiteral("A"));
    QCOMPARE(s.ink->layerItem(5)->drawing, restored->drawing);
}

void TestSceneEdits::quietEditsAreNotHeard_data()
{
    QTest::addColumn<int>("edit");
    QTest::addColumn<bool>("blockedBefore");

    QTest::newRow("hold added") << 0 << false;
    QTest::newRow("drawing replaced") << 1 << false;
    QTest::newRow("drawing replaced, signals already blocked") << 1 << true;
    QTest::newRow("hold made") << 2 << false;
    QTest::newRow("distant clone made") << 3 << false;
}

void TestSceneEdits::quietEditsAreNotHeard()
{
    QFETCH(int, edit);
    QFETCH(bool, blockedBefore);

    EditScene s;
    auto const spies = Fixture::spyOnAllSignals(&s.scene);
    s.scene.blockSignals(blockedBefore);
    QList<SceneChange> changes;
    switch (edit) {
    case 0:
        changes = s.scene.addCloneDrawingAfter2(EditScene::Ink, 1, true);
        break;
    case 1:
        changes = s.scene.replaceDrawing(EditScene::Ink, 1, Fixture::namedDrawing("N"), true, true);
        break;
    case 2:
        changes = s.scene.replaceDrawingWithHold(EditScene::Ink, 4, true);
        break;
    default:
        changes = s.scene.replaceDrawingWithDistantClone(EditScene::Ink, 4,
                                                         s.scene.drawingIdentifier(EditScene::Paper, 1),
                                                         true);
        break;
    }
    QVERIFY(!changes.isEmpty());
    QCOMPARE(Fixture::caught(spies), QStringList());
    QCOMPARE(s.scene.signalsBlocked(), blockedBefore);
}

void TestSceneEdits::updateHolds_data()
{
    QTest::addColumn<int>("layer");
    QTest::addColumn<int>("frame");
    QTest::addColumn<Cells>("cells");

    QTest::newRow("original with holds") << 0 << 1 << Cells{{1, 0}, {2, 0}, {3, 0}};
    QTest::newRow("followed by an original") << 0 << 4 << Cells{{4, 0}};
    QTest::newRow("a hold passes its drawing on") << 0 << 2 << Cells{{2, 0}, {3, 0}};
    QTest::newRow("holds up to the layer's end") << 3 << 6 << Cells{{6, 3}, {7, 3}, {8, 3}, {9, 3}};
    QTest::newRow("past the layer") << 0 << 9 << Cells{};
    QTest::newRow("frame 0") << 0 << 0 << Cells{};
    QTest::newRow("the audio layer") << 5 << 1 << Cells{};
    QTest::newRow("no such layer") << 9 << 1 << Cells{};
}

void TestSceneEdits::updateHolds()
{
    QFETCH(int, layer);
    QFETCH(int, frame);
    QFETCH(Cells, cells);

    EditScene s;
    auto const visual = qobject_cast<Model::VisualLayer*>(s.scene.layer(layer).get());
    std::shared_ptr<Model::Drawing> const replacement = Fixture::namedDrawing("N");
    if (visual && visual->isFrameValid(frame))
        visual->layerItem(frame)->drawing = replacement;
    QCOMPARE(s.scene.updateHolds(frame, layer), cells);
    for (auto const& [f, l] : cells)
        QCOMPARE(visual->layerItem(f)->drawing, replacement);
}

void TestSceneEdits::changedCellsAreSortedWithoutRepeats()
{
    Model::Scene scene;
    QSignalSpy drawings(&scene, &Model::Scene::drawingsChanged);
    Cells cells{{3, 1}, {1, 2}, {3, 0}, {1, 2}, {2, 5}, {3, 0}};
    scene.internalDrawingsChanged(cells);
    Cells const expected{{1, 2}, {2, 5}, {3, 0}, {3, 1}};
    QCOMPARE(cells, expected);
    QCOMPARE(reportedCells(drawings), expected);
}

void TestSceneEdits::holdRestoredByReplaceShowsTheDrawingBefore()
{
    EditScene s;
    auto const hold = s.timing->layerItem(4);
    QList<SceneChange> const changes =
        s.scene.replaceDrawing(EditScene::Timing, 4, Fixture::namedDrawing("N"), false, false);
    QCOMPARE(s.timing->layerItem(5)->drawing->name(), QStringLiteral("N"));

    QSignalSpy drawings(&s.scene, &Model::Scene::drawingsChanged);
    s.scene.addChanges(changes);
    auto const k = s.timing->layerItem(3)->drawing;
    QCOMPARE(s.timing->layerItem(4)->kind, int(LayerItem::Hold));
    QCOMPARE(s.timing->layerItem(4)->identifier, hold->identifier);
    QCOMPARE(s.timing->layerItem(4)->drawing, k);
    QCOMPARE(s.timing->layerItem(5)->drawing, k);
    QCOMPARE(reportedCells(drawings), (Cells{{4, 3}, {5, 3}}));
}

void TestSceneEdits::emptyListStillRefreshes()
{
    EditScene s;
    QStringList const before = Structure::of(s.scene);
    QSignalSpy rect(&s.scene, &Model::Scene::rectChanged);
    QSignalSpy drawings(&s.scene, &Model::Scene::drawingsChanged);
    QSignalSpy layers(&s.scene, &Model::Scene::layersChanged);
    s.scene.addChanges({});
    QCOMPARE(Structure::of(s.scene), before);
    QCOMPARE(rect.count(), 1);
    QCOMPARE(drawings.count(), 1);
    QVERIFY(reportedCells(drawings).isEmpty());
    QCOMPARE(layers.count(), 0);
}

void TestSceneEdits::annotationRecordsReachTheNotes()
{
    EditScene s;
    QImage const scribble = Fixture::note(9);
    s.scene.addChanges({SceneChange(LayerChange::ReplaceImage, 2, scribble, EditScene::Notes),
                        SceneChange(LayerChange::InsertImage, 1, scribble, EditScene::Notes),
                        SceneChange(LayerChange::RemoveImage, 4, QImage(), EditScene::Notes),
                        // Records for a layer of the wrong sort are skipped.
                        SceneChange(LayerChange::InsertImage, 1, scribble, EditScene::Ink),
                        SceneChange(LayerChange::InsertCell, 1, Fixture::original("X"), EditScene::Notes)});
    QCOMPARE(s.notes->annotationImage(1), scribble);
    QCOMPARE(s.notes->annotationImage(2), Fixture::note(1));
    QCOMPARE(s.notes->annotationImage(3), scribble);
    QCOMPARE(s.notes->annotationImage(4), Fixture::note(4));
    QCOMPARE(s.notes->annotationImage(5), QImage());
    QCOMPARE(Fixture::describe(*s.ink), QStringLiteral("A..B*.C."));
}

void TestSceneEdits::distantCloneResolvesOnlyToAnOriginalOfItsKind_data()
{
    QTest::addColumn<QString>("original");

    QTest::newRow("original gone") << "gone";
    QTest::newRow("original on a draw layer") << "draw";
    QTest::newRow("not an original") << "hold";
}

void TestSceneEdits::distantCloneResolvesOnlyToAnOriginalOfItsKind()
{
    QFETCH(QString, original);

    // A cell of the reference layer comes back as a distant clone whose
    // original it must not show.
    EditScene s;
    Model::DrawingRef target{s.ink->identifier(), QUuid::createUuid()};
    if (original == QLatin1String("draw"))
        target = Fixture::ref(*s.ink, 4);
    else if (original == QLatin1String("hold"))
        target = Fixture::ref(*s.ref, 2);
    auto const cell = std::make_shared<LayerItem>(LayerItem::DistantClone, s.ref->layerItem(3)->identifier,
                                                  nullptr);
    cell->original = target;
    auto const targetCell = s.scene.lookupLayerItem(target);
    auto const targetClones = targetCell ? targetCell->clones : QList<Model::DrawingRef>();

    s.scene.addChanges({SceneChange(LayerChange::ReplaceCell, 3, cell, EditScene::Ref)});

    QCOMPARE(s.ref->layerItem(3), cell);
    QCOMPARE(cell->kind, int(LayerItem::Original));
    QVERIFY(cell->original.isNull());
    QVERIFY(cell->drawing);
    QCOMPARE(cell->drawing->type(), int(Model::Drawing::ImageDrawingType));
    QVERIFY(!s.scene.lookupLayerItem(target) || cell->drawing != targetCell->drawing);
    QVERIFY(s.ref->imageDrawing(2));
    if (targetCell)
        QCOMPARE(targetCell->clones, targetClones);
}

QUILLMERE_TEST_MAIN(TestSceneEdits)
#include "tst_sceneedits.moc"
