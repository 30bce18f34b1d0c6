#pragma once

#include <QString>

class QRegularExpression;

namespace Model {

// The system calls that put a user's file in place, in one spot, since they
// are where platforms differ (atomic exchange, syncing a folder). Each
// returns 0 or the errno value that says why it failed; the writers turn that
// into the system's text with FileWriter::systemReason.
class FileSystem
{
public:
    // Makes a new file in the folder named prefix, six random letters or
    // digits and suffix; mode as for open() (the user's mask applies). On
    // success *path names it and *handle is open for writing.
    static int createUnique(QString const& folder, QString const& prefix, QString const& suffix,
                            unsigned mode, QString* path, int* handle);
    // Writes every byte, through short writes, or says why it could not.
    static int writeAll(int handle, char const* data, qint64 size);
    static int close(int handle);
    // The file's bytes on the disk. File systems that cannot sync are no
    // failure of the write.
    static int syncFile(int handle);
    static int syncFile(QString const& path);
    // The folder's entries on the disk: a file renamed into it keeps its new
    // name through a power cut only then.
    static int syncFolder(QString const& folder);
    static int rename(QString const& from, QString const& to);
    // Swaps the two names in one step, so that neither is ever missing.
    // ENOTSUP where the system or the file system cannot.
    static int exchange(QString const& first, QString const& second);
    // 0 when the existing file may be written over; else why not (a
    // read-only file, a read-only file system).
    static int checkWritable(QString const& path);
    // Where a write to path ends up: the last file a chain of symbolic links
    // at path leads to (which may not exist yet), or path itself. Writers
    // write through a link the user made rather than replace it.
    static QString resolveLinks(QString const& path);
    // The permission bits of an existing file or folder; false when none.
    static bool permissions(QString const& path, unsigned* mode);
    static int setPermissions(int handle, unsigned mode);
    static int setPermissions(QString const& path, unsigned mode);

    // Removes the entries of the folder, files or whole folders, whose names
    // match: what writers killed half way left under their own hidden names.
    static void removeLeftovers(QString const& folder, QRegularExpression const& names);
    // The start of the hidden name under which a writer builds the file or
    // package called name until it is whole; six letters or digits follow.
    static QString partialPrefix(QString const& name);
    // Removes what writers killed half way left under partialPrefix for the
    // file or package at target, and nothing else.
    static void removePartials(QString const& target);
    // As above, for every name in the folder that the regular expression
    // names matches whole (a numbered series of files).
    static void removePartials(QString const& folder, QString const& names);

    // Whether a failed exchange means only that it cannot be done here.
    static bool isUnsupported(int error);
};

} // namespace Model
