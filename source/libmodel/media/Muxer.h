#pragma once

#include "media/BlockingQueue.h"
#include "media/PipelineWorker.h"

#include <atomic>

struct AVFormatContext;
struct AVStream;

// Last stage of the movie pipeline: merges the encoded video and audio
// packets by decode time (audio first on equal times) into the container,
// whose header is written before and trailer after. Counts the video packets
// for the progress display. After a write failure, or on abort, nothing more
// is written, but both queues are still taken to their end markers so that
// the encoders before it finish.
class Muxer : public PipelineWorker
{
    Q_OBJECT

public:
    explicit Muxer(QObject* parent = nullptr);

    void setOutput(AVFormatContext* output);
    void setVideo(PacketQueue* packets, AVStream* stream);
    void setAudio(PacketQueue* packets, AVStream* stream);

    // Video packets written into the container (read after finished).
    int videoPacketsWritten() const;

signals:
    // The number of video packets taken before the current one.
    void progress(int frameNo);

protected:
    void work() override;

private:
    AVPacket* take(PacketQueue* queue, AVStream* stream, bool* present);

    AVFormatContext* m_output = nullptr;
    AVStream* m_videoStream = nullptr;
    AVStream* m_audioStream = nullptr;
    PacketQueue* m_videoPackets = nullptr;
    PacketQueue* m_audioPackets = nullptr;
    std::atomic<int> m_videoPacketsWritten{0};
};
