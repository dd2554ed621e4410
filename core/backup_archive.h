#pragma once
// The backup archive: a plain ZIP file any unzip tool opens, given its name only when complete,
// then read back and checked.

#include "core/result.h"

#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QString>

#include <functional>

namespace quorvel {

// "QVL_Backup_" + date + "_" + time in the given formats, with blanks as "_" and every "/" and
// ":" as "-", so that the name is one valid file name.
QString GenerateBackupName(const QDateTime& now, const QString& shortDateFormat,
                           const QString& longTimeFormat, const QLocale& locale = QLocale());

// What a key typed into the archive name field becomes: "_" for the nine characters a file name
// cannot hold on the systems the collections come from, the key itself otherwise.
QChar BackupNameKey(QChar key);

// The archive of `name` in `folder`: ".zip" is always appended, even to a name ending in ".zip".
QString BackupArchivePath(const QString& folder, const QString& name);

// The member name of the file at `path` for an archive whose base folder is `baseFolder`: the
// path relative to the base folder when the file lies inside it, else the whole path; a drive
// prefix ("C:") or a network server prefix ("\\server\") and one leading separator dropped;
// "/" between the parts. Both "/" and "\" separate. A colon inside a name is kept.
QString StoredEntryName(const QString& path, const QString& baseFolder);

// Where the progress bar and the percentage stand before list entry `index` of `count`: the bar
// runs from 1 to count - 1 and never shows less than its minimum; a list of one entry shows
// 100 % rather than dividing by zero.
struct BackupStep {
    int position = 1;
    int percent = 0;
};
BackupStep BackupProgressAt(int index, int count);

// Each member file is opened twice while an archive is written: as it is added, to judge whether
// deflate pays, and as it is read into the archive. Both count as progress, so that a list of
// many small files moves from the start.
enum class ArchiveStage { Adding, Writing };

// The list row to show while the member at list row `row` of a list of `count` entries is
// opened at `stage`: each stage walks the list over one half of the bar.
int BackupRowAt(int row, ArchiveStage stage, int count);

struct ArchiveMember {
    QString path; // the file to read
    QString name; // the member name (StoredEntryName)
};

using MemberOpened = std::function<void(int member, ArchiveStage stage)>;

// Where the archive lies until it is whole. Unnamed: a file of the destination folder that has
// no name until the archive is complete, so that a killed backup leaves nothing behind; where
// the file system refuses such files, Named is used instead. Named: a temporary name beside the
// archive (`name.zip.XXXXXX`), removed on failure but left behind by a killed process.
enum class ArchiveTemporary { Unnamed, Named };

// How the members' bytes reach the archive; each way writes the very same bytes. InKernel: a
// stored member is copied by the system from its file into the archive (copy_file_range),
// never through this program's memory, while its CRC is read on a second thread and the texts
// are deflated there; where the file system cannot copy so, it goes on ThroughMemory: read and
// written by the program, on the same two threads. ByLibzip: libzip reads, deflates and writes
// everything on one thread; archives that need Zip64 (over 4 GB, more than 65,535 members)
// are always written so.
enum class ArchiveCopy { InKernel, ThroughMemory, ByLibzip };

// Writes a new archive at `archivePath` holding the members in order: deflate at the fastest
// level, or stored when a sample of the member shows deflate would not shrink it. ASCII names go
// as they are; a name holding any other character goes in UTF-8 with the UTF-8 flag. A second
// member of a name already written is left out. `opened(i, stage)` is called, off the caller's
// thread when copying InKernel or ThroughMemory, as member i is opened, one call after another
// in member order. On any failure an older archive of that name is left as it was and nothing
// else remains; the message names the file that failed and the reason. An empty member list
// writes nothing and fails. Returns the number of members written.
Result<int> WriteZipArchive(const QString& archivePath, const QList<ArchiveMember>& members,
                            const MemberOpened& opened = {},
                            ArchiveTemporary temporary = ArchiveTemporary::Unnamed,
                            ArchiveCopy copy = ArchiveCopy::InKernel);

// Opens the archive again and reads every member back against its CRC. Returns the number of
// members checked, or a failure naming the first member that did not pass (or the archive, when
// it cannot be opened).
Result<int> VerifyZipArchive(const QString& archivePath);

} // namespace quorvel
