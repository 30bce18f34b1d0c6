#include "media/Muxer.h"

#include <QDebug>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

Muxer::Muxer(QObject* parent)
    : PipelineWorker(parent)
{
}

void Muxer::setOutput(AVFormatContext* output)
{
    m_output = output;
}

void Muxer::setVideo(PacketQueue* packets, AVStream* stream)
{
    m_videoPackets = packets;
    m_videoStream = stream;
}

void Muxer::setAudio(PacketQueue* packets, AVStream* stream)
{
    m_audioPackets = packets;
    m_audioStream = stream;
}

int Muxer::videoPacketsWritten() const
{
    return m_videoPacketsWritten.load();
}

// Takes the next packet of one side into the stream's time base; the end
// marker clears the side's present flag.
AVPacket* Muxer::take(PacketQueue* queue, AVStream* stream, bool* present)
{
    AVPacket* packet = queue->pop();
    if (!packet) {
        *present = false;
        return nullptr;
    }
    av_packet_rescale_ts(packet, packet->time_base, stream->time_base);
    packet->time_base = stream->time_base;
    packet->stream_index = stream->index;
    return packet;
}

void Muxer::work()
{
    bool videoPresent = m_videoStream && m_videoPackets;
    bool audioPresent = m_audioStream && m_audioPackets;
    AVPacket* video = nullptr;
    AVPacket* audio = nullptr;
    int count = 0;
    bool writing = m_output != nullptr;

    while (videoPresent || audioPresent) {
        if (videoPresent && !video) {
            video = take(m_videoPackets, m_videoStream, &videoPresent);
            if (video && writing && !aborted())
                emit progress(count++);
        }
        if (audioPresent && !audio)
            audio = take(m_audioPackets, m_audioStream, &audioPresent);

        AVPacket** chosen = nullptr;
        if (video && audio)
            chosen = av_compare_ts(video->dts, m_videoStream->time_base, audio->dts,
                                   m_audioStream->time_base)
                    < 0
                ? &video
                : &audio;
        else if (video)
            chosen = &video;
        else if (audio)
            chosen = &audio;
        else
            continue;

        writing = writing && !aborted();
        if (!writing) {
            // Only draining now: the upstream encoders must reach their ends.
            av_packet_free(chosen);
            continue;
        }
        bool const isVideo = chosen == &video;
        int const ret = av_interleaved_write_frame(m_output, *chosen);
        av_packet_free(chosen);
        if (ret < 0) {
            av_log(nullptr, AV_LOG_ERROR, "Error while writing output packet\n");
            qDebug() << (ret == AVERROR_EOF ? "AVERROR_EOF" : "ret < 0");
            fail();
            writing = false;
        } else if (isVideo) {
            ++m_videoPacketsWritten;
        }
    }
    av_packet_free(&video);
    av_packet_free(&audio);
}
