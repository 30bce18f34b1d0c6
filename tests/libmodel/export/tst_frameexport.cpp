#include "TestSupport.h"

#include "ExportFixture.h"

#include "export/ExrWriter.h"
#include "settings/ExportFramesSettings.h"

#include <QProgressBar>
#include <QProgressDialog>

#include <tinyexr.h>

#include <cstdlib>

using Model::ExportFramesSettings;
using Model::ExportSettings;
using namespace ExportFixture;

namespace {

// Bottom "A": A1 held to 3, B at 4. Top "B": C1 held at 2, a distant clone
// of A1 at 3, held at 4.
struct TwoLayers : ExportScene
{
    TwoLayers()
    {
        a = add(QStringLiteral("A"), QStringLiteral("A..B"));
        b = add(QStringLiteral("B"), QStringLiteral("C.*."));
        Fixture::link(*a, 1, *b, 3);
        scene.setActiveFrameAndLayer(1, scene.getLayerIndex(b), Model::Scene::AcceptVirtualLastFrame);
    }
    std::shared_ptr<Model::ReferenceLayer> a;
    std::shared_ptr<Model::ReferenceLayer> b;
};

ExportFramesSettings settingsFor(QString const& folder)
{
    ExportFramesSettings settings;
    settings.name = QStringLiteral("shot");
    settings.exportDir = folder;
    return settings;
}

} // namespace

class TestFrameExport : public QObject
{
    Q_OBJECT

private slots:
    void namesFollowTheOptions_data();
    void namesFollowTheOptions();
    void frameNumbersKeepAllTheirDigits();
    void layerNamesAreMadeSafeAndUnique();
    void longLayerNamesFitTheFileSystem();
    void imagesHaveTheFrameSizeAndBackground_data();
    void imagesHaveTheFrameSizeAndBackground();
    void combinedFramesApplyLayerOpacityOnce();
    void stopsAtTheFirstFileItCannotWrite();
    void cancellingKeepsTheFramesBeforeIt();
    void refusesABaseNameOutsideTheFolder_data();
    void refusesABaseNameOutsideTheFolder();
};

void TestFrameExport::namesFollowTheOptions_data()
{
    QTest::addColumn<bool>("combine");
    QTest::addColumn<int>("layers");
    QTest::addColumn<int>("clones");
    QTest::addColumn<bool>("hideAll");
    QTest::addColumn<QStringList>("files");

    int const all = ExportSettings::AllLayers;
    int const active = ExportSettings::ActiveLayerOnly;
    int const visible = ExportSettings::VisibleLayers;
    int const exclude = ExportFramesSettings::ExcludeClones;
    int const include = ExportFramesSettings::IncludeClones;
    int const simple = ExportFramesSettings::IncludeClonesSimpleSequence;

    QTest::newRow("per layer, clones included")
        << false << all << include << false
        << QStringList{"shot.A.0001.png", "shot.A.0002.hold.png", "shot.A.0003.hold.png",
                       "shot.A.0004.png", "shot.B.0001.png", "shot.B.0002.hold.png",
                       "shot.B.0003.clone.A.0001.png", "shot.B.0004.hold.png"};
    QTest::newRow("per layer, clones excluded")
        << false << all << exclude << false
        << QStringList{"shot.A.0001.png", "shot.A.0004.png", "shot.B.0001.png"};
    QTest::newRow("per layer, simple sequence")
        << false << all << simple << false
        << QStringList{"shot.A.0001.png", "shot.A.0002.png", "shot.A.0003.png", "shot.A.0004.png",
                       "shot.B.0001.png", "shot.B.0002.png", "shot.B.0003.png", "shot.B.0004.png"};
    QTest::newRow("per layer, active layer") << false << active << include << false
                                             << QStringList{"shot.B.0001.png", "shot.B.0002.hold.png",
                                                            "shot.B.0003.clone.A.0001.png",
                                                            "shot.B.0004.hold.png"};
    QTest::newRow("combined, clones included")
        << true << all << include << false
        << QStringList{"shot.0001.png", "shot.0002.hold.png", "shot.0003.png", "shot.0004.png"};
    QTest::newRow("combined, clones excluded")
        << true << all << exclude << false
        << QStringList{"shot.0001.png", "shot.0003.png", "shot.0004.png"};
    QTest::newRow("combined, simple sequence")
        << true << all << simple << false
        << QStringList{"shot.0001.png", "shot.0002.png", "shot.0003.png", "shot.0004.png"};
    QTest::newRow("combined, one layer names it")
        << true << active << include << false
        << QStringList{"shot.B.0001.png", "shot.B.0002.hold.png", "shot.B.0003.png",
                       "shot.B.0004.hold.png"};
    QTest::newRow("combined, every layer hidden")
        << true << visible << include << true
        << QStringList{"shot.0001.hold.png", "shot.0002.hold.png", "shot.0003.hold.png",
                       "shot.0004.hold.png"};
    QTest::newRow("combined, every layer hidden, clones excluded")
        << true << visible << exclude << true << QStringList{};
    QTest::newRow("per layer, every layer hidden") << false << visible << include << true
                                                   << QStringList{};
}

