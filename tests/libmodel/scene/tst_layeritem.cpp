#include "TestSupport.h"

#include "drawings/ImageDrawing.h"
#include "scene/LayerItem.h"

using Model::LayerItem;

namespace {

class CountingDrawing : public Model::ImageDrawing
{
public:
    CountingDrawing()
        : ImageDrawing(QImage())
    {
    }
    void changeFrameSize(QSize const& size, KW::FitMode mode) override
    {
        ++calls;
        lastSize = size;
        lastMode = mode;
    }
    int calls = 0;
    QSize lastSize;
    KW::FitMode lastMode = KW::FitMode::FitModeIgnore;
};

} // namespace

class TestLayerItem : public QObject
{
    Q_OBJECT

private slots:
    void holdMadeFromADrawing();
    void changeFrameSizeMovesTheOffPegsTranslation_data();
    void changeFrameSizeMovesTheOffPegsTranslation();
    void onlyAnOriginalChangesItsDrawing_data();
    void onlyAnOriginalChangesItsDrawing();
};

void TestLayerItem::holdMadeFromADrawing()
{
    auto drawing = std::make_shared<Model::ImageDrawing>(QImage());
    LayerItem first(drawing);
    LayerItem second(drawing);

    QCOMPARE(first.kind, int(LayerItem::Hold));
    QCOMPARE(first.drawing, drawing);
    QVERIFY(!first.identifier.isNull());
    QVERIFY(first.identifier != second.identifier);
    QVERIFY(first.offPegsTransform.isIdentity());
    QVERIFY(!first.keyDrawing);
    QVERIFY(first.clones.isEmpty());
    QVERIFY(first.original.isNull());
}

void TestLayerItem::changeFrameSizeMovesTheOffPegsTranslation_data()
{
    QTest::addColumn<QSize>("newSize");
    QTest::addColumn<KW::FitMode>("mode");
    QTest::addColumn<QTransform>("before");
    QTest::addColumn<QTransform>("after");

    QSize const wider(2000, 500);
    QTransform const shift = QTransform::fromTranslate(10, 10);
    QTest::newRow("stretch") << wider << KW::FitMode::FitModeStretch << shift
                             << QTransform::fromTranslate(20, 10);
    QTest::newRow("keep aspect") << wider << KW::FitMode::FitModeKeepAspect << shift << shift;
    QTest::newRow("keep aspect by expanding")
        << wider << KW::FitMode::FitModeKeepAspectByExpanding << shift
        << QTransform::fromTranslate(20, 20);
    QTest::newRow("keep aspect, smaller") << QSize(500, 500) << KW::FitMode::FitModeKeepAspect
                                          << shift << QTransform::fromTranslate(5, 5);
    QTest::newRow("crop centre") << wider << KW::FitMode::FitModeCropCenter << shift << shift;
    QTest::newRow("ignore") << wider << KW::FitMode::FitModeIgnore << shift << shift;
    QTest::newRow("identity stays") << wider << KW::FitMode::FitModeStretch << QTransform()
                                    << QTransform();
    // The shift is applied after the existing transform: a scaled cell moves by
    // the translation's change alone, not by its scaled change.
    QTest::newRow("shift after scale")
        << wider << KW::FitMode::FitModeStretch << QTransform(2, 0, 0, 2, 10, 10)
        << QTransform(2, 0, 0, 2, 20, 10);
}

void TestLayerItem::changeFrameSizeMovesTheOffPegsTranslation()
{
    QFETCH(QSize, newSize);
    QFETCH(KW::FitMode, mode);
    QFETCH(QTransform, before);
    QFETCH(QTransform, after);

    LayerItem item(LayerItem::Original, QUuid::createUuid(), nullptr);
    item.offPegsTransform = before;
    item.changeFrameSize(QSize(1000, 500), newSize, mode);
    QCOMPARE(item.offPegsTransform, after);
}

void TestLayerItem::onlyAnOriginalChangesItsDrawing_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("calls");
    QTest::newRow("original") << int(LayerItem::Original) << 1;
    QTest::newRow("hold") << int(LayerItem::Hold) << 0;
    QTest::newRow("distant clone") << int(LayerItem::DistantClone) << 0;
}

void TestLayerItem::onlyAnOriginalChangesItsDrawing()
{
    QFETCH(int, kind);
    QFETCH(int, calls);

    auto drawing = std::make_shared<CountingDrawing>();
    LayerItem item(kind, QUuid::createUuid(), drawing);
    item.changeFrameSize(QSize(1000, 500), QSize(640, 480), KW::FitMode::FitModeCropCenter);
    QCOMPARE(drawing->calls, calls);
    if (calls) {
        QCOMPARE(drawing->lastSize, QSize(640, 480));
        QCOMPARE(drawing->lastMode, KW::FitMode::FitModeCropCenter);
    }
}

QUILLMERE_TEST_MAIN(TestLayerItem)
#include "tst_layeritem.moc"
