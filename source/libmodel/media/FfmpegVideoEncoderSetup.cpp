// The movie encoder's set-up: container, streams, codecs and filter graphs.
#include "media/FfmpegVideoEncoder.h"

#include "media/FfmpegVideoEncoderPrivate.h"
#include "media/FilterGraph.h"

#include <QDebug>
#include <QString>

#include <cstdio>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/pixdesc.h>
#include <libavutil/samplefmt.h>
}

namespace {

using Private = FfmpegVideoEncoder::FfmpegVideoEncoderPrivate;

QString errorText(int code)
{
    char text[64] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromLocal8Bit(text);
}

void logUnused(char const* what, AVDictionary* remaining)
{
    if (av_dict_count(remaining) == 0)
        return;
    qDebug() << what;
    AVDictionaryEntry* entry = nullptr;
    while ((entry = av_dict_get(remaining, "", entry, AV_DICT_IGNORE_SUFFIX)))
        qDebug() << entry->key << entry->value;
}

// Opens a codec with a copy of the options; what the codec leaves is logged.
int openCodec(AVCodecContext* context, AVCodec const* codec, AVDictionary* options,
              char const* unusedWhat)
{
    AVDictionary* copy = nullptr;
    av_dict_copy(&copy, options, 0);
    int const ret = avcodec_open2(context, codec, &copy);
    logUnused(unusedWhat, copy);
    av_dict_free(&copy);
    return ret;
}

// Makes the buffer source ("in") and sink ("out") of a fresh graph.
int createEnds(Private::OutputStream& output, char const* source, char const* sink,
               char const* arguments, char const* what)
{
    avfilter_graph_free(&output.filterGraph);
    output.filterGraph = avfilter_graph_alloc();
    if (!output.filterGraph)
        return AVERROR(ENOMEM);
    int ret = avfilter_graph_create_filter(&output.bufferSourceContext,
                                           avfilter_get_by_name(source), "in", arguments, nullptr,
                                           output.filterGraph);
    if (ret < 0) {
        av_log(nullptr, AV_LOG_ERROR, "Cannot create %s buffer source\n", what);
        return ret;
    }
    ret = avfilter_graph_create_filter(&output.bufferSinkContext, avfilter_get_by_name(sink),
                                       "out", nullptr, nullptr, output.filterGraph);
    if (ret < 0)
        av_log(nullptr, AV_LOG_ERROR, "Cannot create %s buffer sink\n", what);
    return ret;
}

QByteArray layoutName(AVChannelLayout const& layout)
{
    char text[512] = {};
    if (av_channel_layout_describe(&layout, text, sizeof text) < 0)
        return {};
    return QByteArray(text);
}

} // namespace

