#include "media/FfmpegAudioDecoder.h"

#include "media/AudioFormat.h"
#include "media/AudioInput.h"
#include "media/FilterGraph.h"

#include <QDebug>
#include <QIODevice>

#include <cstdio>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavformat/avformat.h>
#include <libavformat/avio.h>
#include <libavutil/channel_layout.h>
#include <libavutil/mem.h>
#include <libavutil/opt.h>
#include <libavutil/samplefmt.h>
}

namespace {

bool sameFormat(QAudioFormat const& a, QAudioFormat const& b)
{
    return a.sampleRate() == b.sampleRate() && a.channelCount() == b.channelCount()
        && a.sampleFormat() == b.sampleFormat();
}

} // namespace

struct FfmpegAudioDecoder::Data
{
    bool framePending = false;
    bool decoding = false;
    QIODevice* device = nullptr;
    QAudioFormat format;
    QByteArray output;
    std::unique_ptr<AudioInput> input;
    AVFilterGraph* filterGraph = nullptr;
    AVFilterContext* bufferSource = nullptr;
    AVFilterContext* bufferSink = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    qint64 durationMs = -1;
    qint64 positionMs = -1;
    // Set once the end of the input has been reached and everything buffered
    // in the decoder and the filter graph has been taken out.
    bool flushed = false;
    bool sourceClosed = false;
};

FfmpegAudioDecoder::FfmpegAudioDecoder(QIODevice* device, QObject* parent)
    : QObject(parent)
    , d(std::make_unique<Data>())
{
    d->device = device;
    d->input = std::make_unique<AudioInput>(device);
    d->packet = av_packet_alloc();
    d->frame = av_frame_alloc();
    connect(this, &FfmpegAudioDecoder::processNextFrame, this,
            &FfmpegAudioDecoder::handleNextFrame, Qt::QueuedConnection);
}

FfmpegAudioDecoder::~FfmpegAudioDecoder()
{
    av_packet_free(&d->packet);
    av_frame_free(&d->frame);
    avfilter_graph_free(&d->filterGraph);
    d->input.reset();
    d->output.clear();
}

QAudioFormat FfmpegAudioDecoder::audioFormat() const
{
    return d->format;
}

void FfmpegAudioDecoder::setAudioFormat(QAudioFormat const& format)
{
    if (sameFormat(format, d->format))
        return;
    d->format = format;
    emit formatChanged(d->format);
}

QByteArray& FfmpegAudioDecoder::outputBuffer()
{
    return d->output;
}

qint64 FfmpegAudioDecoder::durationMs() const
{
    return d->durationMs;
}

qint64 FfmpegAudioDecoder::positionMs() const
{
    return d->positionMs;
}

void FfmpegAudioDecoder::setDurationMs(qint64 durationMs)
{
    if (durationMs == d->durationMs)
        return;
    d->durationMs = durationMs;
    emit durationMsChanged(durationMs);
}

void FfmpegAudioDecoder::setPositionMs(qint64 positionMs)
{
    if (positionMs == d->positionMs)
        return;
    d->positionMs = positionMs;
    emit positionMsChanged(positionMs);
}

void FfmpegAudioDecoder::start()
{
    if (d->decoding || d->framePending)
        return;

    auto fail = [this] {
        d->decoding = false;
        if (!d->framePending)
            finalize();
    };

    int ret = openInput();
    if (ret < 0) {
        qDebug() << ret << "Could not open input";
        fail();
        return;
    }

    // The duration comes from the file: only a plausible one is announced.
    constexpr double longestMs = 1e12;
    AVStream const* const stream = d->input->stream();
    double durationMs = -1.0;
    if (stream->duration != AV_NOPTS_VALUE && stream->duration >= 0 && stream->time_base.den > 0) {
        AVRational const perMs = av_div_q(stream->time_base, AVRational{1, 1000});
        durationMs = double(stream->duration) * av_q2d(perMs);
    } else if (AVFormatContext const* const format = d->input->formatContext();
               format->duration != AV_NOPTS_VALUE && format->duration >= 0) {
        durationMs = double(format->duration / (AV_TIME_BASE / 1000));
    }
    if (durationMs >= 0.0 && durationMs < longestMs)
        setDurationMs(qint64(durationMs));

    ret = initFilterGraph();
    if (ret < 0) {
        qDebug() << ret << "Could not create filter graph";
        fail();
        return;
    }

    QAudioFormat format;
    format.setSampleRate(av_buffersink_get_sample_rate(d->bufferSink));
    if (av_buffersink_get_format(d->bufferSink) == AV_SAMPLE_FMT_S16)
        format.setSampleFormat(QAudioFormat::Int16);
    AVChannelLayout sinkLayout{};
    AVChannelLayout stereo{};
    av_channel_layout_default(&stereo, 2);
    if (av_buffersink_get_ch_layout(d->bufferSink, &sinkLayout) >= 0
        && av_channel_layout_compare(&sinkLayout, &stereo) == 0)
        format.setChannelConfig(QAudioFormat::ChannelConfigStereo);
    av_channel_layout_uninit(&sinkLayout);
    av_channel_layout_uninit(&stereo);
    setAudioFormat(format);

    d->decoding = true;
    d->flushed = false;
    d->sourceClosed = false;
    d->framePending = true;
    emit processNextFrame();
}

