// The playback buffer: slices, fades and silence as the sink reads them, and
// a slice played through a real audio output.
#include "TestSupport.h"

#include "audio/AudioBuffer.h"
#include "media/AudioFormat.h"

#include <QAudioSink>
#include <QMediaDevices>
#include <QPointer>
#include <QSignalSpy>
#include <QThread>

#include <cmath>
#include <cstring>

using Model::AudioBuffer;

namespace {

QAudioFormat stereo48k()
{
    QAudioFormat format;
    format.setSampleRate(48000);
    format.setChannelConfig(QAudioFormat::ChannelConfigStereo);
    format.setSampleFormat(QAudioFormat::Int16);
    return format;
}

QByteArray pcm(QList<qint16> const& samples)
{
    QByteArray bytes(samples.size() * 2, '\0');
    std::memcpy(bytes.data(), samples.constData(), size_t(bytes.size()));
    return bytes;
}

QList<qint16> samples(QByteArray const& bytes)
{
    QList<qint16> out(bytes.size() / 2);
    std::memcpy(out.data(), bytes.constData(), size_t(out.size()) * 2);
    return out;
}

// count samples, each value(i).
template<typename F>
QByteArray block(int count, F value)
{
    QList<qint16> list(count);
    for (int i = 0; i < count; ++i)
        list[i] = value(i);
    return pcm(list);
}

QByteArray constant(int count, qint16 value)
{
    return block(count, [value](int) { return value; });
}

// A buffer opened for reading the way a sink reads it, without a sink.
struct OpenBuffer
{
    AudioBuffer buffer{stereo48k()};
    OpenBuffer() { buffer.open(QIODevice::ReadOnly | QIODevice::Unbuffered); }
    QByteArray read(qint64 bytes)
    {
        QByteArray out = buffer.read(bytes);
        [&] { QCOMPARE(out.size(), bytes); }();
        return out;
    }
};

// Counts the samples of sound, as against silence, that its sink has read.
class CountingBuffer : public AudioBuffer
{
public:
    using AudioBuffer::AudioBuffer;
    qint64 soundSamples = 0;

protected:
    qint64 readData(char* data, qint64 maxLen) override
    {
        qint64 const read = AudioBuffer::readData(data, maxLen);
        for (qint64 i = 0; i + 1 < read; i += 2) {
            qint16 sample;
            std::memcpy(&sample, data + i, 2);
            soundSamples += sample != 0;
        }
        return read;
    }
};

// Counts the times a sink stops. Its state changes also come from the sound
// server's thread (an underrun), so they reach the count queued.
struct StopWatch
{
    explicit StopWatch(QAudioSink* sink)
    {
        QObject::connect(sink, &QAudioSink::stateChanged, &receiver, [this](QAudio::State state) {
            count += state == QAudio::StoppedState;
        });
    }
    QObject receiver;
    int count = 0;
};

constexpr qint64 fadeUs = 1000; // 192 bytes, 96 samples at 48 kHz stereo
constexpr int fadeBytes = 192;

} // namespace

class TestAudioBuffer : public QObject
{
    Q_OBJECT

private slots:
    void sampleConversions_data();
    void sampleConversions();
    void volumeIsClamped_data();
    void volumeIsClamped();
    void sliceWithoutFadeIsCopied();
    void sliceIsFadedInAndOut();
    void tinySliceGetsHalfItsLengthAsFade();
    void silenceBeforeTheSound();
    void sliceEntirelyOutsideTheSound_data();
    void sliceEntirelyOutsideTheSound();
    void newSliceFadesOutTheUnplayedRest();
    void startingPastTheEndKeepsTheFadingRest();
    void fadeOutAndStopPlaysTheRestThenStops();
    void negativeLengthFadesOutAndStops();
    void blockStaysValidAfterItsOwnerLetsGo();
    void playsThroughTheDefaultOutput();
    void everyStartFeedsTheSink();
    void destroyedWithCallsStillQueued();
};

