#pragma once

#include "export/ExportImage.h"

#include <QImage>
#include <QString>
#include <QThreadPool>

#include <deque>
#include <functional>
#include <future>
#include <memory>

namespace Model {

class FileWriter;

// Encodes and writes exported images on all cores while the caller goes on
// compositing the next ones. Each file is written and synced under a
// temporary name by a worker, and takes its own name on the caller's thread
// in the order the images were added: a failure or a cancel leaves exactly
// the files before it, as writing them one after another would, and an
// earlier file of the same name stays untouched until its replacement is
// complete.
//
// Images wait in a bounded queue, so memory does not grow with the number of
// frames: add() waits for the oldest file when the queue is full.
class ImageWriteQueue
{
public:
    // Told on the caller's thread, in order, each time a file has taken its
    // name, with the step given to add(); returns false to stop the work
    // (the user cancelled), which drops every file not yet in place.
    using Committed = std::function<bool(int step)>;

    ImageWriteQueue(ExportImage::Format format, QSize const& imageSize, Committed committed);
    ImageWriteQueue(ImageWriteQueue const&) = delete;
    ImageWriteQueue& operator=(ImageWriteQueue const&) = delete;
    // Drops the files not yet in place, after the workers have let go of them.
    ~ImageWriteQueue();

    // Queues the image for the path; false once the work has stopped, by a
    // failure or by the committed callback.
    bool add(QImage const& image, QString const& path, int step);
    // Puts every queued file in place; false as add().
    bool finish();

    // The first file that could not be written, and the system's reason.
    bool failed() const { return !m_failedPath.isEmpty(); }
    QString const& failedPath() const { return m_failedPath; }
    QString const& errorString() const { return m_error; }

    // Encodes one image into its opened file, as ExportImage::encode does.
    using Encode = std::function<bool(QImage const&, ExportImage::Format, FileWriter&)>;
    // For tests: another encoder (one that fails as a lack of memory would)
    // for the images added from now on.
    void setEncodeForTesting(Encode encode) { m_encode = std::move(encode); }

private:
    struct Job
    {
        QString path;
        int step = 0;
        std::unique_ptr<FileWriter> file;
        std::future<bool> written;
    };

    bool commitOldest();
    void stop();

    ExportImage::Format m_format;
    Committed m_committed;
    Encode m_encode;
    int m_capacity;
    QThreadPool m_pool;
    std::deque<Job> m_jobs;
    bool m_stopped = false;
    QString m_failedPath;
    QString m_error;
};

} // namespace Model