int Private::openOutput()
{
    // The container follows the chosen format, not the file's name, which
    // the user may have typed without an extension.
    char const* const container =
        settings.videoFormat == Model::ExportVideoSettings::ProRes ? "mov" : "mp4";
    int ret = avformat_alloc_output_context2(&outputFormatContext, nullptr, container,
                                             outputFileName.constData());
    if (ret < 0 || !outputFormatContext) {
        qDebug() << "Could not allocate output context";
        return ret < 0 ? ret : AVERROR(ENOMEM);
    }

    // The platform's hardware encoders come first where FFmpeg has them;
    // elsewhere the software encoders stand in, at a constant quality.
    switch (settings.videoFormat) {
    case Model::ExportVideoSettings::ProRes:
        if (settings.includeAlpha) {
            videoCodec = avcodec_find_encoder_by_name("prores_ks");
            av_dict_set(&options, "profile", "4444", 0);
        } else if ((videoCodec = avcodec_find_encoder_by_name("prores_videotoolbox"))) {
            av_dict_set(&options, "allow_sw", "true", 0);
            av_dict_set(&options, "profile", "hq", 0);
        } else {
            videoCodec = avcodec_find_encoder_by_name("prores_ks");
            av_dict_set(&options, "profile", "hq", 0);
        }
        break;
    default:
        if ((videoCodec = avcodec_find_encoder_by_name("h264_videotoolbox"))) {
            av_dict_set(&options, "profile", "high", 0);
            av_dict_set(&options, "coder", "cabac", 0);
            av_dict_set(&options, "allow_sw", "true", 0);
            av_dict_set(&options, "prio_speed", "false", 0);
        } else {
            videoCodec = avcodec_find_encoder_by_name("libx264");
            av_dict_set(&options, "profile", "high", 0);
            av_dict_set(&options, "coder", "cabac", 0);
            av_dict_set(&options, "crf", "18", 0);
        }
        break;
    }
    // As many encoding threads as the processor has (libavcodec's default is one).
    av_dict_set(&options, "threads", "auto", 0);
    ret = addStream(videoOutput, videoCodec);
    if (ret < 0)
        return ret;
    av_dict_set(&options, "movflags", "cmaf", 0);
    av_dict_set(&options, "movflags", "+faststart", AV_DICT_APPEND);
    // A fragmented file would otherwise move each track's first sample to
    // time 0, dropping the encoders' start-up delays from the timeline: the
    // sound would start late by the AAC encoder's priming samples and the
    // pictures by the reordering delay. An edit list keeps both on time.
    av_dict_set(&options, "use_editlist", "1", 0);

    // Sound is asked for and there is a sound: both must work.
    bool const withSound = settings.includeAudio && audioInput;
    if (withSound) {
        audioCodec = avcodec_find_encoder(
            settings.videoFormat == Model::ExportVideoSettings::ProRes ? AV_CODEC_ID_ALAC
                                                                       : AV_CODEC_ID_AAC);
        ret = addStream(audioOutput, audioCodec);
        if (ret < 0)
            return ret;
        av_dict_set(&options, "movflags", "+delay_moov", AV_DICT_APPEND);
    }

    ret = openVideo();
    if (ret < 0)
        return ret;
    if (withSound) {
        ret = openAudioInput();
        if (ret < 0)
            return ret;
    }

    for (auto it = settings.metadata.cbegin(); it != settings.metadata.cend(); ++it)
        av_dict_set(&outputFormatContext->metadata, it.key().toUtf8().constData(),
                    it.value().toUtf8().constData(), 0);
    av_dump_format(outputFormatContext, 0, outputFileName.constData(), 1);
    return 0;
}

