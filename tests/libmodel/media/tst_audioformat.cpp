// Durations and byte counts of PCM formats.
#include "TestSupport.h"

#include "media/AudioFormat.h"

#include <QAudioFormat>

#include <climits>

namespace {

QAudioFormat makeFormat(int sampleRate, int channels, QAudioFormat::SampleFormat sampleFormat)
{
    QAudioFormat format;
    format.setSampleRate(sampleRate);
    format.setChannelCount(channels);
    format.setSampleFormat(sampleFormat);
    return format;
}

} // namespace

class TestAudioFormat : public QObject
{
    Q_OBJECT

private slots:
    void sampleSizes_data();
    void sampleSizes();
    void audioLengthUs_data();
    void audioLengthUs();
    void audioDurationUs_data();
    void audioDurationUs();
    void lengthAndDurationAgree_data();
    void lengthAndDurationAgree();
};

void TestAudioFormat::sampleSizes_data()
{
    QTest::addColumn<int>("sampleFormat");
    QTest::addColumn<int>("bits");
    QTest::addColumn<int>("bytes");

    QTest::newRow("UInt8") << int(QAudioFormat::UInt8) << 8 << 1;
    QTest::newRow("Int16") << int(QAudioFormat::Int16) << 16 << 2;
    QTest::newRow("Int32") << int(QAudioFormat::Int32) << 32 << 4;
    QTest::newRow("Float") << int(QAudioFormat::Float) << 32 << 4;
    QTest::newRow("Unknown") << int(QAudioFormat::Unknown) << 0 << 0;
}

void TestAudioFormat::sampleSizes()
{
    QFETCH(int, sampleFormat);
    QFETCH(int, bits);
    QFETCH(int, bytes);
    QAudioFormat const format =
        makeFormat(48000, 2, QAudioFormat::SampleFormat(sampleFormat));
    QCOMPARE(AudioFormat::sampleSize(format), bits);
    QCOMPARE(AudioFormat::sampleSizeBytes(format), bytes);
}

void TestAudioFormat::audioLengthUs_data()
{
    QTest::addColumn<QAudioFormat>("format");
    QTest::addColumn<qint64>("us");
    QTest::addColumn<qint64>("bytes");

    QAudioFormat const stereo48 = makeFormat(48000, 2, QAudioFormat::Int16);
    QAudioFormat const stereo44 = makeFormat(44100, 2, QAudioFormat::Int16);
    QAudioFormat const mono44 = makeFormat(44100, 1, QAudioFormat::Int16);

    QTest::newRow("50 ms at 48 kHz") << stereo48 << qint64(50000) << qint64(9600);
    QTest::newRow("1 us is less than a sample frame") << stereo48 << qint64(1) << qint64(0);
    QTest::newRow("zero") << stereo48 << qint64(0) << qint64(0);
    QTest::newRow("one second at 44.1 kHz") << stereo44 << qint64(1000000) << qint64(176400);
    // 176.4 bytes: cut down to whole 4-byte sample frames.
    QTest::newRow("1 ms at 44.1 kHz stereo") << stereo44 << qint64(1000) << qint64(176);
    QTest::newRow("1 ms at 44.1 kHz mono") << mono44 << qint64(1000) << qint64(88);
    QTest::newRow("1.01 ms at 44.1 kHz stereo") << stereo44 << qint64(1010) << qint64(176);
    // Before the start of a sound: negative, truncated toward zero.
    QTest::newRow("-50 ms") << stereo48 << qint64(-50000) << qint64(-9600);
    QTest::newRow("-1.01 ms at 44.1 kHz") << stereo44 << qint64(-1010) << qint64(-176);
    QTest::newRow("-1 us") << stereo48 << qint64(-1) << qint64(0);
    // 20 hours: bytes per second × nanoseconds would not fit in 64 bits.
    QTest::newRow("20 hours") << stereo48 << qint64(72000) * 1000000 << qint64(13824000000);
    QTest::newRow("8-bit mono") << makeFormat(8000, 1, QAudioFormat::UInt8) << qint64(500000)
                                << qint64(4000);
    QTest::newRow("float stereo") << makeFormat(48000, 2, QAudioFormat::Float) << qint64(1000)
                                  << qint64(384);
    QTest::newRow("unknown sample format")
        << makeFormat(48000, 2, QAudioFormat::Unknown) << qint64(50000) << qint64(0);
    // A sound file's header may give any rate: the bytes per second of
    // 2^31 - 1 Hz overflowed 32 bits, and their product with the part of a
    // second 64 bits.
    QTest::newRow("1 ms at 2^31 - 1 Hz") << makeFormat(INT_MAX, 2, QAudioFormat::Int16)
                                         << qint64(1000) << qint64(8589932);
    QTest::newRow("almost a second at 2^31 - 1 Hz, float stereo")
        << makeFormat(INT_MAX, 2, QAudioFormat::Float) << qint64(999999) << qint64(17179851992);
    QTest::newRow("no sample rate") << makeFormat(0, 2, QAudioFormat::Int16) << qint64(50000)
                                    << qint64(0);
}

