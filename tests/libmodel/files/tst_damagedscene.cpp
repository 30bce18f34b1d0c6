// Damaged and hostile scene files: each refused with a message placed where
// the fault is, or read within bounds of what the program itself writes,
// instead of crashing, hanging or taking memory without bound.
#include "TestSupport.h"

#include "SceneReaderFixtures.h"

#include "files/Base64Decoder.h"
#include "files/PayloadDecoder.h"
#include "rendering/OffscreenRenderer.h"
#include "tools/PenTool.h"

#include <QFile>
#include <QProgressBar>
#include <QProgressDialog>
#include <QScopeGuard>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThread>
#include <QXmlStreamReader>

#include <atomic>
#include <climits>
#include <new>
#include <thread>

using namespace SceneFiles;

namespace {

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

} // namespace

class TestDamagedScene : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void damagedFilesAreRefusedWithAMessage_data();
    void damagedFilesAreRefusedWithAMessage();
    void truncatedSavedScenesAreRefused_data();
    void truncatedSavedScenesAreRefused();
    void errorsArePlacedWhereTheyAreInTheFile_data();
    void errorsArePlacedWhereTheyAreInTheFile();
    void layerNumbersStayInTheRangeTheProgramCounts_data();
    void layerNumbersStayInTheRangeTheProgramCounts();
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

void TestDamagedScene::initTestCase()
{
    QVERIFY(Model::OffscreenRenderer::instance()->initialize(QSize(64, 48)));
    m_pen = new Model::PenTool(Model::Tool::Marker, &m_toolOwner);
    m_pen->setSizeRangePercent(3.0, 6.0);
}

void TestDamagedScene::damagedFilesAreRefusedWithAMessage_data()
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

void TestDamagedScene::damagedFilesAreRefusedWithAMessage()
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

void TestDamagedScene::truncatedSavedScenesAreRefused_data()
{
    QTest::addColumn<double>("fraction");
    for (double const fraction : {0.0005, 0.01, 0.1, 0.3, 0.5, 0.7, 0.9, 0.99, 0.9995})
        QTest::addRow("%g", fraction) << fraction;
}

void TestDamagedScene::truncatedSavedScenesAreRefused()
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

void TestDamagedScene::errorsArePlacedWhereTheyAreInTheFile_data()
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

void TestDamagedScene::errorsArePlacedWhereTheyAreInTheFile()
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

void TestDamagedScene::layerNumbersStayInTheRangeTheProgramCounts_data()
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

void TestDamagedScene::layerNumbersStayInTheRangeTheProgramCounts()
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

void TestDamagedScene::cellsAndNotesAreBoundedByTheMostFrames_data()
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

void TestDamagedScene::cellsAndNotesAreBoundedByTheMostFrames()
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

void TestDamagedScene::hugeFileEndsAtItsFirstInvalidByte_data()
{
    QTest::addColumn<QByteArray>("start"); // what comes before the NUL bytes

    QByteArray const whole = document(QString(), strokeLayer(QStringLiteral("L"), 3));
    qsizetype const layer = whole.indexOf("<layer ");
    QTest::newRow("between elements") << whole.left(layer);
    QTest::newRow("in an element's name") << whole.left(layer + 4);
    QTest::newRow("in an attribute") << whole.left(whole.indexOf("L\"", layer));
    QTest::newRow("in a comment") << whole.left(layer) + "<!-- ";
}

void TestDamagedScene::hugeFileEndsAtItsFirstInvalidByte()
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

void TestDamagedScene::progressFollowsTheBytesReadWithoutADrawingCount()
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

void TestDamagedScene::aPayloadTooLargeForTheMemoryLeftRefusesTheFile_data()
{
    QTest::addColumn<int>("drawings");
    QTest::addColumn<bool>("onHelpers"); // large enough to be decoded ahead of the reader

    QTest::newRow("small, decoded by the reader") << 3 << false;
    QTest::newRow("large, decoded on helper threads") << 48 << true;
}

void TestDamagedScene::aPayloadTooLargeForTheMemoryLeftRefusesTheFile()
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

QUILLMERE_TEST_MAIN(TestDamagedScene)
#include "tst_damagedscene.moc"
