#include "files/FileSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Model {

namespace {

QByteArray native(QString const& path)
{
    return QFile::encodeName(path);
}

int result(int returned)
{
    return returned == 0 ? 0 : errno;
}

// Some file systems cannot sync at all; that is not a failure of the write.
int syncHandle(int handle)
{
    if (::fsync(handle) == 0)
        return 0;
    int const error = errno;
    return error == EINVAL || error == ENOTSUP || error == EOPNOTSUPP ? 0 : error;
}

} // namespace

int FileSystem::createUnique(QString const& folder, QString const& prefix, QString const& suffix,
                             unsigned mode, QString* path, int* handle)
{
    static QString const letters =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789");
    QDir const dir(folder);
    for (int attempt = 0; attempt < 100; ++attempt) {
        QString unique;
        for (int i = 0; i < 6; ++i)
            unique += letters.at(QRandomGenerator::global()->bounded(int(letters.size())));
        QString const name = dir.filePath(prefix + unique + suffix);
        int const opened = ::open(native(name).constData(),
                                  O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode_t(mode));
        if (opened >= 0) {
            *path = name;
            *handle = opened;
            return 0;
        }
        if (errno != EEXIST)
            return errno;
    }
    return EEXIST;
}

int FileSystem::writeAll(int handle, char const* data, qint64 size)
{
    while (size > 0) {
        ssize_t const written = ::write(handle, data, std::size_t(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (written == 0)
            return EIO;
        data += written;
        size -= written;
    }
    return 0;
}

int FileSystem::close(int handle)
{
    // The handle is gone whatever close says; a failure is still a failure
    // of the write (a network file system reports late).
    int const error = result(::close(handle));
    return error == EINTR ? 0 : error;
}

int FileSystem::syncFile(int handle)
{
    return syncHandle(handle);
}

int FileSystem::syncFile(QString const& path)
{
    int const handle = ::open(native(path).constData(), O_RDONLY | O_CLOEXEC);
    if (handle < 0)
        return errno;
    int const error = syncHandle(handle);
    ::close(handle);
    return error;
}

int FileSystem::syncFolder(QString const& folder)
{
    int const handle =
        ::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle < 0)
        // A folder the user may write into but not list cannot be synced.
        return errno == EACCES ? 0 : errno;
    int const error = syncHandle(handle);
    ::close(handle);
    return error;
}

int FileSystem::rename(QString const& from, QString const& to)
{
    return result(std::rename(native(from).constData(), native(to).constData()));
}

int FileSystem::exchange(QString const& first, QString const& second)
{
#if defined(__linux__) && defined(RENAME_EXCHANGE)
    return result(::renameat2(AT_FDCWD, native(first).constData(), AT_FDCWD,
                              native(second).constData(), RENAME_EXCHANGE));
#else
    Q_UNUSED(first);
    Q_UNUSED(second);
    return ENOTSUP;
#endif
}

bool FileSystem::isUnsupported(int error)
{
    return error == EINVAL || error == ENOSYS || error == ENOTSUP || error == EOPNOTSUPP;
}

int FileSystem::checkWritable(QString const& path)
{
    return result(::access(native(path).constData(), W_OK));
}

QString FileSystem::resolveLinks(QString const& path)
{
    QFileInfo info(path);
    // As deep as the system itself follows links.
    for (int depth = 0; depth < 40 && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    return info.isSymLink() ? path : info.filePath();
}

bool FileSystem::permissions(QString const& path, unsigned* mode)
{
    struct stat status{};
    if (::stat(native(path).constData(), &status) != 0)
        return false;
    *mode = unsigned(status.st_mode) & 07777u;
    return true;
}

int FileSystem::setPermissions(int handle, unsigned mode)
{
    return result(::fchmod(handle, mode_t(mode)));
}

int FileSystem::setPermissions(QString const& path, unsigned mode)
{
    return result(::chmod(native(path).constData(), mode_t(mode)));
}

void FileSystem::removeLeftovers(QString const& folder, QRegularExpression const& names)
{
    QDir const dir(folder);
    for (QString const& name : dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                             | QDir::NoDotAndDotDot)) {
        if (!names.match(name).hasMatch())
            continue;
        // A link among them goes, not what it leads to.
        std::error_code ignored;
        std::filesystem::remove_all(
            std::filesystem::path(native(dir.filePath(name)).toStdString()), ignored);
    }
}

QString FileSystem::partialPrefix(QString const& name)
{
    return QStringLiteral(".%1.partial-").arg(name);
}

void FileSystem::removePartials(QString const& target)
{
    QFileInfo const info(target);
    removePartials(info.absolutePath(), QRegularExpression::escape(info.fileName()));
}

void FileSystem::removePartials(QString const& folder, QString const& names)
{
    // partialPrefix with the name left open.
    removeLeftovers(folder, QRegularExpression(
                                QStringLiteral("^\\.(?:%1)\\.partial-[A-Za-z0-9]{6}$").arg(names)));
}

} // namespace Model
