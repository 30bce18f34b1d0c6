// The scene's movie export: sizes, frames and sound of the written movies,
// their pictures against the canvas at every scale, the scene left
// untouched, the permissions of the movie, and cancels and failures that
// keep an earlier file of the target's name.
#include "TestSupport.h"

#include "../files/SceneFileFixtures.h"
#include "../media/MovieProbe.h"
#include "export/ExportFailure.h"
#include "prompts/Prompter.h"
#include "settings/ExportVideoSettings.h"
#include "strokes/BitmapStroke.h"
#include "tools/PenTool.h"

#include <QCoreApplication>
#include <QPainter>
#include <QProgressBar>
#include <QProgressDialog>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdlib>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using Model::ExportVideoSettings;
using Model::Prompter;

namespace {

constexpr double frameRate = 12.5;

// Two frames of silence, then a tone: where the tone starts in the movie
// shows where the sound was placed.
QByteArray lateTone(double seconds)
{
    int const rate = 44100;
    int const silent = int(2 / frameRate * rate);
    return SoundFixtures::wav16(rate, 1, int(seconds * rate), [silent](int frame, int) {
        return frame < silent ? qint16(0) : SoundFixtures::sine(frame, rate, 440.0, 0.5);
    });
}

// The rich scene of the file tests (three visual layers with holds and
// distant clones, a sound layer, notes), lengthened by holds to 16 frames,
// with its range 5 to 16 and the sound two frames late.
struct ExportScene
{
    ExportScene()
        : pen(new Model::PenTool(Model::Tool::Pencil, &owner))
        , rich(pen)
    {
        Model::Scene& scene = rich.scene;
        scene.setFrameRate(frameRate);
        while (rich.ink->frames().size() < 16)
            rich.ink->frames() << SceneFiles::hold(rich.ink->frames().last());
        scene.updateMaxFrameNumber();
        rich.sound->setOriginalAudioData(lateTone(3.0));
        rich.sound->setOffsetFrames(2.0);
        scene.setFrameRange(5, 16, 5, 0);
    }

    QObject owner;
    Model::PenTool* pen;
    SceneFiles::RichScene rich;
};

// A scene whose cells show drawings of other frames every way they can, for
// comparing movies with the canvas. Solid squares, so that a pixel well
// inside one keeps its colour however the frame is scaled:
//   Ink    (red):                A  a(hold)  b(clone)  a(clone)  D(reaching off the canvas)
//   Paint  (blue, half opacity): c(clone)  B  C  d(clone)  d(hold)
//   Photos (reference picture, half opacity, shown on every frame)
// with the clones of C and D ahead of their originals, those of A and B
// after them, those of B and D across the two layers. The range, frames 2
// to 5, starts on a hold of a drawing outside it.
struct CloneScene
{
    CloneScene()
    {
        QSize const size(160, 120);
        scene.setFrameSize(size, KW::FitMode::FitModeIgnore, nullptr);
        scene.setFrameRate(frameRate);
        auto ink = std::make_shared<Model::StrokeLayer>(QColor(220, 30, 30), size, nullptr);
        auto paint = std::make_shared<Model::StrokeLayer>(QColor(20, 40, 230), size, nullptr);
        paint->setOpacity(0.5);
        auto photos = std::make_shared<Model::ReferenceLayer>(size, nullptr);
        photos->setLayerBeyondLast(Model::Layer::freezeLast);

        auto const square = [size](QRect const& rect) {
            auto drawing = std::make_shared<Model::StrokeDrawing>(size);
            QImage solid(rect.size(), QImage::Format_Alpha8);
            solid.fill(255);
            drawing->appendStroke(std::make_unique<Model::BitmapStroke>(solid, rect));
            return SceneFiles::original(drawing);
        };
        auto const a = square(QRect(10, 10, 36, 30));
        auto const b = square(QRect(60, 16, 40, 44));
        auto const c = square(QRect(104, 66, 30, 34));
        auto const d = square(QRect(130, 84, 60, 60));
        QImage picture(16, 12, QImage::Format_ARGB32);
        picture.fill(QColor(240, 200, 0));
        for (int y = 6; y < 12; ++y)
            for (int x = 0; x < 16; ++x)
                picture.setPixel(x, y, qRgb(0, 170, 170));
        photos->frames() = {SceneFiles::original(std::make_shared<Model::ImageDrawing>(picture))};

        auto const cClone = SceneFiles::distantClone(*paint, c, *paint);
        auto const dClone = SceneFiles::distantClone(*ink, d, *paint);
        paint->frames() = {cClone, b, c, dClone, SceneFiles::hold(dClone)};
        ink->frames() = {a, SceneFiles::hold(a), SceneFiles::distantClone(*paint, b, *ink),
                         SceneFiles::distantClone(*ink, a, *ink), d};
        for (std::shared_ptr<Model::Layer> const& layer :
             {std::shared_ptr<Model::Layer>(photos), std::shared_ptr<Model::Layer>(paint),
              std::shared_ptr<Model::Layer>(ink)})
            scene.addLayer(layer, scene.numLayers());
        scene.fixupReferences();
        scene.updateMaxFrameNumber();
        scene.setFrameRange(2, 5, 2, 0);
    }

