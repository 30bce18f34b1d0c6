// The scene's questions about single cells and the per-cell and per-layer
// edits that need no undo records of their own: cell kinds, the original a
// cell shows (past the layer's end too), the cells sharing a drawing, copy
// identifiers, colours and opacities, key drawings, off-pegs transforms and
// annotation images.
#include "TestSupport.h"

#include "SceneFixture.h"

#include "drawings/ImageDrawing.h"
#include "scene/StrokeLayer.h"
#include "settings/BacklightSettings.h"

#include <QUndoStack>

namespace {

using Cells = QList<std::pair<int, int>>;

// 0 "a"      A . . B *    the clone shows C
// 1 "b"      C * .        the clone shows A, then a hold of it
// 2 "pics"   reference layer of one picture
// 3 "sound"  audio layer
// 4 "notes"  annotation layer
// Nothing is off the pegs.
struct QueryScene
{
    QueryScene()
    {
        a = std::make_shared<FixtureDrawLayer>(QStringLiteral("a"));
        b = std::make_shared<FixtureDrawLayer>(QStringLiteral("b"));
        Fixture::build(*a, QStringLiteral("A..B*"));
        Fixture::build(*b, QStringLiteral("C*."));
        Fixture::link(*b, 1, *a, 5);
        Fixture::link(*a, 1, *b, 2);
        b->frames()[2]->drawing = b->frames()[1]->drawing;
        pictures = std::make_shared<Model::ReferenceLayer>(QSize(1000, 500), nullptr);
        for (auto const& layer : {a, b})
            for (auto const& cell : layer->frames())
                cell->offPegsTransform = QTransform();
        scene.addLayer(a, 0);
        scene.addLayer(b, 1);
        scene.addLayer(pictures, 2);
        scene.addLayer(std::make_shared<Model::AudioLayer>(nullptr), 3);
        scene.addLayer(std::make_shared<Model::AnnotationLayer>(nullptr), 4);
        scene.setFrameRange(1, 5, 1, 0);
    }

    Model::DrawingRef ref(Model::VisualLayer const& layer, int frame) const
    {
        return Fixture::ref(layer, frame);
    }

    Model::Scene scene;
    std::shared_ptr<FixtureDrawLayer> a;
    std::shared_ptr<FixtureDrawLayer> b;
    std::shared_ptr<Model::ReferenceLayer> pictures;
};

} // namespace

class TestSceneCellQueries : public QObject
{
    Q_OBJECT

private slots:
    void cellKinds_data();
    void cellKinds();
    void kindsPastTheEnd_data();
    void kindsPastTheEnd();
    void originalShownAtACell_data();
    void originalShownAtACell();
    void originalPastTheEnd_data();
    void originalPastTheEnd();
    void cellsSharingADrawing_data();
    void cellsSharingADrawing();
    void lookupsByIdentifier();
    void lookupByCopyIdentifier();
    void coloursAndOpacities();
    void keyDrawingIsSetBeforeItIsReported();
    void keyDrawingsMoveTheKeyOnlyBacklight();
    void offPegsChangesGoToTheLayerOffThePegs();
    void annotationImages();
    void thumbnailsAndToolTipsByLayerKind();
    void virtualLastFrameOfTheActiveCell();
};

void TestSceneCellQueries::cellKinds_data()
{
    QTest::addColumn<int>("layer");
    QTest::addColumn<int>("frame");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("lastHold");
    QTest::addColumn<bool>("virtualLast");

    QTest::newRow("original") << 0 << 1 << 0 << false << false;
    QTest::newRow("hold") << 0 << 2 << 1 << false << false;
    QTest::newRow("last hold") << 0 << 3 << 1 << true << false;
    QTest::newRow("hold after a clone") << 1 << 3 << 1 << true << false;
    QTest::newRow("distant clone") << 0 << 5 << 2 << false << false;
    QTest::newRow("virtual last frame") << 0 << 6 << 3 << false << true;
    QTest::newRow("past it") << 0 << 7 << 3 << false << false;
    QTest::newRow("frame 0") << 0 << 0 << 3 << false << false;
    QTest::newRow("reference layer") << 2 << 1 << 0 << false << false;
    QTest::newRow("audio layer") << 3 << 1 << 3 << false << false;
    QTest::newRow("annotation layer") << 4 << 1 << 3 << false << false;
    QTest::newRow("past the list") << 5 << 1 << 3 << false << false;
    QTest::newRow("negative index") << -1 << 1 << 3 << false << false;
}

