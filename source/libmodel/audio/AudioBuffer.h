#pragma once

#include <QAudioFormat>
#include <QByteArray>
#include <QIODevice>

#include <memory>

namespace Model {

// A 16-bit sample as a real value in [-1, 1).
double pcmToReal(qint16 sample);
// A real value as a 16-bit sample: × 32767, truncated toward zero.
qint16 realToPcm(double value);

// The pull-mode sound source behind an audio layer: a read-only device that a
// QAudioSink on the default output reads from. It keeps one short window of
// samples: what is still unplayed of the previous slice (at most one fade
// length, faded out) followed by the newest slice, faded in and out. Reads
// past the window deliver silence, so a running sink never starves.
// The sink, once opened, runs until the buffer goes: between plays it plays
// silence, and a play only replaces the window.
// Lives on the audio layer's thread; every slot is meant to be reached
// through queued connections.
class AudioBuffer : public QIODevice
{
    Q_OBJECT

public:
    explicit AudioBuffer(QAudioFormat const& format, QObject* parent = nullptr);
    ~AudioBuffer() override;

    bool isSequential() const override;
    qint64 bytesAvailable() const override;

    QAudioFormat format() const;
    double volume() const;
    bool isStopping() const;

public slots:
    // Creates the sink on the default output if there is none, and starts it
    // if it is not running.
    void openOutput();
    // Plays the next slice: what still sounds of the last one fades out
    // beneath it. Starts the sink only if it is not running.
    void start();
    // Empties the window: silence from here on.
    void stop();
    // Lets at most one fade length of the window play, faded out, then stops.
    void fadeOutAndStop();
    // Clamped to [0, 1]; the sink's volume, not applied to the samples.
    void setVolume(double volume);
    // Plays the bytes [pos, pos + len) of the PCM block after a fade-out of
    // what is left unplayed. Parts of the slice outside the block are silence;
    // a negative len only fades out and stops. The block is implicitly shared,
    // so a queued call keeps it alive whatever its sender does meanwhile.
    void replaceBuffer(QByteArray const& pcm, qint64 pos, qint64 len, qint64 fadeInOutUs);

protected:
    qint64 readData(char* data, qint64 maxLen) override;
    qint64 writeData(char const* data, qint64 len) override;

private:
    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Model
