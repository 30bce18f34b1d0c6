// Writing scenes: the document the writer emits, a full round trip through
// writing and reading, off-pegs transforms, cancelling either way, and saving
// through a save file that never destroys the previous file.
#include "TestSupport.h"

#include "SceneFileFixtures.h"

#include "rendering/OffscreenRenderer.h"
#include "tools/PenTool.h"

#include <QFile>
#include <QProgressBar>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QXmlStreamReader>

using namespace SceneFiles;

namespace {

// Each element as its name and its attribute names in document order.
QStringList shapeOf(QByteArray const& document)
{
    QStringList shape;
    QXmlStreamReader xml(document);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        QStringList names;
        for (QXmlStreamAttribute const& attribute : xml.attributes())
            names << attribute.name().toString();
        shape << (xml.name().toString() + QLatin1Char(':') + names.join(QLatin1Char(' '))).trimmed();
    }
    return shape;
}

// The attributes of the first element of that name.
QXmlStreamAttributes attributesOf(QByteArray const& document, QString const& element)
{
    QXmlStreamReader xml(document);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == element)
            return xml.attributes();
    }
    return {};
}

// Cancels the dialog once its value reaches the given step.
void cancelAtStep(QProgressDialog* dialog, int step)
{
    auto* bar = dialog->findChild<QProgressBar*>();
    QVERIFY(bar);
    auto fired = std::make_shared<bool>(false);
    QObject::connect(bar, &QProgressBar::valueChanged, dialog, [dialog, step, fired](int value) {
        if (!*fired && value >= step) {
            *fired = true;
            dialog->cancel();
        }
    });
}

enum class Kind { Strokes, Pictures, Sound, Notes };

// A scene of that frame size with a stroke layer of two frames, as a new
// scene has, and a layer of the kind holding what the program puts there:
// a drawn stroke, a picture of the frame's size, a tone, or notes as large
// as the sheet makes them and as the file allows.
void fillWith(Model::Scene& scene, QSize const& size, Kind kind, Model::Tool* pen)
{
    scene.setFrameSize(size, KW::FitMode::FitModeIgnore, nullptr);
    auto base = std::make_shared<Model::StrokeLayer>(QColor(Qt::black), size, nullptr);
    base->insertBlankFrameAfter(1);
    scene.addLayer(base, 0);
    switch (kind) {
    case Kind::Strokes: {
        auto layer = std::make_shared<Model::StrokeLayer>(QColor(Qt::darkRed), size, nullptr);
        QVERIFY(layer->appendStroke(1, stroke(pen, size, QPointF(0, 0),
                                              QPointF(size.width(), size.height()))));
        scene.addLayer(layer, 1);
        break;
    }
    case Kind::Pictures: {
        auto layer = std::make_shared<Model::ReferenceLayer>(size, nullptr);
        QImage picture(size, QImage::Format_ARGB32_Premultiplied);
        picture.fill(QColor(30, 140, 90));
        layer->frames().clear();
        layer->frames().append(original(std::make_shared<Model::ImageDrawing>(picture)));
        scene.addLayer(layer, 1);
        break;
    }
    case Kind::Sound: {
        auto layer = std::make_shared<Model::AudioLayer>(nullptr);
        layer->setOriginalAudioData(SoundFixtures::toneWav(0.5));
        scene.addLayer(layer, 1);
        break;
    }
    case Kind::Notes: {
        auto layer = std::make_shared<Model::AnnotationLayer>(nullptr);
        for (QSize const note : {QSize(336, 56),
                                 QSize(Model::AnnotationLayer::maximumImageWidth,
                                       Model::AnnotationLayer::maximumImageHeight)}) {
            QImage image(note, QImage::Format_Alpha8);
            image.fill(0);
            image.setPixel(note.width() - 1, note.height() - 1, 0xc0);
            layer->addImage(image);
        }
        scene.addLayer(layer, 1);
        break;
    }
    }
    scene.updateMaxFrameNumber();
    scene.setFrameRange(1, scene.maximumFrameNumber(), 1, 0);
}

} // namespace

class TestSceneFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void roundTripKeepsEverythingByteForByte();
    void writerEmitsTheDocumentInItsOrder();
    void offPegsTransformKeepsTranslationAndRotation_data();
    void offPegsTransformKeepsTranslationAndRotation();
    void layerNamesLoseOnlyWhatXmlCannotCarry();
    void cancellingReturnsTwoAndLeavesNoDialog_data();
    void cancellingReturnsTwoAndLeavesNoDialog();
    void quickWorkNeverShowsTheDialog();
    void failedSavesKeepThePreviousFile();
    void everySceneTheProgramSavesReadsBack_data();
    void everySceneTheProgramSavesReadsBack();

