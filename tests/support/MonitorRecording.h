#pragma once

// What reaches the default sound output, recorded from its monitor by the
// sound server's command-line recorder (parec) as 16-bit stereo at 48 kHz,
// and where a tone sounds in it. The recording is read as the event loop
// runs. The monitor passes data only while some stream plays.

#include <QAudioFormat>
#include <QAudioSink>
#include <QBuffer>
#include <QByteArray>
#include <QList>
#include <QMediaDevices>
#include <QProcess>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstring>

class MonitorRecording
{
public:
    static constexpr int Rate = 48000;
    static constexpr int BlockMs = 10;
    static constexpr qint64 BlockBytes = qint64(Rate) * 4 * BlockMs / 1000;

    MonitorRecording()
    {
        QObject::connect(&m_process, &QProcess::readyReadStandardOutput,
                         [this] { m_data += m_process.readAllStandardOutput(); });
    }
    ~MonitorRecording() { stop(); }

    // False when the recorder does not start or records nothing. The
    // recorder misses what plays while its stream is being set up: it is
    // started, and a moment of silence played, until that silence arrives.
    bool start()
    {
        m_process.start(QStringLiteral("parec"),
                        {QStringLiteral("--device=@DEFAULT_MONITOR@"), QStringLiteral("--format=s16le"),
                         QStringLiteral("--rate=%1").arg(Rate), QStringLiteral("--channels=2"),
                         QStringLiteral("--latency-msec=20")});
        if (!m_process.waitForStarted(10000))
            return false;
        QAudioFormat format;
        format.setSampleRate(Rate);
        format.setChannelConfig(QAudioFormat::ChannelConfigStereo);
        format.setSampleFormat(QAudioFormat::Int16);
        QByteArray silence(Rate * 4 * 3, '\0');
        QBuffer source(&silence);
        source.open(QIODevice::ReadOnly);
        QAudioSink sink(QMediaDevices::defaultAudioOutput(), format);
        sink.start(&source);
        bool const recording = QTest::qWaitFor([this] { return m_data.size() >= 10 * BlockBytes; }, 30000);
        sink.stop();
        return recording;
    }

    void stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        m_process.waitForFinished(5000);
        m_data += m_process.readAllStandardOutput();
    }

    // Bytes recorded so far.
    qint64 size() const { return m_data.size(); }

    // From the byte offset on, in blocks of BlockMs: true where a sound at
    // least a quarter as strong as a sine of the amplitude (a fraction of
    // full scale) plays.
    QList<bool> toneBlocks(qint64 from, double amplitude) const
    {
        from -= from % 4;
        double const threshold = amplitude * 32767.0 / std::sqrt(2.0) / 4.0;
        QList<bool> blocks;
        for (qint64 p = std::max<qint64>(0, from); p + BlockBytes <= m_data.size(); p += BlockBytes) {
            double sum = 0.0;
            for (qint64 q = p; q < p + BlockBytes; q += 2) {
                qint16 sample;
                std::memcpy(&sample, m_data.constData() + q, 2);
                sum += double(sample) * sample;
            }
            blocks.append(std::sqrt(sum / double(BlockBytes / 2)) >= threshold);
        }
        return blocks;
    }

private:
    QProcess m_process;
    QByteArray m_data;
};

// Where the tone sounds in a run of blocks.
struct ToneFigures
{
    int tone = 0;        // blocks with the tone
    int first = -1;      // the first of them
    int last = -1;       // the last of them
    int longestGap = 0;  // the longest run without it between first and last
    int silenceAfter = 0; // blocks without it after the last

    explicit ToneFigures(QList<bool> const& blocks)
    {
        int gap = 0;
        for (int i = 0; i < blocks.size(); ++i) {
            if (!blocks.at(i)) {
                ++gap;
                continue;
            }
            if (first < 0)
                first = i;
            else
                longestGap = std::max(longestGap, gap);
            last = i;
            ++tone;
            gap = 0;
        }
        silenceAfter = first < 0 ? 0 : gap;
    }
};
