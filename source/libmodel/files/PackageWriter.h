#pragma once

#include <QString>

#include <functional>
#include <memory>

class QTemporaryDir;

namespace Model {

// Builds a folder package (a document beside folders of images) in a hidden
// folder next to its target, and puts it in the target's place only once it
// is complete and on the disk. Until then, and whenever building or the swap
// fails, an earlier package (or file) of that name stays exactly as it was.
// Where the system can, the swap is one exchange of the two names, so that
// the name always holds a whole package; elsewhere it is two renames, the
// earlier package aside and the new one in.
//
// A symbolic link at the target is written through, as FileWriter does; a
// replaced package hands its permissions on. Opening removes what earlier
// writers of the same name left when they were killed half way.
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
        MoveBack,  // as MoveIn, and the earlier package could not be put
                   // back: it stays at leftoverPath()
        Sync,      // the new package took the name, but the folder holding
                   // it could not be synced: it may not survive a power cut
    };

    // The steps of commit(), for tests.
    enum class Step { Exchange, MoveAside, MoveIn, MoveBack, SyncFolder, RemoveEarlier };
    // Asked before each step: 0 takes it; an errno value makes it fail as the
    // system would with that error; Killed ends the writer there as a killed
    // program ends, nothing undone and nothing removed.
    static constexpr int Killed = -1;
    using StepHook = std::function<int(Step)>;

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

    // Where the package goes: the target with its links followed.
    QString const& target() const { return m_target; }
    Failure failure() const { return m_failure; }
    QString errorString() const { return m_error; }
    QString leftoverPath() const { return m_leftover; }

    void setStepHook(StepHook hook) { m_stepHook = std::move(hook); }

private:
    // Runs the call for the step unless the test's hook chose its outcome:
    // 0 or an errno value, or Killed.
    int step(Step step, std::function<int()> const& call);
    // The built package takes the target's name; earlier says where the
    // package it replaces went.
    bool swapIn(QString* earlier);
    bool moveAsideAndIn(QString* earlier);
    void removeLeftovers();
    bool fail(Failure failure, QString const& reason);
    bool fail(Failure failure, int error);

    QString m_target;
    std::unique_ptr<QTemporaryDir> m_building;
    QString m_package;
    Failure m_failure = Failure::None;
    QString m_error;
    QString m_leftover;
    StepHook m_stepHook;
};

} // namespace Model