private:
    QObject m_toolOwner;
    Model::PenTool* m_pen = nullptr;
};

void TestSceneFile::initTestCase()
{
    QVERIFY(Model::OffscreenRenderer::instance()->initialize(QSize(160, 120)));
    m_pen = new Model::PenTool(Model::Tool::Marker, &m_toolOwner);
    m_pen->setSizeRangePercent(3.0, 6.0);
}

void TestSceneFile::roundTripKeepsEverythingByteForByte()
{
    RichScene rich(m_pen);
    QStringList const before = describe(rich.scene);
    // The fixture has what the file must carry: shared holds, resolved
    // distant clones on other layers and its own, decoded sound.
    QCOMPARE(before.filter(QStringLiteral("hold sharing 1")).size(), 3);
    QCOMPARE(before.filter(QStringLiteral(" sharing 1")).size(), 6);
    QVERIFY(rich.sound->isAudioAvailable());

    int result = -1;
    QByteArray const first = write(&rich.scene, &result);
    QCOMPARE(result, 0);

    Model::Scene copy;
    QString error;
    QCOMPARE(read(&copy, first, &error), 0);
    QCOMPARE(describe(copy), before);

    QByteArray const second = write(&copy, &result);
    QCOMPARE(result, 0);
    QCOMPARE(second, first);

    // The drawings are whole: their buffers came back with them.
    auto const* ink = qobject_cast<Model::StrokeLayer*>(copy.layer(0).get());
    QVERIFY(ink);
    QCOMPARE(ink->strokeDrawing(0)->buffer(), rich.ink->strokeDrawing(0)->buffer());
    QVERIFY(!ink->strokeDrawing(0)->buffer().isNull());
}