void FfmpegAudioDecoder::handleNextFrame()
{
    if (d->decoding) {
        int const ret = decodeNextFrame();
        setPositionMs(AudioFormat::audioDurationUs(d->format, d->output.size()) / 1000);
        if (ret >= 0) {
            d->framePending = true;
            emit processNextFrame();
            return;
        }
    }
    finalize();
}

void FfmpegAudioDecoder::stop()
{
    d->decoding = false;
    if (!d->framePending)
        finalize();
}

void FfmpegAudioDecoder::finalize()
{
    closeInput();
    d->framePending = false;
    emit finished();
}

int FfmpegAudioDecoder::openInput()
{
    if (!d->input->isValid() || !d->packet || !d->frame)
        return AVERROR(ENOMEM);
    closeInput();
    return d->input->open();
}

int FfmpegAudioDecoder::initFilterGraph()
{
    AVCodecContext* const codec = d->input->decoderContext();
    AVStream const* const stream = d->input->stream();

    avfilter_graph_free(&d->filterGraph);
    d->bufferSource = nullptr;
    d->bufferSink = nullptr;
    d->filterGraph = avfilter_graph_alloc();
    if (!d->filterGraph)
        return AVERROR(ENOMEM);

    char const* const sampleFormatName = av_get_sample_fmt_name(codec->sample_fmt);
    if (!sampleFormatName || codec->sample_rate <= 0 || codec->ch_layout.nb_channels <= 0) {
        av_log(nullptr, AV_LOG_ERROR, "Cannot create audio buffer source\n");
        return AVERROR(EINVAL);
    }
    char layout[128] = {};
    int ret = av_channel_layout_describe(&codec->ch_layout, layout, sizeof layout);
    if (ret < 0) {
        av_log(nullptr, AV_LOG_ERROR, "Cannot create audio buffer source\n");
        return ret;
    }
    char arguments[512] = {};
    std::snprintf(arguments, sizeof arguments,
                  "time_base=%d/%d:sample_rate=%d:sample_fmt=%s:channel_layout=%s",
                  stream->time_base.num, stream->time_base.den, codec->sample_rate,
                  sampleFormatName, layout);

    ret = avfilter_graph_create_filter(&d->bufferSource, avfilter_get_by_name("abuffer"), "in",
                                       arguments, nullptr, d->filterGraph);
    if (ret < 0) {
        av_log(nullptr, AV_LOG_ERROR, "Cannot create audio buffer source\n");
        return ret;
    }
    ret = avfilter_graph_create_filter(&d->bufferSink, avfilter_get_by_name("abuffersink"), "out",
                                       nullptr, nullptr, d->filterGraph);
    if (ret < 0) {
        av_log(nullptr, AV_LOG_ERROR, "Cannot create audio buffer sink\n");
        return ret;
    }

    return FilterGraph::link(d->filterGraph, d->bufferSource, d->bufferSink,
                             "aformat=sample_fmts=s16:channel_layouts=stereo");
}

