// Per-layer properties set through the scene (linked, visible), the naming of
// new layers, swapping a layer object in, and the search for the
// neighbouring layer above or below in display order.
#include "TestSupport.h"

#include "SceneFixture.h"

namespace {

std::shared_ptr<FixtureDrawLayer> drawLayer(QString const& name, int length)
{
    auto layer = std::make_shared<FixtureDrawLayer>(name);
    QString cells;
    for (int i = 0; i < length; ++i)
        cells += QChar(u'A' + i % 26);
    Fixture::build(*layer, cells);
    return layer;
}

// From the top of the stack down, with the range 8-20:
//   0 "top"     draw layer, 20 frames
//   1 "ref"     reference layer, 5 frames (short of the range)
//   2 "audio"   audio layer
//   3 "middle"  draw layer, 20 frames
//   4 "bottom"  draw layer, 3 frames (short of the range)
struct StackScene
{
    StackScene()
    {
        auto const ref = std::make_shared<Model::ReferenceLayer>(QSize(1000, 500), nullptr);
        Fixture::build(*ref, QStringLiteral("ABCDE"));
        scene.addLayer(drawLayer("top", 20), 0);
        scene.addLayer(ref, 1);
        scene.addLayer(std::make_shared<Model::AudioLayer>(nullptr), 2);
        scene.addLayer(drawLayer("middle", 20), 3);
        scene.addLayer(drawLayer("bottom", 3), 4);
        scene.setFrameRange(8, 20, 8, 0);
    }

    Model::Scene scene;
};

} // namespace

class TestSceneLayerProperties : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void linking();
    void visibility_data();
    void visibility();
    void nextLayerNameCountsUp();
    void swapShorterLayerSlidesTheRangeBack();

    void neighboursReachingTheRange_data();
    void neighboursReachingTheRange();
    void neighboursFollowTheDisplayOrder();
    void canMergeLayerDown_data();
    void canMergeLayerDown();
};

void TestSceneLayerProperties::init()
{
    TestSupport::clearSettings();
}

void TestSceneLayerProperties::linking()
{
    SceneFixture f;
    QSignalSpy layers(&f.scene, &Model::Scene::layersChanged);
    QSignalSpy linked(f.second.get(), &Model::Layer::linkedChanged);

    QVERIFY(!f.scene.isLayerLinked(1));
    QVERIFY(f.scene.setLayerLinked(1, true));
    QVERIFY(f.scene.isLayerLinked(1));
    QCOMPARE(linked.count(), 1);
    QCOMPARE(layers.count(), 1);
    QCOMPARE(layers.first(), (QVariantList{1, 1}));

    // The same value again, or a layer of any kind: true, nothing heard.
    QVERIFY(f.scene.setLayerLinked(1, true));
    QCOMPARE(linked.count(), 1);
    QCOMPARE(layers.count(), 1);
    QVERIFY(f.scene.setLayerLinked(3, true));
    QVERIFY(f.scene.isLayerLinked(3));

    QVERIFY(!f.scene.setLayerLinked(5, true));
    QVERIFY(!f.scene.setLayerLinked(-1, true));
    QVERIFY(!f.scene.isLayerLinked(5));
    QCOMPARE(layers.count(), 2);
}

void TestSceneLayerProperties::visibility_data()
{
    QTest::addColumn<int>("layer");
    QTest::addColumn<bool>("visible");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QStringList>("heard");

    QStringList const none;
    QTest::newRow("hiding a draw layer")
        << 0 << false << true
        << QStringList{"layersChanged(int,int)", "rectChanged(QRect)"};
    QTest::newRow("hiding a reference layer")
        << 2 << false << true
        << QStringList{"layersChanged(int,int)", "rectChanged(QRect)"};
    QTest::newRow("showing a visible layer") << 0 << true << true << none;
    QTest::newRow("the audio layer") << 3 << false << false << none;
    QTest::newRow("the annotation layer") << 4 << false << false << none;
    QTest::newRow("no such layer") << 5 << false << false << none;
}

void TestSceneLayerProperties::visibility()
{
    QFETCH(int, layer);
    QFETCH(bool, visible);
    QFETCH(bool, result);
    QFETCH(QStringList, heard);

    SceneFixture f;
    auto const spies = Fixture::spyOnAllSignals(&f.scene);
    auto* const visual = qobject_cast<Model::VisualLayer*>(f.scene.layer(layer).get());
    std::unique_ptr<QSignalSpy> layerSpy;
    if (visual)
        layerSpy = std::make_unique<QSignalSpy>(visual, &Model::VisualLayer::visibleChanged);

    QCOMPARE(f.scene.setLayerVisible(layer, visible), result);
    QStringList const caught = Fixture::caught(spies);
    if (heard.isEmpty())
        QCOMPARE(caught, heard);
    for (QString const& name : heard)
        QVERIFY2(caught.contains(name), qPrintable(name));
    if (visual) {
        QCOMPARE(f.scene.isLayerVisible(layer), visible);
        QCOMPARE(layerSpy->count(), heard.isEmpty() ? 0 : 1);
    }
    if (!heard.isEmpty()) {
        auto const& rect = *std::find_if(spies.cbegin(), spies.cend(), [](auto const& spy) {
            return spy->signal() == QByteArray("rectChanged(QRect)");
        });
        QCOMPARE(rect->first().first().toRect(), QRect(QPoint(0, 0), f.scene.frameSize()));
    }
}

void TestSceneLayerProperties::nextLayerNameCountsUp()
{
    Model::Scene scene;
    QCOMPARE(scene.getNextLayerName(), QStringLiteral("1"));
    QCOMPARE(scene.getNextLayerName(), QStringLiteral("2"));
    QCOMPARE(scene.highestUsedLayerNumber(), 2);
    scene.setHighestUsedLayerNumber(41);
    QCOMPARE(scene.getNextLayerName(), QStringLiteral("42"));
}