    // The frame as the canvas composites it, bottom layer first.
    QImage canvas(int frame, bool transparent) const
    {
        QImage image(scene.frameSize(), QImage::Format_ARGB32_Premultiplied);
        image.fill(transparent ? Qt::transparent : Qt::white);
        QPainter painter(&image);
        QList<int> const order = scene.getLogicalLayerIndices();
        for (auto it = order.crbegin(); it != order.crend(); ++it) {
            if (auto const* visual = qobject_cast<Model::VisualLayer const*>(scene.layer(*it).get()))
                visual->draw(frame, &painter, image.rect());
        }
        return image;
    }

    Model::Scene scene;
};

// Whether every pixel within radius of (x, y) has the colour of (x, y): only
// there may a pixel of the scaled canvas be taken for what any scaling gives.
bool isFlatAround(QImage const& image, int x, int y, int radius)
{
    QRgb const centre = image.pixel(x, y);
    for (int v = y - radius; v <= y + radius; ++v)
        for (int u = x - radius; u <= x + radius; ++u)
            if (!image.rect().contains(u, v) || image.pixel(u, v) != centre)
                return false;
    return true;
}

struct Prompts
{
    Prompts()
    {
        Prompter::setHandler([this](Prompter::Request const& request) {
            requests << request;
            Prompter::Reply reply;
            reply.button = QMessageBox::Ok;
            return reply;
        });
    }
    ~Prompts() { Prompter::setHandler({}); }

