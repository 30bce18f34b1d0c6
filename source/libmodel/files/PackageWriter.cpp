#include "files/PackageWriter.h"

#include "files/FileSystem.h"
#include "files/FileWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUuid>

#include <filesystem>
#include <system_error>

namespace Model {

namespace {

std::filesystem::path fsPath(QString const& path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

QString reason(std::error_code const& error)
{
    return QString::fromLocal8Bit(error.message().c_str());
}

// Every folder of the package on the disk, so that the names of its files
// and folders survive a power cut once the package has its own name; the
// files themselves were synced as they were written.
int syncFolders(QString const& package)
{
    QDirIterator folders(package, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
    while (folders.hasNext())
        if (int const error = FileSystem::syncFolder(folders.next()))
            return error;
    return FileSystem::syncFolder(package);
}

QString namePattern(QString const& target, QLatin1String suffix)
{
    return QStringLiteral("^\\.%1\\.%2$")
        .arg(QRegularExpression::escape(QFileInfo(target).fileName()), suffix);
}

} // namespace

PackageWriter::PackageWriter(QString const& target)
    : m_target(FileSystem::resolveLinks(QFileInfo(target).absoluteFilePath()))
{
}

PackageWriter::~PackageWriter() = default;

bool PackageWriter::open()
{
    m_failure = Failure::None;
    m_error.clear();
    QFileInfo const target(m_target);
    std::error_code error;
    std::filesystem::create_directories(fsPath(target.absolutePath()), error);
    if (error)
        return fail(Failure::Build, reason(error));
    removeLeftovers();
    // The hidden folder is private to its owner; the package is made inside
    // it as any new folder is, so that once renamed it may be read by whom
    // the user's file-creation mask allows.
    m_building = std::make_unique<QTemporaryDir>(QDir(target.absolutePath())
                                                     .filePath(FileSystem::partialPrefix(
                                                                   target.fileName())
                                                               + QStringLiteral("XXXXXX")));
    if (!m_building->isValid())
        return fail(Failure::Build, m_building->errorString());
    m_package = QDir(m_building->path()).filePath(QStringLiteral("package"));
    return makeFolder(QString());
}

QString PackageWriter::buildPath() const
{
    return m_package;
}

bool PackageWriter::makeFolder(QString const& relativePath)
{
    if (m_package.isEmpty())
        return fail(Failure::Build,
                    QCoreApplication::translate("Model::PackageWriter", "The package is not open"));
    QString const path = relativePath.isEmpty() ? m_package : QDir(m_package).filePath(relativePath);
    std::error_code error;
    if (!std::filesystem::create_directory(fsPath(path), error) && !error)
        error = std::make_error_code(std::errc::file_exists);
    if (error)
        return fail(Failure::Build, reason(error));
    return true;
}

bool PackageWriter::commit()
{
    if (m_failure != Failure::None)
        return false;
    if (m_package.isEmpty())
        return fail(Failure::Build,
                    QCoreApplication::translate("Model::PackageWriter", "The package is not open"));
    if (int const error = syncFolders(m_package))
        return fail(Failure::Build, error);
    QString earlier;
    if (!swapIn(&earlier))
        return false;
    int const unsynced = step(Step::SyncFolder, [this] {
        return FileSystem::syncFolder(QFileInfo(m_target).absolutePath());
    });
    if (unsynced == Killed)
        return fail(Failure::None, Killed);

    // The earlier package went either into the hidden folder or aside.
    bool const aside = !earlier.isEmpty() && earlier != m_package;
    m_package.clear();
    QString failed;
    int const removed = step(Step::RemoveEarlier, [&] {
        std::error_code error;
        for (QString const& path : {aside ? earlier : QString(), m_building->path()}) {
            // A symbolic link goes, not what it points at.
            if (!path.isEmpty())
                std::filesystem::remove_all(fsPath(path), error);
            if (error) {
                failed = path;
                return error.value();
            }
        }
        return 0;
    });
    if (removed == Killed)
        return fail(Failure::None, Killed);
    if (removed != 0)
        m_leftover = failed.isEmpty() ? (aside ? earlier : m_building->path()) : failed;
    // Removed above, or left where leftoverPath() says.
    m_building->setAutoRemove(false);
    m_building.reset();
    return unsynced == 0 || fail(Failure::Sync, unsynced);
}

bool PackageWriter::swapIn(QString* earlier)
{
    QFileInfo const existing(m_target);
    if (!existing.exists() && !existing.isSymLink()) {
        int const error =
            step(Step::MoveIn, [this] { return FileSystem::rename(m_package, m_target); });
        return error == 0 || fail(Failure::MoveIn, error);
    }
    if (unsigned mode = 0; existing.isDir() && FileSystem::permissions(m_target, &mode))
        FileSystem::setPermissions(m_package, mode);
    int const error =
        step(Step::Exchange, [this] { return FileSystem::exchange(m_package, m_target); });
    if (error == 0) {
        *earlier = m_package;
        return true;
    }
    if (error == Killed || !FileSystem::isUnsupported(error))
        return fail(Failure::MoveAside, error);
    return moveAsideAndIn(earlier);
}

bool PackageWriter::moveAsideAndIn(QString* earlier)
{
    QFileInfo const existing(m_target);
    QString const aside = QDir(existing.absolutePath())
                              .filePath(QStringLiteral(".%1.old-%2")
                                            .arg(existing.fileName(),
                                                 QUuid::createUuid().toString(QUuid::Id128)));
    int const movedAside =
        step(Step::MoveAside, [&] { return FileSystem::rename(m_target, aside); });
    if (movedAside != 0)
        return fail(Failure::MoveAside, movedAside);
    int const movedIn = step(Step::MoveIn, [this] { return FileSystem::rename(m_package, m_target); });
    if (movedIn == 0) {
        *earlier = aside;
        return true;
    }
    if (movedIn == Killed)
        return fail(Failure::MoveIn, Killed);
    int const movedBack = step(Step::MoveBack, [&] { return FileSystem::rename(aside, m_target); });
    if (movedBack == 0 || movedBack == Killed)
        return fail(Failure::MoveIn, movedBack == 0 ? movedIn : Killed);
    m_leftover = aside;
    return fail(Failure::MoveBack, movedIn);
}

void PackageWriter::removeLeftovers()
{
    QString const folder = QFileInfo(m_target).absolutePath();
    // A killed build, or an earlier package a killed writer had swapped out
    // and not yet removed.
    FileSystem::removePartials(m_target);
    // An earlier package moved aside is the only copy while the name is empty.
    QFileInfo const existing(m_target);
    if (existing.exists() || existing.isSymLink())
        FileSystem::removeLeftovers(
            folder, QRegularExpression(namePattern(m_target, QLatin1String("old-[0-9a-f]{32}"))));
}

int PackageWriter::step(Step step, std::function<int()> const& call)
{
    int const chosen = m_stepHook ? m_stepHook(step) : 0;
    return chosen != 0 ? chosen : call();
}

bool PackageWriter::fail(Failure failure, int error)
{
    if (error != Killed)
        return fail(failure, FileWriter::systemReason(error));
    // As a killed program: what was done stays, and nothing is removed later.
    if (m_building)
        m_building->setAutoRemove(false);
    m_building.reset();
    m_package.clear();
    return fail(Failure::Build, QStringLiteral("killed"));
}

bool PackageWriter::fail(Failure failure, QString const& reason)
{
    if (m_failure == Failure::None) {
        m_failure = failure;
        m_error = reason;
    }
    return false;
}

} // namespace Model