int FfmpegAudioDecoder::decodeNextFrame()
{
    int ret = av_read_frame(d->input->formatContext(), d->packet);
    if (ret < 0) {
        // The end of the input (or a read error, after which nothing more
        // can be read): take out what the decoder and the filters still hold.
        d->decoding = false;
        int const flushResult = flushDecoder();
        return ret == AVERROR_EOF ? flushResult : ret;
    }
    if (d->packet->stream_index != d->input->streamIndex()) {
        av_packet_unref(d->packet);
        return 0;
    }
    ret = avcodec_send_packet(d->input->decoderContext(), d->packet);
    av_packet_unref(d->packet);
    if (ret < 0) {
        av_log(nullptr, AV_LOG_ERROR, "Error while sending a packet to the decoder\n");
        // Decoding ends here; keep what was decoded before the bad packet.
        flushDecoder();
        return ret;
    }
    ret = receiveFrames();
    if (ret < 0)
        flushDecoder();
    return ret;
}

// Drains the decoder, then closes the filter graph's input and takes out what
// the filters still hold, so that nothing at the end of the sound is lost.
int FfmpegAudioDecoder::flushDecoder()
{
    if (d->flushed)
        return 0;
    d->flushed = true;
    int ret = avcodec_send_packet(d->input->decoderContext(), nullptr);
    if (ret < 0 && ret != AVERROR_EOF)
        av_log(nullptr, AV_LOG_ERROR, "Error while closing the decoder\n");
    else
        ret = receiveFrames();
    if (!d->sourceClosed) {
        // The decoder failed before its end of stream: close the graph here.
        d->sourceClosed = true;
        if (av_buffersrc_add_frame_flags(d->bufferSource, nullptr, 0) >= 0)
            drainSink();
    }
    return ret;
}

// Takes every frame the decoder has ready (a packet may hold several) through
// the filter graph; at the decoder's end of stream also closes the graph's
// input and drains it.
int FfmpegAudioDecoder::receiveFrames()
{
    for (;;) {
        int ret = avcodec_receive_frame(d->input->decoderContext(), d->frame);
        if (ret == AVERROR(EAGAIN))
            return 0;
        if (ret == AVERROR_EOF) {
            if (d->sourceClosed)
                return 0;
            d->sourceClosed = true;
            ret = av_buffersrc_add_frame_flags(d->bufferSource, nullptr, 0);
            if (ret < 0) {
                av_log(nullptr, AV_LOG_ERROR, "Error while closing the filtergraph\n");
                return ret;
            }
            return drainSink();
        }
        if (ret < 0) {
            av_log(nullptr, AV_LOG_ERROR, "Error while receiving a frame from the decoder\n");
            return ret;
        }
        AVFrame* const frame = d->frame;
        if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
            int const channels = frame->ch_layout.nb_channels;
            av_channel_layout_uninit(&frame->ch_layout);
            av_channel_layout_default(&frame->ch_layout, channels);
        }
        ret = av_buffersrc_add_frame(d->bufferSource, frame);
        if (ret < 0) {
            // This frame is lost (its parameters changed mid-stream, for
            // example); the ones after it may still fit.
            av_log(nullptr, AV_LOG_ERROR, "Error while feeding the audio filtergraph\n");
            av_frame_unref(frame);
            continue;
        }
        ret = drainSink();
        if (ret < 0)
            return ret;
    }
}

int FfmpegAudioDecoder::drainSink()
{
    for (;;) {
        int const ret = av_buffersink_get_frame(d->bufferSink, d->frame);
        if (ret == AVERROR_EOF || ret == AVERROR(EAGAIN))
            return 0;
        if (ret < 0)
            return ret;
        AVFrame* const frame = d->frame;
        int const bytesPerSample = av_get_bytes_per_sample(AVSampleFormat(frame->format));
        qint64 const bytes =
            qint64(bytesPerSample) * frame->nb_samples * frame->ch_layout.nb_channels;
        // The sink delivers packed samples: all of them lie in the first plane.
        if (bytes > 0 && frame->data[0] && bytes <= frame->linesize[0])
            d->output.append(reinterpret_cast<char const*>(frame->data[0]), qsizetype(bytes));
        av_frame_unref(frame);
    }
}

void FfmpegAudioDecoder::closeInput()
{
    avfilter_graph_free(&d->filterGraph);
    d->bufferSource = nullptr;
    d->bufferSink = nullptr;
    d->input->close();
}
