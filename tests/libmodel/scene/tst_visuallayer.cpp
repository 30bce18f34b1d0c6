#include "TestSupport.h"

#include "LayerFixture.h"

#include "scene/Scene.h"

#include <QMetaEnum>
#include <QProgressDialog>
#include <QSignalSpy>

using Model::Layer;
using Model::LayerChange;
using Model::LayerItem;

namespace {

// Counts what reaches a drawing, to see which cells pass a frame-size change on.
class CountingDrawing : public Model::ImageDrawing
{
public:
    CountingDrawing()
        : ImageDrawing(QImage())
    {
    }
    void changeFrameSize(QSize const&, KW::FitMode) override { ++frameSizeChanges; }
    int frameSizeChanges = 0;
};

enum Edit { InsertBlank, InsertHold, Remove };

// Changes of a layer's cells after which its cells must still be found by
// their identifiers.
enum CellChange { BlankAfter, HoldAfter, RemoveAt, NewIdentifier, TakenIdentifier, Appended,
                  Replaced };

} // namespace

class TestVisualLayer : public QObject
{
    Q_OBJECT

private slots:
    void frameEditsAreUndoneByTheirRecords_data();
    void frameEditsAreUndoneByTheirRecords();
    void removingTheFirstFrameKeepsItsDrawing();
    void removingAnOriginalHandsItsClonesOn_data();
    void removingAnOriginalHandsItsClonesOn();
    void removingADistantCloneUnlistsIt();
    void clonesOnTheSameLayerAreFoundWithoutAScene();
    void cellsAreFoundByIdentifierAfterEveryChange_data();
    void cellsAreFoundByIdentifierAfterEveryChange();
    void toolTip_data();
    void toolTip();
    void beyondTheLastFrame_data();
    void beyondTheLastFrame();
    void perFrameQueriesIgnoreInvalidFrames();
    void changeFrameSize();
    void propertiesAndCopy();
};

void TestVisualLayer::frameEditsAreUndoneByTheirRecords_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("edit");
    QTest::addColumn<int>("frame");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("records");

    // Inserts return nothing themselves; they are undone by removing the new frame.
    QTest::newRow("blank after 1 takes over the holds") << "A.." << int(InsertBlank) << 1 << "A0.." << "";
    QTest::newRow("blank after 0") << "A." << int(InsertBlank) << 0 << "0A." << "";
    QTest::newRow("blank after last") << "AB" << int(InsertBlank) << 2 << "AB0" << "";
    QTest::newRow("blank after -1 does nothing") << "AB" << int(InsertBlank) << -1 << "AB" << "";
    QTest::newRow("blank past the end does nothing") << "AB" << int(InsertBlank) << 3 << "AB" << "";
    QTest::newRow("hold after 1") << "AB" << int(InsertHold) << 1 << "A.B" << "";
    QTest::newRow("hold after a hold") << "A." << int(InsertHold) << 2 << "A.." << "";
    QTest::newRow("hold after 0 is a blank") << "A" << int(InsertHold) << 0 << "0A" << "";
    QTest::newRow("hold past the end does nothing") << "A" << int(InsertHold) << 2 << "A" << "";

    QTest::newRow("first frame with holds drops a hold") << "A.." << int(Remove) << 1 << "A." << "1@2 4@1";
    QTest::newRow("last hold") << "A.." << int(Remove) << 3 << "A." << "1@3";
    QTest::newRow("middle hold") << "A..B" << int(Remove) << 2 << "A.B" << "1@2";
    QTest::newRow("holds follow the frame before") << "ABC." << int(Remove) << 3 << "AB." << "1@3";
    QTest::newRow("original with holds between") << "AB..C" << int(Remove) << 2 << "A..C" << "1@2";
    QTest::newRow("first frame without holds") << "AB." << int(Remove) << 1 << "B." << "1@1";
    QTest::newRow("only cell becomes a blank") << "A" << int(Remove) << 1 << "0" << "2@1";
    QTest::newRow("frame 0") << "AB" << int(Remove) << 0 << "AB" << "";
    QTest::newRow("past the end") << "AB" << int(Remove) << 3 << "AB" << "";
}

