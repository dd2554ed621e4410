#pragma once
// The text-file rules every line list of the collection follows (info texts, filtered lists,
// favourites, album pages): byte-order marks, the 8-bit code page, CR LF after every line.

#include "core/result.h"

#include <QByteArray>
#include <QStringList>

#include <memory>
#include <mutex>

namespace quorvel {

enum class TextEncoding {
    Ansi,    // Windows-1252, no byte-order mark: what a list that never read a file writes
    Utf8,    // UTF-8 without mark: what this platform's editors save
    Utf8Bom, // UTF-8 with its mark
    Utf16LE, // with its mark
    Utf16BE, // with its mark
};

struct TextFile {
    QStringList lines;
    TextEncoding encoding = TextEncoding::Ansi;
};

// Bytes to lines: a mark selects UTF-8/UTF-16; without one, valid UTF-8 holding at least one
// multi-byte sequence is UTF-8, anything else Windows-1252. CR LF, lone LF and lone CR each end
// a line; the break after the last line does not make an empty line.
TextFile DecodeText(const QByteArray& bytes);

// Lines to bytes, each line followed by CR LF, with the encoding's mark. Ansi text is written
// as Utf8Bom instead when Windows-1252 lacks one of its characters or when its code-page bytes
// would be read back as another encoding (they start like a mark, or form multi-byte UTF-8);
// `used` (if given) says which was written.
QByteArray EncodeText(const QStringList& lines, TextEncoding encoding,
                      TextEncoding* used = nullptr);

// A file or folder name as the file system gives it: UTF-8 when the bytes are valid UTF-8,
// Windows-1252 otherwise, so that a name written by an older system still reads as it was meant.
QString DecodeFileName(QByteArrayView bytes);

// The text without blanks and control characters at either end (what users type around a
// title or a path is never part of it).
QString TrimBlanksAndControls(const QString& text);

// The text with only the letters a to z upper-cased: the one case fold of names, extensions,
// identifiers and list searches, which must not depend on the locale.
QString AsciiUpper(QStringView text);

// Whether the text DecodeText makes of the bytes could hold `upper` on one of its lines once
// its letters a to z are upper-cased, told from the bytes alone: false only when it certainly
// does not. An 8-bit or UTF-8 text holds every ASCII character as that very byte and no other
// way, so an ASCII `upper` is looked for among the bytes directly; any other `upper`, an empty
// one, and UTF-16 text answer true. What the list filters skip decoding with.
bool BytesMayHoldUpperCased(const QByteArray& bytes, QStringView upper);

// The system's words for an errno value ("No space left on device"), safe from any thread.
QString ErrnoText(int error);

// The whole file as it is on disk; fails with a one-line reason when it cannot be opened or
// read.
Result<QByteArray> ReadFileContents(const QString& path);

// Fails with a one-line reason when the file cannot be opened or read.
Result<TextFile> ReadTextFile(const QString& path);

// How soon a write must have reached the medium itself.
enum class Durability {
    // On the medium before the call returns: a user's own file, which nothing can make again.
    Synced,
    // Left to the system's write-back: for files the program can always make again (album
    // pages), written by the thousand. A replaced name still holds the old file or the whole new
    // one, never a part. Handed to a FolderSync (the overload below), the file is put on the
    // medium while the next ones are written.
    Deferred,
};

class FolderSync;

// Replaces the file with the bytes through a temporary file beside it and a rename: success
// only when every byte reached the new file and the rename happened. On any failure the old
// file stays byte for byte, no temporary file is left, and the message names the file and the
// system's reason ("No space left on device"). An empty path, or one holding a NUL, is refused
// before anything is written. The one atomic write of the program: every save of a user's file
// goes through it.
Status WriteFileSafely(const QString& path, const QByteArray& bytes,
                       Durability durability = Durability::Synced);
// A Deferred write whose new file `sync` puts on the medium; its failure to store the file is
// reported by sync.Sync(). A name that does not exist yet is written directly: until Sync()
// has succeeded, a crash may leave it short (there was no old file to keep).
Status WriteFileSafely(const QString& path, const QByteArray& bytes, FolderSync& sync);

// Puts a batch of files just written into one folder on the medium, and only them: the files
// handed over are synced by threads of its own, a group at a time, while the next ones are
// written (syncs waiting together share the disk's cache flushes and journal commits), and
// Sync() then syncs the folder, which makes their names durable. Other programs' unwritten data
// on the same disk is never waited for. At most half the files the process may still open are
// held open at once.
class FolderSync {
public:
    explicit FolderSync(const QString& folder);
    // Waits for the files handed over; a failure not asked for by Sync() is lost.
    ~FolderSync();
    FolderSync(const FolderSync&) = delete;
    FolderSync& operator=(const FolderSync&) = delete;

    // Takes over `fd`, open on the file now named `path` in the folder: it is synced and closed.
    // Several threads may hand files over at once; Sync() comes after all of them.
    void Adopt(int fd, const QString& path);
    // Waits until every file handed over is on the medium, then syncs the folder. Fails with
    // the first file (or the folder) that could not be stored and the system's reason.
    Status Sync();

private:
    struct Syncer;
    QString folder_;
    int fd_ = -1;
    int openError_ = 0;
    std::mutex starting_; // the first file handed over starts the syncing threads
    std::unique_ptr<Syncer> syncer_;
};

// Copies the file's bytes to `to` through WriteFileSafely. Never replaces a file: fails,
// writing nothing, when `to` already exists or `from` cannot be read.
Status CopyToNewFile(const QString& from, const QString& to);

// Writes beside the file and renames (QSaveFile), so a failed write leaves the old file whole.
// Does not create folders. Returns the encoding actually written.
Result<TextEncoding> WriteTextFile(const QString& path, const QStringList& lines,
                                   TextEncoding encoding,
                                   Durability durability = Durability::Synced);
// The same as a Deferred write that `sync` puts on the medium.
Result<TextEncoding> WriteTextFile(const QString& path, const QStringList& lines,
                                   TextEncoding encoding, FolderSync& sync);

} // namespace quorvel
