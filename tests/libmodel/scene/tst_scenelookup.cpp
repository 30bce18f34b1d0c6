// Which stroke layer owns the drawing a cell shows.
#include "../commands/CommandFixture.h"

#include "startup/Init.h"

class TestSceneLookup : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Model::init(); }
    void originalStrokeLayer_data();
    void originalStrokeLayer();
    void originalStrokeLayerOfBrokenOrHiddenCells();

private:
    static int indexOf(CommandScene const& f, Model::StrokeLayer const* layer)
    {
        for (int i = 0; layer && i < f.scene->numLayers(); ++i) {
            if (f.scene->layer(i).get() == layer)
                return i;
        }
        return -1;
    }
};

void TestSceneLookup::originalStrokeLayer_data()
{
    QTest::addColumn<int>("layer");
    QTest::addColumn<int>("frame");
    QTest::addColumn<int>("expected"); // layer index, -1 for none

    QTest::newRow("original") << int(CommandScene::Ink) << 3 << int(CommandScene::Ink);
    QTest::newRow("hold") << int(CommandScene::Ink) << 2 << int(CommandScene::Ink);
    QTest::newRow("distant clone of another stroke layer")
        << int(CommandScene::Ink) << 4 << int(CommandScene::Paper);
    QTest::newRow("distant clone of this layer's cell seen from the other")
        << int(CommandScene::Paper) << 3 << int(CommandScene::Ink);
    QTest::newRow("frame 0") << int(CommandScene::Ink) << 0 << -1;
    QTest::newRow("virtual last frame") << int(CommandScene::Ink) << 5 << -1;
    QTest::newRow("reference layer") << int(CommandScene::Ref) << 1 << -1;
    QTest::newRow("audio layer") << int(CommandScene::Sound) << 1 << -1;
    QTest::newRow("bad index") << 9 << 1 << -1;
}

void TestSceneLookup::originalStrokeLayer()
{
    QFETCH(int, layer);
    QFETCH(int, frame);
    QFETCH(int, expected);

    CommandScene f;
    QCOMPARE(indexOf(f, f.scene->lookupOriginalStrokeLayer(layer, frame)), expected);
}

void TestSceneLookup::originalStrokeLayerOfBrokenOrHiddenCells()
{
    CommandScene f;
    auto const ink4 = f.ink->layerItem(4);
    Model::DrawingRef const missing{QUuid::createUuid(), QUuid::createUuid()};

    // An original that is not found: back over the cells before the clone.
    ink4->original = missing;
    QCOMPARE(indexOf(f, f.scene->lookupOriginalStrokeLayer(CommandScene::Ink, 4)),
             int(CommandScene::Ink));
    // An original on a layer that is no stroke layer.
    ink4->original = f.ref->layerItem(1)->reference(f.ref->identifier());
    QVERIFY(!f.scene->lookupOriginalStrokeLayer(CommandScene::Ink, 4));

    // Nothing found down to frame 1: the layer itself.
    auto const paper1 = f.paper->layerItem(1);
    paper1->kind = Model::LayerItem::DistantClone;
    paper1->original = missing;
    QCOMPARE(indexOf(f, f.scene->lookupOriginalStrokeLayer(CommandScene::Paper, 2)),
             int(CommandScene::Paper));

    CommandScene g;
    g.paper->setVisible(false);
    QVERIFY(!g.scene->lookupOriginalStrokeLayer(CommandScene::Paper, 1));
    // A hidden owner is still the owner of what a visible layer shows.
    QCOMPARE(indexOf(g, g.scene->lookupOriginalStrokeLayer(CommandScene::Ink, 4)),
             int(CommandScene::Paper));
}

QUILLMERE_TEST_MAIN(TestSceneLookup)

#include "tst_scenelookup.moc"
