#include "files/FileWriter.h"

#include "files/FileSystem.h"

#include <QByteArray>
#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <cerrno>
#include <cstring>

namespace Model {

namespace {

QString notOpen()
{
    return QCoreApplication::translate("Model::FileWriter", "The file is not open");
}

// Renames the finished file over the target and makes the new name durable.
int putInPlace(QString const& finished, QString const& target)
{
    if (int const error = FileSystem::rename(finished, target))
        return error;
    return FileSystem::syncFolder(QFileInfo(target).absolutePath());
}

} // namespace

FileWriter::FileWriter(QString const& path)
    : m_path(path)
{
}

FileWriter::~FileWriter()
{
    discard();
}

bool FileWriter::open(QIODevice::OpenMode extraMode)
{
    dropTemporary();
    m_failed = false;
    m_syncedBytes = -1;
    m_error.clear();
    m_target = FileSystem::resolveLinks(m_path);
    QFileInfo const target(m_target);
    unsigned mode = 0666;
    bool const replacing = FileSystem::permissions(m_target, &mode);
    if (replacing) {
        if (target.isDir())
            return fail(systemReason(EISDIR));
        if (int const error = FileSystem::checkWritable(m_target))
            return fail(systemReason(error));
    }
    // Private until it has the permissions of the file it replaces.
    int handle = -1;
    if (int const error = FileSystem::createUnique(
            target.absolutePath(), FileSystem::partialPrefix(target.fileName()), QString(),
            replacing ? 0600 : 0666, &m_temporary, &handle))
        return fail(systemReason(error));
    // File systems without permission bits refuse them; the file is
    // written all the same.
    if (replacing)
        FileSystem::setPermissions(handle, mode);
    m_file.openHandle(handle, QIODevice::WriteOnly | extraMode);
    return true;
}

QIODevice* FileWriter::device()
{
    return &m_file;
}

bool FileWriter::write(QByteArray const& bytes)
{
    return write(bytes.constData(), bytes.size());
}

bool FileWriter::write(char const* data, qint64 size)
{
    if (m_failed)
        return false;
    if (!m_file.isOpen())
        return fail(notOpen());
    if (m_file.write(data, size) == size)
        return true;
    return fail(m_file.errorString());
}

bool FileWriter::writeImage(QImage const& image, char const* format, int quality)
{
    if (m_failed)
        return false;
    if (!m_file.isOpen())
        return fail(notOpen());
    // Encoded in memory first: an image encoder that meets a failing write
    // gives up without freeing what it holds and without the system's
    // reason, while a failing write of plain bytes gives both.
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format, quality))
        return fail(QCoreApplication::translate("Model::FileWriter",
                                                "The image could not be encoded"));
    buffer.close();
    return write(encoded.constData(), encoded.size());
}

bool FileWriter::flush()
{
    if (m_failed)
        return false;
    if (!m_file.isOpen())
        return fail(notOpen());
    if (!m_file.writeBuffered())
        return fail(m_file.errorString());
    if (int const error = FileSystem::syncFile(m_file.handle()))
        return fail(systemReason(error));
    m_syncedBytes = m_file.bytesTaken();
    return true;
}

bool FileWriter::commit()
{
    // A failure the caller gave, or bytes taken since the last flush (through
    // a device() kept from before it), must not slip through a flush that
    // already succeeded.
    if (m_failed || (m_syncedBytes != m_file.bytesTaken() && !flush())) {
        discard();
        return false;
    }
    m_syncedBytes = -1;
    m_file.close();
    int error = m_file.failure();
    if (error == 0)
        error = putInPlace(m_temporary, m_target);
    if (error != 0) {
        dropTemporary();
        return fail(systemReason(error));
    }
    m_temporary.clear();
    return true;
}

void FileWriter::discard()
{
    if (m_temporary.isEmpty())
        return;
    // A writer that streamed into device() may have met the failure first.
    if (m_file.failure() != 0)
        fail(m_file.errorString());
    dropTemporary();
}

void FileWriter::dropTemporary()
{
    m_file.close();
    if (!m_temporary.isEmpty())
        QFile::remove(m_temporary);
    m_temporary.clear();
}

bool FileWriter::fail(QString const& reason)
{
    m_failed = true;
    if (m_error.isEmpty())
        m_error = reason.isEmpty()
                      ? QCoreApplication::translate("Model::FileWriter", "Unknown error")
                      : reason;
    return false;
}

bool FileWriter::writeWith(QString const& path, std::function<bool(FileWriter&)> const& fill,
                           QString* errorString)
{
    FileWriter file(path);
    bool const written = file.open() && fill(file) && file.commit();
    if (!written) {
        file.discard();
        if (errorString)
            *errorString = file.errorString();
    }
    return written;
}

bool FileWriter::writeFile(QString const& path, QByteArray const& bytes, QString* errorString)
{
    return writeWith(path, [&](FileWriter& file) { return file.write(bytes); }, errorString);
}

bool FileWriter::writeImage(QString const& path, QImage const& image, char const* format,
                            QString* errorString, int quality)
{
    return writeWith(
        path, [&](FileWriter& file) { return file.writeImage(image, format, quality); },
        errorString);
}

void FileWriter::removeLeftovers(QString const& path)
{
    FileSystem::removePartials(FileSystem::resolveLinks(QFileInfo(path).absoluteFilePath()));
}

bool FileWriter::replace(QString const& path, QString const& target, QString* errorString)
{
    int error = FileSystem::syncFile(path);
    if (unsigned mode = 0; error == 0 && FileSystem::permissions(target, &mode))
        FileSystem::setPermissions(path, mode);
    if (error == 0)
        error = putInPlace(path, target);
    if (error != 0 && errorString)
        *errorString = systemReason(error);
    return error == 0;
}

QString FileWriter::systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace Model
