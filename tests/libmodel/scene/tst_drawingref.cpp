#include "TestSupport.h"

#include "scene/DrawingRef.h"

#include <QMap>
#include <QSet>

using Model::DrawingRef;

namespace {

QUuid uuid(int n)
{
    return QUuid(QStringLiteral("{00000000-0000-0000-0000-%1}").arg(n, 12, 10, QLatin1Char('0')));
}

} // namespace

class TestDrawingRef : public QObject
{
    Q_OBJECT

private slots:
    void ordering_data();
    void ordering();
    void hashingAndEquality();
};

void TestDrawingRef::ordering_data()
{
    QTest::addColumn<int>("layerA");
    QTest::addColumn<int>("drawingA");
    QTest::addColumn<int>("layerB");
    QTest::addColumn<int>("drawingB");
    QTest::addColumn<bool>("less");

    QTest::newRow("same layer, smaller drawing") << 1 << 1 << 1 << 2 << true;
    QTest::newRow("same layer, larger drawing") << 1 << 2 << 1 << 1 << false;
    QTest::newRow("smaller layer, larger drawing") << 1 << 9 << 2 << 1 << true;
    QTest::newRow("larger layer, smaller drawing") << 2 << 1 << 1 << 9 << false;
    QTest::newRow("equal") << 3 << 3 << 3 << 3 << false;
}

void TestDrawingRef::ordering()
{
    QFETCH(int, layerA);
    QFETCH(int, drawingA);
    QFETCH(int, layerB);
    QFETCH(int, drawingB);
    QFETCH(bool, less);

    DrawingRef const a{uuid(layerA), uuid(drawingA)};
    DrawingRef const b{uuid(layerB), uuid(drawingB)};
    QCOMPARE(a < b, less);
    QCOMPARE(a == b, layerA == layerB && drawingA == drawingB);
}

void TestDrawingRef::hashingAndEquality()
{
    DrawingRef const a{uuid(1), uuid(2)};
    DrawingRef const swapped{uuid(2), uuid(1)};
    DrawingRef const again{uuid(1), uuid(2)};

    QVERIFY(a == again);
    QVERIFY(a != swapped);
    QCOMPARE(qHash(a, 17), qHash(again, 17));
    QSet<DrawingRef> const set{a, swapped, again};
    QCOMPARE(set.size(), 2);
    QVERIFY(set.contains(DrawingRef{uuid(2), uuid(1)}));

    QMap<DrawingRef, int> map;
    map.insert(DrawingRef{uuid(2), uuid(0)}, 3);
    map.insert(DrawingRef{uuid(1), uuid(5)}, 2);
    map.insert(DrawingRef{uuid(1), uuid(4)}, 1);
    QCOMPARE(map.values(), (QList<int>{1, 2, 3}));

    QVERIFY(DrawingRef().isNull());
    QVERIFY(!(DrawingRef{QUuid(), uuid(1)}.isNull()));
}

QUILLMERE_TEST_MAIN(TestDrawingRef)
#include "tst_drawingref.moc"
