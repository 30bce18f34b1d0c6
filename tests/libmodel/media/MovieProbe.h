#pragma once

// Reads a movie file back through libavformat and libavcodec: what the tests
// of the movie encoder and the movie export check of a written file.

#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QList>
#include <QString>
#include <QtEndian>

#include <cmath>
#include <cstdint>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
}

namespace MovieProbe {

struct Pixel
{
    int red = -1, green = -1, blue = -1, alpha = -1;
};

struct Movie
{
    QString error; // empty when the file could be read
    QHash<QString, QString> metadata;
    QStringList topLevelBoxes;

    AVCodecID videoCodec = AV_CODEC_ID_NONE;
    int profile = -1;
    QByteArray pixelFormat;
    AVColorPrimaries primaries = AVCOL_PRI_UNSPECIFIED;
    AVColorTransferCharacteristic transfer = AVCOL_TRC_UNSPECIFIED;
    AVColorSpace colorSpace = AVCOL_SPC_UNSPECIFIED;
    AVColorRange colorRange = AVCOL_RANGE_UNSPECIFIED;
    int width = 0;
    int height = 0;
    AVRational frameRate{0, 1};
    int videoFrames = 0;
    QString encoderTag;
    // First decoded picture's centre pixel converted back to 8-bit RGB with
    // the BT.709 limited-range matrix, and its alpha (-1 without alpha).
    int red = -1, green = -1, blue = -1, alpha = -1;
    // Its bottom right pixel, where a picture padded to whole chroma samples
    // has its added column and row.
    Pixel corner;

    // When the first decoded picture is shown, in seconds.
    double videoStart = 0.0;
    // Every decoded picture in order, as 8-bit ARGB (see picture()), when
    // read was asked for them.
    QList<QImage> pictures;

    AVCodecID audioCodec = AV_CODEC_ID_NONE;
    int audioRate = 0;
    // Decoded sound as mono magnitudes, one value per sample, as a player
    // gets it (encoder delays the file declares already dropped); audioStart
    // is the time of the first of them, in seconds.
    QList<float> audio;
    double audioStart = 0.0;

    double audioSeconds() const { return audioRate > 0 ? double(audio.size()) / audioRate : 0.0; }

    // When the sound first reaches a level, in seconds of the movie's
    // timeline: the start of the first millisecond whose root mean square
    // reaches it. -1 when it never does.
    double onset(double level) const
    {
        qsizetype const window = qMax(1, audioRate / 1000);
        for (qsizetype i = 0; i + window <= audio.size(); ++i) {
            double sum = 0.0;
            for (qsizetype j = i; j < i + window; ++j)
                sum += double(audio[j]) * audio[j];
            if (std::sqrt(sum / double(window)) >= level)
                return audioStart + double(i) / audioRate;
        }
        return -1.0;
    }

