#include "files/PackageWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
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

} // namespace

PackageWriter::PackageWriter(QString const& target)
    : m_target(QFileInfo(target).absoluteFilePath())
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
    // The hidden folder is private to its owner; the package is made inside
    // it as any new folder is, so that once renamed it may be read by whom
    // the user's file-creation mask allows.
    m_building = std::make_unique<QTemporaryDir>(
        QDir(target.absolutePath()).filePath(QStringLiteral(".%1.partial-XXXXXX")
                                                 .arg(target.fileName())));
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
    QFileInfo const existing(m_target);
    std::error_code error;
    QString aside;
    if (existing.exists() || existing.isSymLink()) {
        aside = QDir(existing.absolutePath())
                    .filePath(QStringLiteral(".%1.old-%2")
                                  .arg(existing.fileName(),
                                       QUuid::createUuid().toString(QUuid::Id128)));
        std::filesystem::rename(fsPath(m_target), fsPath(aside), error);
        if (error)
            return fail(Failure::MoveAside, reason(error));
    }
    std::filesystem::rename(fsPath(m_package), fsPath(m_target), error);
    if (error) {
        if (!aside.isEmpty()) {
            std::error_code back;
            std::filesystem::rename(fsPath(aside), fsPath(m_target), back);
        }
        return fail(Failure::MoveIn, reason(error));
    }
    m_package.clear();
    m_building.reset();
    if (!aside.isEmpty()) {
        // A symbolic link goes, not what it points at.
        std::filesystem::remove_all(fsPath(aside), error);
        if (error)
            m_leftover = aside;
    }
    return true;
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
