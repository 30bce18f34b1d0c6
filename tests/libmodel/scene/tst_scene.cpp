#include "TestSupport.h"

#include "LayerFixture.h"

#include "scene/Scene.h"

#include <QPointer>

namespace {

// A layer without cells, as audio and annotation layers are.
class CellLessLayer : public Model::Layer
{
public:
    CellLessLayer()
        : Layer(nullptr)
    {
    }
    int type() const override { return AudioLayerType; }
    bool isFrameValid(int) const override { return false; }
    Layer* clone() const override { return new CellLessLayer(); }
};

} // namespace

class TestScene : public QObject
{
    Q_OBJECT

private slots:
    void lookupLayerItem();
    void lookupFindsNothing_data();
    void lookupFindsNothing();
    void layersOutliveTheSceneWhenHeldElsewhere();
};

void TestScene::lookupLayerItem()
{
    Model::Scene scene;
    auto first = std::make_shared<FixtureLayer>();
    auto second = std::make_shared<FixtureLayer>();
    Fixture::build(*first, "AB");
    Fixture::build(*second, "C.D");
    QCOMPARE(scene.addLayer(first), 0);
    QCOMPARE(scene.addLayer(second), 1);
    QCOMPARE(first->parent(), &scene);
    QCOMPARE(scene.numLayers(), 2);
    QCOMPARE(scene.layer(1), std::shared_ptr<Model::Layer>(second));
    QVERIFY(!scene.layer(2));
    QVERIFY(!scene.layer(-1));

    auto const d = second->layerItem(3);
    int layer = -1;
    int frame = -1;
    QCOMPARE(scene.lookupLayerItem(d->reference(second->identifier()), &layer, &frame), d);
    QCOMPARE(layer, 1);
    QCOMPARE(frame, 3);
    QVERIFY(scene.hasDrawing(first->layerItem(2)->reference(first->identifier()), &layer, &frame));
    QCOMPARE(layer, 0);
    QCOMPARE(frame, 2);
    // Either out-parameter may be left out.
    QCOMPARE(scene.lookupLayerItem(d->reference(second->identifier())), d);
}

void TestScene::lookupFindsNothing_data()
{
    QTest::addColumn<int>("which");
    QTest::newRow("null reference") << 0;
    QTest::newRow("null layer identifier") << 1;
    QTest::newRow("null cell identifier") << 2;
    QTest::newRow("cell on another layer") << 3;
    QTest::newRow("unknown layer") << 4;
    QTest::newRow("layer without cells") << 5;
}

void TestScene::lookupFindsNothing()
{
    QFETCH(int, which);

    Model::Scene scene;
    auto visual = std::make_shared<FixtureLayer>();
    auto cellLess = std::make_shared<CellLessLayer>();
    Fixture::build(*visual, "A");
    scene.addLayer(visual);
    scene.addLayer(cellLess);
    QUuid const cell = visual->layerItem(1)->identifier;

    Model::DrawingRef const refs[] = {
        {},
        {QUuid(), cell},
        {visual->identifier(), QUuid()},
        {cellLess->identifier(), cell},
        {QUuid::createUuid(), cell},
        {cellLess->identifier(), QUuid::createUuid()},
    };
    int layer = 7;
    int frame = 8;
    QVERIFY(!scene.lookupLayerItem(refs[which], &layer, &frame));
    QVERIFY(!scene.hasDrawing(refs[which], &layer, &frame));
    QCOMPARE(layer, 7);
    QCOMPARE(frame, 8);
}

void TestScene::layersOutliveTheSceneWhenHeldElsewhere()
{
    auto kept = std::make_shared<FixtureLayer>();
    QPointer<FixtureLayer> dropped;
    {
        auto scene = std::make_unique<Model::Scene>();
        auto other = std::make_shared<FixtureLayer>();
        dropped = other.get();
        scene->addLayer(kept);
        scene->addLayer(other);
    }
    QVERIFY(dropped.isNull());
    QVERIFY(!kept->parent());
    QCOMPARE(kept.use_count(), 1);
}

QUILLMERE_TEST_MAIN(TestScene)
#include "tst_scene.moc"