    QList<Prompter::Request> requests;
};

ExportVideoSettings settingsFor(ExportVideoSettings::VideoFormat format, QString const& dir,
                                QString const& name, int percent)
{
    ExportVideoSettings settings;
    settings.videoFormat = format;
    settings.exportDir = dir;
    settings.name = name;
    settings.scalePercent = percent;
    settings.frames = ExportVideoSettings::RangeOnly;
    settings.layers = ExportVideoSettings::AllLayers;
    settings.includeAudio = true;
    settings.includeAlpha = false;
    return settings;
}

QByteArray fileBytes(QString const& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What stands at the movie's name before an export that must keep it.
QByteArray const earlierMovie("the movie of yesterday");

bool writeEarlierMovie(QString const& path)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(earlierMovie) == earlierMovie.size();
}

QStringList folderContents(QString const& dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

class TestSceneExportVideo : public QObject
{
    Q_OBJECT

private slots:
    void exports_data();
    void exports();
    void framesAreTheCanvasScaled_data();
    void framesAreTheCanvasScaled();
    void moviesAreThoseOfTheSceneAsStored_data();
    void moviesAreThoseOfTheSceneAsStored();
    void permissionsAreThoseOfAnyNewFile_data();
    void permissionsAreThoseOfAnyNewFile();
    void cancelKeepsAnEarlierFile_data();
    void cancelKeepsAnEarlierFile();
    void failureKeepsAnEarlierFileAndSaysSo_data();
    void failureKeepsAnEarlierFileAndSaysSo();
    // Ends every event loop of the run for good: last.
    void quittingDuringAnEnlargedExportStopsIt();
};

void TestSceneExportVideo::exports_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("percent");
    QTest::addColumn<QSize>("size");
    QTest::newRow("mp4 at 50 %") << int(ExportVideoSettings::MP4) << 50 << QSize(80, 60);
    QTest::newRow("mp4 at 200 %") << int(ExportVideoSettings::MP4) << 200 << QSize(320, 240);
    QTest::newRow("gif at 50 %") << int(ExportVideoSettings::GIF) << 50 << QSize(80, 60);
    QTest::newRow("gif at 200 %") << int(ExportVideoSettings::GIF) << 200 << QSize(320, 240);
    // 160 × 0.33 = 52.8 and 120 × 0.33 = 39.6.
    QTest::newRow("gif at 33 %") << int(ExportVideoSettings::GIF) << 33 << QSize(53, 40);
}

void TestSceneExportVideo::exports()
{
    QFETCH(int, format);
    QFETCH(int, percent);
    QFETCH(QSize, size);

    ExportScene fixture;
    Model::Scene& scene = fixture.rich.scene;
    QByteArray const before = SceneFiles::write(&scene);
    QTemporaryDir dir;
    bool const gif = format == ExportVideoSettings::GIF;
    QString const name = gif ? QStringLiteral("clip.gif") : QStringLiteral("clip.mp4");
    Prompts prompts;
    QProgressDialog progress;

    scene.exportVideo(settingsFor(ExportVideoSettings::VideoFormat(format), dir.path(), name,
                                  percent),
                      progress);

    QVERIFY(prompts.requests.isEmpty());
    QCOMPARE(folderContents(dir.path()), QStringList{name});
    // Nothing of the scene changed, not even for a while: its file is the same.
    QCOMPARE(SceneFiles::write(&scene), before);
    QCOMPARE(scene.frameSize(), QSize(160, 120));

    QString const path = QDir(dir.path()).filePath(name);
    MovieProbe::Movie const movie = MovieProbe::read(path);
    QVERIFY2(movie.error.isEmpty(), qPrintable(movie.error));
    QCOMPARE(movie.videoFrames, 12); // frames 5 to 16
    if (gif) {
        QCOMPARE(QSize(movie.width, movie.height), size);
        return;
    }
    // H.264 pads odd sizes; these are even.
    QCOMPARE(QSize(movie.width, movie.height), size);
    // The sound starts two frames late in the scene, the movie four frames
    // late: the movie's sound begins two frames into the sound, on the tone.
    QCOMPARE(movie.audioCodec, AV_CODEC_ID_AAC);
    QVERIFY2(qAbs(movie.audioSeconds() - 12 / frameRate) < 0.06,
             qPrintable(QString::number(movie.audioSeconds())));
    QVERIFY2(movie.rms(0.02, 0.1) > 0.2, qPrintable(QString::number(movie.rms(0.02, 0.1))));
}

void TestSceneExportVideo::framesAreTheCanvasScaled_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<bool>("alpha");
    QTest::addColumn<int>("percent");
    // Lossy codecs, chroma subsampling and the GIF palette allow this much.
    QTest::addColumn<int>("tolerance");
    int const mp4 = ExportVideoSettings::MP4;
    int const proRes = ExportVideoSettings::ProRes;
    int const gif = ExportVideoSettings::GIF;
    QTest::newRow("mp4 at 25 %") << mp4 << false << 25 << 16;
    QTest::newRow("mp4 at 50 %") << mp4 << false << 50 << 16;
    QTest::newRow("mp4 at 100 %") << mp4 << false << 100 << 16;
    QTest::newRow("mp4 at 150 %") << mp4 << false << 150 << 16;
    QTest::newRow("mp4 at 200 %") << mp4 << false << 200 << 16;
    QTest::newRow("mp4 at 400 %") << mp4 << false << 400 << 16;
    QTest::newRow("prores 4444 at 150 %") << proRes << true << 150 << 8;
    QTest::newRow("prores hq at 200 %") << proRes << false << 200 << 8;
    QTest::newRow("prores hq at 50 %") << proRes << false << 50 << 8;
    QTest::newRow("gif at 50 %") << gif << false << 50 << 24;
    QTest::newRow("gif at 200 %") << gif << false << 200 << 24;
}

