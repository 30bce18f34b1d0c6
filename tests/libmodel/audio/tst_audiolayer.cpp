// The audio layer: decoding, placing the sound against the frames, the slices
// it plays, waveform thumbnails and the way to the sound server.
#include "TestSupport.h"

#include "../media/SoundFixtures.h"
#include "MonitorRecording.h"
#include "audio/AudioBuffer.h"
#include "audio/AudioLayer.h"
#include "media/AudioFormat.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QProgressDialog>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>
#include <climits>
#include <cmath>
#include <limits>

#include <sys/inotify.h>
#include <unistd.h>

using Model::AudioLayer;
using namespace SoundFixtures;

namespace {

// 40 kHz: a frame at 25 fps is 1600 sample frames, 6400 bytes of PCM.
constexpr int rate = 40000;
constexpr int framesPerVideoFrame = 1600;

// A 16-bit stereo square wave: ±left and ±right alternating every sample.
QByteArray squareWav(int videoFrames, qint16 left, qint16 right)
{
    return wav16(rate, 2, videoFrames * framesPerVideoFrame, [=](int f, int c) {
        qint16 const level = c ? right : left;
        return qint16(f % 2 ? -level : level);
    });
}

// Ten frames at 25 fps of a square wave at half and quarter scale.
QByteArray tenFrames()
{
    return squareWav(10, 16384, 8192);
}

struct Loaded
{
    std::unique_ptr<AudioLayer> layer = std::make_unique<AudioLayer>();
    explicit Loaded(double fps, QByteArray const& file = tenFrames())
    {
        layer->setFrameRate(fps);
        [&] { QVERIFY(layer->setOriginalAudioData(file)); }();
    }
};

bool opaqueWhite(QImage const& image, int x, int y)
{
    return image.pixel(x, y) == qRgba(255, 255, 255, 255);
}

bool transparent(QImage const& image, int x, int y)
{
    return qAlpha(image.pixel(x, y)) == 0;
}

bool rowIsEmpty(QImage const& image, int y)
{
    for (int x = 0; x < image.width(); ++x)
        if (!transparent(image, x, y))
            return false;
    return true;
}

// Receives slices on a thread of its own, like the playback buffer.
class SliceReceiver : public QObject
{
    Q_OBJECT

public:
    QByteArray received;

public slots:
    void take(QByteArray data, qint64 pos, qint64 len, qint64)
    {
        received = data.mid(pos, len);
    }
};

// This process's playback streams on the sound server, through its
// command-line client; other tests may play at the same time.
int playbackStreams()
{
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), {"list", "sink-inputs"});
    if (!pactl.waitForFinished(10000) || pactl.exitCode() != 0)
        return -1;
    QString const ours =
        QStringLiteral("application.process.id = \"%1\"").arg(QCoreApplication::applicationPid());
    QStringList const streams = QString::fromUtf8(pactl.readAllStandardOutput())
                                    .split(QStringLiteral("Sink Input #"), Qt::SkipEmptyParts);
    int count = 0;
    for (QString const& stream : streams)
        if (stream.contains(ours))
            ++count;
    return count;
}

// A web server on the loopback interface, on a thread of its own so that a
// decoder blocked on it gets its answer (a 404) and the test goes on.
class Listener : public QThread
{
public:
    Listener()
    {
        start();
        ready.acquire();
    }
    ~Listener() override
    {
        stopping = true;
        wait();
    }

    quint16 port = 0;
    std::atomic<int> connections{0};

protected:
    void run() override
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost);
        port = server.serverPort();
        ready.release();
        while (!stopping) {
            if (!server.waitForNewConnection(20))
                continue;
            ++connections;
            std::unique_ptr<QTcpSocket> socket(server.nextPendingConnection());
            socket->waitForReadyRead(1000);
            socket->write("HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n");
            socket->waitForBytesWritten(1000);
            socket->disconnectFromHost();
        }
    }

private:
    QSemaphore ready;
    std::atomic<bool> stopping{false};
};

// Counts the times a file is opened or read, from the moment it is watched.
class OpenWatch
{
public:
    explicit OpenWatch(QString const& path)
        : m_fd(inotify_init1(IN_NONBLOCK))
    {
        if (m_fd >= 0)
            m_watching = inotify_add_watch(m_fd, QFile::encodeName(path).constData(),
                                           IN_OPEN | IN_ACCESS)
                         >= 0;
    }
    ~OpenWatch()
    {
        if (m_fd >= 0)
            close(m_fd);
    }
    bool isWatching() const { return m_watching; }
    // Any event at all means the file was touched.
    bool touched() const
    {
        char buffer[4096];
        return read(m_fd, buffer, sizeof buffer) > 0;
    }

private:
    int m_fd = -1;
    bool m_watching = false;
};

} // namespace

