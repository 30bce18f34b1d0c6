#include "TestSupport.h"

#include "ExportFixture.h"

#include "scene/StrokeLayer.h"
#include "settings/ExportExposureSheetSettings.h"
#include "strokes/BitmapStroke.h"
#include "settings/Settings.h"
#include "startup/Init.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProgressDialog>
#include <QScopeGuard>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using Model::ExportExposureSheetSettings;
using Model::ExportSettings;
using namespace ExportFixture;

namespace {

ExportExposureSheetSettings settingsFor(QString const& folder)
{
    ExportExposureSheetSettings settings;
    settings.name = QStringLiteral("shot.oca");
    settings.exportDir = folder;
    return settings;
}

QJsonObject exportAndRead(ExportScene& s, ExportExposureSheetSettings const& settings)
{
    QProgressDialog progress;
    s.scene.exportExposureSheet(settings, progress);
    QFile file(QDir(settings.exportDir).filePath(QStringLiteral("shot.oca/shot.oca")));
    if (!file.open(QIODevice::ReadOnly))
        return QJsonObject();
    QJsonParseError error;
    QJsonDocument const document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError)
        qWarning() << error.errorString();
    return document.object();
}

// "frameNumber:duration:fileName" for every exposure of the layer.
QStringList exposures(QJsonObject const& layer)
{
    QStringList list;
    for (QJsonValue const& value : layer.value(QStringLiteral("frames")).toArray()) {
        QJsonObject const frame = value.toObject();
        list << QStringLiteral("%1:%2:%3")
                    .arg(frame.value(QStringLiteral("frameNumber")).toInt())
                    .arg(frame.value(QStringLiteral("duration")).toInt())
                    .arg(frame.value(QStringLiteral("fileName")).toString());
    }
    return list;
}

QStringList keysOf(QJsonObject const& object)
{
    return object.keys();
}

} // namespace

class TestExposureSheetExport : public QObject
{
    Q_OBJECT

private slots:
    void packageHoldsTheDocumentAndOneFolderPerLayer_data();
    void packageHoldsTheDocumentAndOneFolderPerLayer();
    void exposuresFollowTheTiming_data();
    void exposuresFollowTheTiming();
    void sharedDrawingsPointToOneFile();
    void aCloneOnALayerOfAnotherColourHasItsOwnImage_data();
    void aCloneOnALayerOfAnotherColourHasItsOwnImage();
    void documentDescribesTheSceneAndSpan();
    void imagesAreAtFullLayerOpacity();
    void layerFoldersAreSafeAndUnique();
    void anExistingPackageIsReplacedOnlyOnSuccess();
    void packageHasThePermissionsOfAnyNewFolder();
    void refusesAnUnusableName_data();
    void refusesAnUnusableName();
};

void TestExposureSheetExport::packageHoldsTheDocumentAndOneFolderPerLayer_data()
{
    QTest::addColumn<int>("format");
    QTest::newRow("png") << int(ExportExposureSheetSettings::PNG);
    QTest::newRow("exr") << int(ExportExposureSheetSettings::OpenEXR);
}

