// Reading scenes: hand-written files read with every fallback, the layer
// ordering and the active layer taken only when they make sense, and damaged
// files of every kind refused with a message instead of crashing or hanging.
#include "TestSupport.h"

#include "SceneFileFixtures.h"

#include "files/Base64Decoder.h"
#include "files/PayloadDecoder.h"
#include "rendering/OffscreenRenderer.h"
#include "strokes/BitmapStroke.h"
#include "tools/PenTool.h"

#include <QFile>
#include <QProgressBar>
#include <QProgressDialog>
#include <QScopeGuard>
#include <QSemaphore>
#include <QThread>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QSignalSpy>

#include <climits>

#include <unistd.h>
#include <zlib.h>

#include <atomic>
#include <new>
#include <thread>

using namespace SceneFiles;
using Model::LayerItem;

namespace {

// The stream form of an empty stroke drawing of 64 x 48, single precision.
constexpr char emptyStrokes[] =
    "AAAAQAAAADAAAAAAAAAAAAAAAAAAAAAAP4AAAAAAAAAAAAAAAAAAAD+AAAAAAAAAAAAAAAAAAAA/gAAA/////w==";
// Run-length image of 2 x 1 pixels, 255 and 128.
constexpr char twoPixelNotes[] = "AAAAAgAAAAEAAAAFAwL/gAo=";

// The stream form of a 64 x 48 stroke drawing holding one bitmap stroke of
// 4 x 4 pixels whose run-length image is damaged: its first run passes the
// end of the row.
QByteArray damagedBitmapStrokes()
{
    QImage image(4, 4, QImage::Format_Alpha8);
    image.fill(0x7f);
    Model::StrokeDrawing drawing(QSize(64, 48));
    drawing.appendStroke(std::make_unique<Model::BitmapStroke>(image, QRect(0, 0, 4, 4)));
    QByteArray bytes = strokeBytes(drawing);
    qsizetype const run = bytes.indexOf(QByteArray("\x03\x04\x7f\x7f\x7f\x7f\x06", 7));
    if (run >= 0)
        bytes[run + 1] = 9;
    return bytes;
}

// A black RGB picture of the given size as QImage streams it: int32 1, then
// the PNG. Without rows, the PNG ends after its header. The pixels are
// compressed row by row, so that a picture of the largest frame costs little
// to make.
QByteArray streamedPng(QSize const& size, bool rows)
{
    auto const chunk = [](QByteArray const& type, QByteArray const& data) {
        QByteArray out;
        QDataStream stream(&out, QIODevice::WriteOnly);
        QByteArray const body = type + data;
        stream << quint32(data.size());
        stream.writeRawData(body.constData(), int(body.size()));
        stream << quint32(crc32(0, reinterpret_cast<Bytef const*>(body.constData()), uInt(body.size())));
        return out;
    };
    QByteArray header;
    {
        QDataStream stream(&header, QIODevice::WriteOnly);
        stream << quint32(size.width()) << quint32(size.height()) << quint8(8) << quint8(2)
               << quint8(0) << quint8(0) << quint8(0);
    }
    QByteArray pixels;
    if (rows) {
        z_stream zip{};
        deflateInit(&zip, 1);
        QByteArray const row(1 + 3 * size.width(), '\0'); // filter byte, then the pixels
        QByteArray out(1 << 16, Qt::Uninitialized);
        for (int y = 0; y <= size.height(); ++y) {
            bool const last = y == size.height();
            zip.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(row.constData()));
            zip.avail_in = last ? 0 : uInt(row.size());
            do {
                zip.next_out = reinterpret_cast<Bytef*>(out.data());
                zip.avail_out = uInt(out.size());
                deflate(&zip, last ? Z_FINISH : Z_NO_FLUSH);
                pixels.append(out.constData(), out.size() - zip.avail_out);
            } while (zip.avail_out == 0);
        }
        deflateEnd(&zip);
    }
    return QByteArray("\0\0\0\1\x89PNG\r\n\x1a\n", 12) + chunk("IHDR", header)
           + (rows ? chunk("IDAT", pixels) : QByteArray()) + chunk("IEND", QByteArray());
}

// The stream form of a 64 x 48 stroke drawing holding one bitmap stroke of
// noise at ratio times the frame's resolution.
QByteArray noiseStrokes(int ratio, quint32 seed)
{
    QImage image(64 * ratio, 48 * ratio, QImage::Format_Alpha8);
    QRandomGenerator random(seed);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.scanLine(y)[x] = uchar(1 + random.bounded(255));
    Model::StrokeDrawing drawing(QSize(64, 48));
    drawing.appendStroke(std::make_unique<Model::BitmapStroke>(image, QRect(0, 0, 64, 48)));
    return strokeBytes(drawing);
}

// Where Qt's XML reader, reading the whole document, stands when it finds
// the document malformed (payload < 0) or at the end tag of the given
// payload element (strokes, image, originalAudioData; counted from 0).
QString positionInDocument(QByteArray const& document, int payload)
{
    QXmlStreamReader xml(document);
    int seen = -1;
    while (!xml.atEnd()) {
        xml.readNext();
        bool const isPayload = xml.name() == QLatin1String("strokes") || xml.name() == QLatin1String("image")
                               || xml.name() == QLatin1String("originalAudioData");
        if (xml.isEndElement() && isPayload && ++seen == payload)
            break;
    }
    return QStringLiteral("Line %1, column %2").arg(xml.lineNumber()).arg(xml.columnNumber());
}

QByteArray fileData(QString const& name)
{
    QFile file(testDataDir() + name);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QByteArray();
    return file.readAll();
}

// A document around the given scene attributes and layers.
QByteArray document(QString const& sceneAttributes, QString const& layers)
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE kw>\n"
                          "<kw version=\"0.4\">\n<scene frameWidth=\"64\" frameHeight=\"48\" %1>\n"
                          "<layers>\n%2\n</layers>\n</scene>\n</kw>\n")
        .arg(sceneAttributes, layers)
        .toUtf8();
}

QString strokeLayer(QString const& name, int blankCells, QString const& extra = QString())
{
    QString cells;
    for (int i = 0; i < blankCells; ++i)
        cells += QStringLiteral("<drawing type=\"original\"/>");
    return QStringLiteral("<layer name=\"%1\" visible=\"yes\" type=\"stroke\">%2%3</layer>")
        .arg(name, extra, cells);
}

Model::VisualLayer* visualAt(Model::Scene& scene, int index)
{
    return qobject_cast<Model::VisualLayer*>(scene.layer(index).get());
}

QStringList layerNames(Model::Scene const& scene)
{
    QStringList names;
    for (int i = 0; i < scene.numLayers(); ++i)
        names << scene.layer(i)->name();
    return names;
}

} // namespace

class TestSceneReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void fallbacksOfAHandWrittenFile();
    void distantClonesAcrossLayersAndTheOrdering();
    void distantClonesShowOnlyAnOriginalOfTheirKind();
    void wrongRootOrVersionReadsNothing_data();
    void wrongRootOrVersionReadsNothing();
    void frameRangeForms_data();
    void frameRangeForms();
    void orderingIsAppliedOnlyWhenItIsAPermutation_data();
    void orderingIsAppliedOnlyWhenItIsAPermutation();
    void manyLayersInAStoredOrderAreSetInOneGo();
    void activeLayerIndexIsCheckedBeforeUse_data();
    void activeLayerIndexIsCheckedBeforeUse();
    void readingReplacesTheScenesLayers();
    void damagedFilesAreRefusedWithAMessage_data();
    void damagedFilesAreRefusedWithAMessage();
    void truncatedSavedScenesAreRefused_data();
    void truncatedSavedScenesAreRefused();
    void manyDistantClonesOfALongLayer();
    void pictureOfTheLargestFrameIsRead();
    void errorsArePlacedWhereTheyAreInTheFile_data();
    void errorsArePlacedWhereTheyAreInTheFile();
    void payloadsReadInEveryFormXmlAllows_data();
    void payloadsReadInEveryFormXmlAllows();
    void largeScenesReadWholeWithPayloadsPassedBy();
    void layerNumbersStayInTheRangeTheProgramCounts_data();
    void layerNumbersStayInTheRangeTheProgramCounts();
    void anOriginalListingItselfDropsTheEntry();
    void cellsAndNotesAreBoundedByTheMostFrames_data();
    void cellsAndNotesAreBoundedByTheMostFrames();
    void hugeFileEndsAtItsFirstInvalidByte_data();
    void hugeFileEndsAtItsFirstInvalidByte();
    void progressFollowsTheBytesReadWithoutADrawingCount();
    void aPayloadTooLargeForTheMemoryLeftRefusesTheFile_data();
    void aPayloadTooLargeForTheMemoryLeftRefusesTheFile();

