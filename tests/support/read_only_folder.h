#pragma once

#include <QString>

// A folder Reelboard cannot write, over the files of `source`. As root, whom file modes do not stop,
// it is a read-only bind mount of `source` at `mountPoint`; otherwise `source` itself with the write
// permission taken from it and its subfolders. Ready() is false (and Reason says why) when neither
// can be made; the test is then skipped. Undone when destroyed, or earlier by MakeWritable().
class ReadOnlyFolder {
public:
    ReadOnlyFolder(const QString& source, const QString& mountPoint);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    bool Ready() const { return !path_.isEmpty(); }
    QString Reason() const { return reason_; }
    // Where the read-only files are seen.
    QString Path() const { return path_; }
    // Gives the write permission back (as root: the same mount point, mounted read-write), so a later
    // run finds the same paths writable.
    void MakeWritable();
    // Takes the folder away: the path no longer names a folder.
    void Remove();

private:
    QString source_;
    QString mountPoint_;
    QString path_;
    QString reason_;
    bool mounted_ = false;
    bool modesChanged_ = false;
};
