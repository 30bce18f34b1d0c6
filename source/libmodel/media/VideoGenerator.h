#pragma once

#include "media/BlockingQueue.h"
#include "media/PipelineWorker.h"

#include <QImage>
#include <QSize>

#include <functional>

extern "C" {
#include <libavutil/rational.h>
}

// First stage of the video branch: asks the frame provider for one image
// after another, on this worker's thread, and turns each into a BGRA frame
// with straight alpha, numbered 0, 1, 2 … in the movie's time base. A null
// image ends the movie. The next image is asked for before the current frame
// is queued, so rendering overlaps with the stages behind.
class VideoGenerator : public PipelineWorker
{
    Q_OBJECT

public:
    explicit VideoGenerator(QObject* parent = nullptr);

    void setProvider(std::function<QImage()> const& provider);
    void setTimeBase(AVRational timeBase);
    // Every image must have this size; another size fails the movie.
    void setFrameSize(QSize size);
    void setOutput(FrameQueue* output);

protected:
    void work() override;

private:
    QImage nextImage();

    std::function<QImage()> m_provider;
    AVRational m_timeBase{1, 25};
    qint64 m_nextPts = 0;
    QSize m_frameSize;
    FrameQueue* m_output = nullptr;
};