private:
    QObject m_toolOwner;
    Model::PenTool* m_pen = nullptr;
};

void TestSceneReader::initTestCase()
{
    QVERIFY(Model::OffscreenRenderer::instance()->initialize(QSize(64, 48)));
    m_pen = new Model::PenTool(Model::Tool::Marker, &m_toolOwner);
    m_pen->setSizeRangePercent(3.0, 6.0);
}

void TestSceneReader::fallbacksOfAHandWrittenFile()
{
    Model::Scene scene;
    double const defaultRate = scene.frameRate();
    QString error;
    int const result = read(&scene, fileData(QStringLiteral("fallbacks.kw")), &error);
    QVERIFY2(result == 0, qPrintable(error));

    // The scene element outside kw's own scene child is skipped; paint,
    // untyped and unknown layers are dropped.
    QCOMPARE(scene.frameSize(), QSize(64, 48));
    QCOMPARE(scene.frameRate(), 15.0);
    QVERIFY(scene.frameRate() != defaultRate);
    QCOMPARE(scene.numLayers(), 4);
    QCOMPARE(scene.layer(0)->name(), QStringLiteral("Bare"));
    QCOMPARE(scene.layer(1)->name(), QStringLiteral("Flagged"));
    QCOMPARE(scene.layer(2)->name(), Model::ReferenceLayer(QSize(1, 1), nullptr).name());
    QCOMPARE(scene.layer(3)->name(), QStringLiteral("Notes"));
    QCOMPARE(scene.getLogicalLayerIndices(), (QList<int>{0, 1, 2, 3}));

    // Absent visible and linked: hidden and unlinked; no colour: red; an
    // opacity above 1 is clamped.
    auto* bare = qobject_cast<Model::StrokeLayer*>(scene.layer(0).get());
    QVERIFY(bare);
    QVERIFY(!bare->isVisible());
    QVERIFY(!bare->isLinked());
    QCOMPARE(bare->color(), QColor(Qt::red));
    QCOMPARE(bare->opacity(), 1.0);
    QCOMPARE(bare->layerBeyondLast(), Model::StrokeLayer(Qt::red, QSize(1, 1), nullptr).layerBeyondLast());

    // The leading hold, the untyped drawing and the unknown type are
    // dropped, so the cells that follow move up.
    QCOMPARE(bare->length(), 5);
    QList<int> kinds;
    for (int f = 1; f <= bare->length(); ++f)
        kinds << bare->layerItem(f)->kind;
    QCOMPARE(kinds, (QList<int>{LayerItem::Original, LayerItem::Hold, LayerItem::Original,
                                LayerItem::Original, LayerItem::Original}));
    auto const first = bare->layerItem(1);
    QCOMPARE(first->identifier, QUuid::fromString(u"{11111111-0000-0000-0000-000000000001}"));
    QCOMPARE(first->drawing->currentCopyId(),
             QUuid::fromString(u"{22222222-0000-0000-0000-000000000001}"));
    QVERIFY(dynamic_cast<Model::StrokeDrawing*>(first->drawing.get()));
    // A hold shares the drawing before it, under a new identifier.
    auto const held = bare->layerItem(2);
    QCOMPARE(held->drawing, first->drawing);
    QVERIFY(!held->identifier.isNull());
    QVERIFY(held->identifier != QUuid::fromString(u"{11111111-0000-0000-0000-000000000003}"));
    // An original without payload is a blank with a fresh identifier.
    auto const blank = bare->layerItem(3);
    QVERIFY(!blank->identifier.isNull());
    QVERIFY(blank->identifier != QUuid::fromString(u"{11111111-0000-0000-0000-000000000002}"));
    QVERIFY(blank->drawing->currentCopyId().isNull());
    QVERIFY(blank->drawing != first->drawing);
    // keyDrawing counts only when it is exactly "yes"; a payload wrapped over
    // lines still decodes.
    QVERIFY(!bare->layerItem(4)->keyDrawing);
    QCOMPARE(bare->layerItem(4)->identifier, QUuid::fromString(u"{11111111-0000-0000-0000-000000000004}"));
    QVERIFY(bare->layerItem(5)->keyDrawing);
    QCOMPARE(bare->layerItem(5)->identifier, QUuid::fromString(u"{11111111-0000-0000-0000-000000000005}"));
    for (int f = 1; f <= 5; ++f)
        QVERIFY(bare->layerItem(f)->offPegsTransform.isIdentity());

    // Linked unless "no", a known beyond word, a colour with opacity, an
    // opacity below 0 clamped.
    auto* flagged = qobject_cast<Model::StrokeLayer*>(scene.layer(1).get());
    QVERIFY(flagged);
    QVERIFY(flagged->isVisible());
    QVERIFY(flagged->isLinked());
    QCOMPARE(flagged->layerBeyondLast(), Model::Layer::cycleDrawings);
    QCOMPARE(flagged->color(), QColor(0, 255, 0, 128));
    QCOMPARE(flagged->opacity(), 0.0);
    QCOMPARE(flagged->length(), 1);

    // An identifier that is no identifier leaves a fresh one; an opacity
    // that is no number reads as 0; the picture decodes.
    auto* reference = qobject_cast<Model::ReferenceLayer*>(scene.layer(2).get());
    QVERIFY(reference);
    QVERIFY(!reference->identifier().isNull());
    QVERIFY(!reference->isVisible());
    QVERIFY(!reference->isLinked());
    QCOMPARE(reference->opacity(), 0.0);
    QCOMPARE(reference->length(), 1);
    QCOMPARE(reference->layerItem(1)->identifier, QUuid::fromString(u"{33333333-0000-0000-0000-000000000001}"));
    QImage const picture = reference->imageDrawing(0)->image();
    QCOMPARE(picture.size(), QSize(2, 1));
    QCOMPARE(picture.pixel(0, 0), qRgba(255, 0, 0, 255));
    QCOMPARE(picture.pixel(1, 0), qRgba(0, 0, 255, 255));

    // "scribble" is an annotation layer; its images come in order.
    auto* notes = qobject_cast<Model::AnnotationLayer*>(scene.layer(3).get());
    QVERIFY(notes);
    QImage const note = notes->annotationImage(1);
    QCOMPARE(note.size(), QSize(2, 1));
    QCOMPARE(note.constScanLine(0)[0], uchar(255));
    QCOMPARE(note.constScanLine(0)[1], uchar(128));
    QVERIFY(notes->annotationImage(2).isNull());
    QCOMPARE(notes->annotationImage(3), note);

    // No range, active frame or active layer: the whole scene, frame 1 of
    // layer 0.
    QCOMPARE(scene.maximumFrameNumber(), 5);
    QCOMPARE(scene.minimumFrameRangeNumber(), 1);
    QCOMPARE(scene.maximumFrameRangeNumber(), 5);
    QCOMPARE(scene.activeFrame(), 1);
    QCOMPARE(scene.activeLayerIdx(), 0);
}