void TestExposureSheetExport::packageHoldsTheDocumentAndOneFolderPerLayer()
{
    QFETCH(int, format);
    QString const ext = format == ExportExposureSheetSettings::OpenEXR ? "exr" : "png";

    ExportScene s;
    s.add(QStringLiteral("Paper"), QStringLiteral("P....."));
    s.add(QStringLiteral("Ink"), QStringLiteral("A...B."));
    QTemporaryDir dir;
    ExportExposureSheetSettings settings = settingsFor(dir.path());
    settings.imageFormat = ExportExposureSheetSettings::ImageFormat(format);
    Prompts prompts;
    QJsonObject const document = exportAndRead(s, settings);

    QCOMPARE(prompts.critical, QStringList());
    QCOMPARE(listing(dir.path()),
             (QStringList{"shot.oca/Ink/Ink_00000." + ext, "shot.oca/Ink/Ink_00004." + ext,
                          "shot.oca/Paper/Paper_00000." + ext, "shot.oca/shot.oca"}));

    // Every field an Open Cel Animation reader requires, and no others.
    QCOMPARE(keysOf(document),
             (QStringList{"backgroundColor", "colorDepth", "endTime", "frameRate", "height",
                          "layers", "name", "ocaVersion", "originApp", "originAppVersion",
                          "startTime", "width"}));
    QCOMPARE(document.value("ocaVersion").toString(), QStringLiteral("1.1.0"));
    QCOMPARE(document.value("colorDepth").toString(), QStringLiteral("U8"));
    QCOMPARE(document.value("originApp").toString(), QStringLiteral("Quillmere"));
    // The version the About box shows, never left empty.
    QVERIFY(!Model::version().isEmpty());
    QCOMPARE(document.value("originAppVersion").toString(), Model::version());
    QCOMPARE(document.value("width").toInt(), FrameSize.width());
    QCOMPARE(document.value("height").toInt(), FrameSize.height());
    QCOMPARE(document.value("frameRate").toDouble(), s.scene.frameRate());

    QJsonArray const layers = document.value("layers").toArray();
    QCOMPARE(layers.size(), 2);
    QJsonObject const paper = layers.at(0).toObject(); // bottom first
    QJsonObject const ink = layers.at(1).toObject();
    QCOMPARE(paper.value("name").toString(), QStringLiteral("Paper"));
    QCOMPARE(keysOf(ink),
             (QStringList{"animated", "blendingMode", "childLayers", "fileType", "frames",
                          "height", "inheritAlpha", "label", "name", "opacity", "passThrough",
                          "position", "reference", "type", "visible", "width"}));
    QCOMPARE(ink.value("type").toString(), QStringLiteral("paintlayer"));
    QCOMPARE(ink.value("fileType").toString(), ext);
    QCOMPARE(ink.value("blendingMode").toString(), QStringLiteral("normal"));
    QCOMPARE(ink.value("position").toArray(), (QJsonArray{4, 3}));

    QCOMPARE(exposures(ink),
             (QStringList{"0:4:Ink/Ink_00000." + ext, "4:2:Ink/Ink_00004." + ext}));
    QJsonObject const second = ink.value("frames").toArray().at(1).toObject();
    QCOMPARE(keysOf(second),
             (QStringList{"duration", "fileName", "frameNumber", "name", "opacity", "position"}));
    QCOMPARE(second.value("name").toString(), QStringLiteral("Ink_00004"));
    QCOMPARE(second.value("opacity").toDouble(), 1.0);
    QCOMPARE(second.value("position").toArray(), (QJsonArray{4, 3}));

    if (format == ExportExposureSheetSettings::PNG) {
        QImage const b(dir.filePath("shot.oca/Ink/Ink_00004.png"));
        QCOMPARE(b.pixelColor(1, 1).rgb(), colourOf(QLatin1Char('B')).rgb());
    }
}

void TestExposureSheetExport::exposuresFollowTheTiming_data()
{
    QTest::addColumn<int>("beyondLast");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<QStringList>("inkExposures");
    QTest::addColumn<QStringList>("inkFiles");

    int const nothing = Model::Layer::showNothing;
    int const freeze = Model::Layer::freezeLast;
    int const cycle = Model::Layer::cycleDrawings;
    // Ink is "A.B" in a scene of 8 frames.
    QTest::newRow("show nothing ends the exposures")
        << nothing << 1 << 8 << QStringList{"0:2:Ink/Ink_00000.png", "2:1:Ink/Ink_00002.png"}
        << QStringList{"Ink_00000.png", "Ink_00002.png"};
    QTest::newRow("freeze lasts to the end of the span")
        << freeze << 1 << 8 << QStringList{"0:2:Ink/Ink_00000.png", "2:6:Ink/Ink_00002.png"}
        << QStringList{"Ink_00000.png", "Ink_00002.png"};
    QTest::newRow("cycled frames point to the first cycle")
        << cycle << 1 << 8
        << QStringList{"0:2:Ink/Ink_00000.png", "2:1:Ink/Ink_00002.png", "3:2:Ink/Ink_00000.png",
                       "5:1:Ink/Ink_00002.png", "6:2:Ink/Ink_00000.png"}
        << QStringList{"Ink_00000.png", "Ink_00002.png"};
    // The first cycle lies before the span: each original is rendered once,
    // named after the first exposure that needs it.
    QTest::newRow("cycle outside the span renders each original once")
        << cycle << 5 << 8
        << QStringList{"4:1:Ink/Ink_00004.png", "5:1:Ink/Ink_00005.png", "6:2:Ink/Ink_00004.png"}
        << QStringList{"Ink_00004.png", "Ink_00005.png"};
    QTest::newRow("a range starting on a hold gets a copy")
        << nothing << 2 << 3 << QStringList{"1:1:Ink/Ink_00001.png", "2:1:Ink/Ink_00002.png"}
        << QStringList{"Ink_00001.png", "Ink_00002.png"};
    QTest::newRow("a range past the end is one blank")
        << nothing << 5 << 8 << QStringList{"4:1:"} << QStringList{};
}