void TestSceneCellQueries::cellKinds()
{
    QFETCH(int, layer);
    QFETCH(int, frame);
    QFETCH(int, kind);
    QFETCH(bool, lastHold);
    QFETCH(bool, virtualLast);

    QueryScene s;
    Model::Scene const& scene = s.scene;
    QCOMPARE(scene.drawingType(layer, frame), kind);
    QCOMPARE(scene.isOriginalFrame(layer, frame), kind == 0);
    QCOMPARE(scene.isHoldFrame(layer, frame), kind == 1);
    QCOMPARE(scene.isDistantCloneFrame(layer, frame), kind == 2);
    QCOMPARE(scene.isLastHoldFrame(layer, frame), lastHold);
    QCOMPARE(scene.isVirtualLastFrame(layer, frame), virtualLast);
    QCOMPARE(scene.lookupLayerItem(layer, frame) != nullptr, kind != 3);
    QVERIFY(!scene.isKeyDrawing(layer, frame));
}

void TestSceneCellQueries::kindsPastTheEnd_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QList<int>>("kinds"); // frames 1 to 9 of layer b (C * .)

    QTest::newRow("show nothing") << int(Model::Layer::showNothing)
                                  << QList<int>{0, 2, 1, 3, 3, 3, 3, 3, 3};
    QTest::newRow("freeze the last") << int(Model::Layer::freezeLast)
                                     << QList<int>{0, 2, 1, 1, 1, 1, 1, 1, 1};
    QTest::newRow("cycle") << int(Model::Layer::cycleDrawings)
                           << QList<int>{0, 2, 1, 0, 2, 1, 0, 2, 1};
}

void TestSceneCellQueries::kindsPastTheEnd()
{
    QFETCH(int, mode);
    QFETCH(QList<int>, kinds);

    QueryScene s;
    s.scene.setLayerBeyondLast(1, Model::Layer::LayerBeyondLast(mode));
    QList<int> actual;
    for (int frame = 1; frame <= 9; ++frame)
        actual << s.scene.drawingTypeBeyond(1, frame);
    QCOMPARE(actual, kinds);
    QCOMPARE(s.scene.drawingTypeBeyond(3, 1), 3);
    QCOMPARE(s.scene.drawingTypeBeyond(1, 0), 3);
}

void TestSceneCellQueries::originalShownAtACell_data()
{
    QTest::addColumn<int>("layer");
    QTest::addColumn<int>("frame");
    QTest::addColumn<QString>("original"); // "layer/frame" of the original, "-" for none

    QTest::newRow("an original itself") << 0 << 1 << "0/1";
    QTest::newRow("a hold: the original before it") << 0 << 3 << "0/1";
    QTest::newRow("a distant clone: its original") << 0 << 5 << "1/1";
    QTest::newRow("a hold after a clone: the clone's original") << 1 << 3 << "0/1";
    QTest::newRow("the virtual last frame") << 0 << 6 << "-";
    QTest::newRow("frame 0") << 0 << 0 << "-";
    QTest::newRow("an audio layer") << 3 << 1 << "-";
    QTest::newRow("no such layer") << 7 << 1 << "-";
}

void TestSceneCellQueries::originalShownAtACell()
{
    QFETCH(int, layer);
    QFETCH(int, frame);
    QFETCH(QString, original);

    QueryScene s;
    Model::DrawingRef expected;
    if (original != QLatin1String("-")) {
        auto const* owner = original.startsWith(QLatin1Char('0')) ? s.a.get() : s.b.get();
        expected = s.ref(*owner, original.section(QLatin1Char('/'), 1).toInt());
    }
    QCOMPARE(s.scene.lookupOriginalRef(layer, frame), expected);
    if (auto const l = s.scene.layer(layer))
        QCOMPARE(s.scene.lookupOriginalRef(l->identifier(), frame), expected);
}