void TestSceneReader::distantClonesAcrossLayersAndTheOrdering()
{
    Model::Scene scene;
    QString error;
    int const result = read(&scene, fileData(QStringLiteral("clones.kw")), &error);
    QVERIFY2(result == 0, qPrintable(error));
    QCOMPARE(scene.numLayers(), 3);
    QCOMPARE(scene.getLogicalLayerIndices(), (QList<int>{1, 2, 0}));
    QCOMPARE(scene.highestUsedLayerNumber(), 12);
    QCOMPARE(scene.frameRate(), 24.0);
    QCOMPARE(scene.minimumFrameRangeNumber(), 2);
    QCOMPARE(scene.maximumFrameRangeNumber(), 3);

    auto* front = visualAt(scene, 0);
    auto* back = visualAt(scene, 1);
    QVERIFY(front && back);
    QUuid const frontId = QUuid::fromString(u"{aaaaaaaa-0000-0000-0000-000000000000}");
    QUuid const backId = QUuid::fromString(u"{bbbbbbbb-0000-0000-0000-000000000000}");
    QCOMPARE(front->identifier(), frontId);
    QCOMPARE(back->identifier(), backId);

    // A distant clone without a valid original is dropped.
    QCOMPARE(front->length(), 3);
    QCOMPARE(back->length(), 2);

    auto const a1 = front->layerItem(1);
    auto const a2 = front->layerItem(2);
    auto const a3 = front->layerItem(3);
    auto const b1 = back->layerItem(1);
    auto const b2 = back->layerItem(2);

    // The clone list keeps the valid entries only.
    QCOMPARE(a1->clones, (QList<Model::DrawingRef>{
                             {backId, QUuid::fromString(u"{bbbbbbbb-0000-0000-0000-000000000002}")}}));
    // A clone of an original on a later layer gets its drawing once all
    // layers are in; the hold after it follows.
    QCOMPARE(a2->kind, int(LayerItem::DistantClone));
    QCOMPARE(a2->identifier, QUuid::fromString(u"{aaaaaaaa-0000-0000-0000-000000000002}"));
    QCOMPARE(a2->original, (Model::DrawingRef{backId, b1->identifier}));
    QCOMPARE(a2->drawing, b1->drawing);
    QCOMPARE(a3->kind, int(LayerItem::Hold));
    QCOMPARE(a3->drawing, b1->drawing);
    QVERIFY(b1->clones.contains(Model::DrawingRef{frontId, a2->identifier}));
    // The last valid original element names the original.
    QCOMPARE(b2->kind, int(LayerItem::DistantClone));
    QCOMPARE(b2->original, (Model::DrawingRef{frontId, a1->identifier}));
    QCOMPARE(b2->drawing, a1->drawing);
    QVERIFY(a1->drawing != b1->drawing);
    QCOMPARE(dynamic_cast<Model::StrokeDrawing*>(a1->drawing.get())->size(), QSize(64, 48));
}

void TestSceneReader::distantClonesShowOnlyAnOriginalOfTheirKind()
{
    // A picture layer's clone of an ink original, and an ink clone whose
    // original is nowhere: neither may show a borrowed or a placeholder
    // drawing, nor be saved back as a clone.
    QString const ink = QStringLiteral("{aaaaaaaa-0000-0000-0000-000000000000}");
    QString const pictures = QStringLiteral("{bbbbbbbb-0000-0000-0000-000000000000}");
    QString const inkOriginal = QStringLiteral("{aaaaaaaa-0000-0000-0000-000000000001}");
    QString const layers =
        QStringLiteral("<layer identifier=\"%1\" visible=\"yes\" type=\"stroke\">"
                       "<drawing type=\"original\" identifier=\"%3\"><strokes>%4</strokes></drawing>"
                       "<drawing type=\"distantClone\" identifier=\"{aaaaaaaa-0000-0000-0000-000000000002}\">"
                       "<original layer=\"%1\" drawing=\"{aaaaaaaa-0000-0000-0000-0000000000ff}\"/></drawing>"
                       "<drawing type=\"clone\"/></layer>"
                       "<layer identifier=\"%2\" visible=\"yes\" type=\"reference\">"
                       "<drawing type=\"distantClone\" identifier=\"{bbbbbbbb-0000-0000-0000-000000000001}\">"
                       "<original layer=\"%1\" drawing=\"%3\"/></drawing></layer>")
            .arg(ink, pictures, inkOriginal, QLatin1String(emptyStrokes));
    Model::Scene scene;
    QString error;
    QVERIFY2(read(&scene, document(QString(), layers), &error) == 0, qPrintable(error));

    auto* strokes = qobject_cast<Model::StrokeLayer*>(scene.layer(0).get());
    auto* reference = qobject_cast<Model::ReferenceLayer*>(scene.layer(1).get());
    QVERIFY(strokes && reference);
    QCOMPARE(strokes->length(), 3);
    QCOMPARE(reference->length(), 1);

    auto const orphan = strokes->layerItem(2);
    QCOMPARE(orphan->kind, int(LayerItem::Original));
    QCOMPARE(orphan->original, Model::DrawingRef());
    auto const* blank = dynamic_cast<Model::StrokeDrawing const*>(orphan->drawing.get());
    QVERIFY(blank);
    QCOMPARE(blank->size(), QSize(64, 48));
    QCOMPARE(strokes->layerItem(3)->drawing, orphan->drawing);

    auto const stranger = reference->layerItem(1);
    QCOMPARE(stranger->kind, int(LayerItem::Original));
    QVERIFY(dynamic_cast<Model::ImageDrawing const*>(stranger->drawing.get()));
    QVERIFY(strokes->layerItem(1)->clones.isEmpty());

    // Saved back, both are originals of their own.
    QByteArray const saved = write(&scene);
    QVERIFY(!saved.contains("distantClone"));
    Model::Scene again;
    QCOMPARE(read(&again, saved), 0);
    QCOMPARE(describe(again), describe(scene));
}

void TestSceneReader::wrongRootOrVersionReadsNothing_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("message");

    const QString notOurs = QStringLiteral("The file is not a KW version 0.4 file\nLine ");
    const QString newer = QStringLiteral("The file was written by a newer version of %1 (file version %2)");
    QTest::newRow("root is not kw") << fileData(QStringLiteral("wrong-root.kw")) << notOurs;
    QTest::newRow("version 0.3") << fileData(QStringLiteral("wrong-version.kw")) << notOurs;
    QTest::newRow("no version") << QByteArray("<kw><scene/></kw>") << notOurs;
    QTest::newRow("version with spaces") << QByteArray("<kw version=\" 0.4\"><scene/></kw>") << notOurs;
    QTest::newRow("version with a suffix") << QByteArray("<kw version=\"0.5beta\"><scene/></kw>") << notOurs;
    QTest::newRow("one number") << QByteArray("<kw version=\"2\"><scene/></kw>") << notOurs;
    QTest::newRow("overlong version")
        << QByteArray("<kw version=\"0.4000000000000000001\"><scene/></kw>") << notOurs;
    QTest::newRow("version 0.40") << QByteArray("<kw version=\"0.40\"><scene/></kw>")
                                  << newer.arg(QCoreApplication::applicationName(), "0.40");
    QTest::newRow("version 1.2") << QByteArray("<kw version=\"1.2\"><scene/></kw>")
                                 << newer.arg(QCoreApplication::applicationName(), "1.2");
}

void TestSceneReader::wrongRootOrVersionReadsNothing()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, message);
    QVERIFY(!data.isEmpty());

    Model::Scene scene;
    QSize const size = scene.frameSize();
    QString error;
    QCOMPARE(read(&scene, data, &error), 1);
    QVERIFY2(error.startsWith(message), qPrintable(error));
    QCOMPARE(scene.numLayers(), 0);
    QCOMPARE(scene.frameSize(), size);
}

void TestSceneReader::frameRangeForms_data()
{
    QTest::addColumn<QString>("attributes");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");

    // Twelve frames in the scene.
    QTest::newRow("absent") << QString() << 1 << 12;
    QTest::newRow("minimum and maximum") << QStringLiteral("frameRange=\"3;7\"") << 3 << 7;
    QTest::newRow("one number") << QStringLiteral("frameRange=\"5\"") << 1 << 12;
    QTest::newRow("one number and a separator") << QStringLiteral("frameRange=\"5;\"") << 1 << 12;
    QTest::newRow("leading separator dropped") << QStringLiteral("frameRange=\";5;9\"") << 5 << 9;
    QTest::newRow("three numbers") << QStringLiteral("frameRange=\"3;4;5\"") << 1 << 12;
    QTest::newRow("text counts as 0") << QStringLiteral("frameRange=\"a;7\"") << 1 << 7;
    QTest::newRow("maximum -1 is the scene's end") << QStringLiteral("frameRange=\"4;-1\"") << 4 << 12;
    QTest::newRow("beyond the scene") << QStringLiteral("frameRange=\"2;99\"") << 2 << 12;
}

void TestSceneReader::frameRangeForms()
{
    QFETCH(QString, attributes);
    QFETCH(int, first);
    QFETCH(int, last);

    Model::Scene scene;
    QCOMPARE(read(&scene, document(attributes, strokeLayer(QStringLiteral("L"), 12))), 0);
    QCOMPARE(scene.maximumFrameNumber(), 12);
    QCOMPARE(scene.minimumFrameRangeNumber(), first);
    QCOMPARE(scene.maximumFrameRangeNumber(), last);
}

