#include "FullDisk.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace TestSupport {

namespace {

QString const Filler = QStringLiteral(".filler");

} // namespace

FullDisk::FullDisk(int kilobytes)
{
    if (::geteuid() != 0) {
        m_reason = QStringLiteral("a full filesystem is mounted only when running as root");
        return;
    }
    if (!m_dir.isValid()) {
        m_reason = QStringLiteral("no folder to mount on: %1").arg(m_dir.errorString());
        return;
    }
    QByteArray const options = QByteArrayLiteral("size=") + QByteArray::number(kilobytes) + "k";
    if (::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs",
                MS_NOSUID | MS_NODEV, options.constData())
        != 0) {
        m_reason = QStringLiteral("tmpfs could not be mounted: %1")
                       .arg(QString::fromLocal8Bit(std::strerror(errno)));
        return;
    }
    m_mounted = true;
}

bool FullDisk::makeReadOnly()
{
    return m_mounted
           && ::mount("tmpfs", QFile::encodeName(m_dir.path()).constData(), "tmpfs",
                      MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, nullptr)
                  == 0;
}

FullDisk::~FullDisk()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
}

QString FullDisk::filePath(QString const& name) const
{
    return QDir(m_dir.path()).filePath(name);
}

bool FullDisk::fill(qint64 spareBytes)
{
    if (!m_mounted)
        return false;
    int const fd = ::open(QFile::encodeName(filePath(Filler)).constData(),
                          O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (fd < 0)
        return false;
    // Whole pages first, then single bytes into the last page.
    static char const zeros[4096] = {};
    qint64 size = ::lseek(fd, 0, SEEK_END);
    for (std::size_t chunk : {sizeof zeros, std::size_t(1)}) {
        for (;;) {
            ssize_t const written = ::write(fd, zeros, chunk);
            if (written <= 0)
                break;
            size += written;
        }
    }
    bool const full = errno == ENOSPC;
    if (full && spareBytes > 0)
        ::ftruncate(fd, std::max<qint64>(0, size - spareBytes));
    ::close(fd);
    return full;
}

void FullDisk::release()
{
    QFile::remove(filePath(Filler));
}

} // namespace TestSupport