void TestSceneLayerProperties::swapShorterLayerSlidesTheRangeBack()
{
    Model::Scene scene;
    scene.addLayer(drawLayer("long", 20), 0);
    scene.addLayer(drawLayer("other", 12), 1);
    scene.setFrameRange(10, 20, 15, 0);
    QSignalSpy range(&scene, &Model::Scene::frameRangeChanged);

    auto const shorter = drawLayer("shorter", 15);
    auto const old = scene.swapLayer(0, shorter);
    QCOMPARE(old->name(), QStringLiteral("long"));
    QCOMPARE(scene.maximumFrameNumber(), 15);
    QCOMPARE(scene.minimumFrameRangeNumber(), 5);
    QCOMPARE(scene.maximumFrameRangeNumber(), 15);
    QCOMPARE(range.last(), (QVariantList{5, 15}));
    QCOMPARE(scene.activeFrame(), 15);

    // Swapping the old one back leaves the range where it is.
    scene.swapLayer(0, old);
    QCOMPARE(scene.maximumFrameNumber(), 20);
    QCOMPARE(scene.minimumFrameRangeNumber(), 5);
    QCOMPARE(scene.maximumFrameRangeNumber(), 15);
}

void TestSceneLayerProperties::neighboursReachingTheRange_data()
{
    QTest::addColumn<int>("rangeStart");
    QTest::addColumn<int>("active");
    QTest::addColumn<int>("bottom");
    QTest::addColumn<int>("belowTop");
    QTest::addColumn<int>("belowActive");
    QTest::addColumn<int>("aboveActive");

    // The short reference and bottom layers are passed over while they end
    // before the range, the audio layer always.
    QTest::newRow("range from 8, top active") << 8 << 0 << 3 << 3 << 3 << 0;
    QTest::newRow("range from 8, middle active") << 8 << 3 << 3 << 3 << 3 << 0;
    QTest::newRow("range from 1, top active") << 1 << 0 << 4 << 1 << 1 << 0;
    QTest::newRow("range from 1, middle active") << 1 << 3 << 4 << 1 << 4 << 1;
    QTest::newRow("range from 1, bottom active") << 1 << 4 << 4 << 1 << 4 << 3;
}

void TestSceneLayerProperties::neighboursReachingTheRange()
{
    QFETCH(int, rangeStart);
    QFETCH(int, active);
    QFETCH(int, bottom);
    QFETCH(int, belowTop);
    QFETCH(int, belowActive);
    QFETCH(int, aboveActive);

    StackScene s;
    s.scene.setFrameRange(rangeStart, 20, rangeStart, active);
    QCOMPARE(s.scene.activeLayerIdx(), active);
    QCOMPARE(s.scene.layerIndexBottom(), bottom);
    QCOMPARE(s.scene.layerIndexBelow(0), belowTop);
    QCOMPARE(s.scene.layerIndexBelow(), belowActive);
    QCOMPARE(s.scene.layerIndexAbove(), aboveActive);
    QCOMPARE(s.scene.layerIndexBelow(4), -1);
    QCOMPARE(s.scene.layerIndexBelow(5), -1);
    QCOMPARE(s.scene.layerIndexBelow(-1), -1);
}

void TestSceneLayerProperties::neighboursFollowTheDisplayOrder()
{
    StackScene s;
    // Move "middle" to the top of the stack: the layer above "top" is now it,
    // and nothing that reaches the range lies below "top".
    QVERIFY(s.scene.moveLayer(3, 3, 0));
    s.scene.setFrameRange(8, 20, 8, 0);
    QCOMPARE(s.scene.layerIndexAbove(), 3);
    QCOMPARE(s.scene.layerIndexBelow(0), -1);
    QCOMPARE(s.scene.layerIndexBelow(), 0);
    QCOMPARE(s.scene.layerIndexBottom(), 0);
    QCOMPARE(s.scene.layerIndexBelow(3), 0);
}

void TestSceneLayerProperties::canMergeLayerDown_data()
{
    QTest::addColumn<int>("rangeStart");
    QTest::addColumn<int>("layer");
    QTest::addColumn<bool>("result");

    QTest::newRow("a draw layer over a reference layer") << 1 << 0 << false;
    QTest::newRow("a draw layer over a draw layer") << 1 << 3 << true;
    QTest::newRow("the reference layer") << 1 << 1 << false;
    QTest::newRow("the audio layer") << 1 << 2 << false;
    QTest::newRow("nothing below") << 1 << 4 << false;
    QTest::newRow("the short layer below is out of the range") << 8 << 3 << false;
    QTest::newRow("past the reference layer out of the range") << 8 << 0 << true;
    QTest::newRow("no such layer") << 1 << 7 << false;
}

void TestSceneLayerProperties::canMergeLayerDown()
{
    QFETCH(int, rangeStart);
    QFETCH(int, layer);
    QFETCH(bool, result);

    StackScene s;
    s.scene.setFrameRange(rangeStart, 20, rangeStart, 0);
    QCOMPARE(s.scene.canMergeLayerDown(layer), result);

    // Only an audio layer below: nothing to merge onto.
    Model::Scene pair;
    pair.addLayer(drawLayer("strokes", 3), 0);
    pair.addLayer(std::make_shared<Model::AudioLayer>(nullptr), 1);
    QVERIFY(!pair.canMergeLayerDown(0));
}

QUILLMERE_TEST_MAIN(TestSceneLayerProperties)
#include "tst_scenelayerproperties.moc"