int Private::addStream(OutputStream& output, AVCodec const* codec)
{
    if (!codec) {
        qDebug() << "Missing codec";
        return AVERROR_ENCODER_NOT_FOUND;
    }
    output.stream = avformat_new_stream(outputFormatContext, nullptr);
    if (!output.stream) {
        qDebug() << "Could not allocate stream";
        return AVERROR(ENOMEM);
    }
    output.stream->id = int(outputFormatContext->nb_streams) - 1;
    output.codecContext = avcodec_alloc_context3(codec);
    if (!output.codecContext) {
        qDebug() << "Could not alloc an encoding context";
        return AVERROR(ENOMEM);
    }
    AVCodecContext* const context = output.codecContext;

    if (codec->type == AVMEDIA_TYPE_VIDEO) {
        if (codec->id == AV_CODEC_ID_H264)
            context->pix_fmt = AV_PIX_FMT_YUV420P;
        else if (settings.includeAlpha)
            context->pix_fmt = AV_PIX_FMT_YUVA444P10LE;
        else if (QByteArray(codec->name).contains("videotoolbox"))
            context->pix_fmt = AV_PIX_FMT_NV24;
        else
            context->pix_fmt = AV_PIX_FMT_YUV422P10LE;

        // Subsampled chroma needs whole chroma samples: the picture is padded
        // (never scaled or cropped) to the next size that has them.
        AVPixFmtDescriptor const* const format = av_pix_fmt_desc_get(context->pix_fmt);
        int const alignX = 1 << format->log2_chroma_w;
        int const alignY = 1 << format->log2_chroma_h;
        codedSize = QSize((frameSize.width() + alignX - 1) / alignX * alignX,
                          (frameSize.height() + alignY - 1) / alignY * alignY);

        context->width = codedSize.width();
        context->height = codedSize.height();
        context->field_order = AV_FIELD_PROGRESSIVE;
        context->sample_aspect_ratio = AVRational{1, 1};
        output.stream->avg_frame_rate = AVRational{frameRateNum, frameRateDen};
        output.stream->time_base = AVRational{frameRateDen, frameRateNum};
        context->time_base = output.stream->time_base;
        context->framerate = output.stream->avg_frame_rate;

        unsigned const version = avcodec_version();
        QString const encoder = QStringLiteral("Lavc%1.%2.%3 %4")
                                    .arg(version >> 16)
                                    .arg((version >> 8) & 0xFF)
                                    .arg(version & 0xFF)
                                    .arg(QString::fromLatin1(codec->name));
        av_dict_set(&output.stream->metadata, "encoder", encoder.toUtf8().constData(), 0);

        // The frames are converted with the BT.709 matrix into limited range;
        // the stream says so, so that players convert back the same way.
        context->color_primaries = AVCOL_PRI_BT709;
        context->color_trc = AVCOL_TRC_BT709;
        context->colorspace = AVCOL_SPC_BT709;
        context->color_range = AVCOL_RANGE_MPEG;
        if (QByteArray(codec->name).contains("videotoolbox") && codec->id == AV_CODEC_ID_H264) {
            context->global_quality = 80 * FF_QP2LAMBDA;
            context->flags |= AV_CODEC_FLAG_QSCALE;
        }
    }

    if (outputFormatContext->oformat->flags & AVFMT_GLOBALHEADER)
        context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    return 0;
}

int Private::openVideo()
{
    int ret = openCodec(videoOutput.codecContext, videoCodec, options,
                        "Unused options in video stream");
    if (ret < 0) {
        qDebug() << QStringLiteral("Could not open video codec: %1").arg(errorText(ret));
        return ret;
    }
    ret = initVideoFilterGraph();
    if (ret < 0)
        return ret;
    ret = avcodec_parameters_from_context(videoOutput.stream->codecpar, videoOutput.codecContext);
    if (ret < 0) {
        qDebug() << "Could not copy the stream parameters";
        return ret;
    }
    generator.setProvider(nextImage);
    generator.setTimeBase(AVRational{frameRateDen, frameRateNum});
    generator.setFrameSize(frameSize);
    generator.setOutput(&videoFrames);
    videoFilter.setGraph(videoOutput.bufferSourceContext, videoOutput.bufferSinkContext);
    videoFilter.setInput(&videoFrames);
    videoFilter.setOutput(&filteredVideoFrames);
    videoEncoder.setCodecContext(videoOutput.codecContext);
    videoEncoder.setInput(&filteredVideoFrames);
    videoEncoder.setOutput(&videoPackets);
    muxer.setOutput(outputFormatContext);
    muxer.setVideo(&videoPackets, videoOutput.stream);
    return 0;
}

