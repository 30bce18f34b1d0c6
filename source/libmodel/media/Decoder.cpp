#include "media/Decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
}

Decoder::Decoder(QObject* parent)
    : PipelineWorker(parent)
{
}

void Decoder::setCodecContext(AVCodecContext* codecContext)
{
    m_codecContext = codecContext;
}

void Decoder::setInput(PacketQueue* input)
{
    m_input = input;
}

void Decoder::setOutput(FrameQueue* output)
{
    m_output = output;
}

void Decoder::work()
{
    if (!m_input || !m_output)
        return;
    pump(
        m_input, m_output,
        // A null packet starts draining the decoder.
        [this](AVPacket* packet) { return avcodec_send_packet(m_codecContext, packet); },
        [this](AVFrame* frame) {
            int const ret = avcodec_receive_frame(m_codecContext, frame);
            if (ret < 0)
                return ret;
            frame->time_base = m_codecContext->pkt_timebase;
            // The filter graph's source was told an ordered layout.
            if (frame->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
                int const channels = frame->ch_layout.nb_channels;
                av_channel_layout_uninit(&frame->ch_layout);
                av_channel_layout_default(&frame->ch_layout, channels);
            }
            return ret;
        },
        "Error sending a packet to the decoder", "Error while decoding");
}
