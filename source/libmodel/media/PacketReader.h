#pragma once

#include "media/BlockingQueue.h"
#include "media/PipelineWorker.h"

#include <atomic>

struct AVFormatContext;

// Reads the sound file's packets of one stream (others, such as a cover
// picture, are dropped). Stops at the end of the file, on abort, or as soon
// as the stop flag rises (nothing downstream takes sound any more), so the
// sound's device is not read after the movie has ended.
class PacketReader : public PipelineWorker
{
    Q_OBJECT

public:
    explicit PacketReader(QObject* parent = nullptr);

    void setInput(AVFormatContext* inputFormatContext, int streamIndex);
    void setOutput(PacketQueue* output);
    void setStopFlag(std::atomic<bool> const* flag);

protected:
    void work() override;

private:
    bool stopRequested() const;

    AVFormatContext* m_inputFormatContext = nullptr;
    int m_streamIndex = -1;
    PacketQueue* m_output = nullptr;
    std::atomic<bool> const* m_stop = nullptr;
};