void TestSceneReader::orderingIsAppliedOnlyWhenItIsAPermutation_data()
{
    QTest::addColumn<QString>("ordering");
    QTest::addColumn<QList<int>>("logical");

    QList<int> const fileOrder{0, 1, 2};
    QTest::newRow("a permutation") << QStringLiteral("2;0;1") << QList<int>{2, 0, 1};
    QTest::newRow("empty parts dropped") << QStringLiteral(";1;;2;0;") << QList<int>{1, 2, 0};
    QTest::newRow("text counts as 0") << QStringLiteral("1;x;2") << QList<int>{1, 0, 2};
    QTest::newRow("a repeated index") << QStringLiteral("0;0;1") << fileOrder;
    QTest::newRow("an index past the layers") << QStringLiteral("0;1;5") << fileOrder;
    QTest::newRow("a negative index") << QStringLiteral("-1;0;1") << fileOrder;
    QTest::newRow("too few entries") << QStringLiteral("1;0") << fileOrder;
    QTest::newRow("too many entries") << QStringLiteral("3;2;1;0") << fileOrder;
    QTest::newRow("empty") << QString() << fileOrder;
}

void TestSceneReader::orderingIsAppliedOnlyWhenItIsAPermutation()
{
    QFETCH(QString, ordering);
    QFETCH(QList<int>, logical);

    Model::Scene scene;
    QString const layers = QStringLiteral("<ordering>%1</ordering>").arg(ordering)
                           + strokeLayer(QStringLiteral("A"), 2) + strokeLayer(QStringLiteral("B"), 2)
                           + strokeLayer(QStringLiteral("C"), 2);
    QCOMPARE(read(&scene, document(QString(), layers)), 0);
    QCOMPARE(layerNames(scene), (QStringList{"A", "B", "C"}));
    QCOMPARE(scene.getLogicalLayerIndices(), logical);
    // The two order lists stay inverse to each other.
    for (int position = 0; position < logical.size(); ++position)
        QCOMPARE(scene.getVisualLayerIndices().at(logical.at(position)), position);
}

void TestSceneReader::manyLayersInAStoredOrderAreSetInOneGo()
{
    // The frame is composed and the views told of it a fixed number of times
    // however many layers the stored order moves: a move and a recomposition
    // per layer made reading quadratic in the layers.
    int composedFor[2] = {};
    int const counts[2] = {4, 400};
    for (int i = 0; i < 2; ++i) {
        int const n = counts[i];
        QStringList order;
        QString layers;
        QList<int> reversed;
        for (int l = 0; l < n; ++l) {
            order << QString::number(n - 1 - l);
            reversed << n - 1 - l;
            layers += strokeLayer(QStringLiteral("L%1").arg(l), 1);
        }
        Model::Scene scene;
        QSignalSpy composed(&scene, &Model::Scene::rectChanged);
        QCOMPARE(read(&scene, document(QString(), QStringLiteral("<ordering>%1</ordering>").arg(order.join(';'))
                                                      + layers)),
                 0);
        QCOMPARE(scene.numLayers(), n);
        QCOMPARE(scene.getLogicalLayerIndices(), reversed);
        QCOMPARE(scene.getVisualLayerIndices(), reversed);
        composedFor[i] = int(composed.size());
    }
    QCOMPARE(composedFor[1], composedFor[0]);
}

void TestSceneReader::activeLayerIndexIsCheckedBeforeUse_data()
{
    QTest::addColumn<QString>("attributes");
    QTest::addColumn<int>("activeLayer");

    // Layer 1 is on top, layer 2 (sound) is no place for the active cell.
    QTest::newRow("absent") << QString() << 0;
    QTest::newRow("first layer") << QStringLiteral("activeLayerIndex=\"0\"") << 0;
    QTest::newRow("second layer") << QStringLiteral("activeLayerIndex=\"1\"") << 1;
    QTest::newRow("past the layers") << QStringLiteral("activeLayerIndex=\"7\"") << 1;
    QTest::newRow("far past the layers") << QStringLiteral("activeLayerIndex=\"2147483647\"") << 1;
    QTest::newRow("negative") << QStringLiteral("activeLayerIndex=\"-3\"") << 1;
    QTest::newRow("text counts as 0") << QStringLiteral("activeLayerIndex=\"top\"") << 0;
}

void TestSceneReader::activeLayerIndexIsCheckedBeforeUse()
{
    QFETCH(QString, attributes);
    QFETCH(int, activeLayer);

    Model::Scene scene;
    QString const layers = QStringLiteral("<ordering>1;0;2</ordering>")
                           + strokeLayer(QStringLiteral("A"), 3) + strokeLayer(QStringLiteral("B"), 3)
                           + QStringLiteral("<layer name=\"S\" type=\"audio\"/>");
    QCOMPARE(read(&scene, document(attributes + QStringLiteral(" activeFrameNumber=\"2\""), layers)), 0);
    QCOMPARE(scene.numLayers(), 3);
    QCOMPARE(scene.activeLayerIdx(), activeLayer);
    QCOMPARE(scene.activeFrame(), 2);
}

void TestSceneReader::readingReplacesTheScenesLayers()
{
    Model::Scene scene;
    scene.addLayer(std::make_shared<Model::StrokeLayer>(QColor(Qt::black), scene.frameSize(), nullptr), 0);
    scene.addLayer(std::make_shared<Model::AnnotationLayer>(nullptr), 1);
    QCOMPARE(read(&scene, document(QString(), strokeLayer(QStringLiteral("Only"), 2))), 0);
    QCOMPARE(layerNames(scene), QStringList{QStringLiteral("Only")});
    QCOMPARE(scene.getLogicalLayerIndices(), QList<int>{0});
}