void TestSceneCellQueries::originalPastTheEnd_data()
{
    QTest::addColumn<int>("mode");
    // The frame of layer a that answers for frames 1 to 12, 0 for none.
    QTest::addColumn<QList<int>>("frames");

    QTest::newRow("show nothing") << int(Model::Layer::showNothing)
                                  << QList<int>{1, 2, 3, 4, 5, 0, 0, 0, 0, 0, 0, 0};
    QTest::newRow("freeze the last") << int(Model::Layer::freezeLast)
                                     << QList<int>{1, 2, 3, 4, 5, 5, 5, 5, 5, 5, 5, 5};
    QTest::newRow("cycle") << int(Model::Layer::cycleDrawings)
                           << QList<int>{1, 2, 3, 4, 5, 1, 2, 3, 4, 5, 1, 2};
}

void TestSceneCellQueries::originalPastTheEnd()
{
    QFETCH(int, mode);
    QFETCH(QList<int>, frames);

    QueryScene s;
    s.scene.setLayerBeyondLast(0, Model::Layer::LayerBeyondLast(mode));
    for (int frame = 1; frame <= 12; ++frame) {
        int const answering = frames.at(frame - 1);
        Model::DrawingRef const expected =
            answering == 0 ? Model::DrawingRef() : s.scene.lookupOriginalRef(0, answering);
        QCOMPARE(s.scene.lookupOriginalRefBeyond(0, frame), expected);
        QCOMPARE(s.scene.lookupOriginalRefBeyond(s.a->identifier(), frame), expected);
    }
    QVERIFY(s.scene.lookupOriginalRefBeyond(0, 0).isNull());
    QVERIFY(s.scene.lookupOriginalRefBeyond(3, 1).isNull());

    // A layer without cells has nothing to cycle over.
    auto empty = std::make_shared<FixtureDrawLayer>();
    empty->frames().clear();
    empty->setLayerBeyondLast(Model::Layer::LayerBeyondLast(mode));
    int const index = s.scene.addLayer(empty, s.scene.numLayers());
    QVERIFY(s.scene.lookupOriginalRefBeyond(index, 3).isNull());
}

void TestSceneCellQueries::cellsSharingADrawing_data()
{
    QTest::addColumn<int>("layer");
    QTest::addColumn<int>("frame");
    QTest::addColumn<Cells>("cells");

    QTest::newRow("an original with a clone") << 0 << 1 << Cells{{1, 0}, {2, 1}};
    QTest::newRow("the clone: its original first") << 1 << 2 << Cells{{1, 0}, {2, 1}};
    QTest::newRow("a clone on the other layer") << 0 << 5 << Cells{{1, 1}, {5, 0}};
    QTest::newRow("an original without clones") << 0 << 4 << Cells{{4, 0}};
    QTest::newRow("a hold has no list") << 0 << 2 << Cells{};
    QTest::newRow("the virtual last frame") << 0 << 6 << Cells{};
    QTest::newRow("an audio layer") << 3 << 1 << Cells{};
}

void TestSceneCellQueries::cellsSharingADrawing()
{
    QFETCH(int, layer);
    QFETCH(int, frame);
    QFETCH(Cells, cells);

    QueryScene s;
    // A stale entry in a clone list is passed over.
    s.a->layerItem(1)->clones.prepend(Model::DrawingRef{QUuid::createUuid(), QUuid::createUuid()});
    QCOMPARE(s.scene.cloneIndices(layer, frame), cells);

    // A clone whose original is gone has nothing to share.
    s.b->layerItem(2)->original = Model::DrawingRef{s.a->identifier(), QUuid::createUuid()};
    QCOMPARE(s.scene.cloneIndices(1, 2), Cells{});
}

void TestSceneCellQueries::lookupsByIdentifier()
{
    QueryScene s;
    QCOMPARE(s.scene.lookupLayerIdx(s.b->identifier()), 1);
    QCOMPARE(s.scene.lookupLayerIdx(QUuid::createUuid()), -1);
    QCOMPARE(s.scene.lookupLayerIdx(QUuid()), -1);

    int layer = -7;
    int frame = -7;
    Model::DrawingRef const b4 = s.ref(*s.a, 4);
    QVERIFY(s.scene.hasDrawing(b4.layer, b4.drawing, &layer, &frame));
    QCOMPARE(layer, 0);
    QCOMPARE(frame, 4);
    layer = frame = -7;
    QVERIFY(!s.scene.hasDrawing(b4.layer, QUuid::createUuid(), &layer, &frame));
    QCOMPARE(layer, -7);
    QCOMPARE(frame, -7);
    QVERIFY(s.scene.hasDrawing(b4.layer, b4.drawing));
}