void TestAudioBuffer::sampleConversions_data()
{
    QTest::addColumn<double>("real");
    QTest::addColumn<int>("pcm");
    QTest::addColumn<double>("back");

    QTest::newRow("full scale") << 1.0 << 32767 << 32767.0 / 32768.0;
    QTest::newRow("negative full scale") << -1.0 << -32767 << -32767.0 / 32768.0;
    QTest::newRow("half") << 0.5 << 16383 << 16383.0 / 32768.0;
    QTest::newRow("truncated toward zero") << -0.00005 << -1 << -1.0 / 32768.0;
    QTest::newRow("zero") << 0.0 << 0 << 0.0;
}

void TestAudioBuffer::sampleConversions()
{
    QFETCH(double, real);
    QFETCH(int, pcm);
    QFETCH(double, back);
    QCOMPARE(int(Model::realToPcm(real)), pcm);
    QCOMPARE(Model::pcmToReal(qint16(pcm)), back);
    QCOMPARE(Model::pcmToReal(-32768), -1.0);
}

void TestAudioBuffer::volumeIsClamped_data()
{
    QTest::addColumn<double>("volume");
    QTest::addColumn<double>("stored");
    QTest::newRow("above 1") << 1.5 << 1.0;
    QTest::newRow("below 0") << -1.0 << 0.0;
    QTest::newRow("inside") << 0.25 << 0.25;
}

void TestAudioBuffer::volumeIsClamped()
{
    QFETCH(double, volume);
    QFETCH(double, stored);
    AudioBuffer buffer(stereo48k());
    buffer.setVolume(volume);
    QCOMPARE(buffer.volume(), stored);
}

void TestAudioBuffer::sliceWithoutFadeIsCopied()
{
    QByteArray const sound = block(4000, [](int i) { return qint16(i * 7 - 9000); });
    OpenBuffer b;
    QSignalSpy ready(&b.buffer, &QIODevice::readyRead);
    b.buffer.replaceBuffer(sound, 400, 2000, 0);
    QCOMPARE(ready.size(), 1);
    // While running, at least 50 ms are always offered.
    qint64 const minimum = AudioFormat::audioLengthUs(stereo48k(), 50000);
    QCOMPARE(b.buffer.bytesAvailable(), minimum);

    QCOMPARE(b.read(1000), sound.mid(400, 1000));
    QCOMPARE(b.read(1000), sound.mid(1400, 1000));
    // The window is used up: silence, and still the minimum on offer.
    QCOMPARE(b.read(500), QByteArray(500, '\0'));
    QCOMPARE(b.buffer.bytesAvailable(), minimum);
    QVERIFY(b.buffer.isOpen());
}

void TestAudioBuffer::sliceIsFadedInAndOut()
{
    qint16 const level = 20000;
    QByteArray const sound = constant(2000, level);
    OpenBuffer b;
    b.buffer.replaceBuffer(sound, 0, 1600, fadeUs);
    QList<qint16> const out = samples(b.read(1600 + 400));

    int const fadeSamples = fadeBytes / 2;
    for (int i = 0; i < fadeSamples; ++i) // byte offset q = 2i
        QCOMPARE(out.at(i), qint16(level * (2 * i) / fadeBytes));
    for (int i = fadeSamples; i < 800 - fadeSamples; ++i)
        QCOMPARE(out.at(i), level);
    for (int i = 800 - fadeSamples; i < 800; ++i) // distance to the end: 1600 - 2i
        QCOMPARE(out.at(i), qint16(level * (1600 - 2 * i) / fadeBytes));
    for (int i = 800; i < out.size(); ++i)
        QCOMPARE(out.at(i), qint16(0));
}

// A slice of 10 bytes asked to fade over 50 ms fades over 5 bytes.
void TestAudioBuffer::tinySliceGetsHalfItsLengthAsFade()
{
    OpenBuffer b;
    b.buffer.replaceBuffer(constant(100, 1000), 0, 10, 50000);
    // In: 1000 × {0, 2, 4} / 5; out: 1000 × min(10 − p, 5) / 5 for p = 4, 6, 8,
    // applied on top of the fade-in where both meet.
    QCOMPARE(samples(b.read(12)), (QList<qint16>{0, 400, 800, 800, 400, 0}));
}

void TestAudioBuffer::silenceBeforeTheSound()
{
    QByteArray const sound = block(1000, [](int i) { return qint16(1000 + i); });
    OpenBuffer b;
    b.buffer.replaceBuffer(sound, -400, 1200, 0);
    QByteArray const out = b.read(1200);
    QCOMPARE(out.left(400), QByteArray(400, '\0'));
    QCOMPARE(out.mid(400), sound.left(800));
}

