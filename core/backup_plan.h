#pragma once
// One backup from the list's ticks to a checked archive: what goes in, then writing it and
// reading it back away from the caller's thread.

#include "core/backup_archive.h"

#include <QList>
#include <QStringList>

#include <functional>
#include <vector>

namespace quorvel {

// What one backup writes, and the ticked entries it has to leave out.
struct BackupPlan {
    QList<ArchiveMember> members;
    QList<int> rows;     // the list row of each member
    QStringList missing; // ticked entries that name no file of the collection folder (now)
};

// The ticked entries of `entries` (`ticks` holds one flag per entry, or is shorter for none)
// that are files of `collectionFolder` itself, never of a sub-folder nor outside it, as
// members named for the archive's `baseFolder` (StoredEntryName); the others go to `missing`.
BackupPlan PlanBackup(const QString& collectionFolder, const QStringList& entries,
                      const std::vector<bool>& ticks, const QString& baseFolder);

struct BackupOutcome {
    Result<int> written = Failure(QString());  // the members written, or why not
    Result<int> verified = Failure(QString()); // the members read back; unset when not written
};

// Where a running backup is: called on the worker's threads (one call at a time, in order),
// so each must be safe to call from there (an atomic store and a wake-up). Any may be left
// empty.
struct BackupSteps {
    MemberOpened opened;            // a member opened at a stage (see WriteZipArchive)
    std::function<void()> checking; // the archive is whole and is being read back
    std::function<void()> ended;    // the last call: the outcome is ready
};

// Writes the plan's archive at `archivePath` and reads it back, on a worker thread, while the
// calling thread runs `wait` over and over until the worker has ended (after `ended`, one more
// call of `wait` at most). `wait` may block until it is woken by `ended`. An empty plan fails
// as WriteZipArchive does.
BackupOutcome RunBackup(const QString& archivePath, const BackupPlan& plan,
                        const BackupSteps& steps, const std::function<void()>& wait);

} // namespace quorvel
