// Turning cells into holds, originals and distant clones, cutting a lasso
// path out of a shown drawing, and merging one draw layer onto another, on
// stroke layers with real strokes. Rasterising needs the off-screen renderer
// (software OpenGL under X).
#include "TestSupport.h"

#include "../strokes/StrokeFixtures.h"
#include "EditFixture.h"

#include "drawings/StrokeDrawing.h"
#include "rendering/OffscreenRenderer.h"
#include "scene/StrokeLayer.h"

#include <QPainterPath>

using Model::LayerChange;
using Model::LayerItem;
using Model::SceneChange;
using Model::StrokeDrawing;
using Model::StrokeLayer;

namespace {

using Cells = QList<std::pair<int, int>>;

QSize const FrameSize(200, 100);

QPainterPath rectPath(QRectF const& rect)
{
    QPainterPath path;
    path.addRect(rect);
    return path;
}

Cells reportedCells(QSignalSpy const& spy)
{
    return spy.isEmpty() ? Cells() : spy.last().first().value<Cells>();
}

} // namespace

class TestSceneReplace : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void holdRefusedOnTheFirstFrame();
    void holdOfAHoldChangesNoCell();
    void holdInPlaceOfAnOriginalWithTwoClones();
    void originalFromAHoldIsIndependent();
    void originalFromADistantCloneLeavesItsOriginal();
    void distantCloneRefusesTargets_data();
    void distantCloneRefusesTargets();
    void distantCloneJoinsItsTargetsList();

    void cutOnAHoldCutsTheSharedDrawing();
    void cutThroughADistantCloneCutsItsOriginal();
    void cutThatTakesNothingIsNoStep_data();
    void cutThatTakesNothingIsNoStep();

    void mergeExtendsAndAddsTheSource();
    void mergeRefusesOtherLayers_data();
    void mergeRefusesOtherLayers();

    void restoredCloneWithoutOriginalGetsItsLayersBlank();

private:
    std::shared_ptr<StrokeLayer> strokeLayer(QString const& name) const;
    // Replaces the layer's cells: a letter is an original with a stroke of
    // its own, '.' a hold, '0' a blank original.
    void build(StrokeLayer& layer, QString const& pattern) const;

    QObject m_toolOwner;
    Model::PenTool* m_marker = nullptr;
};

void TestSceneReplace::initTestCase()
{
    QVERIFY(Model::OffscreenRenderer::instance()->initialize(FrameSize));
    m_marker = new Model::PenTool(Model::Tool::Marker, &m_toolOwner);
}

void TestSceneReplace::init()
{
    TestSupport::clearSettings();
}

std::shared_ptr<StrokeLayer> TestSceneReplace::strokeLayer(QString const& name) const
{
    auto layer = std::make_shared<StrokeLayer>(QColor(200, 0, 0), FrameSize, nullptr);
    layer->setName(name);
    return layer;
}

void TestSceneReplace::build(StrokeLayer& layer, QString const& pattern) const
{
    auto& cells = layer.frames();
    cells.clear();
    for (QChar const ch : pattern) {
        if (ch == QLatin1Char('.')) {
            cells.append(std::make_shared<LayerItem>(cells.last()->drawing));
            continue;
        }
        auto drawing = std::make_shared<StrokeDrawing>(FrameSize);
        if (ch != QLatin1Char('0')) {
            // Each letter draws a line of its own across the frame.
            qreal const y = 10 + (ch.unicode() - u'A') * 7 % 80;
            QVERIFY(drawing->appendStroke(
                StrokeFixtures::strokeThrough(m_marker, {{20, y}, {100, y + 5}, {180, y}})));
        }
        drawing->setName(QString(ch));
        cells.append(std::make_shared<LayerItem>(LayerItem::Original, QUuid::createUuid(), drawing));
        cells.last()->offPegsTransform = QTransform::fromTranslate(cells.size(), 1);
    }
}

void TestSceneReplace::holdRefusedOnTheFirstFrame()
{
    EditScene s;
    QStringList const before = Structure::of(s.scene);
    auto const spies = Fixture::spyOnAllSignals(&s.scene);
    QVERIFY(s.scene.replaceDrawingWithHold(EditScene::Ink, 1, false).isEmpty());
    QVERIFY(s.scene.replaceDrawingWithHold(EditScene::Ink, 9, false).isEmpty());
    QVERIFY(s.scene.replaceDrawingWithHold(EditScene::Audio, 2, false).isEmpty());
    QCOMPARE(Structure::of(s.scene), before);
    QCOMPARE(Fixture::caught(spies), QStringList());
}

