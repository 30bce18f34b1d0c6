#include "media/Encoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

Encoder::Encoder(QObject* parent)
    : PipelineWorker(parent)
{
}

void Encoder::setCodecContext(AVCodecContext* codecContext)
{
    m_codecContext = codecContext;
}

void Encoder::setInput(FrameQueue* input)
{
    m_input = input;
}

void Encoder::setOutput(PacketQueue* output)
{
    m_output = output;
}

void Encoder::work()
{
    if (!m_input || !m_output)
        return;
    pump(
        m_input, m_output,
        [this](AVFrame* frame) {
            if (frame) {
                if (frame->pts != AV_NOPTS_VALUE)
                    frame->pts =
                        av_rescale_q(frame->pts, frame->time_base, m_codecContext->time_base);
                frame->time_base = m_codecContext->time_base;
            }
            // A null frame starts draining the encoder.
            return avcodec_send_frame(m_codecContext, frame);
        },
        [this](AVPacket* packet) {
            int const ret = avcodec_receive_packet(m_codecContext, packet);
            if (ret >= 0)
                packet->time_base = m_codecContext->time_base;
            return ret;
        },
        "Error sending a frame to the encoder", "Error while encoding");
}
