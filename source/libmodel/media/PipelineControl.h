#pragma once

#include <atomic>

// What the workers of one movie pipeline share besides their queues. Any
// worker that fails sets both flags; a cancel sets only abort. Once abort is
// set, producers stop producing and every stage still passes its end marker on
// and drains its input to the end marker, so every thread returns.
struct PipelineControl
{
    std::atomic<bool> abort{false};
    std::atomic<bool> failed{false};
    // Set by the audio filter once its graph has ended (the sound is cut at the
    // movie's length): the packet reader stops reading the sound then.
    std::atomic<bool> audioInputDone{false};

    void fail()
    {
        failed = true;
        abort = true;
    }
};