void TestVisualLayer::frameEditsAreUndoneByTheirRecords()
{
    QFETCH(QString, pattern);
    QFETCH(int, edit);
    QFETCH(int, frame);
    QFETCH(QString, after);
    QFETCH(QString, records);

    FixtureLayer layer;
    Fixture::build(layer, pattern);
    QStringList const before = Fixture::snapshot(layer);

    QList<LayerChange> changes;
    switch (edit) {
    case InsertBlank:
        layer.insertBlankFrameAfter(frame);
        break;
    case InsertHold:
        layer.insertHoldFrameAfter(frame);
        break;
    case Remove:
        changes = layer.removeFrame(frame);
        break;
    }
    QCOMPARE(Fixture::describe(layer), after);
    QCOMPARE(Fixture::describe(changes), records);

    if (edit == Remove) {
        Fixture::apply(layer, changes);
        if (QTest::currentTestFailed())
            return;
    } else if (after != pattern) {
        // The scene undoes an insert with a remove-frame record for the new frame.
        layer.removeFrame(frame + 1);
    }
    QCOMPARE(Fixture::snapshot(layer), before);
}

void TestVisualLayer::removingTheFirstFrameKeepsItsDrawing()
{
    FixtureLayer layer;
    Fixture::build(layer, "A..");
    auto const a = layer.layerItem(1);
    auto const firstHold = layer.layerItem(2);

    QList<LayerChange> const changes = layer.removeFrame(1);

    QCOMPARE(layer.layerItem(1), a);
    QCOMPARE(a->offPegsTransform, QTransform::fromTranslate(2, 0));
    QCOMPARE(changes.size(), 2);
    QCOMPARE(changes.at(0).cell, firstHold);
    QCOMPARE(changes.at(1).transform, QTransform::fromTranslate(1, 0));
    QVERIFY(!changes.at(1).cell);
}

void TestVisualLayer::removingAnOriginalHandsItsClonesOn_data()
{
    QTest::addColumn<bool>("staleFirstEntry");
    QTest::addColumn<bool>("onlyCell");
    QTest::newRow("clones listed") << false << false;
    QTest::newRow("a stale entry first") << true << false;
    QTest::newRow("original alone on its layer") << false << true;
}

void TestVisualLayer::removingAnOriginalHandsItsClonesOn()
{
    QFETCH(bool, staleFirstEntry);
    QFETCH(bool, onlyCell);

    Model::Scene scene;
    auto owner = std::make_shared<FixtureLayer>();
    auto other = std::make_shared<FixtureLayer>();
    Fixture::build(*owner, onlyCell ? "A" : "AB");
    Fixture::build(*other, "C**");
    scene.addLayer(owner, scene.numLayers());
    scene.addLayer(other, scene.numLayers());

    auto const a = owner->layerItem(1);
    auto const x = other->layerItem(2);
    auto const y = other->layerItem(3);
    Model::DrawingRef const aRef = a->reference(owner->identifier());
    Model::DrawingRef const xRef = x->reference(other->identifier());
    Model::DrawingRef const yRef = y->reference(other->identifier());
    for (auto const& clone : {x, y}) {
        clone->drawing = a->drawing;
        clone->original = aRef;
    }
    if (staleFirstEntry)
        a->clones << Model::DrawingRef{other->identifier(), QUuid::createUuid()};
    a->clones << xRef << yRef;
    QList<Model::DrawingRef> const listed = a->clones;

    QList<LayerChange> const changes = owner->removeFrame(1);

    QCOMPARE(x->kind, int(LayerItem::Original));
    QVERIFY(x->original.isNull());
    QCOMPARE(x->clones, QList<Model::DrawingRef>{yRef});
    QCOMPARE(x->drawing, a->drawing);
    QCOMPARE(y->kind, int(LayerItem::DistantClone));
    QCOMPARE(y->original, xRef);
    // The removed cell keeps its links, so that putting it back can restore them.
    QCOMPARE(a->clones, listed);
    QCOMPARE(changes.size(), 1);
    QCOMPARE(changes.at(0).cell, a);
    QCOMPARE(changes.at(0).kind, int(onlyCell ? LayerChange::ReplaceCell : LayerChange::InsertCell));
    QVERIFY(!scene.hasDrawing(aRef));
}

