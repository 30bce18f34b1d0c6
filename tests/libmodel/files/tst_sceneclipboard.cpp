// The clipboard form of drawings: the scene's own binary form with each
// drawing carried once, the text and image alternatives, and how many
// drawings a clipboard content would paste onto the active layer.
#include "TestSupport.h"

#include "SceneFileFixtures.h"

#include "rendering/OffscreenRenderer.h"
#include "tools/PenTool.h"

#include <QMimeData>

using namespace SceneFiles;
using Model::LayerItem;

namespace {

struct Payload
{
    int kind = -1;
    QUuid copyId;
    bool follows = false;
    QByteArray drawing; // the bytes after the flag
};

struct Content
{
    int type = 0;
    int count = 0;
    QList<Payload> payloads;
    bool complete = false;
};

Content decode(QByteArray const& bytes)
{
    Content content;
    QDataStream in(bytes);
    qint32 type = 0;
    qint32 count = 0;
    in >> type >> count;
    content.type = type;
    content.count = count;
    for (int i = 0; i < count && in.status() == QDataStream::Ok; ++i) {
        QByteArray block; // a writeBytes block reads as a byte array
        in >> block;
        QDataStream inner(block);
        inner.setFloatingPointPrecision(QDataStream::SinglePrecision);
        Payload payload;
        qint32 kind = -1;
        inner >> kind >> payload.copyId >> payload.follows;
        payload.kind = kind;
        payload.drawing = block.mid(inner.device()->pos());
        content.payloads << payload;
    }
    content.complete = in.status() == QDataStream::Ok && in.atEnd();
    return content;
}

QByteArray strokesOf(QByteArray const& payload)
{
    QDataStream in(payload);
    in.setFloatingPointPrecision(QDataStream::SinglePrecision);
    Model::StrokeDrawing drawing(QSize(-1, -1));
    in >> drawing;
    return in.status() == QDataStream::Ok ? strokeBytes(drawing) : QByteArray("damaged");
}

QImage imageOf(QByteArray const& payload)
{
    QDataStream in(payload);
    QImage image;
    in >> image;
    return image;
}

QByteArray header(qint32 type, qint32 count)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << type << count;
    return bytes;
}

} // namespace

class TestSceneClipboard : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void contentCarriesThreeForms_data();
    void contentCarriesThreeForms();
    void invalidLayersAndRangesGiveNoContent_data();
    void invalidLayersAndRangesGiveNoContent();
    void eachDrawingTravelsOnce();
    void aRangeStartingOnAHoldCarriesTheHeldDrawing();
    void theCopyIdentifierStaysWithTheDrawing();
    void strokeImageIsOpaqueAtTheLayersOpacity();
    void referenceLayersCarryTheirPictures();
    void drawingsInPaste_data();
    void drawingsInPaste();

private:
    QObject m_toolOwner;
    Model::PenTool* m_pen = nullptr;
    std::unique_ptr<Model::Scene> m_scene;
    std::shared_ptr<Model::StrokeLayer> m_ink;
    std::shared_ptr<Model::StrokeLayer> m_other;
    std::shared_ptr<Model::ReferenceLayer> m_photos;
    QImage m_picture;
};

void TestSceneClipboard::initTestCase()
{
    QVERIFY(Model::OffscreenRenderer::instance()->initialize(QSize(80, 60)));
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Quillmere"));
    m_pen = new Model::PenTool(Model::Tool::Marker, &m_toolOwner);
    m_pen->setSizeRangePercent(8.0, 10.0);
    m_picture = QImage(6, 4, QImage::Format_ARGB32);
    m_picture.fill(qRgba(200, 100, 50, 255));
    m_picture.setPixel(2, 1, qRgba(0, 0, 0, 255));
}

