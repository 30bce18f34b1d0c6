#include "media/VideoGenerator.h"

#include <QDebug>

#include <cstring>

extern "C" {
#include <libavutil/pixfmt.h>
#include <libavutil/version.h>
}

VideoGenerator::VideoGenerator(QObject* parent)
    : PipelineWorker(parent)
{
}

void VideoGenerator::setProvider(std::function<QImage()> const& provider)
{
    m_provider = provider;
}

void VideoGenerator::setTimeBase(AVRational timeBase)
{
    m_timeBase = timeBase;
}

void VideoGenerator::setFrameSize(QSize size)
{
    m_frameSize = size;
}

void VideoGenerator::setOutput(FrameQueue* output)
{
    m_output = output;
}

QImage VideoGenerator::nextImage()
{
    // A cancelled or failed movie asks for nothing more.
    if (!m_provider || aborted())
        return {};
    QImage image = m_provider();
    if (image.isNull())
        return image;
    return image.convertToFormat(QImage::Format_ARGB32);
}

void VideoGenerator::work()
{
    if (!m_output)
        return;
    QImage image = nextImage();
    for (;;) {
        if (image.isNull() || aborted())
            break;
        if (image.size() != m_frameSize) {
            qWarning() << "Frame of size" << image.size() << "in a movie of size" << m_frameSize;
            fail();
            break;
        }
        AVFrame* frame = av_frame_alloc();
        if (!frame) {
            qDebug() << "Could not allocate frame.";
            fail();
            break;
        }
        frame->format = AV_PIX_FMT_BGRA;
        frame->width = image.width();
        frame->height = image.height();
        if (av_frame_get_buffer(frame, 0) < 0) {
            qDebug() << "Could not allocate frame data.";
            av_frame_free(&frame);
            fail();
            break;
        }
        // The frame's rows may be padded beyond the image's: copy row by row.
        qsizetype const rowBytes = qsizetype(image.width()) * 4;
        for (int y = 0; y < image.height(); ++y)
            std::memcpy(frame->data[0] + qsizetype(y) * frame->linesize[0], image.constScanLine(y),
                        rowBytes);
        frame->color_trc = AVCOL_TRC_IEC61966_2_1;
        frame->colorspace = AVCOL_SPC_RGB;
        frame->color_range = AVCOL_RANGE_JPEG;
        frame->sample_aspect_ratio = AVRational{1, 1};
        frame->time_base = m_timeBase;
        frame->pts = m_nextPts++;
#if LIBAVUTIL_VERSION_INT >= AV_VERSION_INT(58, 2, 100)
        frame->duration = 1;
#else
        frame->pkt_duration = 1;
#endif
        image = nextImage();
        m_output->push(&frame);
    }
    m_output->pushEnd();
}