void TestSceneCellQueries::lookupByCopyIdentifier()
{
    QueryScene s;
    // C's drawing is shared by its distant clone on layer a; only the
    // original is found.
    QUuid const copied = s.b->layerItem(1)->drawing->createCopyId();
    Model::DrawingRef ref;
    int layer = -7;
    int frame = -7;
    QCOMPARE(s.scene.lookupCopyId(copied, &ref, &layer, &frame), s.b->layerItem(1));
    QCOMPARE(ref, s.ref(*s.b, 1));
    QCOMPARE(layer, 1);
    QCOMPARE(frame, 1);
    QCOMPARE(s.scene.lookupCopyId(copied), s.b->layerItem(1));

    // The first original by layer, then frame, wins.
    s.a->layerItem(4)->drawing->setCopyId(copied);
    QCOMPARE(s.scene.lookupCopyId(copied, nullptr, &layer, &frame), s.a->layerItem(4));
    QCOMPARE(layer, 0);
    QCOMPARE(frame, 4);

    // Nothing found: the out-arguments are left alone. Drawings never
    // copied have no identifier, and the null one names none of them.
    layer = frame = -7;
    ref = Model::DrawingRef();
    QVERIFY(!s.scene.lookupCopyId(QUuid::createUuid(), &ref, &layer, &frame));
    QVERIFY(!s.scene.lookupCopyId(QUuid(), &ref, &layer, &frame));
    QCOMPARE(layer, -7);
    QCOMPARE(frame, -7);
    QVERIFY(ref.isNull());
}

void TestSceneCellQueries::coloursAndOpacities()
{
    QueryScene s;
    auto strokes =
        std::make_shared<Model::StrokeLayer>(QColor(10, 20, 30), QSize(1000, 500), nullptr);
    int const index = s.scene.addLayer(strokes, s.scene.numLayers());

    QCOMPARE(s.scene.layerColor(index), QColor(10, 20, 30));
    QCOMPARE(s.scene.layerColor(0), QColor(Qt::black)); // a draw layer that keeps no colour
    QCOMPARE(s.scene.layerColor(2), QColor(Qt::black));
    QVERIFY(!s.scene.layerColor(3).isValid());
    QVERIFY(!s.scene.layerColor(99).isValid());
    QCOMPARE(s.scene.layerOpacity(2), 0.5);
    QCOMPARE(s.scene.layerOpacity(3), 0.0);
    QCOMPARE(s.scene.layerOpacity(-1), 0.0);

    auto const spies = Fixture::spyOnAllSignals(&s.scene);
    QVERIFY(!s.scene.setLayerColor(2, Qt::red));
    QVERIFY(!s.scene.setLayerColor(3, Qt::red));
    QVERIFY(!s.scene.setLayerOpacity(3, 0.5));
    QVERIFY(!s.scene.setLayerOpacity(99, 0.5));
    QCOMPARE(Fixture::caught(spies), QStringList());
    QCOMPARE(s.scene.layerColor(2), QColor(Qt::black));

    QSignalSpy colour(&s.scene, &Model::Scene::layerColorChanged);
    QSignalSpy opacity(&s.scene, &Model::Scene::layerOpacityChanged);
    QSignalSpy layers(&s.scene, &Model::Scene::layersChanged);
    QSignalSpy rect(&s.scene, &Model::Scene::rectChanged);
    QVERIFY(s.scene.setLayerColor(index, Qt::red));
    QCOMPARE(strokes->color(), QColor(Qt::red));
    QCOMPARE(colour.at(0).at(0).toInt(), index);
    QCOMPARE(colour.at(0).at(1).value<QColor>(), QColor(Qt::red));
    QVERIFY(s.scene.setLayerOpacity(0, 1.5));
    QCOMPARE(s.scene.layerOpacity(0), 1.0);
    QCOMPARE(opacity.at(0), (QVariantList{0, 1.0}));
    QVERIFY(s.scene.setLayerOpacity(2, -0.5));
    QCOMPARE(s.scene.layerOpacity(2), 0.0);
    QCOMPARE(layers.count(), 3);
    QCOMPARE(layers.at(0), (QVariantList{index, index}));
    QCOMPARE(rect.count(), 3);
    QCOMPARE(rect.at(0).at(0).toRect(), QRect(QPoint(0, 0), s.scene.frameSize()));
}

