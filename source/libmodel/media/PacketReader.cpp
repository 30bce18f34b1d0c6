#include "media/PacketReader.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

PacketReader::PacketReader(QObject* parent)
    : PipelineWorker(parent)
{
}

void PacketReader::setInput(AVFormatContext* inputFormatContext, int streamIndex)
{
    m_inputFormatContext = inputFormatContext;
    m_streamIndex = streamIndex;
}

void PacketReader::setOutput(PacketQueue* output)
{
    m_output = output;
}

void PacketReader::setStopFlag(std::atomic<bool> const* flag)
{
    m_stop = flag;
}

bool PacketReader::stopRequested() const
{
    return aborted() || (m_stop && m_stop->load());
}

void PacketReader::work()
{
    if (!m_output)
        return;
    AVPacket* packet = m_inputFormatContext ? av_packet_alloc() : nullptr;
    int ret = AVERROR_EOF;
    while (packet && !stopRequested()) {
        ret = av_read_frame(m_inputFormatContext, packet);
        if (ret < 0)
            break;
        if (packet->stream_index != m_streamIndex
            || unsigned(packet->stream_index) >= m_inputFormatContext->nb_streams) {
            av_packet_unref(packet);
            continue;
        }
        packet->time_base = m_inputFormatContext->streams[packet->stream_index]->time_base;
        m_output->push(&packet);
        packet = av_packet_alloc();
    }
    if (!packet && m_inputFormatContext) {
        ret = AVERROR(ENOMEM);
    }
    av_packet_free(&packet);
    if (ret < 0 && ret != AVERROR_EOF && !stopRequested()) {
        av_log(nullptr, AV_LOG_ERROR, "Error while reading from the input stream\n");
        fail();
    }
    m_output->pushEnd();
}
