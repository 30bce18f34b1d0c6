#include "media/FfmpegVideoEncoder.h"

#include "media/FfmpegVideoEncoderPrivate.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QtMath>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

namespace {

bool isWhole(double value)
{
    return qFuzzyCompare(value, double(qRound(value)));
}

} // namespace

using Private = FfmpegVideoEncoder::FfmpegVideoEncoderPrivate;

Private::FfmpegVideoEncoderPrivate(FfmpegVideoEncoder* owner)
    : q(owner)
{
    for (PipelineWorker* worker : std::initializer_list<PipelineWorker*>{
             &generator, &videoFilter, &videoEncoder, &packetReader, &decoder, &audioFilter,
             &audioEncoder, &muxer})
        worker->setControl(&control);
}

Private::~FfmpegVideoEncoderPrivate()
{
    // An encoder destroyed while its pipeline runs winds the pipeline down
    // first: every worker returns once it has seen its end markers.
    control.abort = true;
    joinThreads();
    release();
}

void Private::joinThreads()
{
    for (QThread& thread : threads)
        thread.quit();
    for (QThread& thread : threads)
        thread.wait();
}

void Private::release()
{
    for (OutputStream* output : {&videoOutput, &audioOutput}) {
        avcodec_free_context(&output->codecContext);
        avfilter_graph_free(&output->filterGraph);
        output->bufferSinkContext = nullptr;
        output->bufferSourceContext = nullptr;
        output->stream = nullptr;
    }
    if (outputFormatContext) {
        if (fileOpened)
            avio_closep(&outputFormatContext->pb);
        avformat_free_context(outputFormatContext);
        outputFormatContext = nullptr;
    }
    fileOpened = false;
    headerWritten = false;
    av_dict_free(&options);
    av_dict_free(&audioOptions);
    audioInput.reset();
}

void Private::wireAndLaunch()
{
    auto launch = [this](PipelineWorker* worker, QThread& thread) {
        worker->moveToThread(&thread);
        QObject::connect(worker, &PipelineWorker::finished, q,
                         &FfmpegVideoEncoder::workerReturned, Qt::QueuedConnection);
        thread.start();
        ++runningWorkers;
    };
    // Every branch was set up whole before anything starts: no worker ever
    // runs unwired, and a failed set-up starts none.
    launch(&generator, threads[0]);
    launch(&videoFilter, threads[1]);
    launch(&videoEncoder, threads[2]);
    bool const withSound = audioOutput.codecContext && audioInput;
    if (withSound) {
        launch(&packetReader, threads[3]);
        launch(&decoder, threads[4]);
        launch(&audioFilter, threads[5]);
        launch(&audioEncoder, threads[6]);
    }
    launch(&muxer, threads[7]);

    phase = Phase::Running;
    QList<PipelineWorker*> workers{&generator, &videoFilter, &videoEncoder};
    if (withSound)
        workers << &packetReader << &decoder << &audioFilter << &audioEncoder;
    workers << &muxer;
    for (PipelineWorker* worker : workers)
        QMetaObject::invokeMethod(worker, &PipelineWorker::run, Qt::QueuedConnection);
}

void Private::finish(FfmpegVideoEncoder::Error setupError)
{
    joinThreads();
    bool ok = setupError == FfmpegVideoEncoder::NoError && !control.failed && !cancelled;
    if (ok && headerWritten) {
        int const ret = av_write_trailer(outputFormatContext);
        if (ret < 0) {
            char text[64] = {};
            av_strerror(ret, text, sizeof text);
            qDebug() << "Could not finish" << outputFileName << text;
            ok = false;
        }
    }
    // Only a file this encoder opened is ever removed.
    bool const created = fileOpened;
    if (fileOpened) {
        // The first write that failed tells why; closing flushes what was
        // still buffered and may fail on its own.
        int const writeError = outputFormatContext->pb ? outputFormatContext->pb->error : 0;
        int const closeError = avio_closep(&outputFormatContext->pb);
        if (int const failure = writeError < 0 ? writeError : closeError; failure < 0) {
            char text[64] = {};
            av_strerror(failure, text, sizeof text);
            fileError = QString::fromLocal8Bit(text);
            ok = false;
        }
        fileOpened = false;
    }
    if (ok && muxer.videoPacketsWritten() == 0) {
        qDebug() << "The movie got no frame";
        ok = false;
    }
    if (!ok && created)
        QFile::remove(QString::fromUtf8(outputFileName));
    release();

    if (ok)
        lastError = FfmpegVideoEncoder::NoError;
    else if (setupError != FfmpegVideoEncoder::NoError)
        lastError = setupError;
    else if (cancelled && !control.failed)
        lastError = FfmpegVideoEncoder::Cancelled;
    else
        lastError = FfmpegVideoEncoder::EncodingFailed;
    phase = Phase::Finished;
    qDebug() << "video encoding finished";
    if (!ok)
        emit q->error(lastError);
    emit q->finished();
}