void TestSceneReplace::holdOfAHoldChangesNoCell()
{
    EditScene s;
    QStringList const before = Structure::of(s.scene);
    QSignalSpy drawings(&s.scene, &Model::Scene::drawingsChanged);
    QSignalSpy kind(&s.scene, &Model::Scene::currentDrawingTypeUpdated);
    QVERIFY(s.scene.replaceDrawingWithHold(EditScene::Ink, 2, false).isEmpty());
    QCOMPARE(Structure::of(s.scene), before);
    // The finishing steps run all the same.
    QCOMPARE(reportedCells(drawings), (Cells{{2, 0}, {3, 0}}));
    QCOMPARE(kind.count(), 1);
}

void TestSceneReplace::holdInPlaceOfAnOriginalWithTwoClones()
{
    Model::Scene scene;
    auto const one = strokeLayer("one");
    auto const two = strokeLayer("two");
    auto const three = strokeLayer("three");
    build(*one, "PQ.");
    build(*two, "0R");
    build(*three, "0");
    for (auto const& layer : {one, two, three})
        scene.addLayer(layer, scene.numLayers());
    Fixture::link(*one, 2, *two, 1);
    Fixture::link(*one, 2, *three, 1);
    scene.setFrameRange(1, 3, 1, 0);
    auto const q = one->layerItem(2);
    auto const qDrawing = q->drawing;
    QStringList const before = Structure::of(scene);
    QSignalSpy drawings(&scene, &Model::Scene::drawingsChanged);

    QList<SceneChange> const changes = scene.replaceDrawingWithHold(0, 2, false);

    QCOMPARE(changes.size(), 1);
    QCOMPARE(changes.first().kind, int(LayerChange::ReplaceCell));
    QCOMPARE(changes.first().frame, 2);
    QCOMPARE(changes.first().layer, 0);
    auto const first = two->layerItem(1);
    auto const second = three->layerItem(1);
    QCOMPARE(first->kind, int(LayerItem::Original));
    QVERIFY(first->original.isNull());
    QCOMPARE(first->clones, QList<Model::DrawingRef>{Fixture::ref(*three, 1)});
    QCOMPARE(second->original, Fixture::ref(*two, 1));
    QCOMPARE(first->drawing, qDrawing);
    QCOMPARE(second->drawing, qDrawing);
    QCOMPARE(q->kind, int(LayerItem::Hold));
    QCOMPARE(q->drawing, one->layerItem(1)->drawing);
    QCOMPARE(one->layerItem(3)->drawing, one->layerItem(1)->drawing);
    QCOMPARE(reportedCells(drawings), (Cells{{1, 0}, {1, 1}, {2, 0}, {3, 0}}));

    scene.addChanges(changes);
    QCOMPARE(Structure::of(scene), before);
}

void TestSceneReplace::originalFromAHoldIsIndependent()
{
    Model::Scene scene;
    auto const layer = strokeLayer("one");
    build(*layer, "P..");
    scene.addLayer(layer, 0);
    scene.setFrameRange(1, 3, 1, 0);
    QStringList const before = Structure::of(scene);
    auto const p = std::static_pointer_cast<StrokeDrawing>(layer->layerItem(1)->drawing);
    QImage const pBuffer = p->buffer().copy();
    QUuid const copyId = QUuid::createUuid();
    QSignalSpy drawings(&scene, &Model::Scene::drawingsChanged);

    QList<SceneChange> const changes = scene.replaceDrawingWithOriginal(0, 3, copyId);
    QCOMPARE(changes.size(), 1);
    QVERIFY(!changes.first().cell->drawing);
    auto const cell = layer->layerItem(3);
    QCOMPARE(cell->kind, int(LayerItem::Original));
    QVERIFY(cell->drawing != layer->layerItem(1)->drawing);
    QCOMPARE(cell->drawing->currentCopyId(), copyId);
    auto const own = std::static_pointer_cast<StrokeDrawing>(cell->drawing);
    QCOMPARE(own->buffer(), pBuffer);
    // The hold before it is reported with it.
    QCOMPARE(reportedCells(drawings), (Cells{{2, 0}, {3, 0}}));

    // Drawing on the new original leaves the drawing before it alone.
    QVERIFY(own->appendStroke(StrokeFixtures::strokeThrough(m_marker, {{10, 90}, {190, 90}})));
    QCOMPARE(p->buffer(), pBuffer);

    // An original stays as it is.
    QVERIFY(scene.replaceDrawingWithOriginal(0, 1, copyId).isEmpty());

    scene.addChanges(changes);
    QCOMPARE(Structure::of(scene), before);
}

