#include "core/backup_archive.h"

#include "core/collection.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>

#include <zip.h>
#include <zlib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {
namespace {

bool IsSeparator(QChar c) {
    return c == QLatin1Char('/') || c == QLatin1Char('\\');
}

// Both separators as "/", runs of them as one, "." and ".." resolved: only for telling whether
// a path lies inside a folder.
QString ComparablePath(QString path) {
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QDir::cleanPath(path);
}

bool HasDrivePrefix(const QString& name) {
    return name.size() >= 2 && name.at(1) == QLatin1Char(':') && name.at(0).isLetter() &&
           name.at(0).unicode() < 128;
}

// Drops "\\server\" (or "//server/"): the server is no part of where a file lies.
QString WithoutServerPrefix(const QString& name) {
    if (name.size() < 2 || !IsSeparator(name.at(0)) || !IsSeparator(name.at(1)))
        return name;
    for (qsizetype i = 2; i < name.size(); ++i) {
        if (IsSeparator(name.at(i)))
            return name.mid(i + 1);
    }
    return QString();
}

// Deflate only pays when it shrinks the data; a sample from the middle of the file tells, so a
// JPEG is never deflated whole for nothing. The middle, because headers and tables at the start
// of a picture file compress where its picture data does not.
constexpr qint64 kSampleBytes = 1024;
constexpr double kWorthDeflating = 0.97;

bool DeflateShrinks(std::FILE* file, qint64 size) {
    if (size <= 0)
        return false;
    const qint64 length = std::min(size, kSampleBytes);
    const qint64 start = (size - length) / 2;
    std::vector<Bytef> sample(static_cast<std::size_t>(length));
    if (std::fseek(file, static_cast<long>(start), SEEK_SET) != 0 ||
        std::fread(sample.data(), 1, sample.size(), file) != sample.size())
        return true; // unreadable now: let the real read report it
    uLongf packedLength = compressBound(static_cast<uLong>(length));
    std::vector<Bytef> packed(packedLength);
    if (compress2(packed.data(), &packedLength, sample.data(), static_cast<uLong>(length), 1) !=
        Z_OK)
        return true;
    // compress2 wraps the deflate stream in 6 bytes of zlib header and checksum.
    const double deflated = double(packedLength) - 6.0;
    return deflated < double(length) * kWorthDeflating;
}

// What libzip reads a member through while it writes the archive: it names the member being
// read, and the file that failed.
struct WriteContext {
    const MemberOpened* opened = nullptr;
    QString failedPath;
    QString failedReason;
};

struct MemberSource {
    WriteContext* context = nullptr;
    int index = 0;
    QString path;
    qint64 size = 0;
    time_t mtime = 0;
    std::FILE* file = nullptr;
    zip_error_t error{};
};

zip_int64_t Fail(MemberSource& source, int zipError, int systemError) {
    zip_error_set(&source.error, zipError, systemError);
    if (source.context->failedPath.isEmpty()) {
        source.context->failedPath = source.path;
        source.context->failedReason = QString::fromLocal8Bit(std::strerror(systemError));
    }
    return -1;
}

zip_int64_t ReadMember(void* state, void* data, zip_uint64_t length, zip_source_cmd_t command) {
    auto& source = *static_cast<MemberSource*>(state);
    switch (command) {
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE,
                                              ZIP_SOURCE_STAT, ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE,
                                              -1);
    case ZIP_SOURCE_STAT: {
        // The real size, or libzip would reserve a Zip64 field for a member of unknown size.
        auto* stat = static_cast<zip_stat_t*>(data);
        zip_stat_init(stat);
        stat->size = static_cast<zip_uint64_t>(source.size);
        stat->mtime = source.mtime;
        stat->valid = ZIP_STAT_SIZE | ZIP_STAT_MTIME;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_OPEN:
        if (*source.context->opened)
            (*source.context->opened)(source.index, ArchiveStage::Writing);
        source.file = std::fopen(QFile::encodeName(source.path).constData(), "rb");
        return source.file ? 0 : Fail(source, ZIP_ER_OPEN, errno);
    case ZIP_SOURCE_READ: {
        const std::size_t got = std::fread(data, 1, static_cast<std::size_t>(length), source.file);
        if (got < length && std::ferror(source.file))
            return Fail(source, ZIP_ER_READ, errno);
        return static_cast<zip_int64_t>(got);
    }
    case ZIP_SOURCE_CLOSE:
        if (source.file)
            std::fclose(source.file);
        source.file = nullptr;
        return 0;
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&source.error, data, length);
    case ZIP_SOURCE_FREE:
        if (source.file)
            std::fclose(source.file);
        zip_error_fini(&source.error);
        delete &source;
        return 0;
    default:
        zip_error_set(&source.error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}

QString ZipReason(zip_error_t* error) {
    return QString::fromLocal8Bit(zip_error_strerror(error));
}

// A name beside the archive that no other file has: the archive's name, a dot and six letters
// or digits, as libzip's own temporary files are named.
QByteArray NameBeside(const QByteArray& path) {
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray name = path + '.';
    for (int i = 0; i < 6; ++i)
        name += kLetters[QRandomGenerator::global()->bounded(int(sizeof(kLetters) - 1))];
    return name;
}

// Calls `make` with fresh names beside `path` until one is not taken; returns its result, with
// errno telling why when it failed.
template <typename Make> bool WithNameBeside(const QByteArray& path, QByteArray& name, Make make) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = NameBeside(path);
        if (make(name))
            return true;
        if (errno != EEXIST)
            return false;
    }
    return false;
}