void TestSceneReader::damagedFilesAreRefusedWithAMessage_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("message"); // a part of the message, or empty for Qt's own

    auto const strokes = [](QString const& payload) {
        return document(QString(), strokeLayer(QStringLiteral("L"), 0,
                                               QStringLiteral("<drawing type=\"original\"><strokes>%1</strokes></drawing>")
                                                   .arg(payload)));
    };
    auto const picture = [](QString const& payload) {
        return document(QString(), QStringLiteral("<layer type=\"reference\"><drawing type=\"original\">"
                                                  "<image>%1</image></drawing></layer>")
                                       .arg(payload));
    };
    auto const notes = [](QString const& payload) {
        return document(QString(), QStringLiteral("<layer type=\"annotation\"><image>%1</image></layer>").arg(payload));
    };
    auto const sound = [](QString const& offset, QString const& data) {
        return document(QString(), QStringLiteral("<layer type=\"audio\"><offsetFrames>%1</offsetFrames>"
                                                  "<originalAudioData>%2</originalAudioData></layer>")
                                       .arg(offset, data));
    };
    auto const sized = [](QString const& width, QString const& height) {
        return QStringLiteral("<kw version=\"0.4\"><scene frameWidth=\"%1\" frameHeight=\"%2\"><layers/></scene></kw>")
            .arg(width, height)
            .toUtf8();
    };
    auto const offPegs = [](QString const& attributes) {
        return document(QString(), strokeLayer(QStringLiteral("L"), 0,
                                               QStringLiteral("<drawing %1 type=\"original\"/>").arg(attributes)));
    };

    // XML itself.
    QTest::newRow("empty file") << QByteArray() << QString();
    QTest::newRow("not XML") << QByteArray("a scene, honestly") << QString();
    QTest::newRow("cut inside a tag") << document(QString(), strokeLayer(QStringLiteral("L"), 3)).left(150)
                                      << QString();
    QTest::newRow("root never closed")
        << QByteArray("<kw version=\"0.4\"><scene frameWidth=\"64\" frameHeight=\"48\"><layers/></scene>")
        << QString();
    QTest::newRow("tags crossed") << QByteArray("<kw version=\"0.4\"><scene><layers></scene></layers></kw>")
                                  << QString();
    QTest::newRow("text element with children")
        << document(QString(), strokeLayer(QStringLiteral("L"), 1, QStringLiteral("<opacity><b/></opacity>")))
        << QString();
    QTest::newRow("undeclared entity")
        << document(QString(), strokeLayer(QStringLiteral("&nothing;"), 1)) << QString();
    QByteArray bomb = "<?xml version=\"1.0\"?>\n<!DOCTYPE kw [\n<!ENTITY a \"aaaaaaaaaa\">\n";
    for (char c = 'b'; c <= 'j'; ++c)
        bomb += QStringLiteral("<!ENTITY %1 \"%2\">\n")
                    .arg(QChar(c), QStringLiteral("&%1;").arg(QChar(c - 1)).repeated(10))
                    .toLatin1();
    bomb += "]>\n<kw version=\"0.4\"><scene><layers><layer type=\"stroke\" name=\"&j;\"/></layers></scene></kw>";
    QTest::newRow("entity expansion bomb") << bomb << QString();
    // One entity of a few thousand characters, used a hundred thousand times
    // in a file of a few hundred kilobytes, would expand to a gigabyte.
    QString const entityDeclared = QStringLiteral("<!DOCTYPE kw [<!ENTITY e \"%1\">]>\n");
    QString const entityMessage = QStringLiteral("The file declares entities, which scene files never use");
    QTest::newRow("declared entity in use")
        << QByteArray(document(QString(), strokeLayer(QStringLiteral("&e;&e;&e;"), 1))
                          .replace("<!DOCTYPE kw>\n", entityDeclared.arg(QString(4000, QLatin1Char('x'))).toUtf8()))
        << entityMessage;
    QTest::newRow("declared entity unused")
        << QByteArray(document(QString(), strokeLayer(QStringLiteral("L"), 1))
                          .replace("<!DOCTYPE kw>\n", entityDeclared.arg(QStringLiteral("x")).toUtf8()))
        << entityMessage;

    // Payloads that are no base64.
    QTest::newRow("strokes not base64") << strokes(QStringLiteral("!!!!")) << QStringLiteral("Invalid base64 data in strokes");
    QTest::newRow("strokes with bad padding") << strokes(QStringLiteral("AAA=A")) << QStringLiteral("Invalid base64 data in strokes");
    QTest::newRow("picture not base64") << picture(QStringLiteral("AA*A")) << QStringLiteral("Invalid base64 data in image");
    QTest::newRow("notes not base64") << notes(QStringLiteral("\u00e9t\u00e9")) << QStringLiteral("Invalid base64 data in image");
    QTest::newRow("sound not base64") << sound(QStringLiteral("0"), QStringLiteral("RIFF?"))
                                      << QStringLiteral("Invalid base64 data in originalAudioData");

    // Payloads whose stream form is damaged.
    QTest::newRow("strokes cut short") << strokes(QStringLiteral("AAAA")) << QStringLiteral("Damaged strokes data");
    QTest::newRow("strokes of no size")
        << strokes(QStringLiteral("AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAP4AAAAAAAAAAAAAAAAAAAD+AAAAAAAAAAAAAAAAAAAA/gAAA/////w=="))
        << QStringLiteral("Damaged strokes data");
    QTest::newRow("strokes of an absurd size")
        << strokes(QStringLiteral("AA9CQAAPQkAAAAAAAAAAAAAAAAAAAAAAP4AAAAAAAAAAAAAAAAAAAD+AAAAAAAAAAAAAAAAAAAA/gAAA/////w=="))
        << QStringLiteral("Damaged strokes data");
    QTest::newRow("strokes with an absurd count") << strokes(QStringLiteral("AAAAQAAAADBAAAAAAAAAAA=="))
                                                  << QStringLiteral("Damaged strokes data");
    QTest::newRow("strokes beyond what a drawing holds")
        << strokes(QString::fromLatin1(StrokeFixtures::dotDrawing(QSize(64, 48),
                                                                  Model::StrokeDrawing::maximumStrokes + 1,
                                                                  1, false, false)
                                           .toBase64()))
        << QStringLiteral("Damaged strokes data");
    QTest::newRow("picture without its image") << picture(QStringLiteral("AAAAAQ==")) << QStringLiteral("Damaged image data");
    QTest::newRow("picture of an absurd size")
        << picture(QStringLiteral("AAAAAYlQTkcNChoKAAAADUlIRFIAAYagAAGGoAgGAAAAqFILyAAAAABJRU5ErkJggg=="))
        << QStringLiteral("The picture is too large: 100000 x 100000 pixels, where a picture may take "
                          "at most 256 MB, as much as a frame of 8192 x 8192");
    QTest::newRow("picture a pixel wider than the largest frame")
        << picture(QString::fromLatin1(streamedPng(QSize(8193, 8192), false).toBase64()))
        << QStringLiteral("The picture is too large: 8193 x 8192 pixels, where a picture may take "
                          "at most 256 MB, as much as a frame of 8192 x 8192");
    QTest::newRow("picture cut short")
        << picture(QString::fromLatin1(streamedPng(QSize(16, 16), true).chopped(40).toBase64()))
        << QStringLiteral("Damaged image data");
    QTest::newRow("notes of an absurd size") << notes(QStringLiteral("AAGGoAABhqAAAAABCg=="))
                                             << QStringLiteral("Damaged annotation image data");
    QTest::newRow("notes cut short") << notes(QStringLiteral("AAAAAgAAAAEAAAAFAwL/"))
                                     << QStringLiteral("Damaged annotation image data");
    QTest::newRow("notes running past their row") << notes(QStringLiteral("AAAAAgAAAAEAAAAFAwn/gAo="))
                                                  << QStringLiteral("Damaged annotation image data");
    QTest::newRow("notes of three bytes") << notes(QStringLiteral("AAAA")) << QStringLiteral("Damaged annotation image data");
    // Thirteen bytes that would decode to a quarter of a gigabyte; notes are
    // never larger than the sheet makes them (1024 x 128 at most).
    QTest::newRow("notes of 16384 x 16384") << notes(QStringLiteral("AABAAAAAQAAAAAABCg=="))
                                            << QStringLiteral("Damaged annotation image data");
    QTest::newRow("notes a pixel wider than the sheet makes them")
        << notes(QStringLiteral("AAAEAQAAADgAAAABCg==")) << QStringLiteral("Damaged annotation image data");
    QTest::newRow("notes a pixel taller than the sheet makes them")
        << notes(QStringLiteral("AAAAAQAAAIEAAAABCg==")) << QStringLiteral("Damaged annotation image data");
    // Thirteen bytes each that decode to a whole image of the sheet's
    // largest size.
    QTest::newRow("notes decoding to more than 256 MB")
        << notes(QStringLiteral("AAAEAAAAAIAAAAABCg==</image><image>").repeated(2048) + QStringLiteral("AAAEAAAAAIAAAAABCg=="))
        << QStringLiteral("The notes take more than 256 MB");
    // A header's rate of 2^31 - 1 overflowed the bytes per second of the
    // sound's timing.
    QTest::newRow("sound at a rate no sound device plays")
        << sound(QStringLiteral("0"), QString::fromLatin1(SoundFixtures::wav16(INT_MAX, 2, 4096, [](int f, int) {
                                                             return qint16(f * 8);
                                                         }).toBase64()))
        << QStringLiteral("Damaged sound data");
    QTest::newRow("sound that is no sound file")
        << sound(QStringLiteral("0"), QString::fromLatin1(QByteArray("Not a sound at all.").toBase64()))
        << QStringLiteral("Damaged sound data");
    QTest::newRow("sound that is a playlist")
        << sound(QStringLiteral("0"),
                 QString::fromLatin1(QByteArray("#EXTM3U\n#EXT-X-TARGETDURATION:1\n#EXTINF:1,\n"
                                                "file:/dev/null\n#EXT-X-ENDLIST\n")
                                         .toBase64()))
        << QStringLiteral("Damaged sound data");
    QTest::newRow("bitmap stroke with a damaged image")
        << strokes(QString::fromLatin1(damagedBitmapStrokes().toBase64())) << QStringLiteral("Damaged strokes data");

    // Frame sizes the drawings cannot take.
    QTest::newRow("width 0") << sized(QStringLiteral("0"), QStringLiteral("48")) << QStringLiteral("Invalid frameWidth \"0\"");
    QTest::newRow("negative height") << sized(QStringLiteral("64"), QStringLiteral("-5")) << QStringLiteral("Invalid frameHeight \"-5\"");
    QTest::newRow("width no number") << sized(QStringLiteral("wide"), QStringLiteral("48")) << QStringLiteral("Invalid frameWidth \"wide\"");
    QTest::newRow("width beyond int") << sized(QStringLiteral("99999999999"), QStringLiteral("48"))
                                      << QStringLiteral("Invalid frameWidth \"99999999999\"");
    QTest::newRow("height beyond drawings") << sized(QStringLiteral("64"), QStringLiteral("16385"))
                                            << QStringLiteral("Invalid frameHeight \"16385\"");
    QTest::newRow("width beyond the scene's limit") << sized(QStringLiteral("8193"), QStringLiteral("2"))
                                                    << QStringLiteral("Invalid frameWidth \"8193\"");
    QTest::newRow("lone bad width")
        << QByteArray("<kw version=\"0.4\"><scene frameWidth=\"0\"/></kw>") << QStringLiteral("Invalid frameWidth \"0\"");

    // Numbers that are not finite.
    for (char const* value : {"nan", "inf", "-inf", "1e999"}) {
        QString const v = QString::fromLatin1(value);
        QTest::addRow("fps %s", value) << document(QStringLiteral("fps=\"%1\"").arg(v), strokeLayer(QStringLiteral("L"), 1))
                                       << QStringLiteral("Invalid fps \"%1\"").arg(v);
        QTest::addRow("opacity %s", value)
            << document(QString(), strokeLayer(QStringLiteral("L"), 1, QStringLiteral("<opacity>%1</opacity>").arg(v)))
            << QStringLiteral("Invalid opacity \"%1\"").arg(v);
        QTest::addRow("offsetFrames %s", value) << sound(v, QString()) << QStringLiteral("Invalid offsetFrames \"%1\"").arg(v);
        QTest::addRow("xOffset %s", value) << offPegs(QStringLiteral("xOffset=\"%1\"").arg(v))
                                           << QStringLiteral("Invalid xOffset \"%1\"").arg(v);
        QTest::addRow("yOffset %s", value) << offPegs(QStringLiteral("xOffset=\"1\" yOffset=\"%1\"").arg(v))
                                           << QStringLiteral("Invalid yOffset \"%1\"").arg(v);
        QTest::addRow("rotationDeg %s", value) << offPegs(QStringLiteral("rotationDeg=\"%1\"").arg(v))
                                               << QStringLiteral("Invalid rotationDeg \"%1\"").arg(v);
    }
    QTest::newRow("offsetFrames beyond any sound") << sound(QStringLiteral("-1e9"), QString())
                                                   << QStringLiteral("Invalid offsetFrames \"-1e9\"");

    // Off-pegs numbers far beyond any frame.
    QTest::newRow("xOffset 1e308")
        << offPegs(QStringLiteral("xOffset=\"1e308\" yOffset=\"-1e308\" rotationDeg=\"1e308\""))
        << QStringLiteral("Invalid xOffset \"1e308\"");
    QTest::newRow("yOffset beyond ten million") << offPegs(QStringLiteral("yOffset=\"-10000001\""))
                                                << QStringLiteral("Invalid yOffset \"-10000001\"");
    QTest::newRow("rotationDeg beyond a turn") << offPegs(QStringLiteral("rotationDeg=\"361\""))
                                               << QStringLiteral("Invalid rotationDeg \"361\"");
}