void TestSceneReplace::originalFromADistantCloneLeavesItsOriginal()
{
    EditScene s;
    auto const a = s.ink->layerItem(1);
    QList<SceneChange> const changes = s.scene.replaceDrawingWithOriginal(EditScene::Paper, 3, QUuid());
    QCOMPARE(changes.size(), 1);
    QCOMPARE(a->clones, QList<Model::DrawingRef>{Fixture::ref(*s.ink, 5)});
    auto const cell = s.paper->layerItem(3);
    QCOMPARE(cell->kind, int(LayerItem::Original));
    QVERIFY(cell->original.isNull());
    QVERIFY(cell->drawing != a->drawing);
}

void TestSceneReplace::distantCloneRefusesTargets_data()
{
    QTest::addColumn<int>("layer");
    QTest::addColumn<int>("frame");
    QTest::addColumn<int>("targetLayer");
    QTest::addColumn<int>("targetFrame");

    QTest::newRow("a drawing of a reference layer") << 0 << 2 << 4 << 1;
    QTest::newRow("the cell itself") << 0 << 4 << 0 << 4;
    QTest::newRow("a hold") << 0 << 4 << 1 << 2;
    QTest::newRow("another distant clone") << 0 << 4 << 1 << 3;
    QTest::newRow("no such target") << 0 << 4 << 1 << 9;
    QTest::newRow("past the layer") << 0 << 9 << 1 << 1;
    QTest::newRow("frame 0") << 0 << 0 << 1 << 1;
    QTest::newRow("the annotation layer") << 6 << 1 << 1 << 1;
}

void TestSceneReplace::distantCloneRefusesTargets()
{
    QFETCH(int, layer);
    QFETCH(int, frame);
    QFETCH(int, targetLayer);
    QFETCH(int, targetFrame);

    EditScene s;
    QStringList const before = Structure::of(s.scene);
    auto const spies = Fixture::spyOnAllSignals(&s.scene);
    QVERIFY(s.scene
                .replaceDrawingWithDistantClone(layer, frame,
                                                s.scene.drawingIdentifier(targetLayer, targetFrame),
                                                false)
                .isEmpty());
    QCOMPARE(Structure::of(s.scene), before);
    QCOMPARE(Fixture::caught(spies), QStringList());
}

void TestSceneReplace::distantCloneJoinsItsTargetsList()
{
    EditScene s;
    auto const b = s.ink->layerItem(4);
    auto const d = s.paper->layerItem(1);
    QUuid const copyId = b->drawing->createCopyId();
    QSignalSpy drawings(&s.scene, &Model::Scene::drawingsChanged);

    QList<SceneChange> const changes = s.scene.replaceDrawingWithDistantClone(
        EditScene::Ink, 4, s.scene.drawingIdentifier(EditScene::Paper, 1), false);

    QCOMPARE(changes.size(), 1);
    // The saved drawing keeps the copy identifier, which the paste command
    // recognises drawings by.
    QCOMPARE(changes.first().cell->drawing->currentCopyId(), copyId);
    QCOMPARE(b->kind, int(LayerItem::DistantClone));
    QCOMPARE(b->original, Fixture::ref(*s.paper, 1));
    QCOMPARE(b->drawing, d->drawing);
    QVERIFY(b->clones.isEmpty());
    QCOMPARE(d->clones, QList<Model::DrawingRef>{Fixture::ref(*s.ink, 4)});
    // B's clone on the sketch layer holds B's drawing on as an original.
    QCOMPARE(s.sketch->layerItem(4)->kind, int(LayerItem::Original));
    QCOMPARE(reportedCells(drawings), (Cells{{1, 1}, {4, 0}, {4, 2}}));
}

void TestSceneReplace::cutOnAHoldCutsTheSharedDrawing()
{
    Model::Scene scene;
    auto const one = strokeLayer("one");
    auto const two = strokeLayer("two");
    build(*one, "PQ..");
    build(*two, "0R.");
    scene.addLayer(one, 0);
    scene.addLayer(two, 1);
    Fixture::link(*one, 2, *two, 1);
    scene.fixupReferences();
    scene.setFrameRange(1, 4, 1, 0);
    QStringList const before = Structure::of(scene);
    auto const q = std::static_pointer_cast<StrokeDrawing>(one->layerItem(2)->drawing);
    QImage const uncut = q->buffer().copy();
    QSignalSpy drawings(&scene, &Model::Scene::drawingsChanged);
    QSignalSpy rect(&scene, &Model::Scene::rectChanged);

    QRectF const area(60.3, 0, 40.2, 100);
    QList<SceneChange> const changes = scene.appendCut(0, 4, rectPath(area));

    QCOMPARE(Fixture::describe(changes), QStringLiteral("2@2:0"));
    QVERIFY(q->buffer() != uncut);
    // The original, its holds and its distant clone all show the cut drawing.
    for (int f = 2; f <= 4; ++f)
        QCOMPARE(one->layerItem(f)->drawing, std::shared_ptr<Model::Drawing>(q));
    QCOMPARE(two->layerItem(1)->drawing, std::shared_ptr<Model::Drawing>(q));
    QCOMPARE(rect.last().first().toRect(), QRect(60, 0, 41, 100));
    QCOMPARE(reportedCells(drawings), (Cells{{1, 1}, {2, 0}, {3, 0}, {4, 0}}));

    scene.addChanges(changes);
    QCOMPARE(Structure::of(scene), before);
    QCOMPARE(std::static_pointer_cast<StrokeDrawing>(one->layerItem(3)->drawing)->buffer(), uncut);
}