FfmpegVideoEncoder::FfmpegVideoEncoder(Model::ExportVideoSettings const& settings, QSize size,
                                       double fps, QObject* parent)
    : QObject(parent)
    , d(std::make_unique<FfmpegVideoEncoderPrivate>(this))
{
    qRegisterMetaType<FfmpegVideoEncoder::Error>();
    d->settings = settings;
    d->frameSize = size;
    d->codedSize = size;
    frameRateFraction(fps, &d->frameRateNum, &d->frameRateDen);
    d->outputFileName = QDir(settings.exportDir).filePath(settings.name).toUtf8();
    connect(&d->muxer, &Muxer::progress, this, &FfmpegVideoEncoder::progress);
}

FfmpegVideoEncoder::~FfmpegVideoEncoder() = default;

void FfmpegVideoEncoder::frameRateFraction(double fps, int* num, int* den)
{
    if (isWhole(fps)) {
        *num = qRound(fps);
        *den = 1;
    } else if (isWhole(2.0 * fps)) {
        *num = qRound(2.0 * fps);
        *den = 2;
    } else if (isWhole(4.0 * fps)) {
        *num = qRound(4.0 * fps);
        *den = 4;
    } else {
        *num = qRound(100.0 * fps);
        *den = 100;
    }
    // A rate that rounds to nothing would give a time base of x/0.
    if (*num <= 0) {
        *num = 1;
        *den = 100;
    }
}

void FfmpegVideoEncoder::setNextImageFunctor(std::function<QImage()> const& provider)
{
    d->nextImage = provider;
}

void FfmpegVideoEncoder::setAudioInput(QIODevice* device, double offsetFrames, int frameCount)
{
    d->audioInputDevice = device;
    d->audioOffsetFrames = offsetFrames;
    d->audioFrameCount = frameCount;
    d->audioInput = std::make_unique<AudioInput>(device);
}

QString FfmpegVideoEncoder::outputFileName() const
{
    return QString::fromUtf8(d->outputFileName);
}

bool FfmpegVideoEncoder::succeeded() const
{
    return d->phase == FfmpegVideoEncoderPrivate::Phase::Finished && d->lastError == NoError;
}

FfmpegVideoEncoder::Error FfmpegVideoEncoder::lastError() const
{
    return d->lastError;
}

QString FfmpegVideoEncoder::fileErrorString() const
{
    return d->fileError;
}

void FfmpegVideoEncoder::start()
{
    if (d->phase != FfmpegVideoEncoderPrivate::Phase::New)
        return;
    int ret = d->openOutput();
    if (ret >= 0)
        ret = d->openFile();
    if (ret < 0) {
        d->finish(SetupFailed);
        return;
    }
    d->wireAndLaunch();
}

void FfmpegVideoEncoder::stop()
{
    if (d->phase == FfmpegVideoEncoderPrivate::Phase::Running)
        cancel();
}

void FfmpegVideoEncoder::cancel()
{
    if (d->phase == FfmpegVideoEncoderPrivate::Phase::Finished)
        return;
    d->cancelled = true;
    d->control.abort = true;
    if (d->phase == FfmpegVideoEncoderPrivate::Phase::New)
        d->finish(Cancelled);
}

void FfmpegVideoEncoder::workerReturned()
{
    if (d->phase != FfmpegVideoEncoderPrivate::Phase::Running || --d->runningWorkers > 0)
        return;
    d->finish(NoError);
}
