#include "TestSupport.h"

#include "scene/AnnotationLayer.h"
#include "scene/LayerChange.h"

using Model::AnnotationLayer;
using Model::LayerChange;

namespace {

// An 8-bit note image whose every byte is the given value.
QImage note(int value, QSize const& size = QSize(6, 3))
{
    QImage image(size, QImage::Format_Alpha8);
    image.fill(0);
    for (int y = 0; y < image.height(); ++y)
        std::fill_n(image.scanLine(y), image.width(), uchar(value));
    return image;
}

// The layer's images as text, one entry per stored frame: the byte value of
// each image, "-" for a null one.
QString describe(AnnotationLayer const& layer, int frames = 8)
{
    QStringList parts;
    int last = 0;
    for (int f = 1; f <= frames; ++f) {
        QImage const image = layer.annotationImage(f);
        parts << (image.isNull() ? QStringLiteral("-") : QString::number(image.constBits()[0]));
        if (!image.isNull())
            last = f;
    }
    return parts.mid(0, std::max(last, 0)).join(QLatin1Char(' '));
}

// Applies records as the scene's undo does for an annotation layer.
void apply(AnnotationLayer& layer, QList<LayerChange> const& changes)
{
    for (LayerChange const& change : changes) {
        switch (change.kind) {
        case LayerChange::InsertImage:
            layer.insertFrame(change.frame, change.image);
            break;
        case LayerChange::ReplaceImage:
            layer.replaceFrame(change.frame, change.image);
            break;
        case LayerChange::RemoveImage:
            layer.removeFrame(change.frame);
            break;
        default:
            QFAIL(qPrintable(QStringLiteral("unexpected record kind %1").arg(change.kind)));
        }
    }
}

// Every stored frame, nulls included, so that undo must restore the padding.
QList<QImage> images(AnnotationLayer const& layer)
{
    QList<QImage> list;
    for (int f = 1; f <= 12; ++f)
        list << layer.annotationImage(f);
    return list;
}

} // namespace

class TestAnnotationLayer : public QObject
{
    Q_OBJECT

private slots:
    void isALayerWithoutCells();
    void editsAndTheirRecords_data();
    void editsAndTheirRecords();
    void blankAndHeldFramesInsertAnEmptyFrame_data();
    void blankAndHeldFramesInsertAnEmptyFrame();
    void thumbnailShowsTheBytesAsWarmGrey();
    void thumbnailOutlivesTheImage();
};

void TestAnnotationLayer::isALayerWithoutCells()
{
    AnnotationLayer layer(nullptr);
    QCOMPARE(layer.type(), 5);
    QCOMPARE(layer.length(), 0);
    QVERIFY(!layer.isFrameValid(1));
    QVERIFY(!layer.clone());
    QVERIFY(layer.annotationImage(0).isNull());
    QVERIFY(layer.annotationImage(1).isNull());
    layer.addImage(note(7));
    layer.addImage(note(9));
    QCOMPARE(describe(layer), QStringLiteral("7 9"));
    QVERIFY(layer.annotationImage(0).isNull());
    QVERIFY(layer.annotationImage(-1).isNull());
    QVERIFY(layer.annotationImage(3).isNull());
    // Still no frame of its own.
    QCOMPARE(layer.length(), 0);
    QVERIFY(!layer.isFrameValid(1));
}

void TestAnnotationLayer::editsAndTheirRecords_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("frame");
    QTest::addColumn<int>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("record");

    // "before" is the number of images 1, 2, 3... stored first; the edits put
    // in an image of byte 50.
    QTest::newRow("replace on an empty layer") << "replace" << 5 << 0 << "- - - - 50" << "6@5 null";
    QTest::newRow("replace a stored image") << "replace" << 2 << 3 << "1 50 3" << "6@2 2";
    QTest::newRow("insert on an empty layer") << "insert" << 3 << 0 << "- - 50" << "7@3 null";
    QTest::newRow("insert moves the rest later") << "insert" << 2 << 3 << "1 50 2 3" << "7@2 null";
    QTest::newRow("insert past the stored images") << "insert" << 5 << 2 << "1 2 - - 50" << "7@5 null";
    QTest::newRow("remove moves the rest earlier") << "remove" << 2 << 3 << "1 3" << "5@2 2";
    QTest::newRow("remove the last stored image") << "remove" << 3 << 3 << "1 2" << "5@3 3";
    QTest::newRow("remove past the list") << "remove" << 4 << 3 << "1 2 3" << "";
    QTest::newRow("remove frame 0") << "remove" << 0 << 3 << "1 2 3" << "";
    QTest::newRow("insert at frame 0") << "insert" << 0 << 2 << "1 2" << "";
    QTest::newRow("replace at frame 0") << "replace" << 0 << 2 << "1 2" << "";
}

