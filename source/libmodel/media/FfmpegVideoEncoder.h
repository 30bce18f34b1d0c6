#pragma once

#include "settings/ExportVideoSettings.h"

#include <QImage>
#include <QObject>
#include <QSize>

#include <functional>
#include <memory>

class QIODevice;

// Turns a stream of frame images, and optionally a sound file in the form it
// was imported in, into a movie: H.264 with AAC (MP4) or ProRes with ALAC
// (MOV), fragmented, tagged BT.709. Inside it is a pipeline of eight workers
// on threads of their own joined by bounded queues (frame generator, video
// filter and encoder; sound packet reader, decoder, filter and encoder; the
// muxer).
//
// Use: construct on the GUI thread, setNextImageFunctor, setAudioInput (only
// with sound), post start(), wait for finished(). finished() comes exactly
// once, after every worker has returned and the file is closed; succeeded()
// then tells whether the movie is whole. On any failure (or a cancel) the
// partial file is removed and error() precedes finished().
class FfmpegVideoEncoder : public QObject
{
    Q_OBJECT

public:
    enum Error {
        NoError,
        // The file, a stream, a codec or a filter graph could not be set up.
        SetupFailed,
        // Encoding or writing failed part way, or the movie got no frame.
        EncodingFailed,
        Cancelled,
    };
    Q_ENUM(Error)

    FfmpegVideoEncoder(Model::ExportVideoSettings const& settings, QSize size, double fps,
                       QObject* parent = nullptr);
    ~FfmpegVideoEncoder() override;

    // Called on the frame generator's thread, never on the caller's; a null
    // image ends the movie. Set before start().
    void setNextImageFunctor(std::function<QImage()> const& provider);
    // The device (open for reading) must stay alive until finished(). The
    // offset, in movie frames, may be fractional and negative (a sound that
    // starts before the first frame); frameCount bounds the sound.
    void setAudioInput(QIODevice* device, double offsetFrames, int frameCount);

    // The movie's frame rate as a fraction num/den (den 1, 2, 4 or 100).
    static void frameRateFraction(double fps, int* num, int* den);

    QString outputFileName() const;
    bool succeeded() const;
    Error lastError() const;
    // The system's reason ("No space left on device") when the file could
    // not be opened or written; empty for other failures.
    QString fileErrorString() const;

public slots:
    void start();
    // Ends the encoding: a pipeline still running is cancelled.
    void stop();
    // Stops asking for frames; the movie is abandoned and its file removed.
    void cancel();

signals:
    // The number of video packets written before the current one: 0 first.
    void progress(int frameNo);
    void error(FfmpegVideoEncoder::Error err);
    void finished();

public:
    class FfmpegVideoEncoderPrivate;

private slots:
    void workerReturned();

private:
    std::unique_ptr<FfmpegVideoEncoderPrivate> d;
};

Q_DECLARE_METATYPE(FfmpegVideoEncoder::Error)
