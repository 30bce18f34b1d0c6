#pragma once

#include <QString>

#include <memory>

class QTemporaryDir;

namespace Model {

// Builds a folder package (a document beside folders of images) in a hidden
// folder next to its target, and puts it in the target's place only once it
// is complete. Until then, and whenever building or the swap fails, an
// earlier package (or file) of that name stays exactly as it was. The swap is
// two renames, the earlier package aside and the new one in, so a reader may
// for a moment find no package, but never a partial one.
//
// Files inside the package are written with FileWriter; folders with
// makeFolder(), which gives the system's reason when it fails.
class PackageWriter
{
public:
    // What went wrong, for callers whose messages tell the steps apart.
    enum class Failure {
        None,
        Build,     // the hidden folder or something inside it
        MoveAside, // the earlier package could not be moved out of the way
        MoveIn,    // the new package could not take the target's name
    };

    explicit PackageWriter(QString const& target);
    PackageWriter(PackageWriter const&) = delete;
    PackageWriter& operator=(PackageWriter const&) = delete;
    // Removes whatever was built and not committed.
    ~PackageWriter();

    // Creates the target's parent folder when missing and the hidden folder
    // to build in.
    bool open();
    // Where the package's contents go until commit().
    QString buildPath() const;
    // A folder inside the package, relative to buildPath().
    bool makeFolder(QString const& relativePath);
    // Swaps the built package in. The earlier package is removed afterwards;
    // when that fails, it stays at leftoverPath() and commit() still succeeds.
    bool commit();

    QString const& target() const { return m_target; }
    Failure failure() const { return m_failure; }
    QString errorString() const { return m_error; }
    QString leftoverPath() const { return m_leftover; }

private:
    bool fail(Failure failure, QString const& reason);

    QString m_target;
    std::unique_ptr<QTemporaryDir> m_building;
    QString m_package;
    Failure m_failure = Failure::None;
    QString m_error;
    QString m_leftover;
};

} // namespace Model
