#pragma once

#include "media/BlockingQueue.h"
#include "media/PipelineWorker.h"

struct AVCodecContext;

// Decodes the sound's packets into frames in the decoder's packet time base.
// On an FFmpeg error the pipeline is failed, the end marker still goes out
// and the input is drained.
class Decoder : public PipelineWorker
{
    Q_OBJECT

public:
    explicit Decoder(QObject* parent = nullptr);

    void setCodecContext(AVCodecContext* codecContext);
    void setInput(PacketQueue* input);
    void setOutput(FrameQueue* output);

protected:
    void work() override;

private:
    AVCodecContext* m_codecContext = nullptr;
    PacketQueue* m_input = nullptr;
    FrameQueue* m_output = nullptr;
};
