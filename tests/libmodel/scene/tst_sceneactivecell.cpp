#include "TestSupport.h"

#include "SceneFixture.h"

namespace {

std::shared_ptr<FixtureDrawLayer> lettered(QString const& name, int length)
{
    auto layer = std::make_shared<FixtureDrawLayer>(name);
    QString cells;
    for (int i = 0; i < length; ++i)
        cells += QChar(u'A' + i % 26);
    Fixture::build(*layer, cells);
    return layer;
}

} // namespace

class TestSceneActiveCell : public QObject
{
    Q_OBJECT

private slots:
    void frameRangeIsClampedAndNeverOneFrame_data();
    void frameRangeIsClampedAndNeverOneFrame();
    void frameRangeOfAOneFrameScene();
    void frameRangeChoosesTheActiveCell_data();
    void frameRangeChoosesTheActiveCell();
    void frameRangeThatChangesNothingIsQuiet();
    void activeFrameAndLayerRule_data();
    void activeFrameAndLayerRule();
    void setActiveFrameAndLayerAnnouncesTheChange();
    void scrubFrame();
    void settingTheActiveCellEndsScrubbing();
    void nameAndFileName();
};

void TestSceneActiveCell::frameRangeIsClampedAndNeverOneFrame_data()
{
    QTest::addColumn<int>("lower");
    QTest::addColumn<int>("upper");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");

    // The scene has 24 frames; its range starts as 2-20.
    QTest::newRow("one frame inside") << 5 << 5 << 4 << 5;
    QTest::newRow("one frame at the start") << 1 << 1 << 1 << 2;
    QTest::newRow("one frame below the start") << -4 << 0 << 1 << 2;
    QTest::newRow("too wide") << 0 << 100 << 1 << 24;
    QTest::newRow("end before the start: ignored") << 20 << 10 << 2 << 20;
    QTest::newRow("one frame past the end") << 30 << 40 << 23 << 24;
}

void TestSceneActiveCell::frameRangeIsClampedAndNeverOneFrame()
{
    QFETCH(int, lower);
    QFETCH(int, upper);
    QFETCH(int, first);
    QFETCH(int, last);

    Model::Scene scene;
    scene.addLayer(lettered("a", 24), 0);
    scene.setFrameRange(2, 20, 5, 0);
    QSignalSpy range(&scene, &Model::Scene::frameRangeChanged);
    scene.setFrameRange(lower, upper, 5, 0);
    QCOMPARE(scene.minimumFrameRangeNumber(), first);
    QCOMPARE(scene.maximumFrameRangeNumber(), last);
    if (first != 2 || last != 20)
        QCOMPARE(range.last(), (QVariantList{first, last}));
}

void TestSceneActiveCell::frameRangeOfAOneFrameScene()
{
    Model::Scene scene;
    scene.addLayer(lettered("a", 1), 0);
    scene.setFrameRange(1, 1, 1, 0);
    QCOMPARE(scene.minimumFrameRangeNumber(), 1);
    QCOMPARE(scene.maximumFrameRangeNumber(), 1);
    scene.setFrameRange(1, 9, 1, 0);
    QCOMPARE(scene.maximumFrameRangeNumber(), 1);
}

void TestSceneActiveCell::frameRangeChoosesTheActiveCell_data()
{
    QTest::addColumn<int>("lower");
    QTest::addColumn<int>("upper");
    QTest::addColumn<QString>("wantedLayer");
    QTest::addColumn<int>("wantedFrame");
    QTest::addColumn<QString>("layer");
    QTest::addColumn<int>("frame");

    // Stack from the top: long (20), short (5), middle (10), with the audio
    // layer between short and middle.
    QTest::newRow("inside the layer") << 1 << 20 << "middle" << 7 << "middle" << 7;
    QTest::newRow("past the layer's end: its last frame") << 1 << 20 << "short" << 9 << "short" << 5;
    QTest::newRow("the virtual last frame stays") << 1 << 20 << "short" << 6 << "short" << 6;
    QTest::newRow("below the range: its first frame") << 3 << 20 << "middle" << 1 << "middle" << 3;
    QTest::newRow("past the range: its last frame") << 1 << 8 << "long" << 12 << "long" << 8;
    QTest::newRow("layer short of the range: the next above") << 8 << 20 << "short" << 9 << "long" << 9;
    QTest::newRow("reaching the range with its virtual frame") << 6 << 20 << "short" << 6 << "short" << 6;
    QTest::newRow("the audio layer: the next visual one above") << 1 << 20 << "sound" << 4 << "short" << 4;
    QTest::newRow("no such layer: the top one") << 1 << 20 << "" << 4 << "long" << 4;
}