// What libzip writes the archive into. The file has no name while it is written (or a temporary
// one where the file system refuses unnamed files) and takes the archive's name only once it is
// whole and on the disk; until that moment an older archive of the name stays as it was.
class ArchiveSink {
public:
    ArchiveSink(const QString& path, ArchiveTemporary temporary)
        : path_(QFile::encodeName(path)), temporary_(temporary) {
        zip_error_init(&error_);
    }
    ~ArchiveSink() {
        Discard();
        zip_error_fini(&error_);
    }
    ArchiveSink(const ArchiveSink&) = delete;
    ArchiveSink& operator=(const ArchiveSink&) = delete;

    static zip_int64_t Command(void* state, void* data, zip_uint64_t length,
                               zip_source_cmd_t command) {
        auto& sink = *static_cast<ArchiveSink*>(state);
        switch (command) {
        case ZIP_SOURCE_SUPPORTS:
            return ZIP_SOURCE_SUPPORTS_WRITABLE;
        case ZIP_SOURCE_STAT:
            // Always a new archive: libzip then never reads the file it replaces. This pair is
            // how libzip's own file source says that a file does not exist.
            zip_error_set(&sink.error_, ZIP_ER_READ, ENOENT);
            return -1;
        case ZIP_SOURCE_BEGIN_WRITE:
            return sink.Begin();
        case ZIP_SOURCE_WRITE:
            return sink.Write(static_cast<const char*>(data), length);
        case ZIP_SOURCE_SEEK_WRITE: {
            auto* seek = ZIP_SOURCE_GET_ARGS(zip_source_args_seek_t, data, length, &sink.error_);
            if (!seek)
                return -1;
            return ::lseek(sink.fd_, seek->offset, seek->whence) < 0 ? sink.Fail(ZIP_ER_SEEK, errno)
                                                                     : 0;
        }
        case ZIP_SOURCE_TELL_WRITE: {
            const off_t at = ::lseek(sink.fd_, 0, SEEK_CUR);
            return at < 0 ? sink.Fail(ZIP_ER_TELL, errno) : zip_int64_t(at);
        }
        case ZIP_SOURCE_COMMIT_WRITE:
            return sink.Commit();
        case ZIP_SOURCE_ROLLBACK_WRITE:
        case ZIP_SOURCE_FREE:
            sink.Discard();
            return 0;
        case ZIP_SOURCE_REMOVE:
            return ::unlink(sink.path_.constData()) == 0 || errno == ENOENT
                       ? 0
                       : sink.Fail(ZIP_ER_REMOVE, errno);
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&sink.error_, data, length);
        default:
            zip_error_set(&sink.error_, ZIP_ER_OPNOTSUPP, 0);
            return -1;
        }
    }

