#include "media/Filter.h"

extern "C" {
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
}

Filter::Filter(QObject* parent)
    : PipelineWorker(parent)
{
}

void Filter::setGraph(AVFilterContext* bufferSourceContext, AVFilterContext* bufferSinkContext)
{
    m_bufferSourceContext = bufferSourceContext;
    m_bufferSinkContext = bufferSinkContext;
}

void Filter::setInput(FrameQueue* input)
{
    m_input = input;
}

void Filter::setOutput(FrameQueue* output)
{
    m_output = output;
}

void Filter::setInputDoneFlag(std::atomic<bool>* flag)
{
    m_inputDone = flag;
}

void Filter::work()
{
    if (!m_input || !m_output)
        return;
    pump(
        m_input, m_output,
        // A null frame tells the graph that its input has ended.
        [this](AVFrame* frame) { return av_buffersrc_add_frame(m_bufferSourceContext, frame); },
        [this](AVFrame* out) {
            int const ret = av_buffersink_get_frame(m_bufferSinkContext, out);
            if (ret >= 0)
                out->time_base = av_buffersink_get_time_base(m_bufferSinkContext);
            return ret;
        },
        "Error while feeding the filtergraph", "Error while filtering");
}

void Filter::inputNoLongerNeeded()
{
    if (m_inputDone)
        *m_inputDone = true;
}