void TestSceneActiveCell::frameRangeChoosesTheActiveCell()
{
    QFETCH(int, lower);
    QFETCH(int, upper);
    QFETCH(QString, wantedLayer);
    QFETCH(int, wantedFrame);
    QFETCH(QString, layer);
    QFETCH(int, frame);

    Model::Scene scene;
    scene.addLayer(lettered("middle", 10), 0);
    scene.addLayer(std::make_shared<Model::AudioLayer>(nullptr), 0);
    scene.layer(0)->setName(QStringLiteral("sound"));
    scene.addLayer(lettered("short", 5), 0);
    scene.addLayer(lettered("long", 20), 0);
    auto const indexOf = [&scene](QString const& name) {
        for (int i = 0; i < scene.numLayers(); ++i) {
            if (scene.layerName(i) == name)
                return i;
        }
        return 99;
    };
    // Stack order as the rows describe it.
    QStringList const order{"long", "short", "sound", "middle"};
    for (int position = 0; position < order.size(); ++position) {
        int const index = indexOf(order.at(position));
        QVERIFY(scene.moveLayer(index, scene.getVisualLayerIndices().at(index), position));
    }
    QStringList stack;
    for (int const index : scene.getLogicalLayerIndices())
        stack << scene.layerName(index);
    QCOMPARE(stack.join(QLatin1Char(' ')), QStringLiteral("long short sound middle"));

    int const wanted = indexOf(wantedLayer);
    QSignalSpy active(&scene, &Model::Scene::activeFrameAndLayerChanged);
    QSignalSpy offPegs(&scene, &Model::Scene::offPegsTransformChanged);
    scene.setFrameRange(lower, upper, wantedFrame, wanted);
    QCOMPARE(scene.layerName(scene.activeLayerIdx()), layer);
    QCOMPARE(scene.activeFrame(), frame);
    QCOMPARE(active.count(), 1);
    QCOMPARE(active.at(0), (QVariantList{frame, scene.activeLayerIdx()}));
    QCOMPARE(offPegs.count(), 1);
}

void TestSceneActiveCell::frameRangeThatChangesNothingIsQuiet()
{
    Model::Scene scene;
    scene.addLayer(lettered("a", 10), 0);
    scene.setFrameRange(2, 8, 4, 0);
    auto const spies = Fixture::spyOnAllSignals(&scene);
    scene.setFrameRange(2, 8, 4, 0);
    QCOMPARE(Fixture::caught(spies), QStringList());

    // A changed active frame alone is announced with the range.
    scene.setFrameRange(2, 8, 5, 0);
    QCOMPARE(scene.activeFrame(), 5);
    QStringList const caught = Fixture::caught(spies);
    QVERIFY(caught.contains("frameRangeChanged(int,int)"));
    QVERIFY(caught.contains("activeFrameAndLayerChanged(int,int)"));
    QVERIFY(caught.contains("offPegsTransformChanged(QTransform)"));
    // Fixture cells carry the translation (frame, 0).
    QSignalSpy offPegs(&scene, &Model::Scene::offPegsTransformChanged);
    scene.setFrameRange(2, 8, 6, 0);
    QCOMPARE(offPegs.at(0).at(0).value<QTransform>(), QTransform::fromTranslate(6, 0));
}

void TestSceneActiveCell::activeFrameAndLayerRule_data()
{
    QTest::addColumn<int>("frame");
    QTest::addColumn<int>("layer");
    QTest::addColumn<int>("behaviour");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<int>("newFrame");
    QTest::addColumn<int>("newLayer");

    // Layers: 0 length 5, 1 length 12, 2 the annotation layer; range 1-20,
    // active cell frame 2 of layer 1.
    QTest::newRow("clamped to the layer's length") << 9 << 0 << 1 << true << 5 << 0;
    QTest::newRow("virtual last frame accepted") << 6 << 0 << 0 << true << 6 << 0;
    QTest::newRow("virtual last frame clamped") << 6 << 0 << 1 << true << 5 << 0;
    QTest::newRow("past the virtual frame") << 7 << 0 << 0 << true << 5 << 0;
    QTest::newRow("same cell, behaviour 0") << 2 << 1 << 0 << false << 2 << 1;
    QTest::newRow("same cell, behaviour 1") << 2 << 1 << 1 << false << 2 << 1;
    QTest::newRow("annotation layer") << 3 << 2 << 1 << false << 2 << 1;
    QTest::newRow("frame 0") << 0 << 0 << 1 << false << 2 << 1;
    QTest::newRow("no layer") << 4 << -1 << 1 << true << 1 << -1;
    QTest::newRow("no layer, frame 0") << 0 << -1 << 0 << false << 2 << 1;
    // Only a layer of the list, or none, is ever stored.
    QTest::newRow("an index past the list") << 4 << 9 << 1 << false << 2 << 1;
    QTest::newRow("the index just past the list") << 1 << 3 << 0 << false << 2 << 1;
    QTest::newRow("an index below -1 means no layer") << 4 << -5 << 1 << true << 1 << -1;
}