// Layers, top to bottom of the list:
//   0 "Ink"     stroke:     A . . B b(clone of B) x(clone of X)
//   1 "Other"   stroke:     X
//   2 "Photos"  reference:  P . Q(null picture)
//   3 "Sound"   audio
//   4 "Notes"   annotation
void TestSceneClipboard::init()
{
    QSize const size(80, 60);
    m_scene = std::make_unique<Model::Scene>();
    m_scene->setName(QStringLiteral("Clip"));
    m_scene->setFrameSize(size, KW::FitMode::FitModeIgnore, nullptr);

    m_ink = std::make_shared<Model::StrokeLayer>(QColor(Qt::blue), size, nullptr);
    m_ink->setName(QStringLiteral("Ink"));
    m_other = std::make_shared<Model::StrokeLayer>(QColor(Qt::red), size, nullptr);
    m_other->setName(QStringLiteral("Other"));
    m_photos = std::make_shared<Model::ReferenceLayer>(size, nullptr);
    m_photos->setName(QStringLiteral("Photos"));

    auto const drawn = [&](QPointF from, QPointF to) {
        auto drawing = std::make_shared<Model::StrokeDrawing>(size);
        drawing->appendStroke(stroke(m_pen, size, from, to));
        return drawing;
    };
    auto const a = original(drawn({5, 5}, {75, 55}));
    auto const b = original(drawn({5, 55}, {75, 5}));
    auto const x = original(drawn({40, 2}, {40, 58}));
    auto const p = original(std::make_shared<Model::ImageDrawing>(m_picture));
    auto const q = original(std::make_shared<Model::ImageDrawing>(QImage()));
    m_ink->frames().clear();
    m_other->frames().clear();
    m_photos->frames().clear();
    m_ink->frames() << a << hold(a) << hold(a) << b << distantClone(*m_ink, b, *m_ink)
                    << distantClone(*m_other, x, *m_ink);
    m_other->frames() << x;
    m_photos->frames() << p << hold(p) << q;

    auto sound = std::make_shared<Model::AudioLayer>(nullptr);
    auto notes = std::make_shared<Model::AnnotationLayer>(nullptr);
    for (std::shared_ptr<Model::Layer> const& layer :
         {std::shared_ptr<Model::Layer>(m_ink), std::shared_ptr<Model::Layer>(m_other),
          std::shared_ptr<Model::Layer>(m_photos), std::shared_ptr<Model::Layer>(sound),
          std::shared_ptr<Model::Layer>(notes)})
        m_scene->addLayer(layer, m_scene->numLayers());
    m_scene->fixupReferences();
}

void TestSceneClipboard::cleanup()
{
    m_scene.reset();
    m_ink.reset();
    m_other.reset();
    m_photos.reset();
}

void TestSceneClipboard::contentCarriesThreeForms_data()
{
    QTest::addColumn<int>("layer");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("copied");
    QTest::addColumn<QString>("text");

    QTest::newRow("one frame") << 0 << 4 << 1 << 1
                               << QStringLiteral("Quillmere scene Clip, Layer Ink, frame 4");
    QTest::newRow("several frames") << 0 << 2 << 3 << 3
                                    << QStringLiteral("Quillmere scene Clip, Layer Ink, frames 2-4");
    QTest::newRow("cut at the layer's end") << 0 << 5 << 10 << 2
                                            << QStringLiteral("Quillmere scene Clip, Layer Ink, frames 5-6");
    QTest::newRow("last frame alone") << 1 << 1 << 4 << 1
                                      << QStringLiteral("Quillmere scene Clip, Layer Other, frame 1");
    QTest::newRow("pictures") << 2 << 1 << 2 << 2
                              << QStringLiteral("Quillmere scene Clip, Layer Photos, frames 1-2");
}

void TestSceneClipboard::contentCarriesThreeForms()
{
    QFETCH(int, layer);
    QFETCH(int, first);
    QFETCH(int, count);
    QFETCH(int, copied);
    QFETCH(QString, text);

    std::unique_ptr<QMimeData> const mime(m_scene->createMimeData(layer, first, count));
    QVERIFY(mime);
    QCOMPARE(Model::Scene::clipboardMimeType(), QStringLiteral("application/x-quillmere"));
    QVERIFY(mime->hasFormat(QStringLiteral("application/x-quillmere")));
    QCOMPARE(mime->text(), text);
    QVERIFY(mime->hasImage());

    Content const content = decode(mime->data(QStringLiteral("application/x-quillmere")));
    QVERIFY(content.complete);
    QCOMPARE(content.type, m_scene->layerType(layer));
    QCOMPARE(content.count, copied);
    QCOMPARE(content.payloads.size(), copied);
}