void TestFrameExport::namesFollowTheOptions()
{
    QFETCH(bool, combine);
    QFETCH(int, layers);
    QFETCH(int, clones);
    QFETCH(bool, hideAll);
    QFETCH(QStringList, files);

    TwoLayers s;
    if (hideAll) {
        s.a->setVisible(false);
        s.b->setVisible(false);
    }
    QTemporaryDir dir;
    ExportFramesSettings settings = settingsFor(dir.path());
    settings.combineLayers = combine;
    settings.layers = ExportSettings::Layers(layers);
    settings.clones = ExportFramesSettings::Clones(clones);
    Prompts prompts;
    QProgressDialog progress;
    s.scene.exportFrames(settings, progress);

    QCOMPARE(listing(dir.path()), files);
    QCOMPARE(prompts.critical, QStringList());
}

void TestFrameExport::frameNumbersKeepAllTheirDigits()
{
    ExportScene s;
    s.add(QStringLiteral("A"), QStringLiteral("A") + QString(9999, QLatin1Char('.')));
    s.range(9998, 10000);
    QTemporaryDir dir;
    ExportFramesSettings settings = settingsFor(dir.path());
    settings.frames = ExportSettings::RangeOnly;
    settings.clones = ExportFramesSettings::IncludeClones;
    QProgressDialog progress;
    s.scene.exportFrames(settings, progress);

    QCOMPARE(listing(dir.path()), (QStringList{"shot.A.10000.hold.png", "shot.A.9998.hold.png",
                                               "shot.A.9999.hold.png"}));
}

void TestFrameExport::layerNamesAreMadeSafeAndUnique()
{
    ExportScene s;
    s.add(QStringLiteral("../up"), QStringLiteral("A"));
    s.add(QString(), QStringLiteral("B"));
    s.add(QStringLiteral("Ink"), QStringLiteral("C"));
    s.add(QStringLiteral("Ink"), QStringLiteral("D"));
    s.add(QStringLiteral("a\\b:c\td"), QStringLiteral("E"));
    s.add(QStringLiteral(".."), QStringLiteral("F"));
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("out")));
    ExportFramesSettings settings = settingsFor(dir.filePath(QStringLiteral("out")));
    QProgressDialog progress;
    s.scene.exportFrames(settings, progress);

    QCOMPARE(listing(dir.path()),
             (QStringList{"out/shot..._up.0001.png", "out/shot.Ink.0001.png",
                          "out/shot.Ink_2.0001.png", "out/shot.Layer.0001.png",
                          "out/shot.__.0001.png", "out/shot.a_b_c_d.0001.png"}));
    // Bottom first: the lower "Ink" keeps its name.
    QImage const lowerInk(dir.filePath(QStringLiteral("out/shot.Ink.0001.png")));
    QCOMPARE(lowerInk.pixelColor(1, 1).rgb(), colourOf(QLatin1Char('C')).rgb());
}

