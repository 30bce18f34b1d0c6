// Decoding sound files from memory into 16-bit stereo PCM.
#include "TestSupport.h"

#include "SoundFixtures.h"
#include "media/AudioFormat.h"
#include "media/FfmpegAudioDecoder.h"

#include <QBuffer>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <cmath>
#include <cstring>

using namespace SoundFixtures;

namespace {

QAudioFormat wantedFormat()
{
    QAudioFormat format;
    format.setSampleFormat(QAudioFormat::Int16);
    format.setChannelConfig(QAudioFormat::ChannelConfigStereo);
    return format;
}

struct DecodeRun
{
    QByteArray pcm;
    QAudioFormat format;
    int finishedCount = 0;
    int formatChanges = 0;
    QList<qint64> durations;
    QList<qint64> positions;
};

// Decodes what the device holds the way the audio layer does: post start,
// run a local loop until finished. Waits a little longer afterwards so that a
// second finished would be seen.
DecodeRun decode(QIODevice* device)
{
    DecodeRun run;
    FfmpegAudioDecoder decoder(device);
    decoder.setAudioFormat(wantedFormat());
    QEventLoop loop;
    QObject::connect(&decoder, &FfmpegAudioDecoder::finished, &loop, [&] {
        ++run.finishedCount;
        loop.quit();
    });
    QObject::connect(&decoder, &FfmpegAudioDecoder::formatChanged, &loop,
                     [&] { ++run.formatChanges; });
    QObject::connect(&decoder, &FfmpegAudioDecoder::durationMsChanged, &loop,
                     [&](qint64 ms) { run.durations.append(ms); });
    QObject::connect(&decoder, &FfmpegAudioDecoder::positionMsChanged, &loop,
                     [&](qint64 ms) { run.positions.append(ms); });
    QTimer::singleShot(0, &decoder, &FfmpegAudioDecoder::start);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    loop.exec();
    QTest::qWait(20);
    run.format = decoder.audioFormat();
    run.pcm = std::move(decoder.outputBuffer());
    return run;
}

DecodeRun decode(QByteArray const& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return decode(&buffer);
}

qint16 sampleAt(QByteArray const& pcm, qint64 frame, int channel)
{
    qint16 value;
    std::memcpy(&value, pcm.constData() + frame * 4 + channel * 2, 2);
    return value;
}

// Bytes that can only be read in order, like a pipe.
class SequentialDevice : public QIODevice
{
public:
    explicit SequentialDevice(QByteArray bytes)
        : m_bytes(std::move(bytes))
    {
    }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override
    {
        return m_bytes.size() - m_offset + QIODevice::bytesAvailable();
    }

protected:
    qint64 readData(char* data, qint64 maxLen) override
    {
        qint64 const count = qMin(maxLen, m_bytes.size() - m_offset);
        std::memcpy(data, m_bytes.constData() + m_offset, size_t(count));
        m_offset += count;
        return count;
    }
    qint64 writeData(char const*, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    qint64 m_offset = 0;
};

// Fails every read after the first limit bytes.
class FailingBuffer : public QBuffer
{
public:
    qint64 limit = 0;

protected:
    qint64 readData(char* data, qint64 maxLen) override
    {
        if (pos() >= limit)
            return -1;
        return QBuffer::readData(data, qMin(maxLen, limit - pos()));
    }
};

qint16 leftTone(int frame)
{
    return sine(frame, 44100, 440.0, 0.5);
}

qint16 rightTone(int frame)
{
    return sine(frame, 44100, 660.0, 0.25);
}

} // namespace

class TestFfmpegAudioDecoder : public QObject
{
    Q_OBJECT

private slots:
    void decodesToStereo16_data();
    void decodesToStereo16();
    void stereoPcmPassesUnchanged();
    void monoIsCopiedToBothChannels();
    void matchesTheFfmpegTool_data();
    void matchesTheFfmpegTool();
    void skipsStreamsThatAreNotSound();
    void unreadableInput_data();
    void unreadableInput();
    void keepsWhatWasReadBeforeTheDataEnds_data();
    void keepsWhatWasReadBeforeTheDataEnds();
    void progressFollowsTheDecodedLength();
    void stopWhileAStepIsPendingFinishesOnce();
    void stopBeforeStartFinishes();

private:
    QTemporaryDir m_folder;
};

void TestFfmpegAudioDecoder::decodesToStereo16_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("sampleRate");
    QTest::addColumn<qint64>("frames");