int Private::openAudioInput()
{
    int ret = audioInput->open();
    if (ret < 0)
        return ret;
    av_dump_format(audioInput->formatContext(), audioInput->streamIndex(), "input audio", 0);
    AVCodecContext* const decoderContext = audioInput->decoderContext();
    AVCodecContext* const context = audioOutput.codecContext;

    // Channel layout: the decoder's when the encoder lists it, else the
    // last listed one with no more channels than the decoder's.
    if (audioCodec->ch_layouts) {
        AVChannelLayout const* choice = &audioCodec->ch_layouts[0];
        for (AVChannelLayout const* layout = audioCodec->ch_layouts; layout->nb_channels;
             ++layout) {
            if (av_channel_layout_compare(layout, &decoderContext->ch_layout) == 0) {
                choice = layout;
                break;
            }
            if (layout->nb_channels <= decoderContext->ch_layout.nb_channels)
                choice = layout;
        }
        ret = av_channel_layout_copy(&context->ch_layout, choice);
    } else if (av_channel_layout_check(&decoderContext->ch_layout)) {
        av_channel_layout_default(&context->ch_layout, decoderContext->ch_layout.nb_channels);
    } else {
        AVChannelLayout const stereo = AV_CHANNEL_LAYOUT_STEREO;
        ret = av_channel_layout_copy(&context->ch_layout, &stereo);
    }
    if (ret < 0)
        return ret;

    context->sample_fmt = decoderContext->sample_fmt;
    if (audioCodec->sample_fmts) {
        bool listed = false;
        for (AVSampleFormat const* format = audioCodec->sample_fmts; *format != AV_SAMPLE_FMT_NONE;
             ++format)
            listed = listed || *format == decoderContext->sample_fmt;
        if (!listed)
            context->sample_fmt = audioCodec->sample_fmts[0];
    }
    context->sample_rate = decoderContext->sample_rate;
    if (audioCodec->supported_samplerates) {
        bool listed = false;
        for (int const* rate = audioCodec->supported_samplerates; *rate; ++rate)
            listed = listed || *rate == decoderContext->sample_rate;
        if (!listed)
            context->sample_rate = audioCodec->supported_samplerates[0];
    }
    // Sound is counted in samples: the container then needs no rounding of
    // packet times, whatever time base the sound file used.
    context->time_base = AVRational{1, context->sample_rate};

    ret = openCodec(context, audioCodec, audioOptions, "Unused options in audio stream");
    if (ret < 0) {
        qDebug() << QStringLiteral("Could not open audio codec: %1").arg(errorText(ret));
        return ret;
    }
    qDebug() << "audio enc timebase:" << context->time_base.num << context->time_base.den;
    ret = initAudioFilterGraph();
    if (ret < 0)
        return ret;
    ret = avcodec_parameters_from_context(audioOutput.stream->codecpar, context);
    if (ret < 0) {
        qDebug() << "Could not copy the stream parameters";
        return ret;
    }

    packetReader.setInput(audioInput->formatContext(), audioInput->streamIndex());
    packetReader.setOutput(&audioInputPackets);
    packetReader.setStopFlag(&control.audioInputDone);
    decoder.setCodecContext(decoderContext);
    decoder.setInput(&audioInputPackets);
    decoder.setOutput(&decodedAudioFrames);
    audioFilter.setGraph(audioOutput.bufferSourceContext, audioOutput.bufferSinkContext);
    audioFilter.setInput(&decodedAudioFrames);
    audioFilter.setOutput(&filteredAudioFrames);
    audioFilter.setInputDoneFlag(&control.audioInputDone);
    audioEncoder.setCodecContext(context);
    audioEncoder.setInput(&filteredAudioFrames);
    audioEncoder.setOutput(&audioPackets);
    muxer.setAudio(&audioPackets, audioOutput.stream);
    return 0;
}

int Private::initVideoFilterGraph()
{
    char arguments[512] = {};
    std::snprintf(arguments, sizeof arguments,
                  "width=%d:height=%d:pix_fmt=%d:time_base=%d/%d:pixel_aspect=1/1",
                  frameSize.width(), frameSize.height(), int(AV_PIX_FMT_BGRA), frameRateDen,
                  frameRateNum);
    qDebug() << "args" << arguments;
    int ret = createEnds(videoOutput, "buffer", "buffersink", arguments, "video");
    if (ret < 0)
        return ret;

    QByteArray description;
    if (codedSize != frameSize) {
        // The added column or row repeats the picture's edge: a black one
        // would bleed into the last real pixels through the shared chroma
        // samples and show as a dark line.
        description += QStringLiteral("pad=%1:%2:0:0,fillborders=right=%3:bottom=%4:mode=smear,")
                           .arg(codedSize.width())
                           .arg(codedSize.height())
                           .arg(codedSize.width() - frameSize.width())
                           .arg(codedSize.height() - frameSize.height())
                           .toLatin1();
    }
    // Some encoders take the colour tags from the frames, not the context.
    description += "scale=out_color_matrix=bt709:out_range=tv,format=pix_fmts="
        + QByteArray::number(int(videoOutput.codecContext->pix_fmt))
        + ",setparams=color_primaries=bt709:color_trc=bt709:colorspace=bt709";
    ret = FilterGraph::link(videoOutput.filterGraph, videoOutput.bufferSourceContext,
                            videoOutput.bufferSinkContext, description.constData());
    if (ret < 0)
        qDebug() << "Could not build the video filter graph" << description << errorText(ret);
    return ret;
}

