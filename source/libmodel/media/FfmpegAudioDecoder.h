#pragma once

#include <QAudioFormat>
#include <QByteArray>
#include <QObject>

#include <memory>

class QIODevice;

// Decodes a sound file read from a QIODevice (any container and codec FFmpeg
// reads) into one block of interleaved signed 16-bit stereo PCM at the file's
// own sample rate. Works on its owner's thread one packet per pass of the
// event loop, so a caller can keep a progress dialog alive in a local loop.
// Meant for one use: construct over an open device, setAudioFormat, connect
// finished, post start, run until finished, then take outputBuffer().
class FfmpegAudioDecoder : public QObject
{
    Q_OBJECT

public:
    // The device is not owned and must outlive the decoder.
    explicit FfmpegAudioDecoder(QIODevice* device, QObject* parent = nullptr);
    ~FfmpegAudioDecoder() override;

    QAudioFormat audioFormat() const;
    // Emits formatChanged unless rate, channel count and sample format match.
    void setAudioFormat(QAudioFormat const& format);
    // Grows by appending only; the caller may move its contents out.
    QByteArray& outputBuffer();
    // -1 until known.
    qint64 durationMs() const;
    // Length of the sound decoded so far, -1 before the first step.
    qint64 positionMs() const;

public slots:
    void start();
    void handleNextFrame();
    void stop();
    void finalize();
    void setDurationMs(qint64 durationMs);
    void setPositionMs(qint64 positionMs);

signals:
    void formatChanged(QAudioFormat format);
    void finished();
    void processNextFrame();
    void durationMsChanged(qint64 durationMs);
    void positionMsChanged(qint64 positionMs);

private:
    int openInput();
    int initFilterGraph();
    int decodeNextFrame();
    int flushDecoder();
    int receiveFrames();
    int drainSink();
    void closeInput();

    struct Data;
    std::unique_ptr<Data> d;
};