void TestSceneReader::damagedFilesAreRefusedWithAMessage()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, message);

    Model::Scene scene;
    QString error;
    QCOMPARE(read(&scene, data, &error), 1);
    QVERIFY2(error.contains(QStringLiteral("\nLine ")), qPrintable(error));
    QVERIFY2(!error.startsWith(QLatin1Char('\n')), qPrintable(error));
    if (!message.isEmpty())
        QVERIFY2(error.startsWith(message + QLatin1Char('\n')), qPrintable(error));
}

void TestSceneReader::truncatedSavedScenesAreRefused_data()
{
    QTest::addColumn<double>("fraction");
    for (double const fraction : {0.0005, 0.01, 0.1, 0.3, 0.5, 0.7, 0.9, 0.99, 0.9995})
        QTest::addRow("%g", fraction) << fraction;
}

void TestSceneReader::truncatedSavedScenesAreRefused()
{
    QFETCH(double, fraction);

    static QByteArray const complete = [this] {
        RichScene rich(m_pen);
        return write(&rich.scene);
    }();
    Model::Scene scene;
    QString error;
    QCOMPARE(read(&scene, complete.left(qsizetype(complete.size() * fraction)), &error), 1);
    QVERIFY(!error.isEmpty());
}

void TestSceneReader::manyDistantClonesOfALongLayer()
{
    // A layer of 50,000 drawings, the last 5,000 of them cloned by a second
    // layer: every clone finds its original however far down it lies.
    constexpr int Cells = 50000;
    constexpr int Clones = 5000;
    auto const id = [](char layer, int cell) {
        return QStringLiteral("{%1-0000-0000-0000-%2}")
            .arg(QString(8, QLatin1Char(layer)))
            .arg(cell, 12, 10, QLatin1Char('0'));
    };
    QString originals;
    for (int cell = 1; cell <= Cells; ++cell)
        originals += QStringLiteral("<drawing type=\"original\" identifier=\"%1\">"
                                    "<strokes>%2</strokes></drawing>")
                         .arg(id('a', cell), QLatin1String(emptyStrokes));
    QString clones;
    for (int cell = 1; cell <= Clones; ++cell)
        clones += QStringLiteral("<drawing type=\"distantClone\" identifier=\"%1\">"
                                 "<original layer=\"%2\" drawing=\"%3\"/></drawing>")
                      .arg(id('b', cell), id('a', 0), id('a', Cells - Clones + cell));
    QByteArray const data = document(
        QString(), QStringLiteral("<layer type=\"stroke\" identifier=\"%1\">%2</layer>"
                                  "<layer type=\"stroke\" identifier=\"%3\">%4</layer>")
                       .arg(id('a', 0), originals, id('b', 0), clones));

    Model::Scene scene;
    QString error;
    QVERIFY2(read(&scene, data, &error) == 0, qPrintable(error));
    auto* const cloning = visualAt(scene, 1);
    auto* const cloned = visualAt(scene, 0);
    QVERIFY(cloning && cloned);
    QCOMPARE(cloned->length(), Cells);
    QCOMPARE(cloning->length(), Clones);
    for (int frame = 1; frame <= Clones; ++frame) {
        auto const clone = cloning->layerItem(frame);
        auto const original = cloned->layerItem(Cells - Clones + frame);
        QCOMPARE(clone->kind, int(LayerItem::DistantClone));
        QCOMPARE(clone->drawing, original->drawing);
        QCOMPARE(original->clones,
                 QList<Model::DrawingRef>{clone->reference(cloning->identifier())});
    }
}

void TestSceneReader::pictureOfTheLargestFrameIsRead()
{
    QSize const largest(Model::Scene::maximumFrameSide, Model::Scene::maximumFrameSide);
    QByteArray const data = document(
        QString(), QStringLiteral("<layer type=\"reference\"><drawing type=\"original\">"
                                  "<image>%1</image></drawing></layer>")
                       .arg(QString::fromLatin1(streamedPng(largest, true).toBase64())));
    Model::Scene scene;
    QString error;
    QVERIFY2(read(&scene, data, &error) == 0, qPrintable(error));
    auto const* layer = qobject_cast<Model::ReferenceLayer const*>(visualAt(scene, 0));
    QVERIFY(layer);
    QCOMPARE(layer->imageDrawing(0)->image().size(), largest);
}

void TestSceneReader::errorsArePlacedWhereTheyAreInTheFile_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("payload"); // the damaged payload element, or -1 for malformed XML

    // Payloads are read apart from the rest of the document: the positions
    // must still count their text, on their own line and after it.
    QString const good = QStringLiteral("<drawing type=\"original\"><strokes>%1</strokes></drawing>")
                             .arg(QLatin1String(emptyStrokes));
    auto const strokes = [&](QString const& name, QString const& payload, QString const& after = QString()) {
        return document(QString(), strokeLayer(name, 0,
                                               good + good
                                                   + QStringLiteral("<drawing type=\"original\"><strokes>%1</strokes></drawing>")
                                                         .arg(payload)
                                                   + after));
    };

    QTest::newRow("payload no base64, after others on its line")
        << strokes(QStringLiteral("L"), QStringLiteral("QQ=A")) << QStringLiteral("Invalid base64 data in strokes") << 2;
    QTest::newRow("payload damaged, after others on its line")
        << strokes(QStringLiteral("L"), QStringLiteral("AAAA")) << QStringLiteral("Damaged strokes data") << 2;
    QTest::newRow("payload damaged, after a name of many encoded characters")
        << strokes(QStringLiteral("\u00e9t\u00e9 \U0001F600 &amp; sur la ligne"), QStringLiteral("AAAA"))
        << QStringLiteral("Damaged strokes data") << 2;
    QTest::newRow("payload damaged, lines ending in CR LF")
        << QByteArray(strokes(QStringLiteral("L"), QStringLiteral("AAAA")).replace("\n", "\r\n"))
        << QStringLiteral("Damaged strokes data") << 2;
    QTest::newRow("payload wrapped over lines, after others")
        << strokes(QStringLiteral("L"), QStringLiteral("AAAA\n  AAAA\n  AA=A")) << QStringLiteral("Invalid base64 data in strokes")
        << 2;
    QTest::newRow("tags crossed after payloads on their line")
        << strokes(QStringLiteral("L"), QLatin1String(emptyStrokes), QStringLiteral("<b></c>")) << QString() << -1;
    QTest::newRow("tags crossed on the line after payloads")
        << strokes(QStringLiteral("L"), QLatin1String(emptyStrokes), QStringLiteral("\n  <b></c>")) << QString() << -1;
    QTest::newRow("character not allowed in a payload")
        << strokes(QStringLiteral("L"), QStringLiteral("AA\x01A")) << QString() << -1;
}

