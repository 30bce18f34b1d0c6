#pragma once

#include "media/BlockingQueue.h"
#include "media/PipelineWorker.h"

#include <atomic>

struct AVFilterContext;

// Feeds frames through a configured filter graph (video or audio) and passes
// the graph's output on, each frame stamped with the sink's time base. A graph
// may end before its input does (the sound cut at the movie's length): the
// rest of the input is then taken and dropped, so the stage before never
// blocks.
class Filter : public PipelineWorker
{
    Q_OBJECT

public:
    explicit Filter(QObject* parent = nullptr);

    void setGraph(AVFilterContext* bufferSourceContext, AVFilterContext* bufferSinkContext);
    void setInput(FrameQueue* input);
    void setOutput(FrameQueue* output);
    // Raised once the graph takes no more input.
    void setInputDoneFlag(std::atomic<bool>* flag);

protected:
    void work() override;
    void inputNoLongerNeeded() override;

private:
    AVFilterContext* m_bufferSourceContext = nullptr;
    AVFilterContext* m_bufferSinkContext = nullptr;
    FrameQueue* m_input = nullptr;
    FrameQueue* m_output = nullptr;
    std::atomic<bool>* m_inputDone = nullptr;
};