private:
    zip_int64_t Fail(int zipError, int systemError) {
        zip_error_set(&error_, zipError, systemError);
        return -1;
    }

    zip_int64_t Begin() {
        const qsizetype slash = path_.lastIndexOf('/');
        const QByteArray folder =
            slash < 0 ? QByteArray(".") : path_.left(std::max<qsizetype>(slash, 1));
        if (temporary_ == ArchiveTemporary::Unnamed) {
            fd_ = ::open(folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
            // The name is given through /proc; without it the file could never be named.
            if (fd_ >= 0 && ::access(ProcName().constData(), F_OK) != 0)
                Discard();
        }
        if (fd_ < 0) {
            const bool created = WithNameBeside(path_, named_, [this](const QByteArray& name) {
                fd_ = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
                return fd_ >= 0;
            });
            if (!created) {
                named_.clear();
                return Fail(ZIP_ER_TMPOPEN, errno);
            }
        }
        // An archive that replaces another keeps the permissions the user gave the older one.
        struct stat older {};
        if (::stat(path_.constData(), &older) == 0)
            ::fchmod(fd_, older.st_mode & 07777);
        return 0;
    }

    zip_int64_t Write(const char* bytes, zip_uint64_t length) {
        const auto total = static_cast<zip_int64_t>(length);
        while (length > 0) {
            const ssize_t done = ::write(fd_, bytes, length);
            if (done < 0 && errno == EINTR)
                continue;
            if (done < 0)
                return Fail(ZIP_ER_WRITE, errno);
            bytes += done;
            length -= static_cast<zip_uint64_t>(done);
        }
        return total;
    }

    zip_int64_t Commit() {
        if (::fsync(fd_) != 0)
            return Fail(ZIP_ER_WRITE, errno);
        if (named_.isEmpty()) {
            const QByteArray self = ProcName();
            const auto link = [&self](const QByteArray& name) {
                return ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(),
                                AT_SYMLINK_FOLLOW) == 0;
            };
            if (link(path_)) {
                Discard();
                return 0;
            }
            // A link never replaces a file: an older archive is replaced by a rename, so that
            // there is always one whole archive of that name.
            if (errno != EEXIST || !WithNameBeside(path_, named_, link)) {
                const int error = errno;
                named_.clear();
                return Fail(ZIP_ER_RENAME, error);
            }
        }
        if (::rename(named_.constData(), path_.constData()) != 0)
            return Fail(ZIP_ER_RENAME, errno);
        named_.clear();
        Discard();
        return 0;
    }

    // Closes the file; a temporary name still given is removed, an unnamed file just vanishes.
    void Discard() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
        if (!named_.isEmpty())
            ::unlink(named_.constData());
        named_.clear();
    }

    QByteArray ProcName() const { return "/proc/self/fd/" + QByteArray::number(fd_); }

    QByteArray path_;
    ArchiveTemporary temporary_;
    int fd_ = -1;
    QByteArray named_; // the temporary name the file has, when it has one
    zip_error_t error_;
};

struct ArchiveCloser {
    void operator()(zip_t* archive) const {
        if (archive)
            zip_discard(archive);
    }
};
using Archive = std::unique_ptr<zip_t, ArchiveCloser>;

// Null, with `failure` naming the archive and libzip's reason, when it cannot be opened.
Archive OpenArchive(const QString& path, int flags, QString& failure) {
    int zipError = 0;
    Archive archive(zip_open(QFile::encodeName(path).constData(), flags, &zipError));
    if (!archive) {
        zip_error_t error;
        zip_error_init_with_code(&error, zipError);
        failure = path + QStringLiteral(": ") + ZipReason(&error);
        zip_error_fini(&error);
    }
    return archive;
}

Status AddMember(zip_t* archive, const ArchiveMember& member, int index, WriteContext& context) {
    if (*context.opened)
        (*context.opened)(index, ArchiveStage::Adding);
    const QByteArray nativePath = QFile::encodeName(member.path);
    struct stat info {};
    if (::stat(nativePath.constData(), &info) != 0)
        return Failure(member.path + QStringLiteral(": ") +
                       QString::fromLocal8Bit(std::strerror(errno)));
    std::FILE* file = std::fopen(nativePath.constData(), "rb");
    if (!file)
        return Failure(member.path + QStringLiteral(": ") +
                       QString::fromLocal8Bit(std::strerror(errno)));
    const bool deflate = DeflateShrinks(file, info.st_size);
    std::fclose(file);

    auto* source = new MemberSource;
    source->context = &context;
    source->index = index;
    source->path = member.path;
    source->size = info.st_size;
    source->mtime = info.st_mtime;
    zip_error_init(&source->error);
    zip_source_t* zipSource = zip_source_function(archive, ReadMember, source);
    if (!zipSource) {
        zip_error_fini(&source->error);
        delete source;
        return Failure(member.path + QStringLiteral(": ") + ZipReason(zip_get_error(archive)));
    }
    // libzip flags a UTF-8 name only when it holds a non-ASCII character. Unflagged 8-bit names
    // are read as CP437 or as the reader's own character set, never reliably as meant.
    const zip_int64_t added =
        zip_file_add(archive, member.name.toUtf8().constData(), zipSource, ZIP_FL_ENC_UTF_8);
    if (added < 0) {
        zip_source_free(zipSource);
        return Failure(member.name + QStringLiteral(": ") + ZipReason(zip_get_error(archive)));
    }
    const auto at = static_cast<zip_uint64_t>(added);
    // Without an explicit level libzip deflates at 9, several times slower for little gain.
    if (zip_set_file_compression(archive, at, deflate ? ZIP_CM_DEFLATE : ZIP_CM_STORE,
                                 deflate ? 1 : 0) != 0)
        return Failure(member.name + QStringLiteral(": ") + ZipReason(zip_get_error(archive)));
    return Success();
}

} // namespace