void TestSceneReader::errorsArePlacedWhereTheyAreInTheFile()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, message);
    QFETCH(int, payload);

    Model::Scene scene;
    QString error;
    QCOMPARE(read(&scene, data, &error), 1);
    if (!message.isEmpty())
        QVERIFY2(error.startsWith(message + QLatin1Char('\n')), qPrintable(error));
    QString const expected = positionInDocument(QByteArray(data).replace("\r\n", "\n"), payload);
    QVERIFY2(error.endsWith(QLatin1Char('\n') + expected), qPrintable(error + QStringLiteral(" / ") + expected));
}

void TestSceneReader::payloadsReadInEveryFormXmlAllows_data()
{
    QTest::addColumn<QString>("payload"); // the strokes element's content

    QString const text = QString::fromLatin1(noiseStrokes(1, 11).toBase64());
    QTest::newRow("plain") << text;
    QTest::newRow("wrapped and indented") << text.left(20) + QStringLiteral("\n    ") + text.mid(20, 30)
                                                 + QStringLiteral(" \t") + text.mid(50) + QStringLiteral("\n");
    QTest::newRow("a character reference") << QStringLiteral("&#x%1;").arg(text.at(0).unicode(), 0, 16) + text.mid(1);
    QTest::newRow("in CDATA") << QStringLiteral("<![CDATA[%1]]>").arg(text);
    QTest::newRow("after a comment") << QStringLiteral("<!-- <strokes>AAAA</strokes> -->") + text;
    QTest::newRow("after a processing instruction") << QStringLiteral("<?note <strokes>A</strokes>?>") + text;
}

void TestSceneReader::payloadsReadInEveryFormXmlAllows()
{
    QFETCH(QString, payload);

    QByteArray const expected = noiseStrokes(1, 11);
    // Payloads in elements the reader passes over come before and after.
    QString const passedOver = QStringLiteral("<unknown><strokes>AAAA</strokes><image>!</image></unknown>");
    QString const cells = passedOver + QStringLiteral("<drawing type=\"original\"><strokes>%1</strokes></drawing>")
                                           .arg(payload)
                          + passedOver
                          + QStringLiteral("<drawing type=\"original\"><strokes>%1</strokes></drawing>")
                                .arg(QString::fromLatin1(expected.toBase64()));
    Model::Scene scene;
    QString error;
    QCOMPARE(read(&scene, document(QString(), strokeLayer(QStringLiteral("L"), 0, cells)), &error), 0);
    auto const* layer = qobject_cast<Model::StrokeLayer*>(scene.layer(0).get());
    QVERIFY(layer);
    QCOMPARE(layer->length(), 2);
    QCOMPARE(strokeBytes(*layer->strokeDrawing(0)), expected);
    QCOMPARE(strokeBytes(*layer->strokeDrawing(1)), expected);
}

void TestSceneReader::largeScenesReadWholeWithPayloadsPassedBy()
{
    // Megabytes of payloads, decoded on other threads ahead of the reader,
    // with runs of payloads it passes over (a layer of a kind it does not
    // know) between those it takes.
    constexpr int cells = 24;
    QString layers;
    QList<QByteArray> drawings;
    for (int layer = 0; layer < 3; ++layer) {
        layers += QStringLiteral("<layer type=\"future\">");
        for (int i = 0; i < 30; ++i)
            layers += QStringLiteral("<drawing type=\"original\"><strokes>%1</strokes></drawing>")
                          .arg(QString::fromLatin1(noiseStrokes(1, 1000 + i).toBase64()));
        layers += QStringLiteral("</layer>");
        QString strokes;
        for (int i = 0; i < cells; ++i) {
            drawings << noiseStrokes(6, quint32(layer * cells + i));
            strokes += QStringLiteral("<drawing type=\"original\"><strokes>%1</strokes></drawing>")
                           .arg(QString::fromLatin1(drawings.last().toBase64()));
        }
        layers += strokeLayer(QStringLiteral("L%1").arg(layer), 0, strokes);
    }
    QByteArray const data = document(QString(), layers);
    QVERIFY(data.size() > 6 * 1024 * 1024);

    Model::Scene scene;
    QString error;
    QCOMPARE(read(&scene, data, &error), 0);
    QCOMPARE(scene.numLayers(), 3);
    for (int layer = 0; layer < 3; ++layer) {
        auto const* strokes = qobject_cast<Model::StrokeLayer*>(scene.layer(layer).get());
        QVERIFY(strokes);
        QCOMPARE(strokes->length(), cells);
        for (int i = 0; i < cells; ++i)
            QVERIFY2(strokeBytes(*strokes->strokeDrawing(i)) == drawings.at(layer * cells + i),
                     qPrintable(QStringLiteral("layer %1, cell %2").arg(layer).arg(i + 1)));
    }
}

void TestSceneReader::layerNumbersStayInTheRangeTheProgramCounts_data()
{
    QTest::addColumn<QString>("highest");
    QTest::addColumn<QStringList>("names"); // of the next two new layers

    QTest::newRow("as written") << QStringLiteral("7") << QStringList{"8", "9"};
    // Counting on from the largest int wrapped to negative names.
    QTest::newRow("the largest int") << QStringLiteral("2147483647")
                                     << QStringList{"2147483647", "2147483647"};
    QTest::newRow("one below the largest int") << QStringLiteral("2147483646")
                                               << QStringList{"2147483647", "2147483647"};
    QTest::newRow("negative") << QStringLiteral("-5") << QStringList{"1", "2"};
    QTest::newRow("beyond int counts as 0") << QStringLiteral("99999999999") << QStringList{"1", "2"};
}

void TestSceneReader::layerNumbersStayInTheRangeTheProgramCounts()
{
    QFETCH(QString, highest);
    QFETCH(QStringList, names);

    Model::Scene scene;
    QString error;
    QVERIFY2(read(&scene, document(QStringLiteral("highestUsedLayerNumber=\"%1\"").arg(highest),
                                   strokeLayer(QStringLiteral("L"), 1)),
                  &error)
                 == 0,
             qPrintable(error));
    QStringList next;
    next << scene.getNextLayerName() << scene.getNextLayerName();
    QCOMPARE(next, names);
    QVERIFY(scene.highestUsedLayerNumber() > 0);
}

void TestSceneReader::anOriginalListingItselfDropsTheEntry()
{
    // A clone entry naming its own original links nothing; kept, it was
    // written back with the scene.
    QString const layer = QStringLiteral("{aaaaaaaa-0000-0000-0000-000000000000}");
    QString const cell = QStringLiteral("{aaaaaaaa-0000-0000-0000-000000000001}");
    QString const other = QStringLiteral("{bbbbbbbb-0000-0000-0000-000000000000}");
    QString const layers =
        QStringLiteral("<layer identifier=\"%1\" visible=\"yes\" type=\"stroke\">"
                       "<drawing type=\"original\" identifier=\"%2\">"
                       "<clone layer=\"%1\" drawing=\"%2\"/>"
                       "<clone layer=\"%3\" drawing=\"%2\"/>"
                       "<clone layer=\"%1\" drawing=\"{aaaaaaaa-0000-0000-0000-000000000002}\"/>"
                       "<strokes>%4</strokes></drawing></layer>")
            .arg(layer, cell, other, QLatin1String(emptyStrokes));
    Model::Scene scene;
    QString error;
    QVERIFY2(read(&scene, document(QString(), layers), &error) == 0, qPrintable(error));
    auto* const strokes = visualAt(scene, 0);
    QVERIFY(strokes);
    QCOMPARE(strokes->layerItem(1)->identifier, QUuid::fromString(cell));
    // Entries that only share the layer or the cell's identifier stay.
    QCOMPARE(strokes->layerItem(1)->clones,
             (QList<Model::DrawingRef>{
                 {QUuid::fromString(other), QUuid::fromString(cell)},
                 {QUuid::fromString(layer), QUuid::fromString(u"{aaaaaaaa-0000-0000-0000-000000000002}")}}));
    QByteArray const saved = write(&scene);
    QVERIFY(!saved.contains(QStringLiteral("<clone layer=\"%1\" drawing=\"%2\"/>").arg(layer, cell).toUtf8()));
}

