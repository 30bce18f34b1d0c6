#include "export/ImageWriteQueue.h"

#include "files/FileWriter.h"

#include <QThread>

#include <algorithm>
#include <cerrno>
#include <new>

namespace Model {

namespace {

// Memory for images waiting in the queue, and for the encoders' own working
// copies while they run.
constexpr qint64 WaitingBudget = qint64(256) << 20;
constexpr qint64 EncodingBudget = qint64(512) << 20;

qint64 pixelsOf(QSize const& size)
{
    return std::max<qint64>(1, qint64(std::max(size.width(), 1)) * std::max(size.height(), 1));
}

// Bytes an encoder holds per pixel besides its image: the PNG encoder
// little more than its output; the OpenEXR encoder a straight copy, four
// float planes and its output.
qint64 encodingBytesPerPixel(ExportImage::Format format)
{
    return format == ExportImage::OpenEXR ? 4 + 16 + 8 : 4;
}

// How many images may wait or be under way at once, and on how many
// threads, for images of the size: as many as the cores allow, within a
// memory budget that large frames would otherwise exceed.
int threadsFor(ExportImage::Format format, QSize const& imageSize)
{
    qint64 const perImage = pixelsOf(imageSize) * (4 + encodingBytesPerPixel(format));
    return int(std::clamp<qint64>(EncodingBudget / perImage, 1,
                                  std::max(1, QThread::idealThreadCount())));
}

int capacityFor(ExportImage::Format format, QSize const& imageSize)
{
    // Twice the workers keeps each of them busy while the caller composites.
    qint64 const waiting = std::max<qint64>(2, WaitingBudget / (pixelsOf(imageSize) * 4));
    return int(std::clamp<qint64>(2 * qint64(threadsFor(format, imageSize)), 1, waiting));
}

} // namespace

ImageWriteQueue::ImageWriteQueue(ExportImage::Format format, QSize const& imageSize,
                                 Committed committed)
    : m_format(format)
    , m_committed(std::move(committed))
    , m_encode(&ExportImage::encode)
    , m_capacity(capacityFor(format, imageSize))
{
    m_pool.setMaxThreadCount(threadsFor(format, imageSize));
}

ImageWriteQueue::~ImageWriteQueue()
{
    stop();
}

bool ImageWriteQueue::add(QImage const& image, QString const& path, int step)
{
    if (m_stopped)
        return false;
    while (int(m_jobs.size()) >= m_capacity)
        if (!commitOldest())
            return false;

    Job job;
    job.path = path;
    job.step = step;
    job.file = std::make_unique<FileWriter>(path);
    auto task = std::make_shared<std::packaged_task<bool()>>(
        [file = job.file.get(), image, format = m_format, encode = m_encode] {
            // An encoder that runs out of memory fails its file as one that
            // met a full disk does: the file is dropped, the reason told.
            try {
                return file->open() && encode(image, format, *file) && file->flush();
            } catch (std::bad_alloc const&) {
                return file->fail(FileWriter::systemReason(ENOMEM));
            }
        });
    job.written = task->get_future();
    m_jobs.push_back(std::move(job));
    m_pool.start([task] { (*task)(); });
    return true;
}

bool ImageWriteQueue::finish()
{
    while (!m_jobs.empty())
        if (!commitOldest())
            return false;
    return !m_stopped;
}

bool ImageWriteQueue::commitOldest()
{
    Job& job = m_jobs.front();
    bool encoded = false;
    try {
        encoded = job.written.get();
    } catch (std::bad_alloc const&) {
        // Out of memory again while the task told of the first time.
        job.file->fail(FileWriter::systemReason(ENOMEM));
    }
    bool const written = encoded && job.file->commit();
    if (!written) {
        job.file->discard();
        m_failedPath = job.path;
        m_error = job.file->errorString();
        stop();
        return false;
    }
    int const step = job.step;
    m_jobs.pop_front();
    if (m_committed && !m_committed(step)) {
        stop();
        return false;
    }
    return true;
}

void ImageWriteQueue::stop()
{
    m_stopped = true;
    // Work not yet started is dropped; work under way finishes first, since
    // it writes into files this queue owns.
    m_pool.clear();
    m_pool.waitForDone();
    m_jobs.clear();
}

} // namespace Model