void TestSceneClipboard::invalidLayersAndRangesGiveNoContent_data()
{
    QTest::addColumn<int>("layer");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("count");

    QTest::newRow("negative layer") << -1 << 1 << 1;
    QTest::newRow("layer past the list") << 5 << 1 << 1;
    QTest::newRow("audio layer") << 3 << 1 << 1;
    QTest::newRow("annotation layer") << 4 << 1 << 1;
    QTest::newRow("frame 0") << 0 << 0 << 3;
    QTest::newRow("negative frame") << 0 << -2 << 5;
    QTest::newRow("first frame past the end") << 0 << 7 << 1;
    QTest::newRow("virtual last frame") << 1 << 2 << 1;
    QTest::newRow("no frames") << 0 << 1 << 0;
    QTest::newRow("negative count") << 0 << 1 << -4;
}

void TestSceneClipboard::invalidLayersAndRangesGiveNoContent()
{
    QFETCH(int, layer);
    QFETCH(int, first);
    QFETCH(int, count);

    std::unique_ptr<QMimeData> const mime(m_scene->createMimeData(layer, first, count));
    QVERIFY(!mime);
}

void TestSceneClipboard::eachDrawingTravelsOnce()
{
    std::unique_ptr<QMimeData> const mime(m_scene->createMimeData(0, 1, 6));
    QVERIFY(mime);
    Content const content = decode(mime->data(Model::Scene::clipboardMimeType()));
    QVERIFY(content.complete);
    QCOMPARE(content.count, 6);

    QList<int> kinds;
    QList<bool> follows;
    for (Payload const& payload : content.payloads) {
        kinds << payload.kind;
        follows << payload.follows;
    }
    // A with its holds once, B once for itself and its clone on the layer,
    // X because its original was not copied.
    QCOMPARE(kinds, (QList<int>{LayerItem::Original, LayerItem::Hold, LayerItem::Hold,
                                LayerItem::Original, LayerItem::DistantClone, LayerItem::DistantClone}));
    QCOMPARE(follows, (QList<bool>{true, false, false, true, false, true}));

    auto const copyIdAt = [this](int frame) { return m_ink->layerItem(frame)->drawing->currentCopyId(); };
    QVERIFY(!copyIdAt(1).isNull());
    QVERIFY(!copyIdAt(4).isNull());
    QVERIFY(!m_other->layerItem(1)->drawing->currentCopyId().isNull());
    QList<QUuid> const expected{copyIdAt(1), copyIdAt(1), copyIdAt(1),
                                copyIdAt(4), copyIdAt(4), m_other->layerItem(1)->drawing->currentCopyId()};
    for (int i = 0; i < 6; ++i)
        QCOMPARE(content.payloads.at(i).copyId, expected.at(i));
    QVERIFY(copyIdAt(1) != copyIdAt(4));

    // The drawings that follow are the stroke drawings themselves; the
    // payloads without one end after the flag.
    QCOMPARE(strokesOf(content.payloads.at(0).drawing), strokeBytes(*m_ink->strokeDrawing(0)));
    QCOMPARE(strokesOf(content.payloads.at(3).drawing), strokeBytes(*m_ink->strokeDrawing(3)));
    QCOMPARE(strokesOf(content.payloads.at(5).drawing), strokeBytes(*m_other->strokeDrawing(0)));
    for (int const i : {1, 2, 4})
        QVERIFY(content.payloads.at(i).drawing.isEmpty());
}