void TestAudioBuffer::sliceEntirelyOutsideTheSound_data()
{
    QTest::addColumn<qint64>("pos");
    QTest::addColumn<qint64>("len");
    QTest::newRow("past the end") << qint64(2400) << qint64(800);
    QTest::newRow("right at the end") << qint64(2000) << qint64(800);
    QTest::newRow("before the start, shorter than the gap") << qint64(-4000) << qint64(800);
    QTest::newRow("empty") << qint64(100) << qint64(0);
}

void TestAudioBuffer::sliceEntirelyOutsideTheSound()
{
    QFETCH(qint64, pos);
    QFETCH(qint64, len);
    OpenBuffer b;
    b.buffer.replaceBuffer(constant(1000, 5000), pos, len, fadeUs);
    QCOMPARE(b.read(1000), QByteArray(1000, '\0'));
    QVERIFY(b.buffer.isOpen());
    QVERIFY(!b.buffer.isStopping());
}

// Two slices in a row: the unplayed part of the first, at most one fade
// length of it, fades out before the second fades in.
void TestAudioBuffer::newSliceFadesOutTheUnplayedRest()
{
    qint16 const first = 16000;
    qint16 const second = -8000;
    OpenBuffer b;
    b.buffer.replaceBuffer(constant(4000, first), 0, 4000, fadeUs);
    b.read(1000); // 3000 unplayed bytes, more than one fade length
    b.buffer.replaceBuffer(constant(4000, second), 0, 2000, fadeUs);

    QList<qint16> const out = samples(b.read(fadeBytes + 2000));
    int const fadeSamples = fadeBytes / 2;
    for (int i = 0; i < fadeSamples; ++i) // kept byte p = 2i of k = fadeBytes
        QCOMPARE(out.at(i), qint16(first * (fadeBytes - 2 * i) / fadeBytes));
    for (int i = 0; i < fadeSamples; ++i)
        QCOMPARE(out.at(fadeSamples + i), qint16(second * (2 * i) / fadeBytes));
    QCOMPARE(out.at(2 * fadeSamples), second);
}

// Playback started past the end of the sound while the previous slice still
// plays: the kept rest fades out, then silence; the window never shrinks
// below what it keeps.
void TestAudioBuffer::startingPastTheEndKeepsTheFadingRest()
{
    qint16 const level = 12000;
    QByteArray const sound = constant(2000, level);
    OpenBuffer b;
    b.buffer.replaceBuffer(sound, 0, 4000, fadeUs);
    b.read(400);
    b.buffer.replaceBuffer(sound, 4000 + 9600, 96000, fadeUs);

    QList<qint16> const out = samples(b.read(4000));
    int const fadeSamples = fadeBytes / 2;
    QCOMPARE(out.at(0), level);
    for (int i = 1; i < fadeSamples; ++i) {
        QVERIFY(out.at(i) < out.at(i - 1));
        QVERIFY(out.at(i) > 0);
    }
    for (int i = fadeSamples; i < out.size(); ++i)
        QCOMPARE(out.at(i), qint16(0));
}

void TestAudioBuffer::fadeOutAndStopPlaysTheRestThenStops()
{
    qint16 const level = 10000;
    OpenBuffer b;
    b.buffer.replaceBuffer(constant(4000, level), 0, 8000, fadeUs);
    b.read(2000);
    b.buffer.fadeOutAndStop();
    QVERIFY(b.buffer.isStopping());
    // No 50 ms minimum any more: only the faded rest is on offer.
    QCOMPARE(b.buffer.bytesAvailable(), qint64(fadeBytes));

    QList<qint16> const out = samples(b.read(fadeBytes + 800));
    QCOMPARE(out.at(0), level); // × k / fade, k = fade
    QVERIFY(out.at(fadeBytes / 2 - 1) < level / 10);
    for (int i = fadeBytes / 2; i < out.size(); ++i)
        QCOMPARE(out.at(i), qint16(0));
    QCOMPARE(b.buffer.bytesAvailable(), qint64(0));

    // The read that ran dry posted the stop: the buffer goes back to offering
    // silence to a sink that keeps running.
    b.read(100);
    QVERIFY(b.buffer.isStopping());
    QTRY_VERIFY(!b.buffer.isStopping());
    QVERIFY(b.buffer.isOpen());
    QCOMPARE(b.buffer.bytesAvailable(), AudioFormat::audioLengthUs(stereo48k(), 50000));
    QCOMPARE(b.read(100), QByteArray(100, '\0'));
}