void TestSceneCellQueries::keyDrawingIsSetBeforeItIsReported()
{
    QueryScene s;
    QList<bool> seen;
    connect(&s.scene, &Model::Scene::drawingsChanged, this, [&](Cells const& cells) {
        for (auto const& [frame, layer] : cells)
            seen << s.scene.isKeyDrawing(layer, frame);
    });
    QSignalSpy drawings(&s.scene, &Model::Scene::drawingsChanged);
    s.scene.setKeyDrawing(0, 4, true);
    QVERIFY(s.scene.isKeyDrawing(0, 4));
    QCOMPARE(drawings.count(), 1);
    QCOMPARE(drawings.at(0).at(0).value<Cells>(), (Cells{{4, 0}}));
    s.scene.setKeyDrawing(0, 4, false);
    QCOMPARE(seen, (QList<bool>{true, false}));
    QVERIFY(!s.scene.isKeyDrawing(0, 4));

    // Layers without cells and cells that do not exist: nothing happens.
    s.scene.setKeyDrawing(3, 1, true);
    s.scene.setKeyDrawing(0, 6, true);
    s.scene.setKeyDrawing(8, 1, true);
    QCOMPARE(drawings.count(), 2);
}

void TestSceneCellQueries::keyDrawingsMoveTheKeyOnlyBacklight()
{
    QueryScene s;
    s.scene.setFrameRange(1, 5, 4, 0);
    Model::BacklightSettings settings;
    settings.enabled = true;
    settings.onlyKeyFrames = true;
    settings.settingA.opacityLevelsBefore = {0.5};
    settings.settingA.opacityLevelsAfter.clear();
    s.scene.setBacklightSettings(settings);
    QVERIFY(s.scene.backlightFrames().isEmpty());

    QSignalSpy framesChanged(&s.scene, &Model::Scene::backlightFramesChanged);
    s.scene.setKeyDrawing(0, 2, true);
    QCOMPARE(framesChanged.count(), 1);
    QCOMPARE(s.scene.backlightFrames().size(), 1);
    QCOMPARE(s.scene.backlightFrames().at(0).frame, 2);
}

void TestSceneCellQueries::offPegsChangesGoToTheLayerOffThePegs()
{
    QueryScene s;
    s.scene.setFrameRange(1, 5, 3, 1);
    QCOMPARE(s.scene.activeLayerIdx(), 1);
    QCOMPARE(s.scene.activeFrame(), 3);
    QVERIFY(!s.scene.isOffPegs(3));

    QSignalSpy offPegs(&s.scene, &Model::Scene::offPegsTransformChanged);
    QSignalSpy drawings(&s.scene, &Model::Scene::drawingsChanged);
    // Nothing off the pegs at the active frame: the active layer moves.
    QTransform const right = QTransform::fromTranslate(7, 0);
    s.scene.setCurrentDrawingOffPegsTransform(right);
    QCOMPARE(s.scene.offPegsTransform(3, 1), right);
    int layer = -7;
    QVERIFY(s.scene.isOffPegs(3, &layer));
    QCOMPARE(layer, 1);
    QCOMPARE(offPegs.count(), 1);
    QCOMPARE(offPegs.at(0).at(0).value<QTransform>(), right);
    // Every visual layer's cell at the frame, in frame then layer order.
    QCOMPARE(drawings.at(0).at(0).value<Cells>(), (Cells{{3, 0}, {3, 1}, {3, 2}}));

    // The topmost layer off the pegs at the active frame keeps moving, even
    // when another layer is active; the two-argument form moves the chosen
    // layer at any frame.
    s.scene.setActiveFrameAndLayer(3, 0, Model::Scene::KeepWithinDrawnFrames);
    QTransform const down = QTransform::fromTranslate(0, 4);
    s.scene.setOffPegsTransform(3, down);
    QCOMPARE(s.scene.offPegsTransform(3, 1), down);
    QCOMPARE(s.scene.offPegsTransform(3, 0), QTransform());
    s.scene.setOffPegsTransform(1, down);
    QCOMPARE(s.scene.offPegsTransform(1, 1), down);
    QCOMPARE(s.scene.offPegsTransform(1, 0), QTransform());

    // The topmost of two layers off the pegs gives the scene's transform.
    s.scene.setOffPegsTransform(3, 0, right);
    QCOMPARE(s.scene.offPegsTransform(3, &layer), right);
    QCOMPARE(layer, 0);
    QVERIFY(s.scene.moveLayer(1, 1, 0));
    QCOMPARE(s.scene.offPegsTransform(3, &layer), down);
    QCOMPARE(layer, 1);

    // Off-pegs queries of cells that do not exist answer the identity, and
    // edits of them change nothing.
    QCOMPARE(s.scene.offPegsTransform(3, 3), QTransform());
    int const announced = drawings.count();
    s.scene.setOffPegsTransform(3, 3, right);
    s.scene.setOffPegsTransform(9, 0, right);
    QCOMPARE(drawings.count(), announced);
    QCOMPARE(s.scene.offPegsTransform(9, &layer), QTransform());
    QCOMPARE(layer, -1);
}