void TestSceneClipboard::aRangeStartingOnAHoldCarriesTheHeldDrawing()
{
    std::unique_ptr<QMimeData> const mime(m_scene->createMimeData(0, 3, 2));
    QVERIFY(mime);
    Content const content = decode(mime->data(Model::Scene::clipboardMimeType()));
    QCOMPARE(content.payloads.size(), 2);
    QCOMPARE(content.payloads.at(0).kind, int(LayerItem::Hold));
    QVERIFY(content.payloads.at(0).follows);
    QCOMPARE(strokesOf(content.payloads.at(0).drawing), strokeBytes(*m_ink->strokeDrawing(0)));
    QCOMPARE(content.payloads.at(1).kind, int(LayerItem::Original));
    QVERIFY(content.payloads.at(1).follows);

    // The image alternative shows the held drawing.
    std::unique_ptr<QMimeData> const original(m_scene->createMimeData(0, 1, 1));
    QCOMPARE(qvariant_cast<QImage>(mime->imageData()), qvariant_cast<QImage>(original->imageData()));
}

void TestSceneClipboard::theCopyIdentifierStaysWithTheDrawing()
{
    auto const b = m_ink->layerItem(4)->drawing;
    QUuid const given = QUuid::createUuid();
    b->setCopyId(given);
    auto const a = m_ink->layerItem(1)->drawing;
    QVERIFY(a->currentCopyId().isNull());

    std::unique_ptr<QMimeData> const first(m_scene->createMimeData(0, 1, 4));
    QUuid const made = a->currentCopyId();
    QVERIFY(!made.isNull());
    QCOMPARE(b->currentCopyId(), given);

    std::unique_ptr<QMimeData> const second(m_scene->createMimeData(0, 2, 1));
    QCOMPARE(a->currentCopyId(), made);
    QCOMPARE(decode(second->data(Model::Scene::clipboardMimeType())).payloads.at(0).copyId, made);
    QCOMPARE(decode(first->data(Model::Scene::clipboardMimeType())).payloads.at(3).copyId, given);
}

void TestSceneClipboard::strokeImageIsOpaqueAtTheLayersOpacity()
{
    m_ink->setOpacity(0.5);
    std::unique_ptr<QMimeData> const mime(m_scene->createMimeData(0, 4, 1));
    QImage const image = qvariant_cast<QImage>(mime->imageData());
    QCOMPARE(image.size(), QSize(80, 60));
    QCOMPARE(image.format(), QImage::Format_RGB32);

    QImage const coverage = m_ink->strokeDrawing(3)->buffer();
    QVERIFY(!coverage.isNull());
    int inked = 0;
    for (int y = 0; y < coverage.height(); ++y) {
        for (int x = 0; x < coverage.width(); ++x) {
            int const ink = coverage.constScanLine(y)[x];
            QRgb const pixel = image.pixel(x, y);
            // Blue at half the layer's opacity over white.
            double const alpha = ink / 255.0 * 0.5;
            int const expectedRed = qRound(255.0 * (1.0 - alpha));
            QVERIFY2(std::abs(qRed(pixel) - expectedRed) <= 3 && std::abs(qGreen(pixel) - expectedRed) <= 3
                         && qBlue(pixel) == 255,
                     qPrintable(QStringLiteral("(%1, %2): ink %3, pixel %4")
                                    .arg(x).arg(y).arg(ink).arg(pixel, 8, 16)));
            if (ink >= 128)
                ++inked;
        }
    }
    QVERIFY(inked > 20);
}

void TestSceneClipboard::referenceLayersCarryTheirPictures()
{
    std::unique_ptr<QMimeData> const mime(m_scene->createMimeData(2, 1, 3));
    QVERIFY(mime);
    QCOMPARE(qvariant_cast<QImage>(mime->imageData()), m_picture);
    Content const content = decode(mime->data(Model::Scene::clipboardMimeType()));
    QVERIFY(content.complete);
    QCOMPARE(content.type, 3);
    QCOMPARE(content.payloads.size(), 3);
    QCOMPARE(imageOf(content.payloads.at(0).drawing), m_picture);
    QVERIFY(!content.payloads.at(1).follows);
    QVERIFY(content.payloads.at(2).follows);
    QVERIFY(imageOf(content.payloads.at(2).drawing).isNull());
    QCOMPARE(content.payloads.at(2).drawing, QByteArray(4, '\0')); // the null picture's marker

    // A null picture gives no image alternative.
    std::unique_ptr<QMimeData> const empty(m_scene->createMimeData(2, 3, 1));
    QVERIFY(empty);
    QVERIFY(!empty->hasImage());
    QVERIFY(empty->hasText());
}