void TestAnnotationLayer::editsAndTheirRecords()
{
    QFETCH(QString, operation);
    QFETCH(int, frame);
    QFETCH(int, before);
    QFETCH(QString, after);
    QFETCH(QString, record);

    AnnotationLayer layer(nullptr);
    for (int i = 1; i <= before; ++i)
        layer.addImage(note(i));
    QList<QImage> const original = images(layer);

    QList<LayerChange> changes;
    if (operation == QLatin1String("replace"))
        changes = layer.replaceFrame(frame, note(50));
    else if (operation == QLatin1String("insert"))
        changes = layer.insertFrame(frame, note(50));
    else
        changes = layer.removeFrame(frame);

    QCOMPARE(describe(layer), after);
    QStringList parts;
    for (LayerChange const& change : changes) {
        QVERIFY(!change.cell);
        QVERIFY(change.transform.isIdentity());
        parts << QStringLiteral("%1@%2 %3")
                     .arg(change.kind)
                     .arg(change.frame)
                     .arg(change.image.isNull() ? QStringLiteral("null")
                                                : QString::number(change.image.constBits()[0]));
    }
    QCOMPARE(parts.join(QLatin1Char(';')), record);

    // The records undo the edit, padding included.
    apply(layer, changes);
    QList<QImage> const undone = images(layer);
    for (int f = 0; f < 12; ++f) {
        QCOMPARE(undone.at(f).isNull(), original.at(f).isNull());
        if (!original.at(f).isNull())
            QCOMPARE(undone.at(f), original.at(f));
    }
}

void TestAnnotationLayer::blankAndHeldFramesInsertAnEmptyFrame_data()
{
    QTest::addColumn<bool>("hold");
    QTest::newRow("blank") << false;
    QTest::newRow("hold") << true;
}

void TestAnnotationLayer::blankAndHeldFramesInsertAnEmptyFrame()
{
    QFETCH(bool, hold);
    auto const insertAfter = [hold](AnnotationLayer& layer, int frame) {
        if (hold)
            layer.insertHoldFrameAfter(frame);
        else
            layer.insertBlankFrameAfter(frame);
    };

    AnnotationLayer layer(nullptr);
    layer.addImage(note(1));
    layer.addImage(note(2));
    insertAfter(layer, 1);
    QCOMPARE(describe(layer), QStringLiteral("1 - 2"));
    insertAfter(layer, 0);
    insertAfter(layer, -2);
    QCOMPARE(describe(layer), QStringLiteral("1 - 2"));
    // Past the stored images the list grows to reach the frame first.
    insertAfter(layer, 5);
    layer.replaceFrame(7, note(7));
    QCOMPARE(describe(layer), QStringLiteral("1 - 2 - - - 7"));
    // The inserted frame can be taken out again, as its undo does.
    QCOMPARE(layer.removeFrame(6).size(), 1);
    QCOMPARE(describe(layer), QStringLiteral("1 - 2 - - 7"));
}

void TestAnnotationLayer::thumbnailShowsTheBytesAsWarmGrey()
{
    AnnotationLayer layer(nullptr);
    QImage image(4, 2, QImage::Format_Alpha8);
    uchar const rows[2][4] = {{255, 255, 0, 0}, {128, 128, 64, 64}};
    for (int y = 0; y < 2; ++y)
        std::copy_n(rows[y], 4, image.scanLine(y));
    layer.addImage(image);

    QImage const same = layer.thumbnail(1, QSize(4, 2));
    QCOMPARE(same.size(), QSize(4, 2));
    QCOMPARE(same.pixelColor(0, 0), QColor(185, 183, 181, 255));
    QCOMPARE(same.pixelColor(3, 0).alpha(), 0);
    QCOMPARE(same.pixelColor(0, 1), QColor(185, 183, 181, 128));
    QCOMPARE(same.pixelColor(2, 1), QColor(185, 183, 181, 64));

    QImage const full = layer.thumbnail(1, QSize(400, 200));
    QCOMPARE(full.size(), QSize(400, 200));
    QColor const opaque = full.pixelColor(10, 10);
    QCOMPARE(opaque.alpha(), 255);
    QCOMPARE(opaque.rgb(), QColor(185, 183, 181).rgb());

    // An image of another depth is first made one byte per pixel.
    QImage wide(4, 2, QImage::Format_ARGB32);
    wide.fill(QColor(0, 0, 0, 255));
    layer.replaceFrame(1, wide);
    QCOMPARE(layer.thumbnail(1, QSize(4, 2)).pixelColor(1, 1), QColor(185, 183, 181, 255));

    QVERIFY(layer.thumbnail(2, QSize(4, 2)).isNull());
    QVERIFY(layer.thumbnail(0, QSize(4, 2)).isNull());
    layer.insertBlankFrameAfter(1);
    QVERIFY(layer.thumbnail(2, QSize(4, 2)).isNull());
}

void TestAnnotationLayer::thumbnailOutlivesTheImage()
{
    // A thumbnail of the image's own size must not share the stored bytes:
    // it stays whole when the image is replaced and released.
    AnnotationLayer layer(nullptr);
    layer.addImage(note(200, QSize(64, 64)));
    QImage const thumb = layer.thumbnail(1, QSize(64, 64));
    layer.replaceFrame(1, note(10, QSize(64, 64)));
    layer.removeFrame(1);
    QImage const fresh = note(90, QSize(64, 64)); // may reuse the freed memory
    QCOMPARE(thumb.pixelColor(63, 63), QColor(185, 183, 181, 200));
    QCOMPARE(thumb.pixelColor(0, 0), QColor(185, 183, 181, 200));
    Q_UNUSED(fresh);
}

QUILLMERE_TEST_MAIN(TestAnnotationLayer)
#include "tst_annotationlayer.moc"
