#include "media/FilterGraph.h"

#include <cstdint>

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavutil/mem.h>
}

int FilterGraph::link(AVFilterGraph* graph, AVFilterContext* source, AVFilterContext* sink,
                      char const* description)
{
    if (!graph || !source || !sink || !description)
        return AVERROR(EINVAL);
    // The chain's open ends: its input is fed by the source ("in"), its
    // output feeds the sink ("out").
    AVFilterInOut* outputs = avfilter_inout_alloc();
    AVFilterInOut* inputs = avfilter_inout_alloc();
    if (!outputs || !inputs) {
        avfilter_inout_free(&outputs);
        avfilter_inout_free(&inputs);
        return AVERROR(ENOMEM);
    }
    outputs->name = av_strdup("in");
    outputs->filter_ctx = source;
    outputs->pad_idx = 0;
    outputs->next = nullptr;
    inputs->name = av_strdup("out");
    inputs->filter_ctx = sink;
    inputs->pad_idx = 0;
    inputs->next = nullptr;

    int const ret = avfilter_graph_parse_ptr(graph, description, &inputs, &outputs, nullptr);
    avfilter_inout_free(&inputs);
    avfilter_inout_free(&outputs);
    if (ret < 0)
        return ret;
    return avfilter_graph_config(graph, nullptr);
}
