#pragma once

// Sound files that the audio tests make for themselves: RIFF/WAVE files
// written here byte by byte, and compressed files made from them with the
// ffmpeg command-line tool.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QtEndian>

#include <cmath>
#include <cstring>
#include <functional>

namespace SoundFixtures {

constexpr double pi = 3.14159265358979323846;

// WAVE format tags.
constexpr quint16 pcmTag = 1;
constexpr quint16 floatTag = 3;

inline void appendLE16(QByteArray& out, quint16 value)
{
    char bytes[2];
    qToLittleEndian(value, bytes);
    out.append(bytes, 2);
}

inline void appendLE32(QByteArray& out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

// A WAVE file header with the given fields; dataSize is what the header
// claims, whatever follows it.
inline QByteArray wavHeader(quint16 tag, int channels, int sampleRate, int bitsPerSample,
                            quint32 dataSize)
{
    // Unsigned: hostile headers may hold values whose products wrap.
    quint32 const blockAlign = quint32(channels) * quint32(bitsPerSample) / 8;
    QByteArray out;
    out.append("RIFF");
    appendLE32(out, 36 + dataSize);
    out.append("WAVE");
    out.append("fmt ");
    appendLE32(out, 16);
    appendLE16(out, tag);
    appendLE16(out, quint16(channels));
    appendLE32(out, quint32(sampleRate));
    appendLE32(out, quint32(sampleRate) * blockAlign);
    appendLE16(out, quint16(blockAlign));
    appendLE16(out, quint16(bitsPerSample));
    out.append("data");
    appendLE32(out, dataSize);
    return out;
}

// A 16-bit PCM WAVE file of the given sample frames; sample(frame, channel)
// gives each value.
inline QByteArray wav16(int sampleRate, int channels, int frames,
                        std::function<qint16(int, int)> const& sample)
{
    QByteArray data;
    data.reserve(frames * channels * 2);
    for (int f = 0; f < frames; ++f)
        for (int c = 0; c < channels; ++c)
            appendLE16(data, quint16(sample(f, c)));
    return wavHeader(pcmTag, channels, sampleRate, 16, quint32(data.size())) + data;
}

// A 16-bit mono PCM WAVE file of a 440 Hz tone.
inline QByteArray toneWav(double seconds, int sampleRate = 8000)
{
    int const frames = int(std::lround(seconds * sampleRate));
    return wav16(sampleRate, 1, frames, [sampleRate](int frame, int) {
        return qint16(std::lround(8000.0 * std::sin(2.0 * pi * 440.0 * frame / sampleRate)));
    });
}

// The sample data of a file made by wav16, as interleaved native 16-bit
// samples (the WAVE header is 44 bytes).
inline QByteArray wavSamples(QByteArray const& wav)
{
    QByteArray samples = wav.mid(44);
    for (int i = 0; i + 1 < samples.size(); i += 2) {
        qint16 const value = qFromLittleEndian<qint16>(samples.constData() + i);
        std::memcpy(samples.data() + i, &value, 2);
    }
    return samples;
}

inline qint16 sine(int frame, int sampleRate, double frequency, double amplitude)
{
    return qint16(std::lround(amplitude * 32767.0
                              * std::sin(2.0 * pi * frequency * frame / sampleRate)));
}

// Runs the ffmpeg tool with the arguments; its input and output files live in
// the caller's folder. Returns an error text, empty on success.
inline QString runFfmpeg(QStringList const& arguments)
{
    QString const program = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    if (program.isEmpty())
        return QStringLiteral("the ffmpeg tool is not installed");
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, QStringList{"-hide_banner", "-nostdin", "-loglevel", "error", "-y"}
                               + arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0)
        return QStringLiteral("ffmpeg failed: ") + QString::fromLocal8Bit(process.readAll());
    return {};
}

// Encodes a WAVE file to another format with ffmpeg; codecArguments name the
// codec and its options, suffix the container. Returns the file's bytes, or
// empty with error filled in.
inline QByteArray encode(QByteArray const& wav, QDir const& folder, QString const& name,
                         QStringList const& codecArguments, QString* error)
{
    QString const input = folder.filePath(name + QStringLiteral(".wav"));
    QString const output = folder.filePath(name);
    QFile in(input);
    if (!in.open(QIODevice::WriteOnly) || in.write(wav) != wav.size()) {
        *error = QStringLiteral("cannot write ") + input;
        return {};
    }
    in.close();
    *error = runFfmpeg(QStringList{"-i", input} + codecArguments + QStringList{output});
    if (!error->isEmpty())
        return {};
    QFile out(output);
    if (!out.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read ") + output;
        return {};
    }
    return out.readAll();
}

} // namespace SoundFixtures