class TestAudioLayer : public QObject
{
    Q_OBJECT

private slots:
    void emptyLayer();
    void decodesSoundFiles_data();
    void decodesSoundFiles();
    void loadFileReadsRegularFilesOnly();
    void importProgress();
    void cancelledImportLeavesNoSound();
    void unusableInputChangesNothingElse_data();
    void unusableInputChangesNothingElse();
    void badSoundReplacesGoodSound();
    void readsNothingButItsOwnBytes_data();
    void readsNothingButItsOwnBytes();
    void decodingMakesAMutedLayerAudible();
    void muting();
    void offsets_data();
    void offsets();
    void frameRateChangeRescalesNegativeOffsets_data();
    void frameRateChangeRescalesNegativeOffsets();
    void offsetInNanoseconds_data();
    void offsetInNanoseconds();
    void frameAndRangeValidity_data();
    void frameAndRangeValidity();
    void scrubbedFrameSlices_data();
    void scrubbedFrameSlices();
    void playbackSlices_data();
    void playbackSlices();
    void playbackPastTheEndIsSilence();
    void queuedSliceSurvivesDecodingAgain();
    void thumbnailDrawsTheWaveform();
    void thumbnailOfQuietSoundIsScaledUp();
    void thumbnailRowsFollowTheCellHeight();
    void thumbnailOfDegenerateCells_data();
    void thumbnailOfDegenerateCells();
    void playbackReachesTheSoundServer();
    void everyPlayIsHeardWhole();
    void layerGoesAwayWithCallsStillQueued();

private:
    QTemporaryDir m_folder;
};

void TestAudioLayer::emptyLayer()
{
    AudioLayer layer;
    QCOMPARE(layer.type(), int(Model::Layer::AudioLayerType));
    QCOMPARE(layer.length(), 0);
    QCOMPARE(layer.clone(), nullptr);
    QVERIFY(layer.isAudible());
    QVERIFY(!layer.isAudioAvailable());
    QCOMPARE(layer.frameRate(), 0.0);
    QCOMPARE(layer.offsetFrames(), 0.0);
    QCOMPARE(layer.offsetFramesTotal(), 0.0);
    QVERIFY(!layer.isFrameValid(1));
    QVERIFY(!layer.isAudioAvailableInRange(1, 100));
    QVERIFY(layer.thumbnail(1, QSize(20, 40)).isNull());
    QVERIFY(!layer.decodeOriginalAudioData(nullptr));
}

void TestAudioLayer::decodesSoundFiles_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("sampleRate");
    QTest::addColumn<qint64>("durationUs");

    QVERIFY(m_folder.isValid());
    QTest::newRow("wav stereo") << tenFrames() << rate << qint64(400000);
    QTest::newRow("wav mono 22.05 kHz")
        << wav16(22050, 1, 11025, [](int f, int) { return sine(f, 22050, 300.0, 0.5); }) << 22050
        << qint64(500000);
    QString error;
    QByteArray const mp3 = encode(
        wav16(44100, 1, 22050, [](int f, int) { return sine(f, 44100, 440.0, 0.5); }),
        QDir(m_folder.path()), QStringLiteral("layer.mp3"), {"-c:a", "libmp3lame", "-b:a", "64k"},
        &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QTest::newRow("mp3 mono 44.1 kHz") << mp3 << 44100 << qint64(500000);
}

void TestAudioLayer::decodesSoundFiles()
{
    QFETCH(QByteArray, file);
    QFETCH(int, sampleRate);
    QFETCH(qint64, durationUs);

    AudioLayer layer;
    QSignalSpy available(&layer, &AudioLayer::audioAvailableChanged);
    QSignalSpy volume(&layer, &AudioLayer::volumeChanged);
    QVERIFY(layer.setOriginalAudioData(file));
    QVERIFY(layer.isAudioAvailable());
    QCOMPARE(available.size(), 1);
    QCOMPARE(volume.size(), 0);
    QCOMPARE(layer.originalAudioData(), file);
    QCOMPARE(layer.audioFormat().sampleFormat(), QAudioFormat::Int16);
    QCOMPARE(layer.audioFormat().channelCount(), 2);
    QCOMPARE(layer.audioFormat().sampleRate(), sampleRate);
    QCOMPARE(layer.durationUs(), durationUs);
    QCOMPARE(AudioFormat::audioDurationUs(layer.audioFormat(), layer.audioData().size()),
             durationUs);
}