void TestSceneActiveCell::activeFrameAndLayerRule()
{
    QFETCH(int, frame);
    QFETCH(int, layer);
    QFETCH(int, behaviour);
    QFETCH(bool, changed);
    QFETCH(int, newFrame);
    QFETCH(int, newLayer);

    Model::Scene scene;
    scene.addLayer(lettered("a", 5), 0);
    scene.addLayer(lettered("b", 20), 1);
    scene.addLayer(std::make_shared<Model::AnnotationLayer>(nullptr), 2);
    scene.setFrameRange(1, 20, 2, 1);
    Fixture::build(*static_cast<FixtureDrawLayer*>(scene.layer(1).get()), "ABCDEFGHIJKL");

    QSignalSpy active(&scene, &Model::Scene::activeFrameAndLayerChanged);
    QCOMPARE(scene.setActiveFrameAndLayerInternal(frame, layer,
                                                  Model::Scene::SetFrameBehaviour(behaviour)),
             changed);
    QCOMPARE(scene.activeFrame(), newFrame);
    QCOMPARE(scene.activeLayerIdx(), newLayer);
    // The internal rule announces nothing itself.
    QCOMPARE(active.count(), 0);
}

void TestSceneActiveCell::setActiveFrameAndLayerAnnouncesTheChange()
{
    Model::Scene scene;
    auto const a = lettered("a", 5);
    scene.addLayer(a, 0);
    scene.setFrameRange(1, 5, 1, 0);
    QSignalSpy active(&scene, &Model::Scene::activeFrameAndLayerChanged);

    scene.setActiveFrameAndLayer(6, 0, Model::Scene::AcceptVirtualLastFrame);
    QCOMPARE(active.count(), 1);
    QCOMPARE(active.at(0), (QVariantList{6, 0}));
    QVERIFY(scene.property("activeFrame").toInt() == 6);

    // Behaviour 1 on the same cell moves it off the virtual last frame.
    scene.setActiveFrameAndLayer(6, 0, Model::Scene::KeepWithinDrawnFrames);
    QCOMPARE(active.count(), 2);
    QCOMPARE(active.at(1), (QVariantList{5, 0}));
    scene.setActiveFrameAndLayer(5, 0, Model::Scene::KeepWithinDrawnFrames);
    QCOMPARE(active.count(), 2);
}

void TestSceneActiveCell::scrubFrame()
{
    Model::Scene scene;
    scene.addLayer(lettered("a", 10), 0);
    scene.setFrameRange(1, 10, 3, 0);
    QSignalSpy scrub(&scene, &Model::Scene::scrubFrameChanged);
    QSignalSpy active(&scene, &Model::Scene::activeFrameAndLayerChanged);

    scene.setScrubFrame(4);
    QCOMPARE(scene.scrubFrame(), 4);
    QVERIFY(scene.isScrubFrame(4));
    QVERIFY(!scene.isScrubFrame(3));
    QCOMPARE(scrub.at(0), (QVariantList{4, -1}));
    scene.setScrubFrame(4);
    QCOMPARE(scrub.count(), 1);

    // Past the last frame: still announced, but unchanged.
    scene.setScrubFrame(11);
    QCOMPARE(scene.scrubFrame(), 4);
    QCOMPARE(scrub.at(1), (QVariantList{4, 4}));
    QCOMPARE(active.count(), 0);

    // Clearing it sends the views back to the active cell.
    scene.unsetScrubFrame();
    QCOMPARE(scene.scrubFrame(), -1);
    QVERIFY(!scene.isScrubFrame(-1));
    QCOMPARE(scrub.at(2), (QVariantList{-1, 4}));
    QCOMPARE(active.count(), 1);
    QCOMPARE(active.at(0), (QVariantList{3, 0}));
    scene.setScrubFrame(7);
    scene.setScrubFrame(0);
    QCOMPARE(scene.scrubFrame(), -1);
}

void TestSceneActiveCell::settingTheActiveCellEndsScrubbing()
{
    Model::Scene scene;
    scene.addLayer(lettered("a", 10), 0);
    scene.setFrameRange(1, 10, 3, 0);
    scene.setScrubFrame(8);
    // While a scrub frame is shown the active cell is only moved for real.
    QVERIFY(!scene.setActiveFrameAndLayerInternal(3, 0, Model::Scene::KeepWithinDrawnFrames));
    QCOMPARE(scene.scrubFrame(), 8);
    QSignalSpy scrub(&scene, &Model::Scene::scrubFrameChanged);
    scene.setActiveFrameAndLayer(5, 0, Model::Scene::KeepWithinDrawnFrames);
    QCOMPARE(scene.activeFrame(), 5);
    QCOMPARE(scene.scrubFrame(), -1);
    QCOMPARE(scrub.count(), 1);
}

void TestSceneActiveCell::nameAndFileName()
{
    Model::Scene scene;
    QSignalSpy named(&scene, &Model::Scene::nameChanged);
    scene.setFilename(QStringLiteral("/some/where/walk.cycle.kw"));
    QCOMPARE(scene.filename(), QStringLiteral("/some/where/walk.cycle.kw"));
    QCOMPARE(scene.name(), QStringLiteral("walk.cycle"));
    // Announced even when unchanged.
    scene.setName(QStringLiteral("walk.cycle"));
    QCOMPARE(named.count(), 2);
}

QUILLMERE_TEST_MAIN(TestSceneActiveCell)
#include "tst_sceneactivecell.moc"