void TestExposureSheetExport::exposuresFollowTheTiming()
{
    QFETCH(int, beyondLast);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(QStringList, inkExposures);
    QFETCH(QStringList, inkFiles);

    ExportScene s;
    s.add(QStringLiteral("Paper"), QStringLiteral("P......."));
    auto ink = s.add(QStringLiteral("Ink"), QStringLiteral("A.B"));
    ink->setLayerBeyondLast(Model::Layer::LayerBeyondLast(beyondLast));
    s.range(first, last);
    QTemporaryDir dir;
    ExportExposureSheetSettings settings = settingsFor(dir.path());
    settings.frames = ExportSettings::RangeOnly;
    QJsonObject const document = exportAndRead(s, settings);

    QJsonObject const layer = document.value("layers").toArray().at(1).toObject();
    QCOMPARE(exposures(layer), inkExposures);
    QCOMPARE(QDir(dir.filePath("shot.oca/Ink")).entryList(QDir::Files | QDir::Hidden), inkFiles);
    if (!inkExposures.first().endsWith(':')) {
        QJsonObject const firstExposure = layer.value("frames").toArray().at(0).toObject();
        QImage const image(dir.filePath("shot.oca/" + firstExposure.value("fileName").toString()));
        QCOMPARE(image.pixelColor(1, 1).rgb(),
                 colourOf(QLatin1Char(first % 3 == 0 ? 'B' : 'A')).rgb());
    } else {
        QJsonObject const blank = layer.value("frames").toArray().at(0).toObject();
        QCOMPARE(blank.value("name").toString(), QStringLiteral("_blank"));
    }
}

void TestExposureSheetExport::sharedDrawingsPointToOneFile()
{
    ExportScene s;
    auto a = s.add(QStringLiteral("A"), QStringLiteral("XY"));
    auto b = s.add(QStringLiteral("B"), QStringLiteral("C.....*"));
    Fixture::link(*a, 2, *b, 7);
    QTemporaryDir dir;
    QJsonObject document = exportAndRead(s, settingsFor(dir.path()));

    QJsonObject layer = document.value("layers").toArray().at(1).toObject();
    QCOMPARE(exposures(layer), (QStringList{"0:6:B/B_00000.png", "6:1:A/A_00001.png"}));
    QCOMPARE(QDir(dir.filePath("shot.oca/B")).entryList(QDir::Files | QDir::Hidden),
             QStringList{"B_00000.png"});

    // Without A in the package, B carries its own copy of A's drawing.
    a->setVisible(false);
    ExportExposureSheetSettings visibleOnly = settingsFor(dir.path());
    visibleOnly.layers = ExportSettings::VisibleLayers;
    document = exportAndRead(s, visibleOnly);
    layer = document.value("layers").toArray().at(0).toObject();
    QCOMPARE(exposures(layer), (QStringList{"0:6:B/B_00000.png", "6:1:B/B_00006.png"}));
    QImage const copy(dir.filePath("shot.oca/B/B_00006.png"));
    QCOMPARE(copy.pixelColor(1, 1).rgb(), colourOf(QLatin1Char('Y')).rgb());
}