void TestAudioBuffer::negativeLengthFadesOutAndStops()
{
    OpenBuffer b;
    b.buffer.replaceBuffer(constant(4000, 3000), 0, 8000, fadeUs);
    b.buffer.replaceBuffer(constant(4000, 3000), 0, -4, fadeUs);
    QVERIFY(b.buffer.isStopping());
    QCOMPARE(b.buffer.bytesAvailable(), qint64(fadeBytes));
}

// A queued slice holds its own reference to the PCM it plays.
void TestAudioBuffer::blockStaysValidAfterItsOwnerLetsGo()
{
    QByteArray const original = block(2000, [](int i) { return qint16(i * 3); });
    auto owner = std::make_unique<QByteArray>(original);
    owner->detach();

    QObject sender;
    OpenBuffer b;
    QMetaObject::invokeMethod(&b.buffer, "replaceBuffer", Qt::QueuedConnection,
                              Q_ARG(QByteArray, *owner), Q_ARG(qint64, 0), Q_ARG(qint64, 4000),
                              Q_ARG(qint64, 0));
    owner->fill('\x55');
    owner.reset();
    QCoreApplication::processEvents();
    QCOMPARE(b.read(4000), original);
}

// A slice played through a real sink on the default output: the sink becomes
// active and consumes the sound, and goes on playing silence once
// fadeOutAndStop has let the rest fade out.
void TestAudioBuffer::playsThroughTheDefaultOutput()
{
    QVERIFY2(!QMediaDevices::defaultAudioOutput().isNull(), "no default audio output");

    QByteArray const sound = block(48000 * 2 * 3 / 10, [](int i) {
        return qint16(8000 * std::sin(2 * 3.14159265358979323846 * 440 * (i / 2) / 48000.0));
    });
    AudioBuffer buffer(stereo48k());
    buffer.setVolume(0.5);
    buffer.openOutput();
    auto* const sink = buffer.findChild<QAudioSink*>();
    QVERIFY(sink);
    QCOMPARE(sink->volume(), 0.5);
    // Opening the output starts it: the first play finds it running.
    QTRY_COMPARE(sink->state(), QAudio::ActiveState);
    StopWatch stops(sink);

    // A busy machine may let the sound server run dry for a moment even
    // though every read is served in full: the sink then reports an underrun
    // and idles until its next read. That is no failure of the output.
    auto const healthy = [sink] {
        return sink->error() == QAudio::NoError || sink->error() == QAudio::UnderrunError;
    };

    buffer.start();
    QVERIFY(buffer.isOpen());
    buffer.replaceBuffer(sound, 0, sound.size(), 8000);
    QVERIFY(healthy());
    qint64 const startedAt = sink->processedUSecs();
    // 300 ms of sound, then silence: the sink keeps running on silence.
    QTRY_VERIFY_WITH_TIMEOUT(sink->processedUSecs() >= startedAt + 300000, 5000);
    QTRY_COMPARE(sink->state(), QAudio::ActiveState);

    buffer.fadeOutAndStop();
    QTRY_VERIFY(!buffer.isStopping());
    QVERIFY(buffer.isOpen());
    qint64 const stoppedAt = sink->processedUSecs();
    QTRY_VERIFY_WITH_TIMEOUT(sink->processedUSecs() >= stoppedAt + 100000, 5000);
    QVERIFY(healthy());
    QCOMPARE(stops.count, 0);
}

