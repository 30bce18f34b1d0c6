// The threaded movie encoder: files read back through libavformat, and every
// failure ending with a reported failure, no hang and no partial file.
#include "TestSupport.h"

#include "MovieProbe.h"
#include "SoundFixtures.h"
#include "media/FfmpegVideoEncoder.h"

#include <QBuffer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <atomic>
#include <csignal>
#include <sys/resource.h>

using Model::ExportVideoSettings;

namespace {

constexpr int frameRate = 12;
constexpr int movieFrames = 12; // one second
// Odd on purpose: subsampled formats must pad, never scale or crop.
QSize const movieSize(35, 21);
QColor const fillColour(200, 60, 30, 160);

QImage filledFrame(QSize size = movieSize)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(fillColour);
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// A provider of count frames, then null images.
std::function<QImage()> frames(int count, QSize size = movieSize)
{
    auto given = std::make_shared<int>(0);
    return [given, count, size] { return (*given)++ < count ? filledFrame(size) : QImage(); };
}

struct Run
{
    int finished = 0;
    QList<FfmpegVideoEncoder::Error> errors;
    QList<int> progress;
    bool succeeded = false;
    FfmpegVideoEncoder::Error lastError = FfmpegVideoEncoder::NoError;
};

ExportVideoSettings settingsFor(ExportVideoSettings::VideoFormat format, bool alpha,
                                QString const& dir)
{
    ExportVideoSettings settings;
    settings.videoFormat = format;
    settings.includeAlpha = alpha;
    settings.exportDir = dir;
    settings.name = format == ExportVideoSettings::MP4 ? QStringLiteral("movie.mp4")
                                                      : QStringLiteral("movie.mov");
    return settings;
}

// Runs one encoding the way the export does: post start, wait in a local loop
// for finished. The hook may set the encoder up further (sound, cancel).
Run encode(ExportVideoSettings const& settings, QSize size, std::function<QImage()> const& provider,
           std::function<void(FfmpegVideoEncoder&)> const& hook = {})
{
    Run run;
    {
        FfmpegVideoEncoder encoder(settings, size, frameRate);
        encoder.setNextImageFunctor(provider);
        if (hook)
            hook(encoder);
        QEventLoop loop;
        QObject::connect(&encoder, &FfmpegVideoEncoder::finished, &loop, [&] {
            ++run.finished;
            loop.quit();
        });
        QObject::connect(&encoder, &FfmpegVideoEncoder::error, &loop,
                         [&](FfmpegVideoEncoder::Error err) { run.errors << err; });
        QObject::connect(&encoder, &FfmpegVideoEncoder::progress, &loop,
                         [&](int frameNo) { run.progress << frameNo; });
        QTimer::singleShot(0, &encoder, &FfmpegVideoEncoder::start);
        QTimer::singleShot(60000, &loop, &QEventLoop::quit);
        loop.exec();
        QCoreApplication::processEvents();
        run.succeeded = encoder.succeeded();
        run.lastError = encoder.lastError();
    }
    return run;
}

// 0.5 s of silence, then a 440 Hz tone: where the tone starts in the movie
// shows where the sound was placed.
QByteArray lateToneWav(double seconds)
{
    int const rate = 44100;
    return SoundFixtures::wav16(rate, 1, int(seconds * rate), [](int frame, int) {
        return frame < rate / 2 ? qint16(0) : SoundFixtures::sine(frame, rate, 440.0, 0.5);
    });
}

QByteArray toneWav(double seconds)
{
    int const rate = 44100;
    return SoundFixtures::wav16(rate, 1, int(seconds * rate), [](int frame, int) {
        return SoundFixtures::sine(frame, rate, 440.0, 0.5);
    });
}

// A sound device that notes every read, and whether one came after the
// encoder said it had finished.
class WatchedBuffer : public QBuffer
{
public:
    std::atomic<bool> encoderFinished{false};
    std::atomic<bool> readAfterFinished{false};
    std::atomic<qint64> bytesRead{0};

protected:
    qint64 readData(char* data, qint64 maxSize) override
    {
        if (encoderFinished)
            readAfterFinished = true;
        qint64 const got = QBuffer::readData(data, maxSize);
        if (got > 0)
            bytesRead += got;
        return got;
    }
};

QByteArray fileBytes(QString const& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestFfmpegVideoEncoder : public QObject
{
    Q_OBJECT

private slots:
    void frameRateFraction_data();
    void frameRateFraction();
    void movieReadBack_data();
    void movieReadBack();
    void failures_data();
    void failures();
    void longSoundIsNotReadAfterFinished();
};

void TestFfmpegVideoEncoder::frameRateFraction_data()
{
    QTest::addColumn<double>("fps");
    QTest::addColumn<int>("num");
    QTest::addColumn<int>("den");
    QTest::newRow("25") << 25.0 << 25 << 1;
    QTest::newRow("12.5") << 12.5 << 25 << 2;
    QTest::newRow("7.25") << 7.25 << 29 << 4;
    QTest::newRow("23.976") << 23.976 << 2398 << 100;
    QTest::newRow("0.1") << 0.1 << 10 << 100;
}

void TestFfmpegVideoEncoder::frameRateFraction()
{
    QFETCH(double, fps);
    QFETCH(int, num);
    QFETCH(int, den);
    int gotNum = 0;
    int gotDen = 0;
    FfmpegVideoEncoder::frameRateFraction(fps, &gotNum, &gotDen);
    QCOMPARE(gotNum, num);
    QCOMPARE(gotDen, den);
}

void TestFfmpegVideoEncoder::movieReadBack_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<bool>("alpha");
    QTest::addColumn<QByteArray>("sound");
    QTest::addColumn<double>("offsetFrames");
    // Expected sound: its length, and where the tone is heard and not heard.
    QTest::addColumn<double>("soundSeconds");
    QTest::addColumn<double>("silentUntil");

    struct Format
    {
        char const* name;
        ExportVideoSettings::VideoFormat format;
        bool alpha;
    };
    QByteArray const longer = lateToneWav(2.0); // tone from 0.5 s to 2 s
    QByteArray const shorter = toneWav(0.5);
    for (Format const& f : {Format{"mp4", ExportVideoSettings::MP4, false},
                            Format{"prores", ExportVideoSettings::ProRes, false},
                            Format{"prores alpha", ExportVideoSettings::ProRes, true}}) {
        auto row = [&](char const* what) -> QTestData& {
            return QTest::addRow("%s, %s", f.name, what) << int(f.format) << f.alpha;
        };
        row("no sound") << QByteArray() << 0.0 << 0.0 << 0.0;
        row("sound longer than the movie") << longer << 0.0 << 1.0 << 0.5;
        row("sound shorter than the movie") << shorter << 0.0 << 0.5 << 0.0;
        row("negative offset") << longer << -6.0 << 1.0 << 0.0;
        row("late start") << shorter << 6.0 << 1.0 << 0.5;
    }
}

void TestFfmpegVideoEncoder::movieReadBack()
{
    QFETCH(int, format);
    QFETCH(bool, alpha);
    QFETCH(QByteArray, sound);
    QFETCH(double, offsetFrames);
    QFETCH(double, soundSeconds);
    QFETCH(double, silentUntil);

    QTemporaryDir dir;
    ExportVideoSettings settings =
        settingsFor(ExportVideoSettings::VideoFormat(format), alpha, dir.path());
    settings.includeAudio = !sound.isEmpty();
    settings.metadata.insert(QStringLiteral("title"), QStringLiteral("Ümlaut title"));
    settings.metadata.insert(QStringLiteral("comment"), QStringLiteral("made in a test"));
    QBuffer soundDevice;
    soundDevice.setData(sound);
    soundDevice.open(QIODevice::ReadOnly);

    Run const run = encode(settings, movieSize, frames(movieFrames), [&](FfmpegVideoEncoder& e) {
        if (!sound.isEmpty())
            e.setAudioInput(&soundDevice, offsetFrames, movieFrames);
    });
    QCOMPARE(run.finished, 1);
    QVERIFY(run.errors.isEmpty());
    QVERIFY(run.succeeded);
    QList<int> expectedProgress;
    for (int i = 0; i < movieFrames; ++i)
        expectedProgress << i;
    QCOMPARE(run.progress, expectedProgress);

    MovieProbe::Movie const movie = MovieProbe::read(QDir(dir.path()).filePath(settings.name));
    QVERIFY2(movie.error.isEmpty(), qPrintable(movie.error));
    QCOMPARE(movie.videoFrames, movieFrames);
    QCOMPARE(movie.frameRate.num * 1, frameRate * movie.frameRate.den);
    // With sound, the first picture is shown at the start whatever the
    // encoder's reordering delay, so that the two keep together.
    if (!sound.isEmpty())
        QVERIFY2(qAbs(movie.videoStart) < 1e-6, qPrintable(QString::number(movie.videoStart)));
    QCOMPARE(movie.primaries, AVCOL_PRI_BT709);
    QCOMPARE(movie.transfer, AVCOL_TRC_BT709);
    QCOMPARE(movie.colorSpace, AVCOL_SPC_BT709);
    QCOMPARE(movie.metadata.value(QStringLiteral("title")), QStringLiteral("Ümlaut title"));
    QCOMPARE(movie.metadata.value(QStringLiteral("comment")), QStringLiteral("made in a test"));

    // Fragmented: the header boxes, then fragments.
    QVERIFY(movie.topLevelBoxes.size() >= 4);
    QCOMPARE(movie.topLevelBoxes.value(0), QStringLiteral("ftyp"));
    QVERIFY(movie.topLevelBoxes.indexOf(QStringLiteral("moov"))
            < movie.topLevelBoxes.indexOf(QStringLiteral("moof")));
    QVERIFY(movie.topLevelBoxes.contains(QStringLiteral("mdat")));

    // Colours come back as they went in: converted and tagged with one matrix.
    QVERIFY2(qAbs(movie.red - fillColour.red()) <= 4 && qAbs(movie.green - fillColour.green()) <= 4
                 && qAbs(movie.blue - fillColour.blue()) <= 4,
             qPrintable(QStringLiteral("%1 %2 %3").arg(movie.red).arg(movie.green).arg(movie.blue)));

    // A picture padded to whole chroma samples repeats its edge there: no
    // dark line along the right or bottom.
    QVERIFY2(qAbs(movie.corner.red - movie.red) <= 4 && qAbs(movie.corner.green - movie.green) <= 4
                 && qAbs(movie.corner.blue - movie.blue) <= 4,
             qPrintable(QStringLiteral("corner %1 %2 %3")
                            .arg(movie.corner.red)
                            .arg(movie.corner.green)
                            .arg(movie.corner.blue)));

    QString const encoderName = format == ExportVideoSettings::MP4 ? QStringLiteral(" libx264")
                                                                   : QStringLiteral(" prores_ks");
    QVERIFY2(movie.encoderTag.startsWith(QStringLiteral("Lavc"))
                 && movie.encoderTag.endsWith(encoderName),
             qPrintable(movie.encoderTag));
    if (format == ExportVideoSettings::MP4) {
        QCOMPARE(movie.videoCodec, AV_CODEC_ID_H264);
        QCOMPARE(movie.profile, FF_PROFILE_H264_HIGH);
        QCOMPARE(movie.pixelFormat, QByteArray("yuv420p"));
        QCOMPARE(QSize(movie.width, movie.height), QSize(36, 22));
        QCOMPARE(movie.alpha, -1);
    } else if (!alpha) {
        QCOMPARE(movie.videoCodec, AV_CODEC_ID_PRORES);
        QCOMPARE(movie.profile, FF_PROFILE_PRORES_HQ);
        QCOMPARE(movie.pixelFormat, QByteArray("yuv422p10le"));
        QCOMPARE(QSize(movie.width, movie.height), QSize(36, 21));
        QCOMPARE(movie.alpha, -1);
    } else {
        QCOMPARE(movie.videoCodec, AV_CODEC_ID_PRORES);
        QCOMPARE(movie.profile, FF_PROFILE_PRORES_4444);
        // Encoded from yuva444p10le; the decoder gives every 4444 stream at 12 bits.
        QCOMPARE(movie.pixelFormat, QByteArray("yuva444p12le"));
        QCOMPARE(QSize(movie.width, movie.height), movieSize);
        QVERIFY2(qAbs(movie.alpha - fillColour.alpha()) <= 2, qPrintable(QString::number(movie.alpha)));
    }

    if (sound.isEmpty()) {
        QCOMPARE(movie.audioCodec, AV_CODEC_ID_NONE);
        return;
    }
    QCOMPARE(movie.audioCodec,
             format == ExportVideoSettings::MP4 ? AV_CODEC_ID_AAC : AV_CODEC_ID_ALAC);
    // Trimmed to the movie, a shorter sound not padded to it. Lossless sound
    // ends with the pictures to the sample; AAC may round its last frame.
    double const allowance = format == ExportVideoSettings::MP4 ? 0.1 : 0.001;
    QVERIFY2(movie.audioSeconds() >= soundSeconds - 0.01
                 && movie.audioSeconds() <= soundSeconds + allowance,
             qPrintable(QString::number(movie.audioSeconds())));
    // The tone is heard when it was placed, not after the encoder's priming:
    // the first millisecond at half its level.
    double const onset = movie.onset(0.25);
    QVERIFY2(qAbs(onset - silentUntil) <= 0.001,
             qPrintable(QStringLiteral("tone at %1 s, placed at %2 s").arg(onset).arg(silentUntil)));
    if (silentUntil > 0.0)
        QVERIFY2(movie.rms(0.02, silentUntil - 0.05) < 0.01,
                 qPrintable(QString::number(movie.rms(0.02, silentUntil - 0.05))));
    QVERIFY2(movie.rms(silentUntil + 0.05, soundSeconds - 0.05) > 0.2,
             qPrintable(QString::number(movie.rms(silentUntil + 0.05, soundSeconds - 0.05))));
}

void TestFfmpegVideoEncoder::failures_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<int>("error");
    QTest::newRow("unwritable folder") << "folder" << int(FfmpegVideoEncoder::SetupFailed);
    QTest::newRow("encoder refuses the size") << "size" << int(FfmpegVideoEncoder::SetupFailed);
    QTest::newRow("unreadable sound") << "sound" << int(FfmpegVideoEncoder::SetupFailed);
    QTest::newRow("write failure in mid-stream") << "write" << int(FfmpegVideoEncoder::EncodingFailed);
    QTest::newRow("no first frame") << "empty" << int(FfmpegVideoEncoder::EncodingFailed);
    QTest::newRow("frame of another size") << "wrong size" << int(FfmpegVideoEncoder::EncodingFailed);
    QTest::newRow("cancel in the middle") << "cancel" << int(FfmpegVideoEncoder::Cancelled);
}

