#pragma once

#include <QIODevice>

namespace Model {

// A write-only device on an open file handle, for FileWriter: the bytes are
// gathered in a buffer and written out whole, through short writes, and the
// first failure keeps the system's errno, whichever writer (an image
// encoder, an XML stream) met it. A file device of Qt's loses the reason of a
// write that fills the disk half way.
class FileHandleDevice : public QIODevice
{
public:
    FileHandleDevice() = default;
    // Closes the handle when still open.
    ~FileHandleDevice() override;

    // Takes the handle over; mode is WriteOnly, optionally with Text.
    bool openHandle(int handle, OpenMode mode);
    // Writes out what is buffered; false once a write has failed.
    bool writeBuffered();
    // Every byte taken since openHandle(), written out or still buffered.
    qint64 bytesTaken() const { return m_taken; }
    // The handle, or -1 once closed.
    int handle() const { return m_handle; }
    // The errno value of the first failure (0: none), also as errorString().
    int failure() const { return m_failure; }
    // Closes the handle without writing out the buffer. The failure of the
    // system's close, if any, becomes failure().
    void close() override;

    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(char const* data, qint64 size) override;

private:
    bool fail(int error);

    int m_handle = -1;
    int m_failure = 0;
    qint64 m_taken = 0;
    QByteArray m_buffer;
};

} // namespace Model