void TestSceneCellQueries::annotationImages()
{
    Model::Scene without;
    without.addLayer(std::make_shared<FixtureDrawLayer>(), 0);
    QVERIFY(!without.setAnnotationImage(1, QImage(4, 4, QImage::Format_Alpha8)));
    QVERIFY(without.annotationImage(1).isNull());

    QueryScene s;
    QImage notes(40, 10, QImage::Format_Alpha8);
    notes.fill(QColor(0, 0, 0, 200));
    QSignalSpy layers(&s.scene, &Model::Scene::layersChanged);
    QVERIFY(s.scene.setAnnotationImage(3, notes));
    QCOMPARE(layers.at(0), (QVariantList{4, 4}));
    QCOMPARE(s.scene.annotationImage(3), notes);
    QVERIFY(s.scene.annotationImage(2).isNull());
    QVERIFY(s.scene.undoStack()->count() == 0);
}

void TestSceneCellQueries::thumbnailsAndToolTipsByLayerKind()
{
    QueryScene s;
    QImage picture(100, 50, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::green);
    s.pictures->frames().first() = std::make_shared<Model::LayerItem>(
        Model::LayerItem::Original, QUuid::createUuid(),
        std::make_shared<Model::ImageDrawing>(picture));
    QImage notes(40, 10, QImage::Format_Alpha8);
    notes.fill(QColor(0, 0, 0, 200));
    QVERIFY(s.scene.setAnnotationImage(2, notes));

    QSize const size(32, 18);
    QVERIFY(!s.scene.thumbnail(2, 1, size).isNull());
    QVERIFY(s.scene.thumbnail(2, 2, size).isNull());
    QVERIFY(!s.scene.thumbnail(4, 2, size).isNull());
    QVERIFY(s.scene.thumbnail(4, 1, size).isNull());
    QVERIFY(s.scene.thumbnail(3, 1, size).isNull()); // an audio layer without sound
    QVERIFY(s.scene.thumbnail(9, 1, size).isNull());

    QCOMPARE(s.scene.toolTip(0, 1), s.a->toolTip(1));
    QVERIFY(!s.scene.toolTip(0, 1).isEmpty());
    QVERIFY(s.scene.toolTip(3, 1).isEmpty());
    QVERIFY(s.scene.toolTip(-1, 1).isEmpty());
}

void TestSceneCellQueries::virtualLastFrameOfTheActiveCell()
{
    QueryScene s;
    s.scene.setFrameRange(1, 5, 1, 1);
    QVERIFY(!s.scene.isVirtualLastFrame());
    s.scene.setActiveFrameAndLayer(4, 1, Model::Scene::AcceptVirtualLastFrame);
    QCOMPARE(s.scene.activeFrame(), 4);
    QVERIFY(s.scene.isVirtualLastFrame());
    s.scene.setScrubFrame(2);
    QVERIFY(!s.scene.isVirtualLastFrame());
    s.scene.unsetScrubFrame();
    QVERIFY(s.scene.isVirtualLastFrame());
}

QUILLMERE_TEST_MAIN(TestSceneCellQueries)
#include "tst_scenecellqueries.moc"