void TestSceneExportVideo::framesAreTheCanvasScaled()
{
    QFETCH(int, format);
    QFETCH(bool, alpha);
    QFETCH(int, percent);
    QFETCH(int, tolerance);

    CloneScene fixture;
    QTemporaryDir dir;
    QString const name = format == ExportVideoSettings::GIF      ? QStringLiteral("clip.gif")
                         : format == ExportVideoSettings::ProRes ? QStringLiteral("clip.mov")
                                                                 : QStringLiteral("clip.mp4");
    ExportVideoSettings settings =
        settingsFor(ExportVideoSettings::VideoFormat(format), dir.path(), name, percent);
    settings.includeAlpha = alpha;
    Prompts prompts;
    {
        QProgressDialog progress;
        fixture.scene.exportVideo(settings, progress);
    }
    QVERIFY(prompts.requests.isEmpty());

    MovieProbe::Movie const movie = MovieProbe::read(QDir(dir.path()).filePath(name), true);
    QVERIFY2(movie.error.isEmpty(), qPrintable(movie.error));
    QSize const size(qRound(160 * percent / 100.0), qRound(120 * percent / 100.0));
    QCOMPARE(movie.pictures.size(), 4); // frames 2 to 5
    // Pixels this far from any edge of the canvas scaled, at the movie's size.
    int const radius = std::max(3, percent / 40);
    QStringList wrong;
    int inked = 0;
    for (int i = 0; i < movie.pictures.size(); ++i) {
        int const frame = 2 + i;
        QImage const picture = movie.pictures.at(i);
        QCOMPARE(picture.size(), size);
        QImage const expected = fixture.canvas(frame, alpha)
                                    .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                    .convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < size.height(); y += 2) {
            for (int x = 0; x < size.width(); x += 2) {
                if (!isFlatAround(expected, x, y, radius))
                    continue;
                QRgb const want = expected.pixel(x, y);
                QRgb const got = picture.pixel(x, y);
                if (want != qRgb(255, 255, 255))
                    ++inked;
                int difference = std::abs(qAlpha(want) - qAlpha(got));
                // Without coverage a pixel has no colour to compare.
                if (qAlpha(want) >= 128) {
                    difference = std::max({difference, std::abs(qRed(want) - qRed(got)),
                                           std::abs(qGreen(want) - qGreen(got)),
                                           std::abs(qBlue(want) - qBlue(got))});
                }
                if (difference > tolerance && wrong.size() < 8)
                    wrong << QStringLiteral("frame %1 at (%2, %3): %4 instead of %5")
                                 .arg(frame)
                                 .arg(x)
                                 .arg(y)
                                 .arg(QString::number(got, 16), QString::number(want, 16));
            }
        }
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1String("; "))));
    // The comparison reached the squares and the picture, not only paper.
    QVERIFY2(inked > 40, qPrintable(QString::number(inked)));
}