void TestVisualLayer::removingADistantCloneUnlistsIt()
{
    Model::Scene scene;
    auto owner = std::make_shared<FixtureLayer>();
    auto other = std::make_shared<FixtureLayer>();
    Fixture::build(*owner, "A");
    Fixture::build(*other, "B**");
    scene.addLayer(owner, scene.numLayers());
    scene.addLayer(other, scene.numLayers());

    auto const a = owner->layerItem(1);
    Model::DrawingRef const aRef = a->reference(owner->identifier());
    Model::DrawingRef const xRef = other->layerItem(2)->reference(other->identifier());
    Model::DrawingRef const yRef = other->layerItem(3)->reference(other->identifier());
    other->layerItem(2)->original = aRef;
    other->layerItem(3)->original = aRef;
    a->clones = {xRef, yRef, xRef};

    QList<LayerChange> const changes = other->removeFrame(2);

    QCOMPARE(a->clones, QList<Model::DrawingRef>{yRef});
    QCOMPARE(Fixture::describe(*other), QStringLiteral("B*"));
    QCOMPARE(Fixture::describe(changes), QStringLiteral("1@2"));

    // A clone whose original is gone is still removed.
    owner->frames().clear();
    QCOMPARE(Fixture::describe(other->removeFrame(2)), QStringLiteral("1@2"));
    QCOMPARE(Fixture::describe(*other), QStringLiteral("B"));
}

void TestVisualLayer::clonesOnTheSameLayerAreFoundWithoutAScene()
{
    FixtureLayer layer;
    Fixture::build(layer, "AB**");
    auto const a = layer.layerItem(1);
    auto const x = layer.layerItem(3);
    auto const y = layer.layerItem(4);
    Model::DrawingRef const xRef = x->reference(layer.identifier());
    Model::DrawingRef const yRef = y->reference(layer.identifier());
    x->original = y->original = a->reference(layer.identifier());
    a->clones = {xRef, yRef};

    layer.removeFrame(1);

    QCOMPARE(x->kind, int(LayerItem::Original));
    QCOMPARE(x->clones, QList<Model::DrawingRef>{yRef});
    QCOMPARE(y->original, xRef);
}

void TestVisualLayer::cellsAreFoundByIdentifierAfterEveryChange_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("change");
    QTest::addColumn<int>("frame");
    QTest::newRow("blank inserted") << "AB.C" << int(BlankAfter) << 1;
    QTest::newRow("blank at the start") << "AB" << int(BlankAfter) << 0;
    QTest::newRow("hold inserted") << "ABC" << int(HoldAfter) << 2;
    QTest::newRow("frame removed") << "ABCD" << int(RemoveAt) << 2;
    QTest::newRow("held first frame removed") << "A.B" << int(RemoveAt) << 1;
    QTest::newRow("only frame removed") << "A" << int(RemoveAt) << 1;
    QTest::newRow("identifier given") << "ABC" << int(NewIdentifier) << 3;
    QTest::newRow("identifier of another cell given") << "ABC" << int(TakenIdentifier) << 3;
    QTest::newRow("cell appended to the frames") << "AB" << int(Appended) << 0;
    QTest::newRow("cell replaced in the frames") << "ABC" << int(Replaced) << 2;
}

void TestVisualLayer::cellsAreFoundByIdentifierAfterEveryChange()
{
    QFETCH(QString, pattern);
    QFETCH(int, change);
    QFETCH(int, frame);

    FixtureLayer layer;
    Fixture::build(layer, pattern);
    QList<QUuid> before;
    for (auto const& cell : layer.frames()) {
        before << cell->identifier;
        QCOMPARE(layer.cellWithIdentifier(cell->identifier), cell);
    }

    switch (CellChange(change)) {
    case BlankAfter:
        layer.insertBlankFrameAfter(frame);
        break;
    case HoldAfter:
        layer.insertHoldFrameAfter(frame);
        break;
    case RemoveAt:
        layer.removeFrame(frame);
        break;
    case NewIdentifier:
        layer.setCellIdentifier(frame, QUuid::createUuid());
        break;
    case TakenIdentifier:
        layer.setCellIdentifier(frame, before.constFirst());
        break;
    case Appended:
        layer.frames().append(Fixture::original(QStringLiteral("N")));
        break;
    case Replaced:
        layer.frames()[frame - 1] = Fixture::original(QStringLiteral("N"));
        break;
    }

    // Every cell is found where it is; the first of two sharing an identifier.
    QList<QUuid> now;
    for (int f = 1; f <= layer.length(); ++f) {
        auto const cell = layer.layerItem(f);
        int found = 0;
        bool const first = !now.contains(cell->identifier);
        now << cell->identifier;
        QCOMPARE(layer.cellWithIdentifier(cell->identifier, &found) == cell, first);
        QCOMPARE(found, first ? f : int(now.indexOf(cell->identifier)) + 1);
    }
    // Identifiers that left the layer name nothing.
    for (QUuid const& identifier : std::as_const(before)) {
        if (!now.contains(identifier))
            QVERIFY(!layer.cellWithIdentifier(identifier));
    }
    QVERIFY(!layer.cellWithIdentifier(QUuid()));
}

