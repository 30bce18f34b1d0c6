#pragma once

#include "media/BlockingQueue.h"

#include <QObject>

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
}

struct PipelineControl;

// One stage of the movie pipeline. run() is invoked once, queued onto the
// worker's own thread; it returns after the worker has pushed its end marker
// downstream and taken its input up to its end marker, then emits finished.
class PipelineWorker : public QObject
{
    Q_OBJECT

public:
    explicit PipelineWorker(QObject* parent = nullptr);

    void setControl(PipelineControl* control);

public slots:
    void run();

signals:
    void finished();

protected:
    virtual void work() = 0;
    // Called by pump as soon as the loop has ended, before draining.
    virtual void inputNoLongerNeeded() {}

    bool aborted() const;
    // Marks the whole pipeline failed: every stage winds down.
    void fail();
    PipelineControl* control() const;

    // The loop of the filters, the encoders and the decoder: each input entry
    // (null at the end) is fed on, then every output that is ready is taken
    // and queued. The loop ends after the end of the input or an error, which
    // fails the pipeline; either way the end marker goes out and the input is
    // drained to its end marker, so neither neighbour waits for ever.
    template<typename In, typename Out, typename Feed, typename Receive>
    void pump(BlockingQueue<In>* input, BlockingQueue<Out>* output, Feed feed, Receive receive,
              char const* feedError, char const* receiveError)
    {
        bool inputEnded = false;
        while (!inputEnded) {
            In* item = input->pop();
            inputEnded = !item;
            if (aborted()) {
                BlockingQueue<In>::release(item);
                break;
            }
            int ret = feed(item);
            BlockingQueue<In>::release(item);
            if (ret < 0) {
                av_log(nullptr, AV_LOG_ERROR, "%s\n", feedError);
                fail();
                break;
            }
            for (;;) {
                Out* out = BlockingQueue<Out>::allocate();
                if (!out) {
                    ret = AVERROR(ENOMEM);
                    break;
                }
                ret = receive(out);
                if (ret < 0) {
                    BlockingQueue<Out>::release(out);
                    break;
                }
                output->push(&out);
            }
            if (ret == AVERROR(EAGAIN))
                continue;
            if (ret != AVERROR_EOF) {
                av_log(nullptr, AV_LOG_ERROR, "%s\n", receiveError);
                fail();
            }
            break;
        }
        inputNoLongerNeeded();
        output->pushEnd();
        if (!inputEnded)
            input->drainToEnd();
    }

private:
    PipelineControl* m_control = nullptr;
};
