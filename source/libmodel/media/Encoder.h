#pragma once

#include "media/BlockingQueue.h"
#include "media/PipelineWorker.h"

struct AVCodecContext;

// Encodes frames (video or audio) into packets in the codec's time base. On
// an FFmpeg error the pipeline is failed, the end marker still goes out and
// the input is drained, so neither neighbour waits for ever.
class Encoder : public PipelineWorker
{
    Q_OBJECT

public:
    explicit Encoder(QObject* parent = nullptr);

    void setCodecContext(AVCodecContext* codecContext);
    void setInput(FrameQueue* input);
    void setOutput(PacketQueue* output);

protected:
    void work() override;

private:
    AVCodecContext* m_codecContext = nullptr;
    FrameQueue* m_input = nullptr;
    PacketQueue* m_output = nullptr;
};
