#include "TestSupport.h"

#include "drawings/ImageDrawing.h"
#include "scene/LayerItem.h"
#include "scene/SceneChange.h"

#include <algorithm>

using Model::LayerChange;
using Model::SceneChange;

namespace {

// A record whose every payload field is set, whatever its kind.
LayerChange loaded(int kind)
{
    QImage image(4, 4, QImage::Format_ARGB32);
    image.fill(Qt::red);
    LayerChange change(kind, 5, std::make_shared<Model::LayerItem>());
    change.transform = QTransform::fromTranslate(3, 4);
    change.image = image;
    return change;
}

} // namespace

class TestLayerChange : public QObject
{
    Q_OBJECT

private slots:
    void construction();
    void copyAndMoveCarryThePayloadOfTheKind_data();
    void copyAndMoveCarryThePayloadOfTheKind();
    void moveAssignmentDropsTheTargetsOldPayload();
    void reversingAListKeepsEveryRecord();
    void sceneChangeKeepsItsLayer();
};

void TestLayerChange::construction()
{
    LayerChange const none;
    QCOMPARE(none.kind, 0);
    QCOMPARE(none.frame, -1);

    LayerChange const byTransform(LayerChange::OffPegsTransform, 2, QTransform::fromScale(2, 2));
    QCOMPARE(byTransform.transform, QTransform::fromScale(2, 2));
    QVERIFY(!byTransform.cell);
    QVERIFY(byTransform.image.isNull());

    LayerChange const byImage(LayerChange::InsertImage, 3, QImage(2, 2, QImage::Format_Alpha8));
    QCOMPARE(byImage.image.size(), QSize(2, 2));
    QVERIFY(byImage.transform.isIdentity());
    QVERIFY(!byImage.cell);
}

void TestLayerChange::copyAndMoveCarryThePayloadOfTheKind_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("cell");
    QTest::addColumn<bool>("transform");
    QTest::addColumn<bool>("image");

    QTest::newRow("0 none") << 0 << false << false << false;
    QTest::newRow("1 insert cell") << 1 << true << false << false;
    QTest::newRow("2 replace cell") << 2 << true << false << false;
    QTest::newRow("3 remove frame") << 3 << true << false << false;
    QTest::newRow("4 off-pegs transform") << 4 << false << true << false;
    QTest::newRow("5 insert image") << 5 << false << false << true;
    QTest::newRow("6 replace image") << 6 << false << false << true;
    QTest::newRow("7 remove image") << 7 << false << false << true;
    QTest::newRow("8 unknown") << 8 << false << false << false;
}

void TestLayerChange::copyAndMoveCarryThePayloadOfTheKind()
{
    QFETCH(int, kind);
    QFETCH(bool, cell);
    QFETCH(bool, transform);
    QFETCH(bool, image);

    LayerChange source = loaded(kind);
    auto const sharedCell = source.cell;

    LayerChange const copy(source);
    QCOMPARE(copy.kind, kind);
    QCOMPARE(copy.frame, 5);
    QCOMPARE(copy.cell == sharedCell, cell);
    QCOMPARE(!copy.transform.isIdentity(), transform);
    QCOMPARE(!copy.image.isNull(), image);
    // A copy shares the cell; the source keeps it.
    QCOMPARE(source.cell, sharedCell);

    LayerChange assigned;
    assigned = source;
    QCOMPARE(assigned.cell == sharedCell, cell);
    QCOMPARE(!assigned.transform.isIdentity(), transform);
    QCOMPARE(!assigned.image.isNull(), image);

    LayerChange const moved(std::move(source));
    QCOMPARE(moved.kind, kind);
    QCOMPARE(moved.frame, 5);
    QCOMPARE(moved.cell == sharedCell, cell);
    QCOMPARE(!moved.transform.isIdentity(), transform);
    QCOMPARE(!moved.image.isNull(), image);
    QCOMPARE(source.kind, 0);
    QCOMPARE(source.frame, -1);
    if (cell)
        QVERIFY(!source.cell);
    if (image)
        QVERIFY(source.image.isNull());
}

void TestLayerChange::moveAssignmentDropsTheTargetsOldPayload()
{
    LayerChange target = loaded(LayerChange::ReplaceImage);
    LayerChange source(LayerChange::InsertCell, 2, std::make_shared<Model::LayerItem>());
    auto const cell = source.cell;

    target = std::move(source);
    QCOMPARE(target.kind, int(LayerChange::InsertCell));
    QCOMPARE(target.frame, 2);
    QCOMPARE(target.cell, cell);
    QCOMPARE(cell.use_count(), 2);
    QVERIFY(target.image.isNull());
    QCOMPARE(source.kind, 0);
    QCOMPARE(source.frame, -1);
}

void TestLayerChange::reversingAListKeepsEveryRecord()
{
    auto const cell = std::make_shared<Model::LayerItem>();
    QList<LayerChange> list{
        LayerChange(LayerChange::InsertCell, 1, cell),
        LayerChange(LayerChange::OffPegsTransform, 2, QTransform::fromTranslate(7, 0)),
        LayerChange(LayerChange::RemoveImage, 3, QImage(3, 3, QImage::Format_Alpha8)),
    };
    std::reverse(list.begin(), list.end());

    QCOMPARE(list.at(0).kind, int(LayerChange::RemoveImage));
    QCOMPARE(list.at(0).frame, 3);
    QCOMPARE(list.at(0).image.size(), QSize(3, 3));
    QCOMPARE(list.at(1).transform, QTransform::fromTranslate(7, 0));
    QCOMPARE(list.at(2).kind, int(LayerChange::InsertCell));
    QCOMPARE(list.at(2).frame, 1);
    QCOMPARE(list.at(2).cell, cell);
    QCOMPARE(cell.use_count(), 2);
}

void TestLayerChange::sceneChangeKeepsItsLayer()
{
    auto const cell = std::make_shared<Model::LayerItem>();
    LayerChange layerChange(LayerChange::InsertCell, 4, cell);

    SceneChange const copied(layerChange, 2);
    QCOMPARE(copied.layer, 2);
    QCOMPARE(copied.cell, cell);
    QCOMPARE(layerChange.cell, cell);

    SceneChange moved(std::move(layerChange), 3);
    QCOMPARE(moved.layer, 3);
    QCOMPARE(moved.frame, 4);
    QCOMPARE(moved.cell, cell);
    QCOMPARE(layerChange.kind, 0);

    SceneChange const removal(LayerChange::RemoveFrame, 6, nullptr, 1);
    QCOMPARE(removal.kind, int(LayerChange::RemoveFrame));
    QCOMPARE(removal.layer, 1);
    QVERIFY(!removal.cell);

    QList<SceneChange> list{removal, moved};
    std::reverse(list.begin(), list.end());
    QCOMPARE(list.at(0).layer, 3);
    QCOMPARE(list.at(0).cell, cell);
    QCOMPARE(list.at(1).layer, 1);

    SceneChange const transform(LayerChange::OffPegsTransform, 1, QTransform::fromScale(3, 3), 0);
    SceneChange const copy(transform);
    QCOMPARE(copy.layer, 0);
    QCOMPARE(copy.transform, QTransform::fromScale(3, 3));
}

QUILLMERE_TEST_MAIN(TestLayerChange)
#include "tst_layerchange.moc"
