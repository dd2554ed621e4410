#include "core/backup_archive.h"

#include "core/collection.h"
#include "core/textfile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>

#include <zip.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
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

// One deflate stream for every sample of a backup: a fresh one per member costs more than
// deflating the sample.
class DeflateSample {
public:
    DeflateSample() { ready_ = deflateInit(&stream_, 1) == Z_OK; }
    ~DeflateSample() {
        if (ready_)
            deflateEnd(&stream_);
    }
    DeflateSample(const DeflateSample&) = delete;
    DeflateSample& operator=(const DeflateSample&) = delete;

    // Where the sample of a file of `size` bytes lies.
    static qint64 Length(qint64 size) { return std::min(size, kSampleBytes); }
    static qint64 Start(qint64 size) { return (size - Length(size)) / 2; }

    bool Shrinks(int fd, qint64 size) {
        if (size <= 0)
            return false;
        char sample[kSampleBytes];
        if (::pread(fd, sample, std::size_t(Length(size)), off_t(Start(size))) != Length(size))
            return true; // unreadable now: let the real read report it
        return Shrinks(sample, Length(size));
    }

    bool Shrinks(const char* sample, qint64 length) {
        if (length <= 0)
            return false;
        if (!ready_ || deflateReset(&stream_) != Z_OK)
            return true;
        Bytef packed[2 * kSampleBytes];
        stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(sample));
        stream_.avail_in = uInt(length);
        stream_.next_out = packed;
        stream_.avail_out = sizeof packed;
        if (deflate(&stream_, Z_FINISH) != Z_STREAM_END)
            return true;
        // The zlib stream wraps the deflate data in 6 bytes of header and checksum.
        const double deflated = double(stream_.total_out) - 6.0;
        return deflated < double(length) * kWorthDeflating;
    }

private:
    z_stream stream_{};
    bool ready_ = false;
};