    // Root mean square of the sound between two times, in full scale.
    double rms(double fromSeconds, double toSeconds) const
    {
        qsizetype const from = qsizetype(fromSeconds * audioRate);
        qsizetype const to = qMin<qsizetype>(audio.size(), qsizetype(toSeconds * audioRate));
        if (to <= from)
            return 0.0;
        double sum = 0.0;
        for (qsizetype i = from; i < to; ++i)
            sum += double(audio[i]) * audio[i];
        return std::sqrt(sum / double(to - from));
    }
};

inline QStringList topLevelBoxes(QString const& path)
{
    QStringList boxes;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return boxes;
    QByteArray const bytes = file.readAll();
    qint64 at = 0;
    while (at + 8 <= bytes.size()) {
        quint64 size = qFromBigEndian<quint32>(bytes.constData() + at);
        boxes << QString::fromLatin1(bytes.mid(at + 4, 4));
        if (size == 1 && at + 16 <= bytes.size())
            size = qFromBigEndian<quint64>(bytes.constData() + at + 8);
        if (size < 8)
            break;
        at += qint64(size);
    }
    return boxes;
}

inline int clamp8(double value)
{
    return int(std::lround(qBound(0.0, value, 255.0)));
}

// One pixel of a planar YUV picture converted back to 8-bit RGB with the
// BT.709 limited-range matrix; all -1 for other pictures (a GIF decodes to a
// palette or packed RGB).
inline Pixel readPixel(AVFrame const* frame, int x, int y)
{
    Pixel pixel;
    AVPixFmtDescriptor const* const desc = av_pix_fmt_desc_get(AVPixelFormat(frame->format));
    if (!desc || !(desc->flags & AV_PIX_FMT_FLAG_PLANAR) || (desc->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL)))
        return pixel;
    bool const wide = desc->comp[0].depth > 8;
    auto sample = [&](int plane, int px, int py) -> double {
        uint8_t const* row = frame->data[plane] + qsizetype(py) * frame->linesize[plane];
        return wide ? double(reinterpret_cast<uint16_t const*>(row)[px]) : double(row[px]);
    };
    int const cx = x >> desc->log2_chroma_w;
    int const cy = y >> desc->log2_chroma_h;
    int const depth = desc->comp[0].depth;
    double const scale = double(1 << (depth - 8));
    double const luma = (sample(0, x, y) / scale - 16.0) / 219.0;
    double const pb = (sample(1, cx, cy) / scale - 128.0) / 224.0;
    double const pr = (sample(2, cx, cy) / scale - 128.0) / 224.0;
    pixel.red = clamp8(255.0 * (luma + 1.5748 * pr));
    pixel.green = clamp8(255.0 * (luma - 0.1873 * pb - 0.4681 * pr));
    pixel.blue = clamp8(255.0 * (luma + 1.8556 * pb));
    if (desc->flags & AV_PIX_FMT_FLAG_ALPHA)
        pixel.alpha = clamp8(sample(3, x, y) / double((1 << desc->comp[3].depth) - 1) * 255.0);
    return pixel;
}

// A decoded picture as 8-bit ARGB: planar YUV converted as readPixel does
// (opaque without alpha), packed and palette pictures as they are; a null
// image for other formats.
inline QImage picture(AVFrame const* frame)
{
    QImage image(frame->width, frame->height, QImage::Format_ARGB32);
    auto const format = AVPixelFormat(frame->format);
    for (int y = 0; y < frame->height; ++y) {
        uint8_t const* const row = frame->data[0] + qsizetype(y) * frame->linesize[0];
        for (int x = 0; x < frame->width; ++x) {
            QRgb colour = 0;
            if (format == AV_PIX_FMT_BGRA) {
                colour = reinterpret_cast<uint32_t const*>(row)[x];
            } else if (format == AV_PIX_FMT_PAL8) {
                colour = reinterpret_cast<uint32_t const*>(frame->data[1])[row[x]];
            } else {
                Pixel const pixel = readPixel(frame, x, y);
                if (pixel.red < 0)
                    return QImage();
                colour = qRgba(pixel.red, pixel.green, pixel.blue,
                               pixel.alpha < 0 ? 255 : pixel.alpha);
            }
            image.setPixel(x, y, colour);
        }
    }
    return image;
}

inline void readCentre(AVFrame const* frame, Movie& movie)
{
    Pixel const centre = readPixel(frame, frame->width / 2, frame->height / 2);
    movie.red = centre.red;
    movie.green = centre.green;
    movie.blue = centre.blue;
    movie.alpha = centre.alpha;
    movie.corner = readPixel(frame, frame->width - 1, frame->height - 1);
}

inline void appendAudio(AVFrame const* frame, Movie& movie)
{
    int const channels = frame->ch_layout.nb_channels;
    auto const format = AVSampleFormat(frame->format);
    bool const planar = av_sample_fmt_is_planar(format);
    for (int i = 0; i < frame->nb_samples; ++i) {
        float value = 0.0f;
        for (int c = 0; c < channels; ++c) {
            int const plane = planar ? c : 0;
            int const index = planar ? i : i * channels + c;
            switch (av_get_packed_sample_fmt(format)) {
            case AV_SAMPLE_FMT_FLT:
                value += reinterpret_cast<float const*>(frame->data[plane])[index];
                break;
            case AV_SAMPLE_FMT_S16:
                value += reinterpret_cast<int16_t const*>(frame->data[plane])[index] / 32768.0f;
                break;
            case AV_SAMPLE_FMT_S32:
                value += float(reinterpret_cast<int32_t const*>(frame->data[plane])[index]
                               / 2147483648.0);
                break;
            default:
                break;
            }
        }
        movie.audio.append(value / float(qMax(1, channels)));
    }
}