void TestExposureSheetExport::aCloneOnALayerOfAnotherColourHasItsOwnImage_data()
{
    QTest::addColumn<QColor>("cloneColour");
    QTest::addColumn<QString>("cloneFile");
    QTest::newRow("another colour") << QColor(0, 0, 255) << "B/B_00001.png";
    QTest::newRow("the same colour") << QColor(255, 0, 0) << "A/A_00000.png";
}

void TestExposureSheetExport::aCloneOnALayerOfAnotherColourHasItsOwnImage()
{
    QFETCH(QColor, cloneColour);
    QFETCH(QString, cloneFile);
    // A red stroke layer A with one drawing covering the frame, and a stroke
    // layer B whose second frame is a distant clone of it.
    ExportScene s;
    auto const layer = [&](QString const& name, QColor const& colour) {
        auto strokes = std::make_shared<Model::StrokeLayer>(colour, FrameSize, nullptr);
        strokes->setName(name);
        strokes->setOpacity(1.0);
        s.scene.addLayer(strokes, s.scene.numLayers());
        return strokes;
    };
    auto const a = layer(QStringLiteral("A"), QColor(255, 0, 0));
    QImage coverage(FrameSize, QImage::Format_Alpha8);
    coverage.fill(QColor(0, 0, 0, 255));
    QVERIFY(a->appendStroke(
        1, std::make_unique<Model::BitmapStroke>(coverage, QRect(QPoint(), FrameSize))));
    auto const b = layer(QStringLiteral("B"), cloneColour);
    b->insertBlankFrameAfter(1);
    Fixture::link(*a, 1, *b, 2);
    s.scene.updateMaxFrameNumber();
    QTemporaryDir dir;
    QJsonObject const document = exportAndRead(s, settingsFor(dir.path()));

    QJsonObject layerB;
    for (QJsonValue const& value : document.value("layers").toArray())
        if (value.toObject().value("name").toString() == QLatin1String("B"))
            layerB = value.toObject();
    QCOMPARE(exposures(layerB).value(1), QStringLiteral("1:1:") + cloneFile);
    // The package shows the clone as the program does, in B's colour.
    QImage const clone(dir.filePath("shot.oca/" + cloneFile));
    QCOMPARE(clone.pixelColor(3, 3).rgb(), cloneColour.rgb());
    QImage const original(dir.filePath("shot.oca/A/A_00000.png"));
    QCOMPARE(original.pixelColor(3, 3).rgb(), QColor(255, 0, 0).rgb());
}

void TestExposureSheetExport::documentDescribesTheSceneAndSpan()
{
    ExportScene s;
    s.add(QStringLiteral("Ink"), QStringLiteral("A........."));
    s.range(5, 10);
    Model::Settings::instance()->setTransparencyType(KW::TransparencyType::TransparencyLargeCheckersDark);
    QTemporaryDir dir;
    ExportExposureSheetSettings settings = settingsFor(dir.path());
    settings.frames = ExportSettings::RangeOnly;
    QJsonObject const document = exportAndRead(s, settings);
    Model::Settings::instance()->setTransparencyType(KW::TransparencyType::TransparencyWhite);

    QCOMPARE(document.value("name").toString(), QStringLiteral("Scene One"));
    QCOMPARE(document.value("startTime").toInt(), 4);
    QCOMPARE(document.value("endTime").toInt(), 10);
    QColor const grey(Qt::darkGray);
    QCOMPARE(document.value("backgroundColor").toArray(),
             (QJsonArray{double(grey.redF()), double(grey.greenF()), double(grey.blueF()), 1.0}));
}

void TestExposureSheetExport::imagesAreAtFullLayerOpacity()
{
    ExportScene s;
    s.addHalfOpaqueInk();
    QTemporaryDir dir;
    QJsonObject const document = exportAndRead(s, settingsFor(dir.path()));

    QCOMPARE(document.value("layers").toArray().at(0).toObject().value("opacity").toDouble(), 0.5);
    QImage const image(dir.filePath("shot.oca/Ink/Ink_00000.png"));
    QCOMPARE(image.pixelColor(3, 3).alpha(), 255);
}