void TestSceneReplace::cutThroughADistantCloneCutsItsOriginal()
{
    Model::Scene scene;
    auto const one = strokeLayer("one");
    auto const two = strokeLayer("two");
    build(*one, "PQ");
    build(*two, "0R.");
    scene.addLayer(one, 0);
    scene.addLayer(two, 1);
    Fixture::link(*one, 2, *two, 2);
    scene.fixupReferences();
    scene.setFrameRange(1, 3, 1, 0);
    QStringList const before = Structure::of(scene);

    QList<SceneChange> const changes = scene.appendCut(1, 3, rectPath(QRectF(0, 0, 100, 100)));
    QCOMPARE(Fixture::describe(changes), QStringLiteral("2@2:0"));
    QCOMPARE(changes.first().cell->identifier, one->layerItem(2)->identifier);
    QVERIFY(Structure::of(scene) != before);
    scene.addChanges(changes);
    QCOMPARE(Structure::of(scene), before);
}

void TestSceneReplace::cutThatTakesNothingIsNoStep_data()
{
    QTest::addColumn<int>("frame");
    QTest::addColumn<QRectF>("area");
    QTest::addColumn<bool>("hidden");

    QTest::newRow("a drawing without strokes") << 1 << QRectF(0, 0, 200, 100) << false;
    QTest::newRow("an empty path") << 2 << QRectF() << false;
    QTest::newRow("a hidden layer") << 2 << QRectF(0, 0, 200, 100) << true;
    QTest::newRow("past the layer") << 4 << QRectF(0, 0, 200, 100) << false;
}

void TestSceneReplace::cutThatTakesNothingIsNoStep()
{
    QFETCH(int, frame);
    QFETCH(QRectF, area);
    QFETCH(bool, hidden);

    Model::Scene scene;
    auto const layer = strokeLayer("one");
    build(*layer, "0Q.");
    scene.addLayer(layer, 0);
    layer->setVisible(!hidden);
    QStringList const before = Structure::of(scene);
    auto const spies = Fixture::spyOnAllSignals(&scene);
    QVERIFY(scene.appendCut(0, frame, area.isNull() ? QPainterPath() : rectPath(area)).isEmpty());
    QCOMPARE(Structure::of(scene), before);
    QCOMPARE(Fixture::caught(spies), QStringList());
}