void TestSceneFile::writerEmitsTheDocumentInItsOrder()
{
    RichScene rich(m_pen);
    QByteArray const document = write(&rich.scene);

    QList<QByteArray> const lines = document.split('\n');
    QCOMPARE(lines.value(0), QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
    QCOMPARE(lines.value(1), QByteArray("<!DOCTYPE kw>"));
    QCOMPARE(lines.value(2), QByteArray("<kw version=\"0.4\">"));
    QVERIFY(lines.value(3).startsWith("    <scene "));
    QCOMPARE(lines.value(4), QByteArray("        <layers>"));
    QCOMPARE(lines.value(5), QByteArray("            <ordering>2;0;4;1;3</ordering>"));

    QStringList const expected = {
        QStringLiteral("kw:version"),
        QStringLiteral("scene:frameWidth frameHeight frameRange activeFrameNumber activeLayerIndex "
                       "highestUsedLayerNumber fps totalNumberOfDrawings"),
        QStringLiteral("layers:"),
        QStringLiteral("ordering:"),
        // Ink: A(key) . B(off pegs) c . D
        QStringLiteral("layer:identifier name linked visible beyond type"),
        QStringLiteral("opacity:"),
        QStringLiteral("color:"),
        QStringLiteral("drawing:keyDrawing type identifier copyId"),
        QStringLiteral("clone:layer drawing"),
        QStringLiteral("strokes:"),
        QStringLiteral("drawing:type"),
        QStringLiteral("drawing:xOffset yOffset rotationDeg type identifier"),
        QStringLiteral("strokes:"),
        QStringLiteral("drawing:type identifier"),
        QStringLiteral("original:layer drawing"),
        QStringLiteral("drawing:type"),
        QStringLiteral("drawing:type identifier"),
        QStringLiteral("strokes:"),
        // Colour: C a E(key, off pegs)
        QStringLiteral("layer:identifier name linked visible beyond type"),
        QStringLiteral("opacity:"),
        QStringLiteral("color:"),
        QStringLiteral("drawing:type identifier"),
        QStringLiteral("clone:layer drawing"),
        QStringLiteral("strokes:"),
        QStringLiteral("drawing:type identifier"),
        QStringLiteral("original:layer drawing"),
        QStringLiteral("drawing:xOffset yOffset rotationDeg keyDrawing type identifier"),
        QStringLiteral("strokes:"),
        // Photos: P . p Q
        QStringLiteral("layer:identifier name linked visible beyond type"),
        QStringLiteral("opacity:"),
        QStringLiteral("drawing:type identifier"),
        QStringLiteral("clone:layer drawing"),
        QStringLiteral("image:"),
        QStringLiteral("drawing:type"),
        QStringLiteral("drawing:type identifier"),
        QStringLiteral("original:layer drawing"),
        QStringLiteral("drawing:type identifier"),
        QStringLiteral("image:"),
        // Sound
        QStringLiteral("layer:identifier name linked type"),
        QStringLiteral("offsetFrames:"),
        QStringLiteral("originalAudioData:"),
        // Notes: one image per frame of the scene
        QStringLiteral("layer:identifier name linked type"),
        QStringLiteral("image:"),
        QStringLiteral("image:"),
        QStringLiteral("image:"),
        QStringLiteral("image:"),
        QStringLiteral("image:"),
        QStringLiteral("image:"),
    };
    QCOMPARE(shapeOf(document), expected);

    QXmlStreamAttributes const scene = attributesOf(document, QStringLiteral("scene"));
    QCOMPARE(scene.value(QLatin1String("frameWidth")), QLatin1String("160"));
    QCOMPARE(scene.value(QLatin1String("frameHeight")), QLatin1String("120"));
    QCOMPARE(scene.value(QLatin1String("frameRange")), QLatin1String("2;5"));
    QCOMPARE(scene.value(QLatin1String("activeFrameNumber")).toInt(), rich.scene.activeFrame());
    QCOMPARE(scene.value(QLatin1String("activeLayerIndex")).toInt(), rich.scene.activeLayerIdx());
    QCOMPARE(scene.value(QLatin1String("highestUsedLayerNumber")), QLatin1String("7"));
    QCOMPARE(scene.value(QLatin1String("fps")), QLatin1String("12.5"));
    QCOMPARE(scene.value(QLatin1String("totalNumberOfDrawings")), QLatin1String("13"));

    QXmlStreamAttributes const ink = attributesOf(document, QStringLiteral("layer"));
    QCOMPARE(ink.value(QLatin1String("identifier")), rich.ink->identifier().toString());
    QCOMPARE(ink.value(QLatin1String("linked")), QLatin1String("yes"));
    QCOMPARE(ink.value(QLatin1String("visible")), QLatin1String("yes"));
    QCOMPARE(ink.value(QLatin1String("beyond")), QLatin1String("cycleDrawings"));
    QCOMPARE(ink.value(QLatin1String("type")), QLatin1String("stroke"));
    QVERIFY(document.contains("<opacity>0.75</opacity>"));
    QVERIFY(document.contains("<color>#b41428c8</color>"));
    QVERIFY(document.contains("<offsetFrames>2.5</offsetFrames>"));
    QVERIFY(document.contains("visible=\"no\" beyond=\"freezeLast\" type=\"stroke\""));
    QVERIFY(document.contains("name=\"Colour &amp; &lt;shade&gt; &quot;quoted&quot;\""));
    QVERIFY(document.contains(QStringLiteral("copyId=\"%1\"")
                                  .arg(rich.ink->frames().first()->drawing->currentCopyId().toString())
                                  .toLatin1()));
    // The sound travels byte for byte.
    QXmlStreamReader xml(document);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement
            && xml.name() == QLatin1String("originalAudioData"))
            break;
    }
    QCOMPARE(QByteArray::fromBase64(xml.readElementText().toLatin1()), rich.sound->originalAudioData());
}

void TestSceneFile::offPegsTransformKeepsTranslationAndRotation_data()
{
    QTest::addColumn<QTransform>("transform");
    QTest::addColumn<QStringList>("written"); // xOffset, yOffset, rotationDeg; empty: none
    QTest::addColumn<QTransform>("readBack");

    QTest::newRow("identity") << QTransform() << QStringList() << QTransform();
    QTest::newRow("pure translation")
        << QTransform::fromTranslate(5, -3) << QStringList{"5", "-3", "0"}
        << QTransform::fromTranslate(5, -3);
    QTest::newRow("translation and rotation")
        << QTransform().translate(12.5, -7.25).rotate(30)
        << QStringList{"12.5", "-7.25", "30"} << QTransform().translate(12.5, -7.25).rotate(30);
    QTest::newRow("negative rotation")
        << QTransform().rotate(-70) << QStringList{"0", "0", "-70"} << QTransform().rotate(-70);
    QTest::newRow("half turn")
        << QTransform().rotate(180) << QStringList{"0", "0", "-180"} << QTransform().rotate(180);
    QTest::newRow("scale is not kept")
        << QTransform().translate(1, 2).rotate(-135).scale(2, 2)
        << QStringList{"1", "2", "-135"} << QTransform().translate(1, 2).rotate(-135);
    QTest::newRow("first column empty")
        << QTransform(0, 0, 1, 0, 4, 0) << QStringList{"4", "0", "90"}
        << QTransform().translate(4, 0).rotate(90);
    QTest::newRow("first column empty, second turned")
        << QTransform(0, 0, 0, 3, 0, 0) << QStringList{"0", "0", "0"} << QTransform();
    QTest::newRow("all linear parts empty")
        << QTransform(0, 0, 0, 0, 2, 0) << QStringList{"2", "0", "0"}
        << QTransform::fromTranslate(2, 0);
    QTest::newRow("six significant digits")
        << QTransform::fromTranslate(1.0 / 3.0, 1234567.8) << QStringList{"0.333333", "1.23457e+06", "0"}
        << QTransform::fromTranslate(0.333333, 1234570.0);
}

