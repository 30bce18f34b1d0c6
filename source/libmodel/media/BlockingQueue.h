#pragma once

#include <QMutex>
#include <QMutexLocker>
#include <QWaitCondition>

#include <cstdint>
#include <deque>

extern "C" {
#include <libavcodec/packet.h>
#include <libavutil/frame.h>
}

// A bounded queue of FFmpeg frames or packets between two workers of the movie
// pipeline, one producer thread and one consumer thread. A null entry marks
// the end of the stream. Entries belong to the queue until taken: push takes
// the producer's pointer and clears it, pop hands ownership to the consumer.
// Waits have no time limit; every producer ends with exactly one end marker
// and every consumer takes entries until it has seen that marker, so no wait
// outlives the pipeline.
template<typename T>
class BlockingQueue
{
public:
    explicit BlockingQueue(int capacity = 10)
        : m_capacity(capacity > 0 ? capacity : 1)
    {
    }

    ~BlockingQueue()
    {
        for (T* item : m_items)
            release(item);
    }

    BlockingQueue(BlockingQueue const&) = delete;
    BlockingQueue& operator=(BlockingQueue const&) = delete;

    // item is the address of the producer's pointer, or null for the end marker.
    void push(T** item)
    {
        QMutexLocker locker(&m_mutex);
        while (int(m_items.size()) >= m_capacity)
            m_notFull.wait(&m_mutex);
        if (item) {
            m_items.push_back(*item);
            *item = nullptr;
        } else {
            m_items.push_back(nullptr);
        }
        m_notEmpty.wakeAll();
    }

    void pushEnd() { push(nullptr); }

    T* pop()
    {
        QMutexLocker locker(&m_mutex);
        while (m_items.empty())
            m_notEmpty.wait(&m_mutex);
        T* const item = m_items.front();
        m_items.pop_front();
        m_notFull.wakeAll();
        return item;
    }

    // Takes and frees entries up to and including the end marker, so that the
    // producer never stays blocked on a consumer that has stopped early.
    void drainToEnd()
    {
        while (T* item = pop())
            release(item);
    }

    int capacity() const { return m_capacity; }

    static T* allocate();
    static void release(T* item);

private:
    QMutex m_mutex;
    QWaitCondition m_notEmpty;
    QWaitCondition m_notFull;
    std::deque<T*> m_items;
    int const m_capacity;
};

template<>
inline AVFrame* BlockingQueue<AVFrame>::allocate()
{
    return av_frame_alloc();
}

template<>
inline AVPacket* BlockingQueue<AVPacket>::allocate()
{
    return av_packet_alloc();
}

template<>
inline void BlockingQueue<AVFrame>::release(AVFrame* item)
{
    av_frame_free(&item);
}

template<>
inline void BlockingQueue<AVPacket>::release(AVPacket* item)
{
    av_packet_free(&item);
}

using FrameQueue = BlockingQueue<AVFrame>;
using PacketQueue = BlockingQueue<AVPacket>;
