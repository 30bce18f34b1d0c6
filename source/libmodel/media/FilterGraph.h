#pragma once

struct AVFilterContext;
struct AVFilterGraph;

// The shared last step of building an FFmpeg filter graph: the chain in a
// textual description is put between a buffer source (named "in") and a
// buffer sink (named "out") that already exist in the graph, and the graph is
// configured.
class FilterGraph
{
public:
    // Returns 0 or FFmpeg's negative error code.
    static int link(AVFilterGraph* graph, AVFilterContext* source, AVFilterContext* sink,
                    char const* description);
};