void TestFrameExport::longLayerNamesFitTheFileSystem()
{
    // A million characters each: one-byte, repeated, two-byte and four-byte
    // (surrogate pairs) in UTF-8; the last layer clones the first, so one
    // file name carries two layer names.
    QString const ascii(1000000, QLatin1Char('x'));
    QString const accented(1000000, QChar(0x00e9));
    QString emoji;
    for (int i = 0; i < 500000; ++i)
        emoji += QString::fromUcs4(U"\U0001F600");
    ExportScene s;
    auto const first = s.add(ascii, QStringLiteral("A"));
    s.add(ascii, QStringLiteral("B"));
    s.add(accented, QStringLiteral("C"));
    auto const last = s.add(emoji, QStringLiteral("D*"));
    Fixture::link(*first, 1, *last, 2);
    QTemporaryDir dir;
    ExportFramesSettings settings = settingsFor(dir.path());
    settings.clones = ExportFramesSettings::IncludeClones;
    Prompts prompts;
    QProgressDialog progress;
    s.scene.exportFrames(settings, progress);

    QCOMPARE(prompts.critical, QStringList());
    auto const repeat = [](QString const& unit, int times) { return unit.repeated(times); };
    QString const x64 = repeat(QStringLiteral("x"), 64);
    QString const e32 = repeat(QString(QChar(0x00e9)), 32);
    QString const smile16 = repeat(QString::fromUcs4(U"\U0001F600"), 16);
    QStringList expected{
        "shot." + x64 + ".0001.png",
        "shot." + x64.left(62) + "_2.0001.png",
        "shot." + e32 + ".0001.png",
        "shot." + smile16 + ".0001.png",
        "shot." + smile16 + ".0002.clone." + x64 + ".0001.png",
    };
    expected.sort();
    QStringList const files = listing(dir.path());
    QCOMPARE(files, expected);
    for (QString const& file : files)
        QVERIFY2(file.toUtf8().size() <= 255, qPrintable(QString::number(file.toUtf8().size())));
}

void TestFrameExport::imagesHaveTheFrameSizeAndBackground_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<bool>("alpha");

    QTest::newRow("png with alpha") << int(ExportFramesSettings::PNG) << true;
    QTest::newRow("png on white") << int(ExportFramesSettings::PNG) << false;
    QTest::newRow("exr with alpha") << int(ExportFramesSettings::OpenEXR) << true;
    QTest::newRow("exr on white") << int(ExportFramesSettings::OpenEXR) << false;
}

void TestFrameExport::imagesHaveTheFrameSizeAndBackground()
{
    QFETCH(int, format);
    QFETCH(bool, alpha);

    ExportScene s;
    // A small picture in the middle of a larger frame leaves the corners
    // empty.
    auto layer = s.add(QStringLiteral("Ink"), QStringLiteral("A"));
    QImage picture(2, 2, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::blue);
    layer->layerItem(1)->drawing = std::make_shared<Model::ImageDrawing>(picture);
    QTemporaryDir dir;
    ExportFramesSettings settings = settingsFor(dir.path());
    settings.imageFormat = ExportFramesSettings::ImageFormat(format);
    settings.includeAlpha = alpha;
    settings.combineLayers = true;
    QProgressDialog progress;
    s.scene.exportFrames(settings, progress);

    bool const exr = format == ExportFramesSettings::OpenEXR;
    QString const path = dir.filePath(exr ? "shot.Ink.0001.exr" : "shot.Ink.0001.png");
    QColor corner;
    QSize size;
    if (exr) {
        float* rgba = nullptr;
        int width = 0;
        int height = 0;
        QCOMPARE(LoadEXR(&rgba, &width, &height, path.toUtf8().constData(), nullptr),
                 TINYEXR_SUCCESS);
        size = QSize(width, height);
        corner = QColor::fromRgbF(rgba[0], rgba[1], rgba[2], rgba[3]);
        std::free(rgba);
    } else {
        QImage const image(path);
        size = image.size();
        corner = image.pixelColor(0, 0);
    }
    QCOMPARE(size, FrameSize);
    QCOMPARE(corner.rgba(), alpha ? qRgba(0, 0, 0, 0) : qRgba(255, 255, 255, 255));
}