// A member as the archive will hold it, known before any of its bytes are written.
struct PlannedMember {
    int index = 0; // in the caller's list
    QString path;
    QByteArray name; // UTF-8
    qint64 size = 0;
    time_t mtime = 0;
    bool deflate = false;
};

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
        source.context->failedReason = ErrnoText(systemError);
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

    // For a writer of its own: Open gives the file to write into, Close names it once it is
    // whole; both give libzip's words for a failure.
    int Open(QString& reason) {
        if (Begin() < 0) {
            reason = ZipReason(&error_);
            return -1;
        }
        return fd_;
    }
    bool Close(QString& reason) {
        if (Commit() < 0) {
            reason = ZipReason(&error_);
            return false;
        }
        return true;
    }
    QString Reason(int zipError, int systemError) {
        zip_error_set(&error_, zipError, systemError);
        return ZipReason(&error_);
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

QString SystemFailure(const QString& path) {
    return path + QStringLiteral(": ") + ErrnoText(errno);
}

Result<PlannedMember> PlanMember(const ArchiveMember& member, int index,
                                 const MemberOpened& opened) {
    if (opened)
        opened(index, ArchiveStage::Adding);
    struct stat info {};
    if (::stat(QFile::encodeName(member.path).constData(), &info) != 0)
        return Failure(SystemFailure(member.path));
    PlannedMember plan;
    plan.index = index;
    plan.path = member.path;
    plan.name = member.name.toUtf8();
    plan.size = info.st_size;
    plan.mtime = info.st_mtime;
    return plan;
}

Status AddMember(zip_t* archive, const PlannedMember& plan, WriteContext& context) {
    auto* source = new MemberSource;
    source->context = &context;
    source->index = plan.index;
    source->path = plan.path;
    source->size = plan.size;
    source->mtime = plan.mtime;
    zip_error_init(&source->error);
    const QString name = QString::fromUtf8(plan.name);
    zip_source_t* zipSource = zip_source_function(archive, ReadMember, source);
    if (!zipSource) {
        zip_error_fini(&source->error);
        delete source;
        return Failure(plan.path + QStringLiteral(": ") + ZipReason(zip_get_error(archive)));
    }
    // libzip flags a UTF-8 name only when it holds a non-ASCII character. Unflagged 8-bit names
    // are read as CP437 or as the reader's own character set, never reliably as meant.
    const zip_int64_t added = zip_file_add(archive, plan.name.constData(), zipSource,
                                           ZIP_FL_ENC_UTF_8);
    if (added < 0) {
        zip_source_free(zipSource);
        return Failure(name + QStringLiteral(": ") + ZipReason(zip_get_error(archive)));
    }
    const auto at = static_cast<zip_uint64_t>(added);
    // Without an explicit level libzip deflates at 9, several times slower for little gain.
    if (zip_set_file_compression(archive, at, plan.deflate ? ZIP_CM_DEFLATE : ZIP_CM_STORE,
                                 plan.deflate ? 1 : 0) != 0)
        return Failure(name + QStringLiteral(": ") + ZipReason(zip_get_error(archive)));
    return Success();
}

// libzip needs each member's method before it reads any: a sample of each file tells it.
Result<int> WriteWithLibzip(const QString& archivePath, std::vector<PlannedMember>& plans,
                            ArchiveSink& sink, WriteContext& context) {
    DeflateSample sample;
    for (PlannedMember& plan : plans) {
        const int fd = ::open(QFile::encodeName(plan.path).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return Failure(SystemFailure(plan.path));
        plan.deflate = sample.Shrinks(fd, plan.size);
        ::close(fd);
    }
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
    for (const PlannedMember& plan : plans) {
        const Status added = AddMember(archive.get(), plan, context);
        if (!added)
            return Failure(added.error());
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
    return int(plans.size());
}

// The archive written without libzip, byte for byte as libzip writes it (local header, data,
// central directory, end record; no data descriptors, no extra fields), for archives that need
// no Zip64 record. Two threads: the reader opens each member in order, reads its CRC and
// deflates the texts; the writer lays the headers and copies each stored member's bytes from
// its file at its offset in the archive.
constexpr quint32 kLocalHeader = 0x04034b50;
constexpr quint32 kCentralHeader = 0x02014b50;
constexpr quint32 kEndRecord = 0x06054b50;
constexpr quint16 kMadeBy = (3 << 8) | 63; // Unix, ZIP 6.3
constexpr quint16 kUtf8Name = 0x0800;
constexpr quint16 kFastDeflate = 0x0004;
constexpr quint32 kRegularFile0666 = 0100666u << 16;

bool FitsWithoutZip64(const std::vector<PlannedMember>& plans) {
    if (plans.size() >= 0xFFFF)
        return false;
    quint64 bound = 22;
    for (const PlannedMember& plan : plans) {
        const quint64 size = quint64(plan.size);
        if (size >= 0xFFFFFFFFu)
            return false;
        bound += 30 + 46 + 2 * quint64(plan.name.size()) + compressBound(uLong(size));
    }
    return bound < 0xFFFFFFFFu;
}

void Put16(QByteArray& out, quint16 value) {
    out.append(char(value & 0xFF)).append(char(value >> 8));
}

void Put32(QByteArray& out, quint32 value) {
    Put16(out, quint16(value & 0xFFFF));
    Put16(out, quint16(value >> 16));
}

// DOS date and time in local time, two-second steps; years before 1980 count as 1980.
void PutDosTime(QByteArray& out, time_t mtime) {
    struct tm local {};
    if (!::localtime_r(&mtime, &local)) {
        Put16(out, 0);
        Put16(out, (1 << 5) + 1);
        return;
    }
    if (local.tm_year < 80)
        local.tm_year = 80;
    Put16(out, quint16((local.tm_hour << 11) + (local.tm_min << 5) + (local.tm_sec >> 1)));
    Put16(out, quint16(((local.tm_year + 1900 - 1980) << 9) + ((local.tm_mon + 1) << 5) +
                       local.tm_mday));
}

// The fields the local header and the central directory share, from "version needed" to the
// name's length.
void PutCommonFields(QByteArray& out, const PlannedMember& plan, bool deflated, quint32 crc,
                     quint32 packed) {
    const bool ascii = std::all_of(plan.name.begin(), plan.name.end(),
                                   [](char c) { return (unsigned char)c < 0x80; });
    Put16(out, deflated ? 20 : 10);
    Put16(out, quint16((deflated ? kFastDeflate : 0) | (ascii ? 0 : kUtf8Name)));
    Put16(out, deflated ? ZIP_CM_DEFLATE : ZIP_CM_STORE);
    PutDosTime(out, plan.mtime);
    Put32(out, crc);
    Put32(out, packed);
    Put32(out, quint32(plan.size));
    Put16(out, quint16(plan.name.size()));
    Put16(out, 0); // extra field
}

// What the reader hands the writer for one member.
struct ReadMemberData {
    bool failed = false;
    bool deflate = false; // a sample from its middle shrank
    int fd = -1;          // a stored member's file, open for the copy
    QByteArray deflated;  // a deflated member's data
    quint32 crc = 0;
    qint64 size = 0;      // the bytes read
};

class DirectWriter {
public:
    DirectWriter(const std::vector<PlannedMember>& plans, int archive, ArchiveCopy copy,
                 WriteContext& context)
        : plans_(plans), archive_(archive), inKernel_(copy == ArchiveCopy::InKernel),
          context_(context) {}

    // False with `reason` set when the archive file could not be written; a member that could
    // not be read is in the context.
    bool Write(QString& reason, ArchiveSink& sink) {
        std::thread reader([this] { ReadAll(); });
        const bool written = WriteAll(reason, sink);
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        roomLeft_.notify_all();
        reader.join();
        for (ReadMemberData& left : ready_)
            if (left.fd >= 0)
                ::close(left.fd);
        return written;
    }

private:
    static constexpr std::size_t kQueued = 256;
    static constexpr qint64 kChunk = 256 * 1024;
    static constexpr qint64 kKeptWhole = 4 << 20;
    static constexpr qint64 kWriteBackStep = 32 << 20;

    // The reader's thread.
    void ReadAll() {
        z_stream stream{};
        const bool deflating =
            deflateInit2(&stream, 1, Z_DEFLATED, -MAX_WBITS, MAX_MEM_LEVEL, Z_DEFAULT_STRATEGY) ==
            Z_OK;
        std::vector<char> chunk(static_cast<std::size_t>(kChunk));
        for (const PlannedMember& plan : plans_) {
            {
                std::unique_lock lock(mutex_);
                roomLeft_.wait(lock, [this] { return stop_ || ready_.size() < kQueued; });
                if (stop_)
                    break;
            }
            ReadMemberData data = Read(plan, chunk, deflating ? &stream : nullptr);
            const bool failed = data.failed;
            {
                const std::lock_guard lock(mutex_);
                ready_.push_back(std::move(data));
            }
            haveData_.notify_one();
            if (failed)
                break;
        }
        if (deflating)
            deflateEnd(&stream);
    }

    ReadMemberData Read(const PlannedMember& plan, std::vector<char>& chunk, z_stream* stream) {
        ReadMemberData data;
        const auto fail = [&](int error) {
            if (data.fd >= 0)
                ::close(data.fd);
            data.fd = -1;
            data.failed = true;
            Blame(plan, error);
            return std::move(data);
        };
        if (*context_.opened)
            (*context_.opened)(plan.index, ArchiveStage::Writing);
        data.fd = ::open(QFile::encodeName(plan.path).constData(), O_RDONLY | O_CLOEXEC);
        if (data.fd < 0)
            return fail(errno);
        // One pass gives the CRC, the sample that chooses the method and, for a file small
        // enough, the bytes to deflate; a stored member is copied by the writer afterwards.
        const qint64 sampleStart = DeflateSample::Start(plan.size);
        const qint64 sampleEnd = sampleStart + DeflateSample::Length(plan.size);
        QByteArray sample;
        QByteArray whole;
        const bool keepWhole = plan.size <= kKeptWhole;
        if (keepWhole)
            whole.reserve(qsizetype(plan.size));
        uLong crc = crc32(0, nullptr, 0);
        for (;;) {
            const ssize_t got = ::read(data.fd, chunk.data(), chunk.size());
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                return fail(errno);
            if (got == 0)
                break;
            crc = crc32(crc, reinterpret_cast<const Bytef*>(chunk.data()), uInt(got));
            const qint64 from = std::max(sampleStart, data.size);
            const qint64 to = std::min(sampleEnd, data.size + got);
            if (from < to)
                sample.append(chunk.data() + (from - data.size), qsizetype(to - from));
            if (keepWhole)
                whole.append(chunk.data(), qsizetype(got));
            data.size += got;
            // A regular file reads short only at its end.
            if (std::size_t(got) < chunk.size())
                break;
        }
        data.crc = quint32(crc);
        if (data.size != plan.size)
            return fail(0);
        data.deflate = sample_.Shrinks(sample.constData(), sample.size());
        if (!data.deflate)
            return data;
        if (!stream || deflateReset(stream) != Z_OK)
            return fail(ENOMEM);
        data.deflated.resize(qsizetype(deflateBound(stream, uLong(plan.size))));
        stream->next_out = reinterpret_cast<Bytef*>(data.deflated.data());
        stream->avail_out = uInt(data.deflated.size());
        int deflated = Z_OK;
        if (keepWhole) {
            stream->next_in = reinterpret_cast<Bytef*>(whole.data());
            stream->avail_in = uInt(whole.size());
            deflated = deflate(stream, Z_FINISH);
        } else {
            // Too large to keep: read once more, through deflate.
            for (off_t at = 0; deflated == Z_OK;) {
                const ssize_t got = ::pread(data.fd, chunk.data(), chunk.size(), at);
                if (got < 0 && errno == EINTR)
                    continue;
                if (got < 0)
                    return fail(errno);
                at += got;
                stream->next_in = reinterpret_cast<Bytef*>(chunk.data());
                stream->avail_in = uInt(got);
                deflated = deflate(stream, got == 0 ? Z_FINISH : Z_NO_FLUSH);
            }
        }
        ::close(data.fd);
        data.fd = -1;
        if (deflated != Z_STREAM_END)
            return fail(ENOMEM);
        data.deflated.truncate(qsizetype(stream->total_out));
        return data;
    }

    // Names the member that could not be read, unless one was named before; `error` 0 for a
    // file whose size changed since it was planned.
    void Blame(const PlannedMember& plan, int error) {
        const std::lock_guard lock(mutex_);
        if (!context_.failedPath.isEmpty())
            return;
        context_.failedPath = plan.path;
        context_.failedReason = error ? ErrnoText(error)
                                      : QStringLiteral("the file changed while it was archived");
    }

    // The calling thread.
    bool WriteAll(QString& reason, ArchiveSink& sink) {
        QByteArray central;
        for (const PlannedMember& plan : plans_) {
            ReadMemberData data;
            {
                std::unique_lock lock(mutex_);
                haveData_.wait(lock, [this] { return !ready_.empty(); });
                data = std::move(ready_.front());
                ready_.pop_front();
            }
            roomLeft_.notify_one();
            if (data.failed)
                return false;
            const quint32 packed = quint32(data.deflate ? data.deflated.size() : data.size);
            const quint32 offset = quint32(at_ + pending_.size());
            Put32(pending_, kLocalHeader);
            PutCommonFields(pending_, plan, data.deflate, data.crc, packed);
            pending_.append(plan.name);
            Put32(central, kCentralHeader);
            Put16(central, kMadeBy);
            PutCommonFields(central, plan, data.deflate, data.crc, packed);
            Put16(central, 0); // comment
            Put16(central, 0); // disk
            Put16(central, 0); // internal attributes
            Put32(central, kRegularFile0666);
            Put32(central, offset);
            central.append(plan.name);
            if (data.deflate) {
                pending_.append(data.deflated);
            } else {
                const bool copied =
                    Flush(reason, sink) && Copy(plan, data.fd, data.size, reason, sink);
                ::close(data.fd);
                if (!copied)
                    return false;
            }
            if (pending_.size() >= kChunk && !Flush(reason, sink))
                return false;
        }
        const quint32 centralAt = quint32(at_ + pending_.size());
        pending_.append(central);
        Put32(pending_, kEndRecord);
        Put16(pending_, 0);
        Put16(pending_, 0);
        Put16(pending_, quint16(plans_.size()));
        Put16(pending_, quint16(plans_.size()));
        Put32(pending_, quint32(central.size()));
        Put32(pending_, centralAt);
        Put16(pending_, 0); // comment
        return Flush(reason, sink);
    }

    bool Flush(QString& reason, ArchiveSink& sink) {
        const bool written = WriteAt(pending_.constData(), pending_.size(), reason, sink);
        pending_.clear();
        return written;
    }

    bool WriteAt(const char* bytes, qint64 size, QString& reason, ArchiveSink& sink) {
        while (size > 0) {
            const ssize_t wrote = ::pwrite(archive_, bytes, std::size_t(size), off_t(at_));
            if (wrote < 0 && errno == EINTR)
                continue;
            if (wrote < 0) {
                reason = sink.Reason(ZIP_ER_WRITE, errno);
                return false;
            }
            bytes += wrote;
            size -= wrote;
            Advance(wrote);
        }
        return true;
    }

    // The stored member's bytes from its file to the archive's end: by the system where it can
    // (a failure then is the archive's), else read here (a failure then is the member's).
    bool Copy(const PlannedMember& plan, int fd, qint64 size, QString& reason, ArchiveSink& sink) {
        off_t from = 0;
        while (from < size) {
            if (inKernel_) {
                off_t to = off_t(at_);
                const ssize_t got =
                    ::copy_file_range(fd, &from, archive_, &to, std::size_t(size - from), 0);
                if (got > 0) {
                    Advance(got);
                    continue;
                }
                if (got < 0 && errno == EINTR)
                    continue;
                if (got < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS ||
                                errno == EOPNOTSUPP)) {
                    inKernel_ = false; // these two file systems copy only through memory
                    continue;
                }
                if (got < 0) {
                    reason = sink.Reason(ZIP_ER_WRITE, errno);
                    return false;
                }
                Blame(plan, 0);
                return false;
            }
            if (buffer_.empty())
                buffer_.resize(std::size_t(kChunk));
            const ssize_t got = ::pread(fd, buffer_.data(),
                                        std::size_t(std::min<qint64>(size - from, kChunk)), from);
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0) {
                Blame(plan, got < 0 ? errno : 0);
                return false;
            }
            if (!WriteAt(buffer_.data(), got, reason, sink))
                return false;
            from += got;
        }
        return true;
    }

    // Past every `kWriteBackStep` bytes the system starts writing them out, so that the sync
    // that ends the archive finds little left to write.
    void Advance(qint64 bytes) {
        at_ += bytes;
        if (at_ - writtenBack_ >= kWriteBackStep) {
            ::sync_file_range(archive_, writtenBack_, at_ - writtenBack_,
                              SYNC_FILE_RANGE_WRITE);
            writtenBack_ = at_;
        }
    }

    const std::vector<PlannedMember>& plans_;
    const int archive_;
    bool inKernel_;
    WriteContext& context_;
    qint64 at_ = 0;
    qint64 writtenBack_ = 0;
    QByteArray pending_; // bytes for the archive from `at_` on
    std::vector<char> buffer_;
    DeflateSample sample_; // the reader's

    std::mutex mutex_;
    std::condition_variable haveData_;
    std::condition_variable roomLeft_;
    std::deque<ReadMemberData> ready_;
    bool stop_ = false;
};

Result<int> WriteDirectly(const QString& archivePath, const std::vector<PlannedMember>& plans,
                          ArchiveSink& sink, WriteContext& context, ArchiveCopy copy) {
    QString reason;
    const int fd = sink.Open(reason);
    if (fd < 0)
        return Failure(archivePath + QStringLiteral(": ") + reason);
    DirectWriter writer(plans, fd, copy, context);
    if (!writer.Write(reason, sink)) {
        if (!context.failedPath.isEmpty())
            return Failure(context.failedPath + QStringLiteral(": ") + context.failedReason);
        return Failure(archivePath + QStringLiteral(": ") + reason);
    }
    if (!sink.Close(reason))
        return Failure(archivePath + QStringLiteral(": ") + reason);
    return int(plans.size());
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
                            const MemberOpened& opened, ArchiveTemporary temporary,
                            ArchiveCopy copy) {
    if (members.isEmpty())
        return Failure(archivePath + QStringLiteral(": nothing to archive"));
    std::vector<PlannedMember> plans;
    plans.reserve(std::size_t(members.size()));
    QSet<QString> names;
    for (int i = 0; i < members.size(); ++i) {
        // A stale filtered list may name one file twice; a ZIP holds a name once.
        if (names.contains(members[i].name))
            continue;
        names.insert(members[i].name);
        Result<PlannedMember> plan = PlanMember(members[i], i, opened);
        if (!plan)
            return Failure(plan.error());
        plans.push_back(std::move(*plan));
    }
    ArchiveSink sink(archivePath, temporary);
    WriteContext context;
    context.opened = &opened;
    if (copy == ArchiveCopy::ByLibzip || !FitsWithoutZip64(plans))
        return WriteWithLibzip(archivePath, plans, sink, context);
    return WriteDirectly(archivePath, plans, sink, context, copy);
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