void TestAudioFormat::audioLengthUs()
{
    QFETCH(QAudioFormat, format);
    QFETCH(qint64, us);
    QFETCH(qint64, bytes);
    QCOMPARE(AudioFormat::audioLengthUs(format, us), bytes);
    QCOMPARE(AudioFormat::audioLengthNs(format, us * 1000), bytes);
}

void TestAudioFormat::audioDurationUs_data()
{
    QTest::addColumn<QAudioFormat>("format");
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<qint64>("us");

    QAudioFormat const stereo48 = makeFormat(48000, 2, QAudioFormat::Int16);
    QAudioFormat const stereo44 = makeFormat(44100, 2, QAudioFormat::Int16);

    QTest::newRow("50 ms at 48 kHz") << stereo48 << qint64(9600) << qint64(50000);
    QTest::newRow("one second at 44.1 kHz") << stereo44 << qint64(176400) << qint64(1000000);
    // 4 bytes at 44.1 kHz are 22675.7 ns: truncated.
    QTest::newRow("one sample frame") << stereo44 << qint64(4) << qint64(22);
    QTest::newRow("two hours of 48 kHz stereo")
        << stereo48 << qint64(192000) * 7200 << qint64(7200) * 1000000;
    QTest::newRow("unknown sample format")
        << makeFormat(48000, 2, QAudioFormat::Unknown) << qint64(9600) << qint64(0);
    QTest::newRow("zero sample rate") << makeFormat(0, 2, QAudioFormat::Int16) << qint64(9600)
                                      << qint64(0);
    QTest::newRow("no channels") << makeFormat(48000, 0, QAudioFormat::Int16) << qint64(9600)
                                 << qint64(0);
}

void TestAudioFormat::audioDurationUs()
{
    QFETCH(QAudioFormat, format);
    QFETCH(qint64, bytes);
    QFETCH(qint64, us);
    QCOMPARE(AudioFormat::audioDurationUs(format, bytes), us);
}

void TestAudioFormat::lengthAndDurationAgree_data()
{
    QTest::addColumn<QAudioFormat>("format");
    QTest::newRow("44.1 kHz stereo") << makeFormat(44100, 2, QAudioFormat::Int16);
    QTest::newRow("48 kHz stereo") << makeFormat(48000, 2, QAudioFormat::Int16);
    QTest::newRow("22.05 kHz mono") << makeFormat(22050, 1, QAudioFormat::Int16);
    QTest::newRow("96 kHz 6 channels float") << makeFormat(96000, 6, QAudioFormat::Float);
}

// Bytes for a duration are whole sample frames that never last longer than
// the duration, and fall short of it by less than one sample frame.
void TestAudioFormat::lengthAndDurationAgree()
{
    QFETCH(QAudioFormat, format);
    qint64 const frameBytes = format.bytesPerFrame();
    qint64 const frameNs = 1000000000 / format.sampleRate() + 1;
    for (qint64 us = -100000; us <= 100000; us += 977) {
        qint64 const bytes = AudioFormat::audioLengthUs(format, us);
        QCOMPARE(bytes % frameBytes, qint64(0));
        qint64 const ns = AudioFormat::audioDurationNs(format, qAbs(bytes));
        QVERIFY2(ns <= qAbs(us) * 1000 && qAbs(us) * 1000 - ns < frameNs,
                 qPrintable(QStringLiteral("%1 us -> %2 bytes -> %3 ns")
                                .arg(us)
                                .arg(bytes)
                                .arg(ns)));
    }
}

QUILLMERE_TEST_MAIN(TestAudioFormat)
#include "tst_audioformat.moc"