void TestFrameExport::combinedFramesApplyLayerOpacityOnce()
{
    ExportScene s;
    s.addHalfOpaqueInk();

    for (bool const combine : {true, false}) {
        QTemporaryDir dir;
        ExportFramesSettings settings = settingsFor(dir.path());
        settings.combineLayers = combine;
        QProgressDialog progress;
        s.scene.exportFrames(settings, progress);
        QImage const image(dir.filePath(QStringLiteral("shot.Ink.0001.png")));
        QVERIFY2(qAbs(image.pixelColor(3, 3).alpha() - 128) <= 1,
                 qPrintable(QString::number(image.pixelColor(3, 3).alpha())));
    }
}

void TestFrameExport::stopsAtTheFirstFileItCannotWrite()
{
    TwoLayers s;
    QTemporaryDir dir;
    // A folder where the second frame's file should go.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("shot.0002.png")));
    ExportFramesSettings settings = settingsFor(dir.path());
    settings.combineLayers = true;
    settings.clones = ExportFramesSettings::IncludeClonesSimpleSequence;
    Prompts prompts;
    QProgressDialog progress;
    s.scene.exportFrames(settings, progress);

    QCOMPARE(listing(dir.path()), QStringList{"shot.0001.png"});
    QCOMPARE(prompts.critical.size(), 1);
    QVERIFY2(prompts.critical.first().startsWith(QStringLiteral("Export failed|")),
             qPrintable(prompts.critical.first()));
    QVERIFY2(prompts.critical.first().contains(dir.filePath(QStringLiteral("shot.0002.png"))),
             qPrintable(prompts.critical.first()));
}

void TestFrameExport::cancellingKeepsTheFramesBeforeIt()
{
    ExportScene s;
    s.add(QStringLiteral("A"), QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWX"));
    QTemporaryDir dir;
    ExportFramesSettings settings = settingsFor(dir.path());
    Prompts prompts;
    QProgressDialog progress;
    // The user cancels once the bar shows the third frame written.
    auto* bar = progress.findChild<QProgressBar*>();
    QVERIFY(bar);
    connect(bar, &QProgressBar::valueChanged, &progress, [&](int value) {
        if (value == 3)
            progress.cancel();
    });
    s.scene.exportFrames(settings, progress);

    // Hidden entries included: no temporary of a frame under way is left.
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                        QDir::Name),
             (QStringList{"shot.A.0001.png", "shot.A.0002.png", "shot.A.0003.png"}));
    QCOMPARE(prompts.critical, QStringList());
}

void TestFrameExport::refusesABaseNameOutsideTheFolder_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("empty") << QString();
    QTest::newRow("slash") << QStringLiteral("../shot");
    QTest::newRow("backslash") << QStringLiteral("a\\shot");
    QTest::newRow("dot dot") << QStringLiteral("..");
}

void TestFrameExport::refusesABaseNameOutsideTheFolder()
{
    QFETCH(QString, name);

    TwoLayers s;
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("out")));
    ExportFramesSettings settings = settingsFor(dir.filePath(QStringLiteral("out")));
    settings.name = name;
    Prompts prompts;
    QProgressDialog progress;
    s.scene.exportFrames(settings, progress);

    QCOMPARE(listing(dir.path()), QStringList());
    QCOMPARE(prompts.critical.size(), 1);
}

QUILLMERE_TEST_MAIN(TestFrameExport)

#include "tst_frameexport.moc"