    QVERIFY(m_folder.isValid());
    QDir const folder(m_folder.path());
    QString error;

    QTest::newRow("wav 16-bit stereo 44.1 kHz")
        << wav16(44100, 2, 22050, [](int f, int c) { return c ? rightTone(f) : leftTone(f); })
        << 44100 << qint64(22050);
    QTest::newRow("wav 16-bit mono 22.05 kHz")
        << wav16(22050, 1, 11025, [](int f, int) { return sine(f, 22050, 300.0, 0.5); }) << 22050
        << qint64(11025);
    QTest::newRow("wav 16-bit 5.1 48 kHz")
        << wav16(48000, 6, 4800, [](int f, int c) { return sine(f, 48000, 200.0 * (c + 1), 0.3); })
        << 48000 << qint64(4800);
    QTest::newRow("wav 16-bit 3 channels 8 kHz")
        << wav16(8000, 3, 8001, [](int f, int c) { return sine(f, 8000, 100.0 * (c + 1), 0.3); })
        << 8000 << qint64(8001);
    QByteArray eightBit = wavHeader(pcmTag, 1, 11025, 8, 1000);
    eightBit.append(QByteArray(1000, char(0xC0)));
    QTest::newRow("wav 8-bit mono") << eightBit << 11025 << qint64(1000);
    QByteArray floats = wavHeader(floatTag, 2, 32000, 32, 3200 * 8);
    for (int i = 0; i < 3200 * 2; ++i) {
        float const value = (i % 2) ? -0.25f : 0.5f;
        quint32 bits;
        std::memcpy(&bits, &value, sizeof bits);
        appendLE32(floats, bits);
    }
    QTest::newRow("wav float stereo 32 kHz") << floats << 32000 << qint64(3200);