void TestAudioLayer::loadFileReadsRegularFilesOnly()
{
    QVERIFY(m_folder.isValid());
    QDir const folder(m_folder.path());
    QString const path = folder.filePath(QStringLiteral("sound.wav"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(tenFrames());
    file.close();

    AudioLayer layer;
    QVERIFY(!layer.loadFile(folder.path(), nullptr));
    QVERIFY(!layer.loadFile(folder.filePath(QStringLiteral("missing.wav")), nullptr));
    QVERIFY(layer.originalAudioData().isEmpty());
    QVERIFY(layer.loadFile(path, nullptr));
    QCOMPARE(layer.originalAudioData(), tenFrames());
    QCOMPARE(layer.durationUs(), qint64(400000));
    // A failed load keeps what the layer had.
    QVERIFY(!layer.loadFile(folder.filePath(QStringLiteral("missing.wav")), nullptr));
    QVERIFY(layer.isAudioAvailable());
}

void TestAudioLayer::importProgress()
{
    QVERIFY(m_folder.isValid());
    QString const path = QDir(m_folder.path()).filePath(QStringLiteral("long.wav"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(squareWav(75, 1000, 1000)); // 3 s
    file.close();

    QProgressDialog progress;
    progress.setMinimumDuration(1000000);
    progress.setAutoReset(false);
    AudioLayer layer;
    QVERIFY(layer.loadFile(path, &progress));
    QCOMPARE(progress.maximum(), 3000);
    QCOMPARE(progress.value(), 3000);
}

void TestAudioLayer::cancelledImportLeavesNoSound()
{
    QVERIFY(m_folder.isValid());
    QString const path = QDir(m_folder.path()).filePath(QStringLiteral("cancelled.wav"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(squareWav(75, 1000, 1000));
    file.close();

    AudioLayer layer;
    QVERIFY(layer.setOriginalAudioData(tenFrames()));
    QProgressDialog progress;
    progress.setMinimumDuration(1000000);
    progress.cancel();
    QVERIFY(!layer.loadFile(path, &progress));
    QVERIFY(!layer.isAudioAvailable());
    QVERIFY(layer.audioData().isEmpty());
    QVERIFY(!layer.isFrameValid(1));
}

void TestAudioLayer::unusableInputChangesNothingElse_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("throughAFile");

    QByteArray noise(6000, '\0');
    for (int i = 0; i < noise.size(); ++i)
        noise[i] = char((i * 7919 + 13) % 251);
    QTest::newRow("bytes FFmpeg cannot read") << noise << false;
    QTest::newRow("wav cut inside its header") << tenFrames().left(30) << false;
    QTest::newRow("wav cut right after its header") << tenFrames().left(44) << false;
    QTest::newRow("wav cut inside its first sample") << tenFrames().left(46) << false;
    // The timing's byte counts overflowed at a rate of 2^31 - 1.
    QTest::newRow("wav at a rate no sound device plays")
        << SoundFixtures::wav16(INT_MAX, 2, 4096, [](int f, int) { return qint16(f * 8); }) << false;
    QTest::newRow("empty bytes") << QByteArray() << false;
    QTest::newRow("empty file") << QByteArray() << true;
    QTest::newRow("file of noise") << noise << true;
}

void TestAudioLayer::unusableInputChangesNothingElse()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, throughAFile);

    AudioLayer layer;
    layer.setFrameRate(24);
    layer.setOffsetFrames(1.5);
    layer.setAudible(false);
    QSignalSpy available(&layer, &AudioLayer::audioAvailableChanged);
    QSignalSpy volume(&layer, &AudioLayer::volumeChanged);
    QSignalSpy audible(&layer, &AudioLayer::audibleChanged);

    if (throughAFile) {
        QVERIFY(m_folder.isValid());
        QString const path = QDir(m_folder.path()).filePath(QStringLiteral("unusable"));
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(file);
        out.close();
        QVERIFY(!layer.loadFile(path, nullptr));
    } else {
        QVERIFY(!layer.setOriginalAudioData(file));
    }

    QVERIFY(!layer.isAudioAvailable());
    QCOMPARE(layer.originalAudioData(), file);
    QCOMPARE(layer.durationUs(), qint64(0));
    QCOMPARE(available.size(), 0);
    QCOMPARE(volume.size(), 0);
    QCOMPARE(audible.size(), 0);
    QVERIFY(!layer.isAudible());
    QCOMPARE(layer.offsetFrames(), 1.5);
    QCOMPARE(layer.offsetFramesTotal(), 1.5);
    QCOMPARE(layer.frameRate(), 24.0);
    QVERIFY(!layer.isFrameValid(2));
    QVERIFY(!layer.isAudioAvailableInRange(1, 1000));
    QVERIFY(layer.thumbnail(2, QSize(20, 40)).isNull());

    QSignalSpy slices(&layer, &AudioLayer::newAudioBuffer);
    QSignalSpy starts(&layer, &AudioLayer::startAudio);
    layer.setAudible(true);
    layer.playFrame(2);
    layer.startPlayback(1, 10);
    QCOMPARE(slices.size(), 0);
    QCOMPARE(starts.size(), 0);
}

void TestAudioLayer::badSoundReplacesGoodSound()
{
    Loaded loaded(25);
    AudioLayer& layer = *loaded.layer;
    QVERIFY(!layer.setOriginalAudioData(QByteArray("garbage").repeated(100)));
    QVERIFY(!layer.isAudioAvailable());
    QVERIFY(layer.audioData().isEmpty());
    QVERIFY(!layer.isFrameValid(1));
    QVERIFY(layer.setOriginalAudioData(tenFrames()));
    QVERIFY(layer.isFrameValid(1));
}

void TestAudioLayer::readsNothingButItsOwnBytes_data()
{
    QTest::addColumn<bool>("throughAFile");
    QTest::newRow("stored bytes") << false;
    QTest::newRow("imported file") << true;
}

// A playlist names a web address and a local file; a decoder that followed
// it would tell the address who opened the scene and pull the file into it.
void TestAudioLayer::readsNothingButItsOwnBytes()
{
    QFETCH(bool, throughAFile);
    QVERIFY(m_folder.isValid());
    QDir const folder(m_folder.path());

    Listener listener;
    QVERIFY(listener.port != 0);
    QString const secret = folder.filePath(QStringLiteral("secret.m3u8"));
    {
        QFile file(secret);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#EXTM3U\n#EXT-X-TARGETDURATION:1\n#EXTINF:1,\nsecret.wav\n#EXT-X-ENDLIST\n");
    }
    QByteArray const playlist =
        QStringLiteral("#EXTM3U\n"
                       "#EXT-X-STREAM-INF:BANDWIDTH=1000\nhttp://127.0.0.1:%1/voice.m3u8\n"
                       "#EXT-X-STREAM-INF:BANDWIDTH=2000\nfile:%2\n")
            .arg(listener.port)
            .arg(secret)
            .toUtf8();
    QString const path = folder.filePath(QStringLiteral("voice.wav"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(playlist);
    }
    OpenWatch const watch(secret);
    QVERIFY(watch.isWatching());

    AudioLayer layer;
    bool const decoded = throughAFile ? layer.loadFile(path, nullptr)
                                      : layer.setOriginalAudioData(playlist);
    QVERIFY(!decoded);
    QVERIFY(!layer.isAudioAvailable());
    QVERIFY(!watch.touched());
    QCOMPARE(listener.connections.load(), 0);
}

void TestAudioLayer::decodingMakesAMutedLayerAudible()
{
    AudioLayer layer;
    layer.setAudible(false);
    QSignalSpy volume(&layer, &AudioLayer::volumeChanged);
    QSignalSpy audible(&layer, &AudioLayer::audibleChanged);
    QVERIFY(layer.setOriginalAudioData(tenFrames()));
    QVERIFY(layer.isAudible());
    QCOMPARE(volume.size(), 1);
    QCOMPARE(volume.first().first().toDouble(), 1.0);
    QCOMPARE(audible.size(), 1);
    QCOMPARE(audible.first().first().toBool(), true);
}

void TestAudioLayer::muting()
{
    AudioLayer silent;
    QSignalSpy silentVolume(&silent, &AudioLayer::volumeChanged);
    QSignalSpy silentAudible(&silent, &AudioLayer::audibleChanged);
    silent.setAudible(true); // unchanged: nothing
    QCOMPARE(silentVolume.size(), 0);
    silent.setAudible(false);
    QCOMPARE(silentVolume.size(), 1);
    QCOMPARE(silentVolume.first().first().toDouble(), 0.0);
    QCOMPARE(silentAudible.size(), 0); // no sound: no audibleChanged

    Loaded loaded(25);
    AudioLayer& layer = *loaded.layer;
    QSignalSpy volume(&layer, &AudioLayer::volumeChanged);
    QSignalSpy audible(&layer, &AudioLayer::audibleChanged);
    QSignalSpy slices(&layer, &AudioLayer::newAudioBuffer);
    layer.setAudible(false);
    layer.setAudible(false);
    QCOMPARE(volume.size(), 1);
    QCOMPARE(audible.size(), 1);
    QCOMPARE(audible.first().first().toBool(), false);
    layer.playFrame(1); // a muted layer does not scrub
    QCOMPARE(slices.size(), 0);
    layer.setAudible(true);
    QCOMPARE(volume.last().first().toDouble(), 1.0);
    QCOMPARE(audible.last().first().toBool(), true);
    layer.playFrame(1);
    QCOMPARE(slices.size(), 1);
}

void TestAudioLayer::offsets_data()
{
    QTest::addColumn<bool>("withSound");
    QTest::addColumn<double>("fps");
    QTest::addColumn<double>("committed");
    QTest::addColumn<double>("temporary");
    QTest::addColumn<double>("storedCommitted");
    QTest::addColumn<double>("total");

    double const none = std::numeric_limits<double>::quiet_NaN();
    // The clip lasts 10 frames at 25 fps, 9.6 frames at 24 fps.
    QTest::newRow("committed: a quarter frame of sound stays")
        << true << 25.0 << -1000.0 << none << -9.75 << -9.75;
    QTest::newRow("committed: a quarter frame at 24 fps")
        << true << 24.0 << -1000.0 << none << -9.35 << -9.35;
    QTest::newRow("committed: rounded to hundredths") << true << 25.0 << 1.234 << none << 1.23
                                                      << 1.23;
    QTest::newRow("committed: negative, rounded to hundredths")
        << true << 25.0 << -2.346 << none << -2.35 << -2.35;
    QTest::newRow("committed: far after the start") << true << 25.0 << 500.0 << none << 500.0
                                                    << 500.0;
    QTest::newRow("committed: no limit without sound")
        << false << 25.0 << -1000.0 << none << -1000.0 << -1000.0;
    // An offset becomes a frame number: a huge one would not fit an int.
    QTest::newRow("committed: bounded to a million frames")
        << true << 25.0 << 1.7976931348623157e308 << none << 1000000.0 << 1000000.0;
    QTest::newRow("committed: bounded below without sound")
        << false << 25.0 << -1.7976931348623157e308 << none << -1000000.0 << -1000000.0;
    QTest::newRow("committed: not a number is no offset")
        << true << 25.0 << std::numeric_limits<double>::quiet_NaN() << none << 0.0 << 0.0;
    QTest::newRow("drag: total within a quarter frame of 0 snaps to 0")
        << true << 25.0 << 2.0 << -1.8 << 2.0 << 0.0;
    QTest::newRow("drag: negative total within a quarter frame snaps")
        << true << 25.0 << -3.0 << 2.9 << -3.0 << 0.0;
    QTest::newRow("drag: a quarter frame does not snap") << true << 25.0 << 0.0 << 0.25 << 0.0
                                                         << 0.25;
    QTest::newRow("drag: past a quarter frame") << true << 25.0 << 2.0 << -2.3 << 2.0 << -0.3;
    QTest::newRow("drag: stops at the lowest allowed")
        << true << 25.0 << 0.0 << -20.0 << 0.0 << -9.75;
    QTest::newRow("drag: from a negative offset, stops at the lowest")
        << true << 25.0 << -3.0 << -10.0 << -3.0 << -9.75;
    QTest::newRow("drag: moves freely") << true << 25.0 << 1.0 << 2.5 << 1.0 << 3.5;
    QTest::newRow("drag: ignored without sound") << false << 25.0 << 3.0 << 5.0 << 3.0 << 3.0;
}

void TestAudioLayer::offsets()
{
    QFETCH(bool, withSound);
    QFETCH(double, fps);
    QFETCH(double, committed);
    QFETCH(double, temporary);
    QFETCH(double, storedCommitted);
    QFETCH(double, total);

    AudioLayer layer;
    layer.setFrameRate(fps);
    if (withSound)
        QVERIFY(layer.setOriginalAudioData(tenFrames()));
    layer.setOffsetFrames(committed);
    if (!std::isnan(temporary))
        layer.setOffsetFramesTemporary(temporary);
    QVERIFY2(qAbs(layer.offsetFrames() - storedCommitted) < 1e-9,
             qPrintable(QString::number(layer.offsetFrames(), 'g', 17)));
    QVERIFY2(qAbs(layer.offsetFramesTotal() - total) < 1e-9,
             qPrintable(QString::number(layer.offsetFramesTotal(), 'g', 17)));
    if (total == 0.0)
        QCOMPARE(layer.offsetFramesTotal(), 0.0); // exactly
    // Where the sound starts follows the total offset.
    QCOMPARE(layer.offsetUs(), std::llround(total * 1000000.0 / fps));
}

void TestAudioLayer::frameRateChangeRescalesNegativeOffsets_data()
{
    QTest::addColumn<double>("fromFps");
    QTest::addColumn<double>("offset");
    QTest::addColumn<double>("toFps");
    QTest::addColumn<double>("expected");

    QTest::newRow("negative keeps its time, 12 to 24") << 12.0 << -2.0 << 24.0 << -4.0;
    QTest::newRow("negative keeps its time, 24 to 12") << 24.0 << -4.0 << 12.0 << -2.0;
    QTest::newRow("positive keeps its frame count") << 12.0 << 2.0 << 24.0 << 2.0;
    QTest::newRow("the first rate rescales nothing") << 0.0 << -2.0 << 24.0 << -2.0;
}

void TestAudioLayer::frameRateChangeRescalesNegativeOffsets()
{
    QFETCH(double, fromFps);
    QFETCH(double, offset);
    QFETCH(double, toFps);
    QFETCH(double, expected);

    AudioLayer layer;
    if (fromFps > 0)
        layer.setFrameRate(fromFps);
    QVERIFY(layer.setOriginalAudioData(tenFrames()));
    layer.setOffsetFrames(offset);
    layer.setFrameRate(toFps);
    QCOMPARE(layer.offsetFrames(), expected);
    QCOMPARE(layer.frameRate(), toFps);
    QCOMPARE(layer.frameEndUs(1), std::llround(1000000.0 / toFps));
}

void TestAudioLayer::offsetInNanoseconds_data()
{
    QTest::addColumn<double>("fps");
    QTest::addColumn<double>("offset");
    QTest::addColumn<qint64>("ns");

    QTest::newRow("zero") << 30.0 << 0.0 << qint64(0);
    QTest::newRow("whole frames at 25 fps") << 25.0 << 3.0 << qint64(120000000);
    QTest::newRow("negative quarter-frame minimum") << 25.0 << -9.75 << qint64(-390000000);
    // A 24 fps frame is 41,666,667 ns; 0.23 of it is 9,583,333.41.
    QTest::newRow("fraction at 24 fps") << 24.0 << 1.23 << qint64(51250000);
    // floor(-0.5) = -1; half a frame is 20,833,333.5, rounded away from zero.
    QTest::newRow("negative half frame at 24 fps") << 24.0 << -0.5 << qint64(-20833333);
}

void TestAudioLayer::offsetInNanoseconds()
{
    QFETCH(double, fps);
    QFETCH(double, offset);
    QFETCH(qint64, ns);
    Loaded loaded(fps);
    loaded.layer->setOffsetFrames(offset);
    QCOMPARE(loaded.layer->offsetNs(), ns);
}

void TestAudioLayer::frameAndRangeValidity_data()
{
    QTest::addColumn<double>("offset");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<bool>("firstValid");
    QTest::addColumn<bool>("inRange");

    // 25 fps, the sound lasts exactly 10 frames.
    QTest::newRow("first frame") << 0.0 << 1 << 1 << true << true;
    QTest::newRow("last frame of sound") << 0.0 << 10 << 10 << true << true;
    QTest::newRow("sound ends where the frame begins") << 0.0 << 11 << 11 << true << false;
    QTest::newRow("after the sound") << 0.0 << 12 << 20 << false << false;
    QTest::newRow("frame 0") << 0.0 << 0 << 0 << false << false;
    QTest::newRow("sound starts inside the frame") << 2.5 << 3 << 3 << true << true;
    QTest::newRow("sound starts where the frame ends") << 3.0 << 3 << 3 << false << false;
    QTest::newRow("range reaching the sound's start") << 3.0 << 1 << 4 << false << true;
    QTest::newRow("range ending where the sound starts") << 20.0 << 1 << 20 << false << false;
    QTest::newRow("range over the whole sound") << 20.0 << 1 << 40 << false << true;
    QTest::newRow("a quarter frame left in frame 1") << -9.75 << 1 << 1 << true << true;
    QTest::newRow("nothing left for frame 2") << -9.75 << 2 << 5 << false << false;
}

void TestAudioLayer::frameAndRangeValidity()
{
    QFETCH(double, offset);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(bool, firstValid);
    QFETCH(bool, inRange);

    Loaded loaded(25);
    AudioLayer& layer = *loaded.layer;
    layer.setOffsetFrames(offset);
    QCOMPARE(layer.offsetFrames(), offset);
    QCOMPARE(layer.isFrameValid(first), firstValid);
    QCOMPARE(layer.isAudioAvailableInRange(first, last), inRange);
    QCOMPARE(layer.thumbnail(first, QSize(10, 10)).isNull(), !firstValid);
}

void TestAudioLayer::scrubbedFrameSlices_data()
{
    QTest::addColumn<double>("fps");
    QTest::addColumn<double>("offset");
    QTest::addColumn<int>("frame");
    QTest::addColumn<qint64>("startUs");
    QTest::addColumn<qint64>("endUs");

    // The frame's sound with 4 ms on either side, never before the sound.
    QTest::newRow("frame 1 at 25 fps") << 25.0 << 0.0 << 1 << qint64(0) << qint64(44000);
    QTest::newRow("frame 2 at 25 fps") << 25.0 << 0.0 << 2 << qint64(36000) << qint64(84000);
    QTest::newRow("frame where the sound starts") << 25.0 << 2.0 << 3 << qint64(0)
                                                  << qint64(44000);
    QTest::newRow("sound starting mid-frame") << 25.0 << 2.5 << 3 << qint64(0) << qint64(24000);
    QTest::newRow("frame 3 at 24 fps")
        << 24.0 << 0.0 << 3 << qint64(83333 - 4000) << qint64(125000 + 4000);
    QTest::newRow("a negative offset") << 25.0 << -2.0 << 1 << qint64(76000) << qint64(124000);
    QTest::newRow("frame where the sound ends")
        << 25.0 << 0.0 << 11 << qint64(396000) << qint64(444000);
}

void TestAudioLayer::scrubbedFrameSlices()
{
    QFETCH(double, fps);
    QFETCH(double, offset);
    QFETCH(int, frame);
    QFETCH(qint64, startUs);
    QFETCH(qint64, endUs);

    Loaded loaded(fps);
    AudioLayer& layer = *loaded.layer;
    layer.setOffsetFrames(offset);
    QSignalSpy slices(&layer, &AudioLayer::newAudioBuffer);
    QSignalSpy starts(&layer, &AudioLayer::startAudio);
    layer.playFrame(frame);
    QCOMPARE(starts.size(), 0);
    QCOMPARE(slices.size(), 1);
    QList<QVariant> const slice = slices.first();
    QCOMPARE(slice.at(0).toByteArray(), layer.audioData());
    QCOMPARE(slice.at(1).toLongLong(), AudioFormat::audioLengthUs(layer.audioFormat(), startUs));
    QCOMPARE(slice.at(2).toLongLong(),
             AudioFormat::audioLengthUs(layer.audioFormat(), endUs - startUs));
    QCOMPARE(slice.at(3).toLongLong(), qint64(8000));

    layer.playFrame(frame + 100); // no sound there: nothing
    QCOMPARE(slices.size(), 1);
}

void TestAudioLayer::playbackSlices_data()
{
    QTest::addColumn<double>("offset");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<qint64>("startUs");
    QTest::addColumn<qint64>("lengthUs");

    // At 25 fps, from 4 ms before frame first to 4 ms after frame last.
    QTest::newRow("whole sound") << 0.0 << 1 << 10 << qint64(-4000) << qint64(408000);
    QTest::newRow("silence until the sound starts")
        << 2.0 << 1 << 3 << qint64(-84000) << qint64(128000);
    QTest::newRow("from the middle") << 0.0 << 5 << 7 << qint64(156000) << qint64(128000);
    QTest::newRow("past the end of the sound")
        << 0.0 << 20 << 30 << qint64(756000) << qint64(448000);
    QTest::newRow("one frame") << -2.0 << 1 << 1 << qint64(76000) << qint64(48000);
}

void TestAudioLayer::playbackSlices()
{
    QFETCH(double, offset);
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(qint64, startUs);
    QFETCH(qint64, lengthUs);

    Loaded loaded(25);
    AudioLayer& layer = *loaded.layer;
    layer.setOffsetFrames(offset);
    QList<QString> order;
    connect(&layer, &AudioLayer::startAudio, this, [&] { order << "start"; });
    connect(&layer, &AudioLayer::newAudioBuffer, this, [&] { order << "slice"; });
    QSignalSpy slices(&layer, &AudioLayer::newAudioBuffer);
    layer.startPlayback(first, last);
    QCOMPARE(order, (QList<QString>{"start", "slice"}));
    QList<QVariant> const slice = slices.first();
    QCOMPARE(slice.at(1).toLongLong(), AudioFormat::audioLengthUs(layer.audioFormat(), startUs));
    QCOMPARE(slice.at(2).toLongLong(), AudioFormat::audioLengthUs(layer.audioFormat(), lengthUs));

    layer.startPlayback(last + 1, last); // an empty range plays nothing
    QCOMPARE(order.size(), 2);
    QSignalSpy stops(&layer, &AudioLayer::stopAudio);
    layer.stopPlayback();
    QCOMPARE(stops.size(), 1);
}

// Playback started after the sound has ended, while a scrubbed frame still
// plays: the buffer fades the rest out and then plays silence.
void TestAudioLayer::playbackPastTheEndIsSilence()
{
    Loaded loaded(25);
    AudioLayer& layer = *loaded.layer;
    Model::AudioBuffer buffer(layer.audioFormat());
    buffer.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    connect(&layer, &AudioLayer::newAudioBuffer, &buffer, &Model::AudioBuffer::replaceBuffer);

    layer.playFrame(10);
    QByteArray const start = buffer.read(1000);
    QVERIFY(start.count('\0') < start.size());
    layer.startPlayback(15, 40);
    QByteArray const rest = buffer.read(64000);
    QCOMPARE(rest.size(), 64000);
    // At most one 8 ms fade of the old slice, then nothing but silence.
    qint64 const fade = AudioFormat::audioLengthUs(layer.audioFormat(), 8000);
    QCOMPARE(rest.mid(fade), QByteArray(64000 - fade, '\0'));
}

// A slice queued to the audio thread stays intact when the layer decodes new
// sound before that thread reads it.
void TestAudioLayer::queuedSliceSurvivesDecodingAgain()
{
    Loaded loaded(25);
    AudioLayer& layer = *loaded.layer;
    QByteArray const expected = layer.audioData().mid(0, layer.audioData().size());

    QThread audioThread;
    SliceReceiver receiver;
    receiver.moveToThread(&audioThread);
    connect(&layer, &AudioLayer::newAudioBuffer, &receiver, &SliceReceiver::take,
            Qt::QueuedConnection);
    layer.startPlayback(1, 10); // queued: the thread is not running yet
    QVERIFY(layer.setOriginalAudioData(squareWav(12, 100, 100)));
    QVERIFY(layer.audioData() != expected);

    audioThread.start();
    QTRY_VERIFY(!receiver.received.isEmpty());
    audioThread.quit();
    audioThread.wait();
    // Starts 4 ms before the sound: the slice begins at the sound's start.
    QCOMPARE(receiver.received, expected);
}

void TestAudioLayer::thumbnailDrawsTheWaveform()
{
    Loaded loaded(25);
    AudioLayer& layer = *loaded.layer;
    layer.setOffsetFrames(2.5); // the sound starts halfway through frame 3

    QImage const middle = layer.thumbnail(5, QSize(40, 40));
    QCOMPARE(middle.size(), QSize(40, 40));
    QCOMPARE(middle.format(), QImage::Format_ARGB32_Premultiplied);
    // Left at half scale and right at quarter scale, drawn twice as large
    // (the loudest peak is 0.5): the line runs from x = 0 to x = 30.
    for (int y = 0; y < 40; ++y) {
        QVERIFY(opaqueWhite(middle, 0, y));
        QVERIFY(opaqueWhite(middle, 20, y));
        QVERIFY(opaqueWhite(middle, 29, y));
        QVERIFY(transparent(middle, 31, y));
        QVERIFY(transparent(middle, 39, y));
    }

    QImage const start = layer.thumbnail(3, QSize(40, 40));
    QVERIFY(rowIsEmpty(start, 0));
    QVERIFY(rowIsEmpty(start, 19));
    QVERIFY(opaqueWhite(start, 10, 20));
    QVERIFY(opaqueWhite(start, 10, 39));

    // The sound ends halfway through frame 13.
    QImage const end = layer.thumbnail(13, QSize(40, 40));
    QVERIFY(opaqueWhite(end, 10, 0));
    QVERIFY(opaqueWhite(end, 10, 19));
    QVERIFY(rowIsEmpty(end, 20));
    QVERIFY(rowIsEmpty(end, 39));

    QVERIFY(layer.thumbnail(2, QSize(40, 40)).isNull());
    QVERIFY(layer.thumbnail(14, QSize(40, 40)).isNull());
}

void TestAudioLayer::thumbnailOfQuietSoundIsScaledUp()
{
    // Peaks of 0.05 are drawn ten times larger, no more.
    Loaded quiet(25, squareWav(2, 1638, 1638));
    QImage const image = quiet.layer->thumbnail(1, QSize(40, 10));
    // 1638 / 32768 × 10 = 0.4999: the line runs from x = 10 to x = 29.
    QVERIFY(transparent(image, 9, 5));
    QVERIFY(opaqueWhite(image, 11, 5));
    QVERIFY(opaqueWhite(image, 28, 5));
    QVERIFY(transparent(image, 31, 5));

    // Full-scale sound is never shrunk.
    Loaded loud(25, squareWav(2, 32767, 32767));
    QImage const full = loud.layer->thumbnail(1, QSize(40, 10));
    QVERIFY(opaqueWhite(full, 0, 5));
    QVERIFY(opaqueWhite(full, 39, 5));
}

// Rows follow the cell's height: the level cache is rebuilt when the time per
// row changes.
void TestAudioLayer::thumbnailRowsFollowTheCellHeight()
{
    // Frame 1: loud for its first 25 ms, quiet for the last 15 ms.
    QByteArray const file = wav16(rate, 2, framesPerVideoFrame * 2, [](int f, int) {
        qint16 const level = f < 1000 ? 16384 : 1638;
        return qint16(f % 2 ? -level : level);
    });
    Loaded loaded(25, file);
    AudioLayer& layer = *loaded.layer;

    for (int height : {40, 80, 40, 160}) {
        // The loud part fills 25 / 40 of the rows.
        int const border = height * 25 / 40;
        QImage const image = layer.thumbnail(1, QSize(40, height));
        QVERIFY2(opaqueWhite(image, 2, border - 1), qPrintable(QString::number(height)));
        QVERIFY2(transparent(image, 2, border), qPrintable(QString::number(height)));
        QVERIFY2(opaqueWhite(image, 19, border), qPrintable(QString::number(height)));
    }
}

void TestAudioLayer::thumbnailOfDegenerateCells_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("isNull");

    QTest::newRow("no height") << QSize(20, 0) << true;
    QTest::newRow("negative height") << QSize(20, -5) << true;
    QTest::newRow("no width") << QSize(0, 20) << true;
    // More rows than the frame has microseconds: rows of at least 1 µs.
    QTest::newRow("taller than the frame has microseconds") << QSize(4, 100000) << false;
    QTest::newRow("one row") << QSize(20, 1) << false;
}

void TestAudioLayer::thumbnailOfDegenerateCells()
{
    QFETCH(QSize, size);
    QFETCH(bool, isNull);
    Loaded loaded(25);
    QImage const image = loaded.layer->thumbnail(2, size);
    QCOMPARE(image.isNull(), isNull);
    if (!isNull)
        QCOMPARE(image.size(), size);
}

// The whole road: the layer's thread and playback buffer open a stream on
// the sound server as soon as the sound is decoded, keep it through plays
// and scrubbing, and close it when the layer goes.
void TestAudioLayer::playbackReachesTheSoundServer()
{
    QCOMPARE(playbackStreams(), 0);
    {
        Loaded loaded(25, squareWav(50, 3000, 3000));
        AudioLayer& layer = *loaded.layer;
        QTRY_COMPARE_WITH_TIMEOUT(playbackStreams(), 1, 10000);
        layer.startPlayback(1, 50);
        layer.stopPlayback();
        layer.startScrubbing();
        layer.playFrame(4);
        layer.stopScrubbing();
        layer.startPlayback(3, 50);
        QCOMPARE(playbackStreams(), 1);
    }
    // The layer went away while playing: its thread ends and the stream closes.
    QTRY_COMPARE_WITH_TIMEOUT(playbackStreams(), 0, 10000);
}

// Twelve plays of a tone through the layer, recorded from the output's
// monitor as the animator would hear them: every play, the first one after
// the sound was loaded included, carries the whole tone, and the play whose
// loop wraps while the tone sounds goes on into the whole tone again. A busy
// machine may leave short gaps where the sound server ran dry, but the tone
// sounds through most of its span and none of it is lost.
void TestAudioLayer::everyPlayIsHeardWhole()
{
    MonitorRecording recording;
    QVERIFY2(recording.start(), "nothing is recorded from the output's monitor");

    double const amplitude = 0.5;
    // Half a second: six frames at 12 fps.
    Loaded loaded(12, wav16(48000, 2, 24000, [amplitude](int f, int) {
        return sine(f, 48000, 440.0, amplitude);
    }));
    AudioLayer& layer = *loaded.layer;
    int const toneBlocks = 500 / MonitorRecording::BlockMs;
    int const wrappingPlay = 5;

    for (int play = 0; play < 12; ++play) {
        qint64 const mark = recording.size();
        auto const figures = [&] { return ToneFigures(recording.toneBlocks(mark, amplitude)); };
        layer.startPlayback(1, 6);
        int expected = toneBlocks;
        if (play == wrappingPlay) {
            QTRY_VERIFY_WITH_TIMEOUT(figures().tone >= toneBlocks / 5, 20000);
            expected += figures().tone;
            layer.startPlayback(1, 6);
        }
        // The play is over once silence follows the whole tone (its fades
        // may fall below the threshold), or follows some tone for longer than
        // any gap a busy machine leaves.
        QTRY_VERIFY2_WITH_TIMEOUT(
            [&] {
                ToneFigures const f = figures();
                return (f.tone >= expected - 3 && f.silenceAfter >= 20) || f.silenceAfter >= 150;
            }(),
            qPrintable(QStringLiteral("play %1: %2 of %3 blocks of tone")
                           .arg(play)
                           .arg(figures().tone)
                           .arg(expected)),
            20000);
        layer.stopPlayback();

        ToneFigures const f = figures();
        QString const what = QStringLiteral("play %1: %2 blocks of tone of %3, over %4 blocks")
                                 .arg(play)
                                 .arg(f.tone)
                                 .arg(expected)
                                 .arg(f.last - f.first + 1);
        QVERIFY2(f.tone * 10 >= expected * 9, qPrintable(what));
        QVERIFY2(f.tone * 3 >= (f.last - f.first + 1) * 2, qPrintable(what));
    }
}

// Layers that go away, or decode again, right after asking for sound: the
// audio thread is still busy with the first calls, so later ones are left
// queued to a playback buffer that is torn down with its sink. Those calls
// must never run, and no stream may be left behind.
void TestAudioLayer::layerGoesAwayWithCallsStillQueued()
{
    QByteArray const sound = squareWav(20, 3000, 3000);
    QElapsedTimer timer;
    timer.start();
    for (int round = 0; round < 40 && timer.elapsed() < 3000; ++round) {
        Loaded loaded(25, sound);
        AudioLayer& layer = *loaded.layer;
        // Shifts the calls against the thread opening its output.
        QThread::msleep(round % 4);
        layer.startPlayback(1, 20);
        layer.startScrubbing();
        layer.playFrame(3);
        if (round % 2) {
            QVERIFY(layer.setOriginalAudioData(sound));
            layer.startPlayback(2, 20);
        }
        layer.setAudible(round % 3 != 0);
        layer.stopPlayback();
    }
    QTRY_COMPARE_WITH_TIMEOUT(playbackStreams(), 0, 10000);
}

QUILLMERE_TEST_MAIN(TestAudioLayer)
#include "tst_audiolayer.moc"