void TestSceneReader::cellsAndNotesAreBoundedByTheMostFrames_data()
{
    QTest::addColumn<QString>("layers");
    QTest::addColumn<QString>("message"); // empty when the scene opens

    // Holds and empty notes are a few bytes each: millions of them took
    // minutes and gigabytes. As many as a scene may have frames still open.
    int const most = Model::SceneReader::maximumFrames;
    auto const holds = [](int count) {
        return strokeLayer(QStringLiteral("L"), 0,
                           QStringLiteral("<drawing type=\"original\"/>")
                               + QStringLiteral("<drawing type=\"clone\"/>").repeated(count - 1));
    };
    auto const notes = [](int count) {
        return QStringLiteral("<layer type=\"annotation\">%1</layer>")
            .arg(QStringLiteral("<image>AAAAAAAAAAAAAAABCg==</image>").repeated(count));
    };
    QString const tooManyCells = QStringLiteral("A layer holds more than %1 cells").arg(most);
    QString const tooManyNotes = QStringLiteral("The notes hold more than %1 frames").arg(most);
    QTest::newRow("cells on the most frames") << holds(most) << QString();
    QTest::newRow("a cell more") << holds(most + 1) << tooManyCells;
    QTest::newRow("notes on the most frames") << holds(most) + notes(most) << QString();
    QTest::newRow("notes on a frame more") << notes(most + 1) << tooManyNotes;
}

void TestSceneReader::cellsAndNotesAreBoundedByTheMostFrames()
{
    QFETCH(QString, layers);
    QFETCH(QString, message);

    Model::Scene scene;
    QString error;
    int const result = read(&scene, document(QString(), layers), &error);
    if (message.isEmpty()) {
        QVERIFY2(result == 0, qPrintable(error));
        QCOMPARE(scene.maximumFrameNumber(), Model::SceneReader::maximumFrames);
    } else {
        QCOMPARE(result, 1);
        QVERIFY2(error.startsWith(message), qPrintable(error));
    }
}

void TestSceneReader::hugeFileEndsAtItsFirstInvalidByte_data()
{
    QTest::addColumn<QByteArray>("start"); // what comes before the NUL bytes

    QByteArray const whole = document(QString(), strokeLayer(QStringLiteral("L"), 3));
    qsizetype const layer = whole.indexOf("<layer ");
    QTest::newRow("between elements") << whole.left(layer);
    QTest::newRow("in an element's name") << whole.left(layer + 4);
    QTest::newRow("in an attribute") << whole.left(whole.indexOf("L\"", layer));
    QTest::newRow("in a comment") << whole.left(layer) + "<!-- ";
}

void TestSceneReader::hugeFileEndsAtItsFirstInvalidByte()
{
    QFETCH(QByteArray, start);

    // A scene's start, then two gigabytes of nothing (a sparse file, which
    // takes no disk): the whole file was read into memory, then scanned,
    // before the first byte after the start was found invalid.
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QString const path = folder.filePath(QStringLiteral("sparse.kw"));
    {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        QCOMPARE(out.write(start), start.size());
        QVERIFY(out.resize(qint64(2) << 30));
    }
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Text));
    Model::Scene scene;
    Model::SceneReader reader(&scene, nullptr);
    TestSupport::PeakMemory memory;
    QCOMPARE(reader.read(&file), 1);
    qint64 const rise = memory.rise();
    QString const line = QStringLiteral("\nLine %1, column ").arg(start.count('\n') + 1);
    QVERIFY2(reader.errorString().contains(line), qPrintable(reader.errorString()));
    // A few pages of the file, not its size.
    if (memory.isAvailable())
        QVERIFY2(rise < 64 * 1024 * 1024, qPrintable(QStringLiteral("%1 bytes more").arg(rise)));
}

void TestSceneReader::progressFollowsTheBytesReadWithoutADrawingCount()
{
    // One layer of many cells and no drawing count: the progress moved only
    // from layer to layer, so it stood still for the whole layer.
    QString cells;
    for (int i = 0; i < 2000; ++i)
        cells += QStringLiteral("<drawing type=\"original\"><strokes>%1</strokes></drawing>")
                     .arg(QLatin1String(emptyStrokes));
    QByteArray bytes = document(QString(), strokeLayer(QStringLiteral("L"), 0, cells));
    QBuffer buffer(&bytes);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    Model::Scene scene;
    Model::SceneReader reader(&scene, nullptr);
    auto* const bar = reader.progressDialog()->findChild<QProgressBar*>();
    QVERIFY(bar);
    QList<int> partway;
    connect(bar, &QProgressBar::valueChanged, bar, [&](int value) {
        if (value > bar->minimum() && value < bar->maximum())
            partway << value;
    });
    QCOMPARE(reader.read(&buffer), 0);
    QCOMPARE(visualAt(scene, 0)->length(), 2000);
    QVERIFY2(partway.size() > 100, qPrintable(QString::number(partway.size())));
    QVERIFY(std::is_sorted(partway.cbegin(), partway.cend()));
}

void TestSceneReader::aPayloadTooLargeForTheMemoryLeftRefusesTheFile_data()
{
    QTest::addColumn<int>("drawings");
    QTest::addColumn<bool>("onHelpers"); // large enough to be decoded ahead of the reader

    QTest::newRow("small, decoded by the reader") << 3 << false;
    QTest::newRow("large, decoded on helper threads") << 48 << true;
}

void TestSceneReader::aPayloadTooLargeForTheMemoryLeftRefusesTheFile()
{
    QFETCH(int, drawings);
    QFETCH(bool, onHelpers);
    if (onHelpers && QThread::idealThreadCount() < 2)
        QSKIP("One core: every payload is decoded by the reader");

    // The second drawing is the one no memory is left for; its size tells
    // it from the others.
    QString cells;
    qsizetype tooLarge = 0;
    for (int i = 0; i < drawings; ++i) {
        QByteArray const text = noiseStrokes(i == 1 ? 7 : 6, quint32(i)).toBase64();
        if (i == 1)
            tooLarge = text.size();
        cells += QStringLiteral("<drawing type=\"original\"><strokes>%1</strokes></drawing>")
                     .arg(QString::fromLatin1(text));
    }
    QByteArray const data = document(QString(), strokeLayer(QStringLiteral("L"), 0, cells));
    QCOMPARE(data.size() > 4 * 1024 * 1024, onHelpers);

    std::thread::id const reader = std::this_thread::get_id();
    std::atomic<bool> failedOnHelper{false};
    QSemaphore helperFailed;
    Model::PayloadDecoder::setDecodeForTesting([&](char const* text, qsizetype size, QByteArray* bytes) {
        bool const onReader = std::this_thread::get_id() == reader;
        if (size == tooLarge) {
            if (!onReader) {
                failedOnHelper = true;
                helperFailed.release();
            }
            throw std::bad_alloc();
        }
        // The helpers claim payloads in order, so once one runs the second
        // payload is theirs; the reader decodes the first itself only when
        // it got there before any helper started, and waits for them then.
        if (onReader && onHelpers && helperFailed.tryAcquire(1, 60000))
            helperFailed.release();
        return Model::Base64Decoder::decode(text, size, bytes);
    });
    auto const restore = qScopeGuard([] { Model::PayloadDecoder::setDecodeForTesting({}); });

    Model::Scene scene;
    QString error;
    QCOMPARE(read(&scene, data, &error), 1);
    QVERIFY2(error.startsWith(QStringLiteral("Not enough memory to read the file\n")), qPrintable(error));
    QCOMPARE(failedOnHelper.load(), onHelpers);
}

QUILLMERE_TEST_MAIN(TestSceneReader)
#include "tst_scenereader.moc"