inline Movie read(QString const& path, bool keepPictures = false)
{
    Movie movie;
    movie.topLevelBoxes = topLevelBoxes(path);
    AVFormatContext* format = nullptr;
    QByteArray const name = path.toUtf8();
    if (avformat_open_input(&format, name.constData(), nullptr, nullptr) < 0) {
        movie.error = QStringLiteral("cannot open ") + path;
        return movie;
    }
    avformat_find_stream_info(format, nullptr);
    AVDictionaryEntry* entry = nullptr;
    while ((entry = av_dict_get(format->metadata, "", entry, AV_DICT_IGNORE_SUFFIX)))
        movie.metadata.insert(QString::fromUtf8(entry->key), QString::fromUtf8(entry->value));

    QList<AVCodecContext*> decoders(int(format->nb_streams), nullptr);
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        AVStream* const stream = format->streams[i];
        AVCodecParameters const* const par = stream->codecpar;
        if (par->codec_type == AVMEDIA_TYPE_VIDEO) {
            movie.videoCodec = par->codec_id;
            movie.profile = par->profile;
            movie.pixelFormat = av_get_pix_fmt_name(AVPixelFormat(par->format));
            movie.primaries = par->color_primaries;
            movie.transfer = par->color_trc;
            movie.colorSpace = par->color_space;
            movie.colorRange = par->color_range;
            movie.width = par->width;
            movie.height = par->height;
            movie.frameRate = stream->avg_frame_rate;
            if (AVDictionaryEntry* tag = av_dict_get(stream->metadata, "encoder", nullptr, 0))
                movie.encoderTag = QString::fromUtf8(tag->value);
        } else if (par->codec_type == AVMEDIA_TYPE_AUDIO) {
            movie.audioCodec = par->codec_id;
            movie.audioRate = par->sample_rate;
        } else {
            continue;
        }
        AVCodec const* const codec = avcodec_find_decoder(par->codec_id);
        AVCodecContext* context = codec ? avcodec_alloc_context3(codec) : nullptr;
        if (context)
            context->pkt_timebase = stream->time_base; // so that dropped samples move the times
        if (context && avcodec_parameters_to_context(context, par) >= 0
            && avcodec_open2(context, codec, nullptr) >= 0)
            decoders[int(i)] = context;
        else
            avcodec_free_context(&context);
    }

    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    bool pictureSeen = false;
    bool soundSeen = false;
    auto seconds = [&](AVCodecContext const* context, int64_t time) {
        for (unsigned i = 0; i < format->nb_streams; ++i)
            if (decoders.value(int(i)) == context && time != AV_NOPTS_VALUE)
                return double(time) * av_q2d(format->streams[i]->time_base);
        return 0.0;
    };
    auto receive = [&](AVCodecContext* context) {
        while (avcodec_receive_frame(context, frame) >= 0) {
            if (context->codec_type == AVMEDIA_TYPE_VIDEO && keepPictures)
                movie.pictures << picture(frame);
            if (context->codec_type == AVMEDIA_TYPE_VIDEO && !pictureSeen) {
                pictureSeen = true;
                movie.videoStart = seconds(context, frame->best_effort_timestamp);
                readCentre(frame, movie);
            } else if (context->codec_type == AVMEDIA_TYPE_AUDIO) {
                if (!soundSeen && frame->nb_samples > 0) {
                    soundSeen = true;
                    movie.audioStart = seconds(context, frame->best_effort_timestamp);
                }
                appendAudio(frame, movie);
            }
            av_frame_unref(frame);
        }
    };
    while (av_read_frame(format, packet) >= 0) {
        AVCodecContext* const context = decoders.value(packet->stream_index);
        if (context) {
            if (context->codec_type == AVMEDIA_TYPE_VIDEO)
                ++movie.videoFrames;
            if (avcodec_send_packet(context, packet) >= 0)
                receive(context);
        }
        av_packet_unref(packet);
    }
    for (AVCodecContext* context : decoders) {
        if (!context)
            continue;
        avcodec_send_packet(context, nullptr);
        receive(context);
        avcodec_free_context(&context);
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avformat_close_input(&format);
    return movie;
}

} // namespace MovieProbe