void TestSceneFile::offPegsTransformKeepsTranslationAndRotation()
{
    QFETCH(QTransform, transform);
    QFETCH(QStringList, written);
    QFETCH(QTransform, readBack);

    Model::Scene scene;
    auto layer = std::make_shared<Model::StrokeLayer>(QColor(Qt::black), scene.frameSize(), nullptr);
    layer->frames().first()->offPegsTransform = transform;
    scene.addLayer(layer, 0);

    QByteArray const document = write(&scene);
    QXmlStreamAttributes const drawing = attributesOf(document, QStringLiteral("drawing"));
    QStringList actual;
    for (char const* name : {"xOffset", "yOffset", "rotationDeg"}) {
        if (drawing.hasAttribute(QLatin1String(name)))
            actual << drawing.value(QLatin1String(name)).toString();
    }
    QCOMPARE(actual, written);

    Model::Scene copy;
    QCOMPARE(read(&copy, document), 0);
    auto const* visual = qobject_cast<Model::VisualLayer*>(copy.layer(0).get());
    QVERIFY(visual);
    QTransform const t = visual->layerItem(1)->offPegsTransform;
    QList<double> const got{t.m11(), t.m12(), t.m21(), t.m22(), t.dx(), t.dy()};
    QList<double> const want{readBack.m11(), readBack.m12(), readBack.m21(),
                             readBack.m22(), readBack.dx(),  readBack.dy()};
    for (int i = 0; i < got.size(); ++i)
        QVERIFY2(std::abs(got.at(i) - want.at(i)) < 1e-5,
                 qPrintable(QStringLiteral("element %1: %2 instead of %3").arg(i).arg(got.at(i)).arg(want.at(i))));
}

void TestSceneFile::layerNamesLoseOnlyWhatXmlCannotCarry()
{
    Model::Scene scene;
    auto layer = std::make_shared<Model::StrokeLayer>(QColor(Qt::black), scene.frameSize(), nullptr);
    QString name = QStringLiteral("Ink\tline\nbreak ");
    name += QChar(0x01);
    name += QStringLiteral("€");
    name += QChar(0xD800); // an unpaired surrogate
    name += QStringLiteral("😀");
    name += QChar(0xFFFF);
    layer->setName(name);
    scene.addLayer(layer, 0);

    int result = -1;
    QByteArray const document = write(&scene, &result);
    QCOMPARE(result, 0);
    Model::Scene copy;
    QCOMPARE(read(&copy, document), 0);
    QCOMPARE(copy.layer(0)->name(), QStringLiteral("Ink\tline\nbreak €😀"));
}

void TestSceneFile::cancellingReturnsTwoAndLeavesNoDialog_data()
{
    QTest::addColumn<bool>("writing");
    QTest::addColumn<int>("step");

    QTest::newRow("writing, at the scene attributes") << true << 0;
    QTest::newRow("writing, among the drawings") << true << 4;
    QTest::newRow("writing, before the last layer") << true << 17;
    QTest::newRow("reading, at the scene attributes") << false << 0;
    QTest::newRow("reading, among the drawings") << false << 4;
    QTest::newRow("reading, at the last drawing") << false << 13;
}

void TestSceneFile::cancellingReturnsTwoAndLeavesNoDialog()
{
    QFETCH(bool, writing);
    QFETCH(int, step);

    RichScene rich(m_pen);
    QByteArray const complete = write(&rich.scene);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (writing) {
        buffer.open(QIODevice::WriteOnly);
        Model::SceneWriter writer(&rich.scene, nullptr);
        cancelAtStep(writer.progressDialog(), step);
        QCOMPARE(writer.writeFile(&buffer), 2);
        QVERIFY(!writer.progressDialog()->isVisible());
        QVERIFY(!writer.progressDialog()->wasCanceled());
        QVERIFY(bytes.size() < complete.size());
    } else {
        bytes = complete;
        buffer.open(QIODevice::ReadOnly);
        Model::Scene copy;
        Model::SceneReader reader(&copy, nullptr);
        cancelAtStep(reader.progressDialog(), step);
        QCOMPARE(reader.read(&buffer), 2);
        QVERIFY(!reader.progressDialog()->isVisible());
    }
}