void TestVisualLayer::toolTip_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("frame");
    QTest::addColumn<QString>("expected");

    int const nothing = Layer::showNothing;
    int const cycle = Layer::cycleDrawings;
    QTest::newRow("unnamed original held") << "0.." << nothing << 1 << "1 (Held for 3)";
    QTest::newRow("unnamed last hold") << "0.." << nothing << 3 << "3 (1 held for 3)";
    QTest::newRow("unnamed middle hold") << "0.." << nothing << 2 << "2 (1 held for 3)";
    QTest::newRow("virtual last frame") << "0.." << nothing << 4 << "";
    QTest::newRow("far past the end") << "0.." << nothing << 9 << "Invalid frame";
    QTest::newRow("frame 0") << "0.." << nothing << 0 << "Invalid frame";
    QTest::newRow("named hold") << "0K.." << nothing << 4 << "K (2 held for 3)";
    QTest::newRow("not held") << "0K" << nothing << 2 << "K";
    QTest::newRow("unnamed not held") << "K0" << nothing << 2 << "2";
    QTest::newRow("cell without drawing") << "A*" << nothing << 2 << "";
    QTest::newRow("cycling one cell") << "0" << cycle << 1 << "1";
    QTest::newRow("cycling held") << "0.K" << cycle << 1 << "1 (Held for 2)";
}

void TestVisualLayer::toolTip()
{
    QFETCH(QString, pattern);
    QFETCH(int, mode);
    QFETCH(int, frame);
    QFETCH(QString, expected);

    FixtureLayer layer;
    Fixture::build(layer, pattern);
    layer.setLayerBeyondLast(Layer::LayerBeyondLast(mode));
    QCOMPARE(layer.toolTip(frame), expected);
}

void TestVisualLayer::beyondTheLastFrame_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("frame");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("holdsAfter");

    int const nothing = Layer::showNothing;
    int const freeze = Layer::freezeLast;
    int const cycle = Layer::cycleDrawings;
    int const original = LayerItem::Original;
    int const hold = LayerItem::Hold;
    int const none = LayerItem::NoDrawing;

    QTest::newRow("nothing: inside") << "A.B" << nothing << 1 << original << 1;
    QTest::newRow("nothing: past the end") << "A.B" << nothing << 4 << none << 0;
    QTest::newRow("nothing: frame 0") << "A.B" << nothing << 0 << none << 0;
    QTest::newRow("freeze: last frame") << "A.B" << freeze << 3 << original << 0;
    QTest::newRow("freeze: past the end") << "A.B" << freeze << 7 << hold << 0;
    QTest::newRow("cycle: wraps to the first") << "A.B" << cycle << 4 << original << 1;
    QTest::newRow("cycle: wraps to a hold") << "A.B" << cycle << 5 << hold << 0;
    QTest::newRow("cycle: wraps to the last") << "A.B" << cycle << 9 << original << 0;
    QTest::newRow("cycle: frame 0") << "A.B" << cycle << 0 << none << 0;
    QTest::newRow("cycle one cell: frame 1") << "A" << cycle << 1 << original << 0;
    QTest::newRow("cycle one cell: frame 2") << "A" << cycle << 2 << hold << 0;
    QTest::newRow("cycle one cell: frame 30") << "A" << cycle << 30 << hold << 0;
    QTest::newRow("cycle empty layer") << "" << cycle << 1 << none << 0;
    QTest::newRow("freeze empty layer") << "" << freeze << 3 << none << 0;
}

void TestVisualLayer::beyondTheLastFrame()
{
    QFETCH(QString, pattern);
    QFETCH(int, mode);
    QFETCH(int, frame);
    QFETCH(int, type);
    QFETCH(int, holdsAfter);

    FixtureLayer layer;
    Fixture::build(layer, pattern);
    layer.setLayerBeyondLast(Layer::LayerBeyondLast(mode));
    QCOMPARE(layer.drawingTypeBeyond(frame), type);
    QCOMPARE(layer.numHoldsAfter(frame), holdsAfter);
}

