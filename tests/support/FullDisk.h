#pragma once

#include <QString>
#include <QTemporaryDir>

namespace TestSupport {

// A small real filesystem (tmpfs) mounted for one test, which the test can
// fill so that writes fail as they do on a full disk: the creation of an
// empty file still succeeds, the bytes do not. Mounting needs root; a test
// that cannot have it says why (reason()) and skips.
class FullDisk
{
public:
    explicit FullDisk(int kilobytes = 512);
    FullDisk(FullDisk const&) = delete;
    FullDisk& operator=(FullDisk const&) = delete;
    ~FullDisk();

    bool isMounted() const { return m_mounted; }
    QString reason() const { return m_reason; }
    QString path() const { return m_dir.path(); }
    QString filePath(QString const& name) const;

    // Takes every free byte but spareBytes (rounded down to whole pages).
    bool fill(qint64 spareBytes = 0);
    // Gives back everything fill() took.
    void release();
    // From now on every change fails as on a read-only file system.
    bool makeReadOnly();

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
    QString m_reason;
};

} // namespace TestSupport

// Inside a test function: skips it when no full disk can be had.
#define QUILLMERE_REQUIRE_FULL_DISK(disk)                                                         \
    do {                                                                                         \
        if (!(disk).isMounted())                                                                 \
            QSKIP(qPrintable((disk).reason()));                                                  \
    } while (false)