int Private::initAudioFilterGraph()
{
    AVCodecContext* const decoderContext = audioInput->decoderContext();
    AVCodecContext* const context = audioOutput.codecContext;
    char const* const inputFormat = av_get_sample_fmt_name(decoderContext->sample_fmt);
    char const* const outputFormat = av_get_sample_fmt_name(context->sample_fmt);
    QByteArray const inputLayout = layoutName(decoderContext->ch_layout);
    QByteArray const outputLayout = layoutName(context->ch_layout);
    if (!inputFormat || !outputFormat || inputLayout.isEmpty() || outputLayout.isEmpty()
        || decoderContext->pkt_timebase.num <= 0 || decoderContext->pkt_timebase.den <= 0)
        return AVERROR(EINVAL);

    char arguments[512] = {};
    std::snprintf(arguments, sizeof arguments,
                  "time_base=%d/%d:sample_rate=%d:sample_fmt=%s:channel_layout=%s",
                  decoderContext->pkt_timebase.num, decoderContext->pkt_timebase.den,
                  decoderContext->sample_rate, inputFormat, inputLayout.constData());
    qDebug() << "args" << arguments;
    int ret = createEnds(audioOutput, "abuffer", "abuffersink", arguments, "audio");
    if (ret < 0)
        return ret;

    double const frameSeconds = double(frameRateDen) / frameRateNum;
    // An encoder that takes a short last frame ends the sound with the
    // pictures; padding that frame with silence would outlast them.
    bool const lastFrameMayBeShort = audioCodec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME;
    QString const description =
        QStringLiteral("asetpts=PTS-STARTPTS+(%1/TB),aresample=first_pts=0:async=1:"
                       "out_sample_fmt=%2:out_sample_rate=%3:out_chlayout=%4,"
                       "atrim=duration=%5s,asetnsamples=n=%6:p=%7")
            .arg(audioOffsetFrames * frameSeconds, 0, 'g', 6)
            .arg(QString::fromLatin1(outputFormat))
            .arg(context->sample_rate)
            .arg(QString::fromLatin1(outputLayout))
            .arg(audioFrameCount * frameSeconds, 0, 'g', 6)
            .arg(context->frame_size)
            .arg(lastFrameMayBeShort ? 0 : 1);
    qDebug() << "filter desc" << description;
    ret = FilterGraph::link(audioOutput.filterGraph, audioOutput.bufferSourceContext,
                            audioOutput.bufferSinkContext, description.toLocal8Bit().constData());
    if (ret < 0)
        qDebug() << "Could not build the audio filter graph" << errorText(ret);
    return ret;
}

int Private::openFile()
{
    if (!(outputFormatContext->oformat->flags & AVFMT_NOFILE)) {
        int const ret = avio_open(&outputFormatContext->pb, outputFileName.constData(),
                                  AVIO_FLAG_WRITE);
        if (ret < 0) {
            fileError = errorText(ret);
            qDebug() << QStringLiteral("Could not open '%1': %2")
                            .arg(QString::fromUtf8(outputFileName), fileError);
            return ret;
        }
        fileOpened = true;
    }
    int const ret = avformat_write_header(outputFormatContext, &options);
    if (ret < 0) {
        qDebug() << QStringLiteral("Error occurred when opening output file '%1': %2")
                        .arg(QString::fromUtf8(outputFileName), errorText(ret));
        return ret;
    }
    headerWritten = true;
    logUnused("Unused options in header", options);
    return 0;
}