void TestVisualLayer::perFrameQueriesIgnoreInvalidFrames()
{
    FixtureLayer layer;
    Fixture::build(layer, "A..B");

    QVERIFY(!layer.isLastHoldFrame(2));
    QVERIFY(layer.isLastHoldFrame(3));
    QVERIFY(!layer.isLastHoldFrame(4));
    QVERIFY(layer.isVirtualLastFrame(5));
    QCOMPARE(layer.drawingType(5), int(LayerItem::NoDrawing));

    layer.setKeyDrawing(4, true);
    layer.setKeyDrawing(5, true);
    layer.setOffPegsTransform(0, QTransform::fromScale(2, 2));
    QVERIFY(layer.isKeyDrawing(4));
    QVERIFY(!layer.isKeyDrawing(5));
    QCOMPARE(layer.offPegsTransform(0), QTransform());
    QCOMPARE(layer.offPegsTransform(2), QTransform::fromTranslate(2, 0));
    QVERIFY(!layer.layerItem(5));
}

void TestVisualLayer::changeFrameSize()
{
    FixtureLayer layer;
    Fixture::build(layer, "A.*");
    auto drawing = std::make_shared<CountingDrawing>();
    for (auto const& cell : layer.frames())
        cell->drawing = drawing;
    QProgressDialog progress;
    progress.setRange(0, 10);
    progress.setValue(0);

    layer.changeFrameSize(QSize(2000, 500), KW::FitMode::FitModeStretch, &progress);

    QCOMPARE(layer.frameSize(), QSize(2000, 500));
    QCOMPARE(progress.value(), 3);
    // The shared drawing is changed once, through its original.
    QCOMPARE(drawing->frameSizeChanges, 1);
    QCOMPARE(layer.offPegsTransform(2), QTransform::fromTranslate(4, 0));

    layer.changeFrameSize(QSize(2000, 500), KW::FitMode::FitModeStretch, &progress);
    QCOMPARE(progress.value(), 3);
    QCOMPARE(drawing->frameSizeChanges, 1);
    QCOMPARE(layer.offPegsTransform(2), QTransform::fromTranslate(4, 0));
}

void TestVisualLayer::propertiesAndCopy()
{
    QObject parent;
    FixtureLayer layer(&parent);
    QSignalSpy nameSpy(&layer, &Layer::nameChanged);
    QSignalSpy linkedSpy(&layer, &Layer::linkedChanged);
    QSignalSpy visibleSpy(&layer, &Model::VisualLayer::visibleChanged);

    layer.setName(QStringLiteral("Ink"));
    layer.setName(QStringLiteral("Ink"));
    layer.setLinked(true);
    layer.setLinked(true);
    layer.setVisible(false);
    layer.setVisible(false);
    QCOMPARE(nameSpy.count(), 1);
    QCOMPARE(nameSpy.at(0).at(0).toString(), QStringLiteral("Ink"));
    QCOMPARE(linkedSpy.count(), 1);
    QCOMPARE(visibleSpy.count(), 1);
    QCOMPARE(visibleSpy.at(0).at(0).toBool(), false);

    QVERIFY(layer.setLayerBeyondLast(Layer::freezeLast));
    QVERIFY(!layer.setLayerBeyondLast(Layer::freezeLast));
    layer.setOpacity(1.5);
    QCOMPARE(layer.opacity(), 1.0);
    layer.setOpacity(-0.5);
    QCOMPARE(layer.opacity(), 0.0);
    layer.setOpacity(0.25);
    Fixture::build(layer, "A.");

    std::unique_ptr<Layer> copy(layer.clone());
    auto* visualCopy = qobject_cast<Model::VisualLayer*>(copy.get());
    QVERIFY(visualCopy);
    QCOMPARE(copy->parent(), &parent);
    QVERIFY(copy->identifier() != layer.identifier());
    QVERIFY(!copy->identifier().isNull());
    QCOMPARE(copy->name(), QStringLiteral("Ink"));
    QVERIFY(copy->isLinked());
    QCOMPARE(copy->layerBeyondLast(), Layer::freezeLast);
    QCOMPARE(visualCopy->isVisible(), false);
    QCOMPARE(visualCopy->opacity(), 0.25);
    QCOMPARE(visualCopy->frameSize(), layer.frameSize());
    QCOMPARE(visualCopy->length(), 0);

    // The file stores the modes by their key texts.
    QMetaEnum const modes = QMetaEnum::fromType<Layer::LayerBeyondLast>();
    QCOMPARE(modes.valueToKey(Layer::showNothing), "showNothing");
    QCOMPARE(modes.valueToKey(Layer::freezeLast), "freezeLast");
    QCOMPARE(modes.valueToKey(Layer::cycleDrawings), "cycleDrawings");
    QCOMPARE(QMetaEnum::fromType<Layer::LayerType>().keyCount(), 5);
}

QUILLMERE_TEST_MAIN(TestVisualLayer)
#include "tst_visuallayer.moc"