void TestFfmpegVideoEncoder::failures()
{
    QFETCH(QString, failure);
    QFETCH(int, error);

    QTemporaryDir dir;
    ExportVideoSettings settings = settingsFor(
        failure == "write" ? ExportVideoSettings::ProRes : ExportVideoSettings::MP4, false,
        dir.path());
    QString path = QDir(dir.path()).filePath(settings.name);
    QSize size = movieSize;
    std::function<QImage()> provider = frames(movieFrames);
    std::function<void(FfmpegVideoEncoder&)> hook;
    QBuffer soundDevice;
    // A file that stood where a movie could not even be started must survive.
    QByteArray const earlier("an earlier file of the same name");
    bool const keepsEarlier = error == FfmpegVideoEncoder::SetupFailed && failure != "folder";
    if (keepsEarlier) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(earlier);
    }

    struct rlimit savedLimit{};
    if (failure == "folder") {
        // Below a plain file: no folder can be made there, not even by root.
        QFile blocker(QDir(dir.path()).filePath(QStringLiteral("blocker")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        settings.exportDir = blocker.fileName() + QStringLiteral("/sub");
        path = QDir(settings.exportDir).filePath(settings.name);
    } else if (failure == "size") {
        size = QSize(20000, 20000); // beyond what the encoder accepts
        provider = [] { return QImage(); };
    } else if (failure == "sound") {
        settings.includeAudio = true;
        soundDevice.setData(QByteArray(4000, 'x'));
        soundDevice.open(QIODevice::ReadOnly);
        hook = [&](FfmpegVideoEncoder& e) { e.setAudioInput(&soundDevice, 0, movieFrames); };
    } else if (failure == "write") {
        // The file may not grow past a few fragments: writes then fail.
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &savedLimit);
        struct rlimit limit = savedLimit;
        limit.rlim_cur = 60 * 1024;
        setrlimit(RLIMIT_FSIZE, &limit);
        size = QSize(160, 120);
        auto noise = std::make_shared<int>(0);
        provider = [noise] {
            if ((*noise)++ >= 200)
                return QImage();
            QImage image(160, 120, QImage::Format_ARGB32_Premultiplied);
            quint32 state = quint32(*noise) * 2654435761u;
            for (int y = 0; y < image.height(); ++y) {
                auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
                for (int x = 0; x < image.width(); ++x) {
                    state = state * 1664525u + 1013904223u;
                    line[x] = state | 0xFF000000u;
                }
            }
            return image;
        };
    } else if (failure == "empty") {
        provider = [] { return QImage(); };
    } else if (failure == "wrong size") {
        auto given = std::make_shared<int>(0);
        provider = [given] {
            return filledFrame((*given)++ < 3 ? movieSize : QSize(20, 20));
        };
    } else if (failure == "cancel") {
        provider = [] { return filledFrame(); }; // never ends by itself
        hook = [](FfmpegVideoEncoder& e) {
            QObject::connect(&e, &FfmpegVideoEncoder::progress, &e, [&e](int frameNo) {
                if (frameNo == 3)
                    e.cancel();
            });
        };
    }

    Run const run = encode(settings, size, provider, hook);
    if (failure == "write")
        setrlimit(RLIMIT_FSIZE, &savedLimit);

    QCOMPARE(run.finished, 1);
    QCOMPARE(run.errors, QList<FfmpegVideoEncoder::Error>{FfmpegVideoEncoder::Error(error)});
    QVERIFY(!run.succeeded);
    QCOMPARE(int(run.lastError), error);
    if (keepsEarlier)
        QCOMPARE(fileBytes(path), earlier);
    else
        QVERIFY(!QFile::exists(path));
}