void TestSceneReplace::mergeExtendsAndAddsTheSource()
{
    Model::Scene scene;
    auto const source = strokeLayer("source");
    auto const destination = strokeLayer("destination");
    auto const elsewhere = strokeLayer("elsewhere");
    build(*source, "S.T");
    build(*destination, "D");
    build(*elsewhere, "0");
    for (auto const& layer : {source, destination, elsewhere})
        scene.addLayer(layer, scene.numLayers());
    Fixture::link(*destination, 1, *elsewhere, 1);
    auto const dDrawing = destination->layerItem(1)->drawing;
    auto const bufferOf = [](std::shared_ptr<Model::Drawing> const& drawing) {
        return std::static_pointer_cast<StrokeDrawing>(drawing)->buffer();
    };
    // What a frame must show: its own drawing with the source's on top.
    auto const merged = [](std::shared_ptr<Model::Drawing> const& own,
                           std::shared_ptr<Model::Drawing> const& added) {
        std::unique_ptr<StrokeDrawing> copy(std::static_pointer_cast<StrokeDrawing>(own)->clone());
        copy->add(added.get());
        return copy->buffer();
    };
    auto const blank = std::make_shared<StrokeDrawing>(FrameSize);
    QImage const expected1 = merged(dDrawing, source->layerItem(1)->drawing);
    QImage const expected2 = merged(blank, source->layerItem(1)->drawing);
    QImage const expected3 = merged(blank, source->layerItem(3)->drawing);
    QImage const dBuffer = bufferOf(dDrawing).copy();
    source->layerItem(3)->keyDrawing = true;
    QTransform const offPegs = QTransform::fromTranslate(5, 6);
    source->layerItem(2)->offPegsTransform = offPegs;
    QSignalSpy drawings(&scene, &Model::Scene::drawingsChanged);

    scene.copyLayerOnto(0, 1);

    QCOMPARE(destination->length(), 3);
    for (int f = 1; f <= 3; ++f)
        QCOMPARE(destination->drawingType(f), int(LayerItem::Original));
    QVERIFY(destination->layerItem(1)->drawing != dDrawing);
    QCOMPARE(bufferOf(destination->layerItem(1)->drawing), expected1);
    QCOMPARE(bufferOf(destination->layerItem(2)->drawing), expected2);
    QCOMPARE(bufferOf(destination->layerItem(3)->drawing), expected3);
    QVERIFY(expected2 != expected3);
    QCOMPARE(destination->layerItem(2)->offPegsTransform, offPegs);
    QVERIFY(destination->isKeyDrawing(3));
    // The source is left as it was; the old clone keeps the old drawing.
    QCOMPARE(Fixture::describe(*source), QStringLiteral("S.T"));
    QCOMPARE(elsewhere->layerItem(1)->kind, int(LayerItem::Original));
    QCOMPARE(elsewhere->layerItem(1)->drawing, dDrawing);
    QCOMPARE(bufferOf(dDrawing), dBuffer);
    QCOMPARE(reportedCells(drawings), (Cells{{1, 2}}));
}

void TestSceneReplace::mergeRefusesOtherLayers_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<int>("destination");

    QTest::newRow("onto itself") << 0 << 0;
    QTest::newRow("onto a reference layer") << 0 << 1;
    QTest::newRow("from a reference layer") << 1 << 0;
    QTest::newRow("no such layer") << 0 << 5;
}

void TestSceneReplace::mergeRefusesOtherLayers()
{
    QFETCH(int, source);
    QFETCH(int, destination);

    Model::Scene scene;
    auto const strokes = strokeLayer("strokes");
    build(*strokes, "S.T");
    scene.addLayer(strokes, 0);
    auto const reference = std::make_shared<Model::ReferenceLayer>(FrameSize, nullptr);
    scene.addLayer(reference, 1);
    QStringList const before = Structure::of(scene);
    auto const spies = Fixture::spyOnAllSignals(&scene);
    scene.copyLayerOnto(source, destination);
    QCOMPARE(Structure::of(scene), before);
    QCOMPARE(Fixture::caught(spies), QStringList());
}

void TestSceneReplace::restoredCloneWithoutOriginalGetsItsLayersBlank()
{
    Model::Scene scene;
    auto const strokes = strokeLayer("strokes");
    build(*strokes, "PQ");
    scene.addLayer(strokes, 0);
    auto const reference = std::make_shared<Model::ReferenceLayer>(FrameSize, nullptr);
    scene.addLayer(reference, 1);

    // A stroke-layer cell whose original is gone gets a blank stroke drawing
    // of the layer's frame size.
    auto const lost = std::make_shared<LayerItem>(LayerItem::DistantClone,
                                                  strokes->layerItem(2)->identifier, nullptr);
    lost->original = Model::DrawingRef{reference->identifier(), QUuid::createUuid()};
    // A reference-layer cell whose original is a stroke drawing gets a blank
    // picture instead.
    auto const foreign = std::make_shared<LayerItem>(LayerItem::DistantClone,
                                                     reference->layerItem(1)->identifier, nullptr);
    foreign->original = Fixture::ref(*strokes, 1);

    scene.addChanges({SceneChange(LayerChange::ReplaceCell, 2, lost, 0),
                      SceneChange(LayerChange::ReplaceCell, 1, foreign, 1)});

    QCOMPARE(lost->kind, int(LayerItem::Original));
    auto const* blankStrokes = dynamic_cast<StrokeDrawing const*>(lost->drawing.get());
    QVERIFY(blankStrokes);
    QCOMPARE(blankStrokes->size(), FrameSize);
    QCOMPARE(blankStrokes->numTotalStrokes(), 0);

    QCOMPARE(foreign->kind, int(LayerItem::Original));
    QVERIFY(foreign->original.isNull());
    QVERIFY(reference->imageDrawing(0));
    QVERIFY(reference->imageDrawing(0)->image().isNull());
    QVERIFY(strokes->layerItem(1)->clones.isEmpty());
}

QUILLMERE_TEST_MAIN(TestSceneReplace)
#include "tst_scenereplace.moc"