// Plays started again and again, as the animator does, in every way the
// program starts sound: a play, a loop wrapping while the sound still plays,
// a play resumed from the middle, and scrubbed frames; once with the audio
// thread held up long enough for the sound server to run dry. Every start is
// read by the sink in full, the sink's buffer never shrinks and the output
// is never restarted.
void TestAudioBuffer::everyStartFeedsTheSink()
{
    QVERIFY2(!QMediaDevices::defaultAudioOutput().isNull(), "no default audio output");

    // 1 s of a steady level: every sample of a slice but the first of its
    // fade-in is sound.
    QByteArray const sound = constant(48000 * 2, 6000);
    qint64 const frameBytes = 48000 * 4 / 12; // one frame at 12 fps
    CountingBuffer buffer(stereo48k());
    buffer.openOutput();
    auto* const sink = buffer.findChild<QAudioSink*>();
    QVERIFY(sink);
    StopWatch stops(sink);
    qsizetype bufferSize = -1;

    enum Start { Play, Wrap, Resume, Scrub, Stalled };
    QList<Start> const starts{Play,   Play, Wrap,  Play, Scrub, Resume, Play,    Wrap,
                              Scrub, Play, Play,  Resume, Scrub, Play, Stalled, Play};
    for (int i = 0; i < starts.size(); ++i) {
        Start const kind = starts.at(i);
        qint64 const pos = kind == Resume ? 3 * frameBytes : 0;
        qint64 const len = kind == Scrub ? frameBytes : 4 * frameBytes;
        qint64 const heardBefore = buffer.soundSamples;
        buffer.start();
        buffer.replaceBuffer(sound, pos, len, 8000);
        if (kind == Stalled)
            QThread::msleep(400);
        qint64 const processedBefore = sink->processedUSecs();
        // All of the slice, faded in and out, reaches the sink.
        QTRY_VERIFY2_WITH_TIMEOUT(buffer.soundSamples - heardBefore >= len / 2 - 2,
                                  qPrintable(QStringLiteral("start %1: %2 of %3 samples read")
                                                 .arg(i)
                                                 .arg(buffer.soundSamples - heardBefore)
                                                 .arg(len / 2)),
                                  10000);
        QTRY_VERIFY_WITH_TIMEOUT(sink->processedUSecs() > processedBefore, 10000);
        if (bufferSize < 0)
            bufferSize = sink->bufferSize();
        QVERIFY2(sink->bufferSize() >= bufferSize,
                 qPrintable(QStringLiteral("start %1: buffer %2 after %3")
                                .arg(i)
                                .arg(sink->bufferSize())
                                .arg(bufferSize)));
        // A wrap starts the next slice while this one is still playing.
        if (i + 1 < starts.size() && starts.at(i + 1) != Wrap)
            buffer.fadeOutAndStop();
    }
    QCOMPARE(stops.count, 0);
}

// A running buffer deleted while calls to it are still queued: deleting its
// sink spins the event loop, and none of those calls may reach the buffer
// being torn down. The sink is stopped and goes with the buffer.
void TestAudioBuffer::destroyedWithCallsStillQueued()
{
    QVERIFY2(!QMediaDevices::defaultAudioOutput().isNull(), "no default audio output");

    QByteArray const sound = constant(48000, 3000);
    auto* const buffer = new AudioBuffer(stereo48k());
    buffer->start();
    buffer->replaceBuffer(sound, 0, sound.size(), 8000);
    QPointer<QAudioSink> const sink = buffer->findChild<QAudioSink*>();
    QVERIFY(sink);
    QTRY_COMPARE(sink->state(), QAudio::ActiveState);
    QList<QAudio::State> states;
    QObject watcher;
    connect(sink, &QAudioSink::stateChanged, &watcher,
            [&states](QAudio::State state) { states.append(state); });

    QMetaObject::invokeMethod(buffer, &AudioBuffer::start, Qt::QueuedConnection);
    QMetaObject::invokeMethod(buffer, "replaceBuffer", Qt::QueuedConnection,
                              Q_ARG(QByteArray, sound), Q_ARG(qint64, 0),
                              Q_ARG(qint64, sound.size()), Q_ARG(qint64, 8000));
    QMetaObject::invokeMethod(buffer, &AudioBuffer::fadeOutAndStop, Qt::QueuedConnection);
    QMetaObject::invokeMethod(buffer, &AudioBuffer::stop, Qt::QueuedConnection);
    delete buffer;

    QVERIFY(sink.isNull());
    QVERIFY(states.contains(QAudio::StoppedState));
}

QUILLMERE_TEST_MAIN(TestAudioBuffer)
#include "tst_audiobuffer.moc"
