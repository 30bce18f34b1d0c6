#include "files/FileWriter.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QImage>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace Model {

namespace {

// Some filesystems only report a full disk or a lost device on sync. Those
// that cannot sync a file at all are not a failure of the write.
bool syncHandle(int handle)
{
    return ::fsync(handle) == 0 || errno == EINVAL || errno == ENOTSUP;
}

} // namespace

FileWriter::FileWriter(QString const& path)
    : m_path(path)
    , m_file(path)
{
}

FileWriter::~FileWriter()
{
    discard();
}

bool FileWriter::open(QIODevice::OpenMode extraMode)
{
    m_failed = false;
    m_synced = false;
    m_error.clear();
    if (m_file.open(QIODevice::WriteOnly | extraMode))
        return true;
    return fail(m_file.errorString());
}

QIODevice* FileWriter::device()
{
    m_synced = false;
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
        return fail(QCoreApplication::translate("Model::FileWriter", "The file is not open"));
    m_synced = false;
    if (m_file.write(data, size) == size && m_file.error() == QFileDevice::NoError)
        return true;
    return fail(m_file.errorString());
}

bool FileWriter::writeImage(QImage const& image, char const* format, int quality)
{
    if (m_failed)
        return false;
    if (!m_file.isOpen())
        return fail(QCoreApplication::translate("Model::FileWriter", "The file is not open"));
    m_synced = false;
    if (image.save(&m_file, format, quality))
        return true;
    // The encoder may fail without the device failing: then there is no
    // system reason to give.
    return fail(m_file.error() != QFileDevice::NoError
                    ? m_file.errorString()
                    : QCoreApplication::translate("Model::FileWriter",
                                                  "The image could not be encoded"));
}

bool FileWriter::flush()
{
    if (m_failed)
        return false;
    if (!m_file.isOpen())
        return fail(QCoreApplication::translate("Model::FileWriter", "The file is not open"));
    // The last buffered bytes go out here; the save file's own commit would
    // flush them too but forget a failure.
    if (m_file.error() != QFileDevice::NoError || !m_file.flush()
        || m_file.error() != QFileDevice::NoError)
        return fail(m_file.errorString());
    if (int const handle = m_file.handle(); handle >= 0 && !syncHandle(handle))
        return fail(systemReason(errno));
    m_synced = true;
    return true;
}

bool FileWriter::commit()
{
    if (!m_synced && !flush()) {
        discard();
        return false;
    }
    m_synced = false;
    if (!m_file.commit())
        return fail(m_file.errorString());
    return true;
}

void FileWriter::discard()
{
    if (!m_file.isOpen())
        return;
    // A writer that streamed into device() may have met the failure first.
    if (m_file.error() != QFileDevice::NoError)
        fail(m_file.errorString());
    // A cancelled save file's commit removes the temporary and fails.
    m_file.cancelWriting();
    m_file.commit();
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

bool FileWriter::sync(QString const& path, QString* errorString)
{
    int const handle = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    bool const synced = handle >= 0 && syncHandle(handle);
    int const error = errno;
    if (handle >= 0)
        ::close(handle);
    if (!synced && errorString)
        *errorString = systemReason(error);
    return synced;
}

QString FileWriter::systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace Model
