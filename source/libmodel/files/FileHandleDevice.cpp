#include "files/FileHandleDevice.h"

#include "files/FileSystem.h"
#include "files/FileWriter.h"

namespace Model {

namespace {

// Writes are gathered up to this much before they go to the system.
constexpr qint64 BufferSize = 64 * 1024;

} // namespace

FileHandleDevice::~FileHandleDevice()
{
    close();
}

bool FileHandleDevice::openHandle(int handle, OpenMode mode)
{
    m_handle = handle;
    m_failure = 0;
    m_taken = 0;
    m_buffer.clear();
    return QIODevice::open(mode);
}

bool FileHandleDevice::writeBuffered()
{
    if (m_failure != 0)
        return false;
    if (m_buffer.isEmpty())
        return true;
    int const error = FileSystem::writeAll(m_handle, m_buffer.constData(), m_buffer.size());
    m_buffer.clear();
    return error == 0 || fail(error);
}

void FileHandleDevice::close()
{
    if (m_handle >= 0) {
        int const error = FileSystem::close(m_handle);
        m_handle = -1;
        if (error != 0)
            fail(error);
    }
    m_buffer.clear();
    if (isOpen())
        QIODevice::close();
}

qint64 FileHandleDevice::readData(char*, qint64)
{
    return -1;
}

qint64 FileHandleDevice::writeData(char const* data, qint64 size)
{
    if (m_failure != 0 || m_handle < 0)
        return -1;
    if (m_buffer.size() + size > BufferSize && !writeBuffered())
        return -1;
    if (size >= BufferSize) {
        if (int const error = FileSystem::writeAll(m_handle, data, size))
            return fail(error), -1;
    } else {
        m_buffer.append(data, size);
    }
    m_taken += size;
    return size;
}

bool FileHandleDevice::fail(int error)
{
    if (m_failure == 0) {
        m_failure = error;
        setErrorString(FileWriter::systemReason(error));
    }
    return false;
}

} // namespace Model