    QByteArray const monoMp3 = encode(
        wav16(44100, 1, 22050, [](int f, int) { return sine(f, 44100, 440.0, 0.5); }), folder,
        QStringLiteral("mono.mp3"), {"-c:a", "libmp3lame", "-b:a", "64k"}, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY(monoMp3.size() < 16384);
    QTest::newRow("mp3 mono 44.1 kHz") << monoMp3 << 44100 << qint64(22050);

    QByteArray const stereoMp3 = encode(
        wav16(48000, 2, 14400, [](int f, int c) { return sine(f, 48000, c ? 500.0 : 250.0, 0.4); }),
        folder, QStringLiteral("stereo.mp3"), {"-c:a", "libmp3lame", "-b:a", "96k"}, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QTest::newRow("mp3 stereo 48 kHz") << stereoMp3 << 48000 << qint64(14400);
}

// Every input ends as interleaved 16-bit stereo at its own rate, exactly as
// long as the source.
void TestFfmpegAudioDecoder::decodesToStereo16()
{
    QFETCH(QByteArray, file);
    QFETCH(int, sampleRate);
    QFETCH(qint64, frames);

    DecodeRun const run = decode(file);
    QCOMPARE(run.finishedCount, 1);
    QCOMPARE(run.format.sampleFormat(), QAudioFormat::Int16);
    QCOMPARE(run.format.channelCount(), 2);
    QCOMPARE(run.format.channelConfig(), QAudioFormat::ChannelConfigStereo);
    QCOMPARE(run.format.sampleRate(), sampleRate);
    QCOMPARE(run.formatChanges, 1);
    QCOMPARE(qint64(run.pcm.size()), frames * 4);
    qint64 const expectedUs = frames * 1000000 / sampleRate;
    QCOMPARE(AudioFormat::audioDurationUs(run.format, run.pcm.size()), expectedUs);

    // Real sound, not silence, came out.
    int loudest = 0;
    for (qint64 f = 0; f < frames; ++f)
        loudest = qMax(loudest, qAbs(int(sampleAt(run.pcm, f, 0))));
    QVERIFY(loudest > 3000);

    // The stream's duration is announced once, the position ends at the length.
    QCOMPARE(run.durations.size(), 1);
    QVERIFY2(qAbs(run.durations.first() - expectedUs / 1000) <= 60,
             qPrintable(QString::number(run.durations.first())));
    QVERIFY(!run.positions.isEmpty());
    QCOMPARE(run.positions.last(), expectedUs / 1000);
}

void TestFfmpegAudioDecoder::stereoPcmPassesUnchanged()
{
    QByteArray const file =
        wav16(44100, 2, 30000, [](int f, int c) { return c ? rightTone(f) : leftTone(f); });
    DecodeRun const run = decode(file);
    QCOMPARE(run.pcm, wavSamples(file));

    // The same from a device that cannot seek.
    SequentialDevice pipe(file);
    pipe.open(QIODevice::ReadOnly);
    DecodeRun const piped = decode(&pipe);
    QCOMPARE(piped.finishedCount, 1);
    QCOMPARE(piped.pcm, wavSamples(file));
}

void TestFfmpegAudioDecoder::monoIsCopiedToBothChannels()
{
    QByteArray const file =
        wav16(22050, 1, 2000, [](int f, int) { return qint16(f * 10 - 10000); });
    DecodeRun const run = decode(file);
    QCOMPARE(run.pcm.size(), 2000 * 4);
    for (int f = 0; f < 2000; ++f) {
        qint16 const left = sampleAt(run.pcm, f, 0);
        QCOMPARE(sampleAt(run.pcm, f, 1), left);
        // Spread over two channels at the same loudness: -3 dB each.
        double const expected = (f * 10 - 10000) * std::sqrt(0.5);
        QVERIFY2(qAbs(left - expected) <= 1.0, qPrintable(QString::number(f)));
    }
}

void TestFfmpegAudioDecoder::matchesTheFfmpegTool_data()
{
    QTest::addColumn<QString>("codec");
    QTest::addColumn<QString>("name");

    // ADPCM packets hold several codec frames each: every one must come out.
    QTest::newRow("wav with MS ADPCM") << "adpcm_ms" << "ms-adpcm.wav";
    QTest::newRow("wav with IMA ADPCM") << "adpcm_ima_wav" << "ima-adpcm.wav";
    QTest::newRow("mp3") << "libmp3lame" << "tool.mp3";
    QTest::newRow("mp2") << "mp2" << "tool.mp2";
}

// Compressed files decode to exactly what the ffmpeg tool makes of them.
void TestFfmpegAudioDecoder::matchesTheFfmpegTool()
{
    QFETCH(QString, codec);
    QFETCH(QString, name);
    QVERIFY(m_folder.isValid());
    QDir const folder(m_folder.path());

    QString error;
    QByteArray const file = encode(
        wav16(44100, 2, 30001, [](int f, int c) { return c ? rightTone(f) : leftTone(f); }),
        folder, name, {"-c:a", codec}, &error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QString const raw = folder.filePath(name + QStringLiteral(".raw"));
    error = runFfmpeg({"-i", folder.filePath(name), "-f", "s16le", "-c:a", "pcm_s16le", "-ac", "2",
                       raw});
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QFile rawFile(raw);
    QVERIFY(rawFile.open(QIODevice::ReadOnly));
    QByteArray const reference = rawFile.readAll();
    QVERIFY(reference.size() >= 30001 * 4);

    DecodeRun const run = decode(file);
    QCOMPARE(run.finishedCount, 1);
    QCOMPARE(run.format.sampleRate(), 44100);
    QCOMPARE(run.pcm.size(), reference.size());
    QCOMPARE(run.pcm, reference);
}

// An MP3 file with a cover picture: the picture's packets are skipped.
void TestFfmpegAudioDecoder::skipsStreamsThatAreNotSound()
{
    QVERIFY(m_folder.isValid());
    QDir const folder(m_folder.path());
    QString const soundPath = folder.filePath(QStringLiteral("cover-sound.wav"));
    QString const coveredPath = folder.filePath(QStringLiteral("covered.mp3"));
    QString const plainPath = folder.filePath(QStringLiteral("plain.mp3"));
    QFile soundFile(soundPath);
    QVERIFY(soundFile.open(QIODevice::WriteOnly));
    soundFile.write(
        wav16(44100, 2, 44100, [](int f, int c) { return c ? rightTone(f) : leftTone(f); }));
    soundFile.close();
    QString error = runFfmpeg({"-i", soundPath, "-f", "lavfi", "-i", "color=c=red:s=32x32:d=1",
                               "-frames:v", "1", "-map", "0:a", "-map", "1:v", "-c:a",
                               "libmp3lame", "-c:v", "png", "-disposition:v", "attached_pic",
                               coveredPath});
    QVERIFY2(error.isEmpty(), qPrintable(error));
    // The same sound frames without the picture.
    error = runFfmpeg({"-i", coveredPath, "-map", "0:a", "-c:a", "copy", plainPath});
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QFile covered(coveredPath);
    QFile plain(plainPath);
    QVERIFY(covered.open(QIODevice::ReadOnly));
    QVERIFY(plain.open(QIODevice::ReadOnly));

    DecodeRun const withPicture = decode(covered.readAll());
    DecodeRun const without = decode(plain.readAll());
    QCOMPARE(withPicture.finishedCount, 1);
    QCOMPARE(withPicture.format.sampleRate(), 44100);
    QVERIFY(withPicture.pcm.size() >= 44100 * 4);
    QCOMPARE(withPicture.pcm, without.pcm);
}

void TestFfmpegAudioDecoder::unreadableInput_data()
{
    QTest::addColumn<QByteArray>("file");
    // Whether the file opens and tells its format before no sound comes.
    QTest::addColumn<bool>("opens");

    QByteArray noise(8192, '\0');
    QRandomGenerator random(7);
    for (char& byte : noise)
        byte = char(random.bounded(256));
    QByteArray const good = wav16(44100, 2, 100, [](int f, int) { return qint16(f); });

    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("noise") << noise << false;
    QTest::newRow("text") << QByteArray("This is not a sound file at all.\n").repeated(40)
                          << false;
    QTest::newRow("wav cut inside its header") << good.left(20) << false;
    QTest::newRow("wav header with no samples") << good.left(44) << true;
    QTest::newRow("wav with 0 channels")
        << wavHeader(pcmTag, 0, 44100, 16, 400) + QByteArray(400, 1) << false;
    QTest::newRow("wav with sample rate 0")
        << wavHeader(pcmTag, 2, 0, 16, 400) + QByteArray(400, 1) << false;
    QTest::newRow("wav with 0 bits per sample")
        << wavHeader(pcmTag, 2, 44100, 0, 400) + QByteArray(400, 1) << false;
    QTest::newRow("wav with 60000 channels")
        << wavHeader(pcmTag, 60000, 44100, 16, 400) + QByteArray(400, 1) << false;
    QTest::newRow("wav with an unknown codec")
        << wavHeader(0x7777, 2, 44100, 16, 400) + QByteArray(400, 1) << false;

    // Only the containers of the sound files the program imports are opened.
    QVERIFY(m_folder.isValid());
    QDir const folder(m_folder.path());
    for (char const* name : {"other.flac", "other.mka", "other.ogg"}) {
        QString error;
        QByteArray const file =
            encode(good, folder, QString::fromLatin1(name), {}, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QTest::addRow("%s", name) << file << false;
    }
    QTest::newRow("playlist") << QByteArray("#EXTM3U\n#EXT-X-TARGETDURATION:1\n#EXTINF:1,\n"
                                            "file:/dev/zero\n#EXT-X-ENDLIST\n")
                              << false;
}

// Whatever FFmpeg cannot read ends in one finished and no sound; unless the
// file opened, the caller's format stays as it was set.
void TestFfmpegAudioDecoder::unreadableInput()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, opens);
    DecodeRun const run = decode(file);
    QCOMPARE(run.finishedCount, 1);
    QVERIFY(run.pcm.isEmpty());
    QCOMPARE(run.format.sampleRate(), opens ? 44100 : wantedFormat().sampleRate());
    QCOMPARE(run.format.channelCount(), 2);
    QCOMPARE(run.format.sampleFormat(), QAudioFormat::Int16);
}

void TestFfmpegAudioDecoder::keepsWhatWasReadBeforeTheDataEnds_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("readableBytes");
    QTest::addColumn<int>("frames");

    QByteArray const samples =
        wav16(44100, 2, 3000, [](int f, int c) { return qint16(c ? -f : f); }).mid(44);
    QTest::newRow("truncated inside the samples")
        << wavHeader(pcmTag, 2, 44100, 16, 3000 * 4) + samples.left(1000 * 4 + 3) << -1 << 1000;
    QTest::newRow("header claims far more than there is")
        << wavHeader(pcmTag, 2, 44100, 16, 0xfffffff0u) + samples.left(2000 * 4) << -1 << 2000;
    // 44 header bytes and 1500 sample frames can be read, then reads fail.
    QTest::newRow("device fails mid-stream")
        << wavHeader(pcmTag, 2, 44100, 16, 3000 * 4) + samples << 44 + 1500 * 4 << 1500;
}

void TestFfmpegAudioDecoder::keepsWhatWasReadBeforeTheDataEnds()
{
    QFETCH(QByteArray, file);
    QFETCH(int, readableBytes);
    QFETCH(int, frames);

    FailingBuffer device;
    device.limit = readableBytes < 0 ? file.size() : readableBytes;
    device.setData(file);
    device.open(QIODevice::ReadOnly);
    DecodeRun const run = decode(&device);
    QCOMPARE(run.finishedCount, 1);
    QCOMPARE(run.pcm.size(), frames * 4);
    for (int f = 0; f < frames; ++f) {
        QCOMPARE(sampleAt(run.pcm, f, 0), qint16(f));
        QCOMPARE(sampleAt(run.pcm, f, 1), qint16(-f));
    }
}

void TestFfmpegAudioDecoder::progressFollowsTheDecodedLength()
{
    // Two seconds: many packets, so many steps.
    QByteArray const file =
        wav16(48000, 2, 96000, [](int f, int c) { return sine(f, 48000, c ? 300 : 200, 0.5); });
    DecodeRun const run = decode(file);
    QCOMPARE(run.durations, QList<qint64>{2000});
    QVERIFY(run.positions.size() > 5);
    for (int i = 1; i < run.positions.size(); ++i)
        QVERIFY(run.positions.at(i) > run.positions.at(i - 1));
    QCOMPARE(run.positions.last(), qint64(2000));
}

void TestFfmpegAudioDecoder::stopWhileAStepIsPendingFinishesOnce()
{
    QByteArray const file =
        wav16(48000, 2, 96000, [](int f, int c) { return sine(f, 48000, c ? 300 : 200, 0.5); });
    QBuffer buffer;
    buffer.setData(file);
    buffer.open(QIODevice::ReadOnly);
    FfmpegAudioDecoder decoder(&buffer);
    decoder.setAudioFormat(wantedFormat());
    QSignalSpy finished(&decoder, &FfmpegAudioDecoder::finished);

    decoder.start();
    QCOMPARE(decoder.audioFormat().sampleRate(), 48000);
    QCoreApplication::processEvents(); // one step
    decoder.stop();
    QCOMPARE(finished.size(), 0); // the pending step finishes
    QTRY_COMPARE(finished.size(), 1);
    QTest::qWait(50);
    QCOMPARE(finished.size(), 1);
    // Stopped early: less than the whole sound.
    QVERIFY(!decoder.outputBuffer().isEmpty());
    QVERIFY(decoder.outputBuffer().size() < 96000 * 4);
}

void TestFfmpegAudioDecoder::stopBeforeStartFinishes()
{
    QBuffer buffer;
    buffer.open(QIODevice::ReadOnly);
    FfmpegAudioDecoder decoder(&buffer);
    QSignalSpy finished(&decoder, &FfmpegAudioDecoder::finished);
    decoder.stop();
    QCOMPARE(finished.size(), 1);
    QTest::qWait(20);
    QCOMPARE(finished.size(), 1);
}

QUILLMERE_TEST_MAIN(TestFfmpegAudioDecoder)
#include "tst_ffmpegaudiodecoder.moc"