void TestExposureSheetExport::layerFoldersAreSafeAndUnique()
{
    ExportScene s;
    s.add(QStringLiteral("Ink"), QStringLiteral("A"));
    s.add(QStringLiteral("Ink"), QStringLiteral("B"));
    s.add(QStringLiteral("../x"), QStringLiteral("C"));
    s.add(QStringLiteral("shot.oca"), QStringLiteral("D"));
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("out")));
    Prompts prompts;
    QJsonObject const document = exportAndRead(s, settingsFor(dir.filePath("out")));

    QCOMPARE(prompts.critical, QStringList());
    QCOMPARE(listing(dir.path()),
             (QStringList{"out/shot.oca/.._x/.._x_00000.png", "out/shot.oca/Ink/Ink_00000.png",
                          "out/shot.oca/Ink_2/Ink_2_00000.png",
                          "out/shot.oca/shot.oca",
                          "out/shot.oca/shot.oca_2/shot.oca_2_00000.png"}));
    QStringList names;
    for (QJsonValue const& layer : document.value("layers").toArray())
        names << layer.toObject().value("name").toString();
    QCOMPARE(names, (QStringList{"Ink", "Ink", "../x", "shot.oca"}));
}

void TestExposureSheetExport::anExistingPackageIsReplacedOnlyOnSuccess()
{
    ExportScene s;
    s.add(QStringLiteral("Ink"), QStringLiteral("A.B"));
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("shot.oca/Old")));
    QFile marker(dir.filePath(QStringLiteral("shot.oca/Old/keep.txt")));
    QVERIFY(marker.open(QIODevice::WriteOnly));
    marker.close();
    QStringList const old = listing(dir.path());

    // Cancelled: the old package stays whole and nothing else is left.
    {
        QProgressDialog progress;
        progress.cancel();
        s.scene.exportExposureSheet(settingsFor(dir.path()), progress);
    }
    QCOMPARE(listing(dir.path()), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"shot.oca"});

    // Completed: the new package takes the old one's place.
    exportAndRead(s, settingsFor(dir.path()));
    QCOMPARE(listing(dir.path()),
             (QStringList{"shot.oca/Ink/Ink_00000.png", "shot.oca/Ink/Ink_00002.png",
                          "shot.oca/shot.oca"}));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"shot.oca"});
}

void TestExposureSheetExport::packageHasThePermissionsOfAnyNewFolder()
{
#ifdef Q_OS_UNIX
    // The usual mask, under which new folders are open to all: a package
    // private to its owner then stands out.
    mode_t const mask = ::umask(022);
    auto const restore = qScopeGuard([mask] { ::umask(mask); });
#endif
    ExportScene s;
    s.add(QStringLiteral("Ink"), QStringLiteral("A.B"));
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("fresh")));
    QFile::Permissions const ordinary = QFile::permissions(dir.filePath(QStringLiteral("fresh")));
    QVERIFY(QDir(dir.path()).rmdir(QStringLiteral("fresh")));

    QVERIFY(!exportAndRead(s, settingsFor(dir.path())).isEmpty());
    QCOMPARE(QFile::permissions(dir.filePath(QStringLiteral("shot.oca"))), ordinary);
    QCOMPARE(QFile::permissions(dir.filePath(QStringLiteral("shot.oca/Ink"))), ordinary);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"shot.oca"});
}

void TestExposureSheetExport::refusesAnUnusableName_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << QString();
    QTest::newRow("extension alone") << QStringLiteral(".oca");
    QTest::newRow("path separator") << QStringLiteral("../shot.oca");
}

void TestExposureSheetExport::refusesAnUnusableName()
{
    QFETCH(QString, name);

    ExportScene s;
    s.add(QStringLiteral("Ink"), QStringLiteral("A"));
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("out")));
    ExportExposureSheetSettings settings = settingsFor(dir.filePath("out"));
    settings.name = name;
    Prompts prompts;
    QProgressDialog progress;
    s.scene.exportExposureSheet(settings, progress);

    QCOMPARE(prompts.critical.size(), 1);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"out"});
    QCOMPARE(listing(dir.path()), QStringList());
}

QUILLMERE_TEST_MAIN(TestExposureSheetExport)

#include "tst_exposuresheetexport.moc"