void TestSceneClipboard::drawingsInPaste_data()
{
    QTest::addColumn<QByteArray>("binary"); // null: no binary form
    QTest::addColumn<bool>("withImage");
    QTest::addColumn<int>("activeLayer");
    QTest::addColumn<int>("drawings");

    auto const own = [this](int layer, int first, int count) {
        std::unique_ptr<QMimeData> const mime(m_scene->createMimeData(layer, first, count));
        return mime ? mime->data(Model::Scene::clipboardMimeType()) : QByteArray();
    };
    init();
    QByteArray const strokes = own(0, 1, 5);
    QByteArray const pictures = own(2, 1, 2);
    QVERIFY(!strokes.isEmpty() && !pictures.isEmpty());

    QTest::newRow("strokes onto a stroke layer") << strokes << true << 1 << 5;
    QTest::newRow("strokes onto a reference layer") << strokes << true << 2 << 0;
    QTest::newRow("pictures onto a reference layer") << pictures << true << 2 << 2;
    QTest::newRow("pictures onto a stroke layer") << pictures << true << 0 << 0;
    QTest::newRow("strokes without an active layer") << strokes << true << -1 << 0;
    QTest::newRow("plain image onto a reference layer") << QByteArray() << true << 2 << 1;
    QTest::newRow("plain image onto a stroke layer") << QByteArray() << true << 0 << 0;
    QTest::newRow("nothing usable") << QByteArray() << false << 2 << 0;
    QTest::newRow("empty binary form") << QByteArray("") << true << 2 << 0;
    QTest::newRow("header cut short") << strokes.left(6) << false << 0 << 0;
    QTest::newRow("count of 0") << header(1, 0) << false << 0 << 0;
    QTest::newRow("negative count") << header(1, -3) << false << 0 << 0;
    QByteArray missingFrames = strokes;
    missingFrames.replace(4, 4, header(0, 9).mid(4)); // claims 9 frames, holds 5
    QTest::newRow("count beyond the frames held") << missingFrames << false << 0 << 0;
    QTest::newRow("last frame cut short") << strokes.left(strokes.size() - 3) << false << 0 << 0;
    QByteArray absurd = header(1, 1);
    absurd.append("\xff\xff\xff\xf0", 4);
    absurd.append("payload");
    QTest::newRow("block longer than the content") << absurd << false << 0 << 0;
    QTest::newRow("absurd count") << header(1, 0x7fffffff) << false << 0 << 0;
}

void TestSceneClipboard::drawingsInPaste()
{
    QFETCH(QByteArray, binary);
    QFETCH(bool, withImage);
    QFETCH(int, activeLayer);
    QFETCH(int, drawings);

    // Without an active layer: a scene with no layers at all.
    Model::Scene empty;
    Model::Scene* const scene = activeLayer >= 0 ? m_scene.get() : &empty;
    if (activeLayer >= 0)
        scene->setActiveFrameAndLayer(1, activeLayer, Model::Scene::KeepWithinDrawnFrames);
    QCOMPARE(scene->activeLayerIdx(), activeLayer);

    QMimeData mime;
    if (!binary.isNull())
        mime.setData(Model::Scene::clipboardMimeType(), binary);
    if (withImage)
        mime.setImageData(m_picture);
    QCOMPARE(scene->numDrawingsInPaste(&mime), drawings);
    QCOMPARE(scene->numDrawingsInPaste(nullptr), 0);
}

QUILLMERE_TEST_MAIN(TestSceneClipboard)
#include "tst_sceneclipboard.moc"