void TestFfmpegVideoEncoder::longSoundIsNotReadAfterFinished()
{
    // A minute of sound under a half-second movie: the pipeline must stop
    // reading the sound early and must never read it once it has finished,
    // when its owner frees it.
    QTemporaryDir dir;
    ExportVideoSettings settings = settingsFor(ExportVideoSettings::MP4, false, dir.path());
    settings.includeAudio = true;
    auto sound = std::make_unique<WatchedBuffer>();
    sound->setData(toneWav(60.0));
    sound->open(QIODevice::ReadOnly);
    WatchedBuffer* const device = sound.get();

    Run const run = encode(settings, movieSize, frames(6), [&](FfmpegVideoEncoder& e) {
        e.setAudioInput(device, 0, 6);
        QObject::connect(&e, &FfmpegVideoEncoder::finished, &e,
                         [device] { device->encoderFinished = true; });
    });
    QCOMPARE(run.finished, 1);
    QVERIFY(run.succeeded);
    QTest::qWait(200);
    QVERIFY(!device->readAfterFinished);
    QVERIFY2(device->bytesRead < device->size() / 2, qPrintable(QString::number(device->bytesRead)));
    sound.reset();

    MovieProbe::Movie const movie = MovieProbe::read(QDir(dir.path()).filePath(settings.name));
    QCOMPARE(movie.videoFrames, 6);
    QVERIFY(movie.audioSeconds() < 0.6);
}

QUILLMERE_TEST_MAIN(TestFfmpegVideoEncoder)

#include "tst_ffmpegvideoencoder.moc"