void TestSceneFile::quickWorkNeverShowsTheDialog()
{
    RichScene rich(m_pen);
    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    Model::SceneWriter writer(&rich.scene, nullptr);
    QCOMPARE(writer.writeFile(&out), 0);

    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    Model::Scene copy;
    Model::SceneReader reader(&copy, nullptr);
    QCOMPARE(reader.read(&in), 0);

    // Past the dialogs' minimum duration nothing has popped up on its own.
    QTest::qWait(2300);
    QVERIFY(!writer.progressDialog()->isVisible());
    QVERIFY(!reader.progressDialog()->isVisible());
    QCOMPARE(writer.progressDialog()->windowModality(), Qt::WindowModal);
    QCOMPARE(writer.progressDialog()->labelText(), QStringLiteral("Saving scene..."));
    QCOMPARE(reader.progressDialog()->labelText(), QStringLiteral("Opening scene..."));
    QCOMPARE(reader.progressDialog()->minimumDuration(), 2000);
}

void TestSceneFile::failedSavesKeepThePreviousFile()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString const path = dir.filePath(QStringLiteral("scene.kw"));

    Model::Scene small;
    small.addLayer(std::make_shared<Model::StrokeLayer>(QColor(Qt::black), small.frameSize(), nullptr), 0);
    QString error;
    QCOMPARE(Model::SceneWriter(&small, nullptr).writeFile(path, &error), 0);
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QByteArray const previous = saved.readAll();
    saved.close();
    QCOMPARE(previous, write(&small));

    // A cancelled save leaves the file as it was, and no stray file behind.
    RichScene rich(m_pen);
    {
        Model::SceneWriter writer(&rich.scene, nullptr);
        cancelAtStep(writer.progressDialog(), 5);
        QCOMPARE(writer.writeFile(path, &error), 2);
    }
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), previous);
    saved.close();
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("scene.kw")});

    // A file that cannot be made is reported, with the system's reason.
    error.clear();
    QCOMPARE(Model::SceneWriter(&rich.scene, nullptr)
                 .writeFile(dir.filePath(QStringLiteral("missing/scene.kw")), &error),
             1);
    QVERIFY(!error.isEmpty());

    // A device that fails underneath the writer.
    QByteArray readOnly;
    QBuffer failing(&readOnly);
    failing.open(QIODevice::ReadOnly);
    QCOMPARE(Model::SceneWriter(&rich.scene, nullptr).writeFile(&failing), 1);

    // A save that succeeds replaces the file, and removes what a save of
    // that name killed half way left, only that.
    QStringList const leftovers{QStringLiteral(".scene.kw.partial-AbCd12"),
                                QStringLiteral(".scene.kw.partial-AbCd12.mine")};
    for (QString const& name : leftovers) {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QCOMPARE(Model::SceneWriter(&rich.scene, nullptr).writeFile(path, &error), 0);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), write(&rich.scene));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
             (QStringList{leftovers.at(1), QStringLiteral("scene.kw")}));
}

void TestSceneFile::everySceneTheProgramSavesReadsBack_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<Kind>("kind");
    for (QSize const size : {QSize(64, 64), QSize(320, 240), QSize(640, 48), QSize(256, 256),
                             QSize(1, 1), QSize(Model::Scene::maximumFrameSide, 2)}) {
        for (auto const& [name, kind] : {std::pair{"strokes", Kind::Strokes},
                                         std::pair{"pictures", Kind::Pictures},
                                         std::pair{"sound", Kind::Sound},
                                         std::pair{"notes", Kind::Notes}})
            QTest::addRow("%dx%d %s", size.width(), size.height(), name) << size << kind;
    }
}

void TestSceneFile::everySceneTheProgramSavesReadsBack()
{
    QFETCH(QSize, size);
    QFETCH(Kind, kind);
    Model::Scene scene;
    fillWith(scene, size, kind, m_pen);
    int result = -1;
    QByteArray const bytes = write(&scene, &result);
    QCOMPARE(result, 0);
    Model::Scene copy;
    QString error;
    QVERIFY2(read(&copy, bytes, &error) == 0, qPrintable(error));
    QCOMPARE(describe(copy), describe(scene));
}

QUILLMERE_TEST_MAIN(TestSceneFile)
#include "tst_scenefile.moc"