void TestSceneExportVideo::moviesAreThoseOfTheSceneAsStored_data()
{
    QTest::addColumn<int>("percent");
    QTest::addColumn<bool>("alpha");
    // ProRes, whose encoder gives the same bytes for the same pictures on
    // every run (H.264's threads may order its output differently).
    QTest::newRow("at 50 %") << 50 << false;
    QTest::newRow("at 200 %, drawings repainted larger") << 200 << false;
    QTest::newRow("with alpha") << 100 << true;
}

void TestSceneExportVideo::moviesAreThoseOfTheSceneAsStored()
{
    QFETCH(int, percent);
    QFETCH(bool, alpha);

    // The export draws from its own copy of the layers: the movie must be
    // the one the same scene gives after a save and a load, byte for byte.
    ExportScene fixture;
    Model::Scene stored;
    QCOMPARE(SceneFiles::read(&stored, SceneFiles::write(&fixture.rich.scene)), 0);
    QTemporaryDir dir;
    QString const name = QStringLiteral("clip.mov");
    ExportVideoSettings settings = settingsFor(ExportVideoSettings::ProRes, dir.path(), name, percent);
    settings.includeAlpha = alpha;
    Prompts prompts;
    QList<QByteArray> movies;
    for (Model::Scene* scene : {&fixture.rich.scene, &stored}) {
        QProgressDialog progress;
        scene->exportVideo(settings, progress);
        movies << fileBytes(QDir(dir.path()).filePath(name));
    }
    QVERIFY(prompts.requests.isEmpty());
    QVERIFY(movies.at(0).size() > 1000);
    QVERIFY(movies.at(0) == movies.at(1));
}

void TestSceneExportVideo::permissionsAreThoseOfAnyNewFile_data()
{
    QTest::addColumn<int>("format");
    QTest::newRow("gif") << int(ExportVideoSettings::GIF);
    QTest::newRow("mp4") << int(ExportVideoSettings::MP4);
}

void TestSceneExportVideo::permissionsAreThoseOfAnyNewFile()
{
    QFETCH(int, format);
#ifdef Q_OS_UNIX
    // The usual mask, under which new files are readable by all: a movie
    // private to its owner then stands out.
    mode_t const mask = ::umask(022);
    auto const restore = qScopeGuard([mask] { ::umask(mask); });
#endif
    ExportScene fixture;
    QTemporaryDir dir;
    QFile::Permissions ordinary;
    {
        QFile fresh(QDir(dir.path()).filePath(QStringLiteral("fresh")));
        QVERIFY(fresh.open(QIODevice::WriteOnly));
        ordinary = fresh.permissions();
        fresh.close();
        QVERIFY(fresh.remove());
    }
    QString const name = format == ExportVideoSettings::GIF ? QStringLiteral("clip.gif")
                                                            : QStringLiteral("clip.mp4");
    QString const path = QDir(dir.path()).filePath(name);
    ExportVideoSettings const settings =
        settingsFor(ExportVideoSettings::VideoFormat(format), dir.path(), name, 100);
    Prompts prompts;
    {
        QProgressDialog progress;
        fixture.rich.scene.exportVideo(settings, progress);
    }
    QVERIFY(prompts.requests.isEmpty());
    QCOMPARE(QFile::permissions(path), ordinary);

    // Exported again over a movie the user shared with the group alone: the
    // new movie keeps that choice, as a file saved over does.
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    QFile::Permissions const chosen = QFile::permissions(path);
    QVERIFY(chosen != ordinary);
    {
        QProgressDialog progress;
        fixture.rich.scene.exportVideo(settings, progress);
    }
    QVERIFY(prompts.requests.isEmpty());
    QCOMPARE(QFile::permissions(path), chosen);
    QCOMPARE(folderContents(dir.path()), QStringList{name});
}

void TestSceneExportVideo::cancelKeepsAnEarlierFile_data()
{
    QTest::addColumn<int>("format");
    QTest::newRow("gif") << int(ExportVideoSettings::GIF);
    QTest::newRow("mp4") << int(ExportVideoSettings::MP4);
}

