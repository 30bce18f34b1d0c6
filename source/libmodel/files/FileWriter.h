#pragma once

#include "files/FileHandleDevice.h"

#include <QString>

#include <functional>

class QByteArray;
class QImage;

namespace Model {

// The one way the program writes a file the user keeps: scenes, backups,
// exported images, packages' documents, movies. The bytes go to a hidden
// temporary beside the target (FileSystem::partialPrefix), which replaces the target only when every write, the
// flush and the sync succeeded; otherwise the temporary is removed and the
// earlier file stays exactly as it was. Once renamed into place the folder
// is synced too, so that the new name survives a power cut.
//
// A symbolic link at the target is written through: the file it leads to is
// replaced, the link stays. A replaced file hands its permissions on.
//
// errorString() gives the system's reason ("No space left on device",
// "Read-only file system"), meant to follow the caller's "Cannot write file
// %1", whichever writer put the bytes into device().
class FileWriter
{
public:
    explicit FileWriter(QString const& path);
    FileWriter(FileWriter const&) = delete;
    FileWriter& operator=(FileWriter const&) = delete;
    // Removes the temporary when nothing was committed.
    ~FileWriter();

    // Creates the temporary. extraMode may add QIODevice::Text.
    bool open(QIODevice::OpenMode extraMode = {});
    // The temporary, for writers that need a device (images, XML streams).
    // Their failures are caught by commit() whatever they return.
    QIODevice* device();
    bool write(QByteArray const& bytes);
    bool write(char const* data, qint64 size);
    // Encodes the image into the temporary; format and quality as for
    // QImage::save (-1 for the format's default).
    bool writeImage(QImage const& image, char const* format, int quality = -1);
    // Flushes and syncs what was written, so that commit() has only to put
    // the file in place: the slow part can run on a worker thread and the
    // commit on the thread that orders the files.
    bool flush();
    // Marks the file as failed for a reason of the caller's (an encoder that
    // gave up): nothing more is written and commit() fails with the reason,
    // even after a flush(). Always false.
    bool fail(QString const& reason);
    // Flushes, syncs and replaces the target. False leaves the target as it
    // was and no temporary behind, but for a folder that would not sync after
    // the rename: the new file is in place then, and may not survive a power
    // cut.
    bool commit();
    // Drops the temporary; the target stays as it was. A failure the device
    // met meanwhile becomes errorString().
    void discard();

    QString const& path() const { return m_path; }
    QString errorString() const { return m_error; }

    // Whole-file forms of the above. fill writes into the opened file and
    // returns false when it failed.
    static bool writeWith(QString const& path, std::function<bool(FileWriter&)> const& fill,
                          QString* errorString);
    static bool writeFile(QString const& path, QByteArray const& bytes, QString* errorString);
    // format as for QImage::save; quality -1 for the format's default.
    static bool writeImage(QString const& path, QImage const& image, char const* format,
                           QString* errorString, int quality = -1);

    // Puts a file some other writer made (a movie encoder's) in the place of
    // target: synced, renamed over it with the permissions of the file it
    // replaces, and the folder synced. target is where the links at the
    // user's name lead (FileSystem::resolveLinks), in the same folder as
    // path. False with the reason when the disk refuses it.
    static bool replace(QString const& path, QString const& target, QString* errorString);

    // Removes what writers killed half way left beside the file at path:
    // their temporaries for that name, hidden, and nothing else.
    static void removeLeftovers(QString const& path);

    // The system's text for an errno value, as Qt and the C library give it.
    static QString systemReason(int error);

private:
    // Closes and removes the temporary.
    void dropTemporary();

    QString m_path;
    // The file replaced: m_path with its links followed.
    QString m_target;
    QString m_temporary;
    FileHandleDevice m_file;
    QString m_error;
    bool m_failed = false;
    // The device's byte count at the last successful flush(), -1 before one.
    qint64 m_syncedBytes = -1;
};

} // namespace Model