QString GenerateBackupName(const QDateTime& now, const QString& shortDateFormat,
                           const QString& longTimeFormat, const QLocale& locale) {
    QString name = QStringLiteral("QVL_Backup_") + locale.toString(now.date(), shortDateFormat) +
                   QLatin1Char('_') + locale.toString(now.time(), longTimeFormat);
    name.replace(QLatin1Char(' '), QLatin1Char('_'));
    name.replace(QLatin1Char('/'), QLatin1Char('-'));
    name.replace(QLatin1Char(':'), QLatin1Char('-'));
    return name;
}

QChar BackupNameKey(QChar key) {
    static const QString refused = QStringLiteral("\"*/:<>?\\|");
    return refused.contains(key) ? QLatin1Char('_') : key;
}

QString BackupArchivePath(const QString& folder, const QString& name) {
    return JoinPath(folder, name + QStringLiteral(".zip"));
}

QString StoredEntryName(const QString& path, const QString& baseFolder) {
    QString name = path;
    const QString comparablePath = ComparablePath(path);
    QString base = ComparablePath(baseFolder);
    if (!base.isEmpty() && !base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    if (!base.isEmpty() && comparablePath.startsWith(base) && comparablePath.size() > base.size())
        name = comparablePath.mid(base.size());

    if (HasDrivePrefix(name))
        name = name.mid(2);
    else
        name = WithoutServerPrefix(name);
    if (!name.isEmpty() && IsSeparator(name.at(0)))
        name.remove(0, 1);
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return name;
}

BackupStep BackupProgressAt(int index, int count) {
    if (count <= 1)
        return {1, 100};
    const int position = std::max(index, 1);
    return {position, position * 100 / (count - 1)};
}

int BackupRowAt(int row, ArchiveStage stage, int count) {
    const int last = std::max(count - 1, 0);
    return ((stage == ArchiveStage::Writing ? last : 0) + row) / 2;
}

Result<int> WriteZipArchive(const QString& archivePath, const QList<ArchiveMember>& members,
                            const MemberOpened& opened, ArchiveTemporary temporary) {
    if (members.isEmpty())
        return Failure(archivePath + QStringLiteral(": nothing to archive"));
    ArchiveSink sink(archivePath, temporary);
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* target = zip_source_function_create(&ArchiveSink::Command, &sink, &error);
    Archive archive(target ? zip_open_from_source(target, ZIP_CREATE | ZIP_TRUNCATE, &error)
                           : nullptr);
    if (!archive) {
        if (target)
            zip_source_free(target);
        const QString reason = ZipReason(&error);
        zip_error_fini(&error);
        return Failure(archivePath + QStringLiteral(": ") + reason);
    }
    zip_error_fini(&error);

    WriteContext context;
    context.opened = &opened;
    QSet<QString> names;
    int written = 0;
    for (int i = 0; i < members.size(); ++i) {
        // A stale filtered list may name one file twice; a ZIP holds a name once.
        if (names.contains(members[i].name))
            continue;
        names.insert(members[i].name);
        const Status added = AddMember(archive.get(), members[i], i, context);
        if (!added)
            return Failure(added.error());
        ++written;
    }
    // Every read and every deflate happen here, and the archive takes its name at the end.
    if (zip_close(archive.get()) != 0) {
        const QString reason =
            context.failedPath.isEmpty()
                ? archivePath + QStringLiteral(": ") + ZipReason(zip_get_error(archive.get()))
                : context.failedPath + QStringLiteral(": ") + context.failedReason;
        return Failure(reason);
    }
    archive.release();
    return written;
}

Result<int> VerifyZipArchive(const QString& archivePath) {
    QString failure;
    Archive archive = OpenArchive(archivePath, ZIP_RDONLY | ZIP_CHECKCONS, failure);
    if (!archive)
        return Failure(failure);
    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    std::vector<char> buffer(1 << 16);
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        const QString name = QString::fromUtf8(zip_get_name(archive.get(), index, 0));
        zip_file_t* member = zip_fopen_index(archive.get(), index, 0);
        if (!member)
            return Failure(name + QStringLiteral(": ") + ZipReason(zip_get_error(archive.get())));
        // libzip compares the CRC when the last byte has been read, and fails that read.
        zip_int64_t got = 0;
        while ((got = zip_fread(member, buffer.data(), buffer.size())) > 0) {
        }
        const QString reason = got < 0 ? ZipReason(zip_file_get_error(member)) : QString();
        zip_fclose(member);
        if (got < 0)
            return Failure(name + QStringLiteral(": ") + reason);
    }
    return static_cast<int>(count);
}

} // namespace quorvel