void TestSceneExportVideo::cancelKeepsAnEarlierFile()
{
    QFETCH(int, format);
    ExportScene fixture;
    Model::Scene& scene = fixture.rich.scene;
    // Long enough that the cancel comes while frames are still made.
    while (fixture.rich.ink->frames().size() < 3000)
        fixture.rich.ink->frames() << SceneFiles::hold(fixture.rich.ink->frames().last());
    scene.updateMaxFrameNumber();
    scene.setFrameRange(1, 3000, 1, 0);

    QTemporaryDir dir;
    QString const name = format == ExportVideoSettings::GIF ? QStringLiteral("clip.gif")
                                                            : QStringLiteral("clip.mp4");
    QString const path = QDir(dir.path()).filePath(name);
    QVERIFY(writeEarlierMovie(path));
    Prompts prompts;
    QProgressDialog progress;
    QTimer::singleShot(300, &progress, &QProgressDialog::cancel);
    scene.exportVideo(settingsFor(ExportVideoSettings::VideoFormat(format), dir.path(), name, 100),
                      progress);

    QVERIFY(progress.wasCanceled());
    QVERIFY(prompts.requests.isEmpty());
    QCOMPARE(fileBytes(path), earlierMovie);
    QCOMPARE(folderContents(dir.path()), QStringList{name});
}

void TestSceneExportVideo::failureKeepsAnEarlierFileAndSaysSo_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("percent");
    // An empty list of scales gives nothing to encode.
    QTest::newRow("size below one pixel") << "clip.mp4" << 0;
}

void TestSceneExportVideo::failureKeepsAnEarlierFileAndSaysSo()
{
    QFETCH(QString, name);
    QFETCH(int, percent);
    ExportScene fixture;
    QTemporaryDir dir;
    QString const path = QDir(dir.path()).filePath(name);
    QVERIFY(writeEarlierMovie(path));
    Prompts prompts;
    QProgressDialog progress;
    fixture.rich.scene.exportVideo(
        settingsFor(ExportVideoSettings::MP4, dir.path(), name, percent), progress);

    QCOMPARE(prompts.requests.size(), 1);
    QCOMPARE(prompts.requests[0].kind, Prompter::Kind::Critical);
    QCOMPARE(prompts.requests[0].title, QStringLiteral("Export failed"));
    QVERIFY2(prompts.requests[0].text.contains(QDir::toNativeSeparators(path)),
             qPrintable(prompts.requests[0].text));
    QCOMPARE(fileBytes(path), earlierMovie);
    QCOMPARE(folderContents(dir.path()), QStringList{name});
}

// Quitting the application ends every event loop, the export's too, while
// the encoder's frame thread may be waiting for the GUI thread to repaint a
// drawing: the export stops as a cancel does instead of hanging.
void TestSceneExportVideo::quittingDuringAnEnlargedExportStopsIt()
{
    CloneScene fixture;
    QTemporaryDir dir;
    QString const name = QStringLiteral("clip.mp4");
    QString const path = QDir(dir.path()).filePath(name);
    QVERIFY(writeEarlierMovie(path));
    Prompts prompts;
    QProgressDialog progress;
    // Once the first frame is encoded, before the export can have ended.
    auto* const bar = progress.findChild<QProgressBar*>();
    QVERIFY(bar);
    QObject::connect(bar, &QProgressBar::valueChanged, &progress, [](int value) {
        if (value >= 1)
            QCoreApplication::exit(0);
    });
    fixture.scene.exportVideo(settingsFor(ExportVideoSettings::MP4, dir.path(), name, 200),
                              progress);

    QVERIFY(progress.wasCanceled());
    QVERIFY(prompts.requests.isEmpty());
    QCOMPARE(fileBytes(path), earlierMovie);
    QCOMPARE(folderContents(dir.path()), QStringList{name});
}

QUILLMERE_TEST_MAIN(TestSceneExportVideo)

#include "tst_sceneexportvideo.moc"
