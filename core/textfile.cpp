#include "core/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>
#include <cerrno>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {
// The GNU strerror_r: several threads may ask at once, and strerror's text may live in one
// buffer shared by all of them.
QString ErrnoText(int error) {
    char buffer[256];
    return QString::fromLocal8Bit(::strerror_r(error, buffer, sizeof buffer));
}

namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF", 3);
const QByteArray kUtf16LEBom("\xFF\xFE", 2);
const QByteArray kUtf16BEBom("\xFE\xFF", 2);

// True when the bytes are well-formed UTF-8 holding at least one multi-byte sequence: plain
// ASCII says nothing about the encoding, and Windows-1252 text is almost never valid UTF-8.
bool LooksLikeUtf8(const QByteArray& bytes) {
    bool multiByte = false;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra;
        unsigned minimum;
        unsigned code;
        if ((c & 0xE0) == 0xC0) {
            extra = 1, minimum = 0x80, code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2, minimum = 0x800, code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3, minimum = 0x10000, code = c & 0x07;
        } else {
            return false;
        }
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= n || (p[i + k] & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (p[i + k] & 0x3F);
        }
        if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        multiByte = true;
        i += extra + 1;
    }
    return multiByte;
}

// Windows-1252 bytes 0x80 to 0x9F; the rest of the code page is Latin-1. Five bytes stand for
// the C1 controls of their own value, as the system's converter reads and writes them.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Setting up the system's converter costs more than converting a page or an info text, and
// an album converts tens of thousands of them.
QString DecodeCp1252(const QByteArray& bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t* out = reinterpret_cast<char16_t*>(text.data());
    for (const char b : bytes) {
        const auto c = static_cast<unsigned char>(b);
        *out++ = c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : char16_t(c);
    }
    return text;
}

// False when a character is not in the code page, or is one this shortcut leaves to the
// system's converter (anything beyond the 256 characters of the table).
bool EncodeCp1252(const QString& text, QByteArray& bytes) {
    bytes.resize(text.size());
    char* out = bytes.data();
    for (const QChar qc : text) {
        const char16_t c = qc.unicode();
        if (c < 0x80 || (c >= 0xA0 && c < 0x100)) {
            *out++ = char(c);
            continue;
        }
        int found = -1;
        for (int i = 0; i < 32 && found < 0; ++i)
            if (kCp1252High[i] == c)
                found = i;
        if (found < 0)
            return false;
        *out++ = char(0x80 + found);
    }
    return true;
}

bool StartsWithMark(const QByteArray& bytes) {
    return bytes.startsWith(kUtf8Bom) || bytes.startsWith(kUtf16LEBom) ||
           bytes.startsWith(kUtf16BEBom);
}

QStringList SplitLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            lines << text.mid(start, i - start);
            if (c == QLatin1Char('\r') && i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
                ++i;
            start = i + 1;
        }
    }
    if (start < n)
        lines << text.mid(start);
    return lines;
}

// Qt leaves "Unknown error" (or nothing) where the system gave a reason, for instance after a
// failed rename; errno taken right after the failing call says what really happened.
QString SystemReason(const QFileDevice& file, int savedErrno) {
    const QString reason = file.errorString();
    if ((reason.isEmpty() || reason == QLatin1String("Unknown error")) && savedErrno != 0)
        return ErrnoText(savedErrno);
    return reason.isEmpty() ? QStringLiteral("Unknown error") : reason;
}

QString JoinWithCrLf(const QStringList& lines) {
    QString text;
    qsizetype size = 0;
    for (const QString& line : lines)
        size += line.size() + 2;
    text.reserve(size);
    for (const QString& line : lines) {
        text += line;
        text += QLatin1String("\r\n");
    }
    return text;
}

bool WriteAll(int fd, const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, std::size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

Status WriteFailure(const QString& path, int error) {
    return Failure(QStringLiteral("Cannot write %1: %2").arg(path, ErrnoText(error)));
}

// A file of a batch that takes a new name is written under it directly: there is no old file to
// keep whole, and the batch is not reported stored before Sync(). Saves a temporary name and a
// rename per file, a third of the work of a new album page. Nothing when the name is taken.
std::optional<Status> WriteUnderNewName(const QByteArray& name, const QString& path,
                                        const QByteArray& bytes, FolderSync& sync) {
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        if (const int error = errno; error != EEXIST)
            return WriteFailure(path, error);
        return std::nullopt;
    }
    if (!WriteAll(fd, bytes.constData(), bytes.size())) {
        const int error = errno;
        ::close(fd);
        ::unlink(name.constData()); // no part of a page is left under its name
        return WriteFailure(path, error);
    }
    sync.Adopt(fd, path);
    return Success();
}

// The deferred write: QSaveFile has no way to leave out its sync, which costs a journal commit
// per file. A named temporary beside the file, its bytes, then a rename: the name holds the
// old file or the whole new one. The new file takes the old one's permissions, or 0666 less the
// umask, as QSaveFile gives.
// Without `sync` the file is closed and left to the write-back; with it, the descriptor goes to
// `sync` once the file has its name.
Status WriteWithoutSync(const QString& path, const QByteArray& bytes, FolderSync* sync) {
    const QByteArray name = QFile::encodeName(path);
    if (sync) {
        if (std::optional<Status> written = WriteUnderNewName(name, path, bytes, *sync))
            return *written;
    }
    const qsizetype slash = name.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray() : name.left(slash + 1);
    // Short enough for any name the final one may have, and hidden from a file browser.
    const QByteArray base = name.mid(slash + 1).left(200);
    struct stat old {};
    const bool replacing = ::stat(name.constData(), &old) == 0;
    static std::atomic<unsigned> counter{0};
    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = folder + '.' + base + '.' + QByteArray::number(::getpid()) + '-' +
                    QByteArray::number(counter++) + ".tmp";
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        return WriteFailure(path, errno);
    auto fail = [&](int error, bool open) -> Status {
        if (open)
            ::close(fd);
        ::unlink(temporary.constData());
        return WriteFailure(path, error);
    };
    if (replacing && S_ISREG(old.st_mode) && ::fchmod(fd, old.st_mode & 07777) != 0)
        return fail(errno, true);
    if (!WriteAll(fd, bytes.constData(), bytes.size()))
        return fail(errno, true);
    if (!sync && ::close(fd) != 0)
        return fail(errno, false);
    if (::rename(temporary.constData(), name.constData()) != 0)
        return fail(errno, sync != nullptr);
    if (sync)
        sync->Adopt(fd, path);
    return Success();
}

} // namespace

QString TrimBlanksAndControls(const QString& text) {
    auto blankOrControl = [](QChar c) { return c.unicode() <= 0x20 || c.unicode() == 0x7F; };
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && blankOrControl(text[first]))
        ++first;
    while (last > first && blankOrControl(text[last - 1]))
        --last;
    return text.mid(first, last - first);
}

QString AsciiUpper(QStringView text) {
    QString out = text.toString();
    for (QChar& c : out) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    }
    return out;
}

QString DecodeFileName(QByteArrayView bytes) {
    const QByteArray raw = QByteArray::fromRawData(bytes.data(), bytes.size());
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; }))
        return QString::fromLatin1(bytes);
    return LooksLikeUtf8(raw) ? QString::fromUtf8(bytes) : DecodeCp1252(raw);
}

TextFile DecodeText(const QByteArray& bytes) {
    TextFile file;
    QString text;
    if (bytes.startsWith(kUtf8Bom)) {
        file.encoding = TextEncoding::Utf8Bom;
        // The mark is ours to remove; a second one is the text's own first character.
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
        text = decoder(bytes.mid(3));
    } else if (bytes.startsWith(kUtf16LEBom)) {
        file.encoding = TextEncoding::Utf16LE;
        QStringDecoder decoder(QStringDecoder::Utf16LE, QStringDecoder::Flag::ConvertInitialBom);
        text = decoder(bytes.mid(2));
    } else if (bytes.startsWith(kUtf16BEBom)) {
        file.encoding = TextEncoding::Utf16BE;
        QStringDecoder decoder(QStringDecoder::Utf16BE, QStringDecoder::Flag::ConvertInitialBom);
        text = decoder(bytes.mid(2));
    } else if (LooksLikeUtf8(bytes)) {
        file.encoding = TextEncoding::Utf8;
        text = QString::fromUtf8(bytes);
    } else {
        file.encoding = TextEncoding::Ansi;
        text = DecodeCp1252(bytes);
    }
    file.lines = SplitLines(text);
    return file;
}

QByteArray EncodeText(const QStringList& lines, TextEncoding encoding, TextEncoding* used) {
    const QString text = JoinWithCrLf(lines);
    QByteArray bytes;
    if (encoding == TextEncoding::Ansi) {
        bool missing = false;
        if (!EncodeCp1252(text, bytes)) {
            QStringEncoder encoder("windows-1252");
            bytes = encoder(text);
            missing = encoder.hasError();
        }
        // A character the code page lacks would land on disk as "?", and code-page bytes that
        // start like a byte-order mark or form multi-byte UTF-8 ("Ã©") would be read back as
        // other text: keep such a text in UTF-8 with its mark, which reads back as written.
        if (missing || StartsWithMark(bytes) || LooksLikeUtf8(bytes))
            encoding = TextEncoding::Utf8Bom;
    }
    switch (encoding) {
    case TextEncoding::Ansi:
        break;
    case TextEncoding::Utf8:
        bytes = text.toUtf8();
        break;
    case TextEncoding::Utf8Bom:
        bytes = kUtf8Bom + text.toUtf8();
        break;
    case TextEncoding::Utf16LE: {
        QStringEncoder encoder(QStringEncoder::Utf16LE);
        bytes = kUtf16LEBom + QByteArray(encoder(text));
        break;
    }
    case TextEncoding::Utf16BE: {
        QStringEncoder encoder(QStringEncoder::Utf16BE);
        bytes = kUtf16BEBom + QByteArray(encoder(text));
        break;
    }
    }
    if (used)
        *used = encoding;
    return bytes;
}

bool BytesMayHoldUpperCased(const QByteArray& bytes, QStringView upper) {
    if (upper.isEmpty() || bytes.startsWith(kUtf16LEBom) || bytes.startsWith(kUtf16BEBom))
        return true;
    std::string needle;
    needle.reserve(std::size_t(upper.size()));
    for (const QChar c : upper) {
        if (c.unicode() >= 0x80)
            return true;
        needle += char(c.unicode());
    }
    std::string folded(bytes.constData(), std::size_t(bytes.size()));
    for (char& c : folded) {
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    }
    return folded.find(needle) != std::string::npos;
}

// Straight from the system: a filter reads every text of the collection, and QFile's own
// checks around each open and read cost as much again as the reading.
Result<QByteArray> ReadFileContents(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty() || name.contains('\0'))
        return Failure(QStringLiteral("Cannot open %1: %2").arg(path, ErrnoText(ENOENT)));
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Failure(QStringLiteral("Cannot open %1: %2").arg(path, ErrnoText(errno)));
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISDIR(status.st_mode)) {
        ::close(fd);
        return Failure(QStringLiteral("Cannot open %1: %2").arg(path, ErrnoText(EISDIR)));
    }
    QByteArray bytes;
    // One read more than the size: the end is known only when a read gives nothing.
    bytes.resize(S_ISREG(status.st_mode) ? qsizetype(status.st_size) + 1 : 4096);
    qsizetype size = 0;
    for (;;) {
        if (size == bytes.size())
            bytes.resize(bytes.size() * 2);
        const ssize_t n = ::read(fd, bytes.data() + size, std::size_t(bytes.size() - size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            return Failure(QStringLiteral("Cannot read %1: %2").arg(path, ErrnoText(error)));
        }
        if (n == 0)
            break;
        size += n;
    }
    ::close(fd);
    bytes.truncate(size);
    return bytes;
}

Result<TextFile> ReadTextFile(const QString& path) {
    const Result<QByteArray> bytes = ReadFileContents(path);
    if (!bytes)
        return Failure(bytes.error());
    return DecodeText(*bytes);
}

namespace {

Status CheckWritableName(const QString& path) {
    if (path.isEmpty())
        return Failure(QStringLiteral("Cannot write a file without a name"));
    // The system takes a NUL as the end of the name: the bytes would land under a shorter
    // name than the one the caller asked for.
    if (path.contains(QChar(0))) {
        QString shown = path;
        shown.replace(QChar(0), QLatin1String("\\0"));
        return Failure(
            QStringLiteral("Cannot write %1: the file name holds a NUL character").arg(shown));
    }
    return Success();
}

} // namespace

Status WriteFileSafely(const QString& path, const QByteArray& bytes, FolderSync& sync) {
    if (const Status name = CheckWritableName(path); !name)
        return name;
    return WriteWithoutSync(path, bytes, &sync);
}

Status WriteFileSafely(const QString& path, const QByteArray& bytes, Durability durability) {
    if (const Status name = CheckWritableName(path); !name)
        return name;
    if (durability == Durability::Deferred)
        return WriteWithoutSync(path, bytes, nullptr);
    QSaveFile file(path);
    auto fail = [&](int savedErrno) -> Status {
        const QString reason = SystemReason(file, savedErrno);
        file.cancelWriting(); // the temporary file goes with `file`; the old file is untouched
        return Failure(QStringLiteral("Cannot write %1: %2").arg(path, reason));
    };
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        return fail(errno);
    if (file.write(bytes) != bytes.size())
        return fail(errno);
    // Qt 6.4's commit() renames even when its own final flush fails (a full disk then leaves
    // an empty or cut file that "succeeded"), so every byte must have reached the file first.
    errno = 0;
    if (!file.flush() || file.error() != QFileDevice::NoError)
        return fail(errno);
    errno = 0;
    if (!file.commit())
        return Failure(QStringLiteral("Cannot write %1: %2").arg(path, SystemReason(file, errno)));
    return Success();
}

// Syncs the files handed to it in batches: a batch's writes are all started first, so that the
// disk takes them one after the other, then a few threads sync its files (several syncs waiting
// together share the disk's cache flush). A batch is what gathered while the one before was
// synced, so the writer never waits for the disk unless it holds too many files open.
struct FolderSync::Syncer {
    static constexpr int kThreads = 32;

    struct File {
        int fd;
        QString path;
    };

    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable room;
    std::vector<File> gathering; // handed over, not started yet
    std::vector<File> batch;     // being synced
    std::size_t next = 0;        // the next file of `batch` to sync
    std::size_t finished = 0;    // files of `batch` synced and closed
    bool starting = false;       // a thread is starting the writes of a new batch
    bool ending = false;
    std::size_t maxOpen = OpenFilesAllowed();
    QString failure; // the first file that could not be stored, with the reason
    std::vector<std::thread> threads;

    Syncer() {
        for (int i = 0; i < kThreads; ++i)
            threads.emplace_back([this] { Run(); });
    }
    ~Syncer() { Finish(); }

    // Half of what the process may still open: the rest stays for everything else it does.
    static std::size_t OpenFilesAllowed() {
        rlimit limit{};
        if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
            return 512;
        const std::size_t inUse = QDir(QStringLiteral("/proc/self/fd")).count();
        const std::size_t free = std::size_t(limit.rlim_cur) > inUse ? limit.rlim_cur - inUse : 0;
        return std::clamp<std::size_t>(free / 2, 16, 32768);
    }

    std::size_t Open() const { return gathering.size() + batch.size() - finished; }
    bool BatchDone() const { return !starting && finished == batch.size(); }

    void Add(int fd, const QString& path) {
        std::unique_lock lock(mutex);
        room.wait(lock, [this] { return Open() < maxOpen; });
        gathering.push_back({fd, path});
        if (BatchDone())
            wake.notify_one();
    }

    void Run() {
        std::unique_lock lock(mutex);
        for (;;) {
            wake.wait(lock, [this] {
                return next < batch.size() || (BatchDone() && (!gathering.empty() || ending));
            });
            if (next < batch.size()) {
                const File file = batch[next++];
                lock.unlock();
                const int error = SyncAndClose(file.fd);
                lock.lock();
                if (error && failure.isEmpty())
                    failure = QStringLiteral("Cannot store %1 on disk: %2")
                                  .arg(file.path, ErrnoText(error));
                if (++finished == batch.size()) {
                    room.notify_all();
                    wake.notify_all();
                }
            } else if (!gathering.empty()) {
                StartBatch(lock);
            } else {
                return; // ending, and nothing left
            }
        }
    }

    // Takes what gathered as the next batch and starts all its writes before any is waited for.
    void StartBatch(std::unique_lock<std::mutex>& lock) {
        starting = true;
        std::vector<File> files;
        files.swap(gathering);
        lock.unlock();
        for (const File& file : files)
            ::sync_file_range(file.fd, 0, 0, SYNC_FILE_RANGE_WRITE);
        lock.lock();
        batch = std::move(files);
        next = 0;
        finished = 0;
        starting = false;
        wake.notify_all();
    }

    static int SyncAndClose(int fd) {
        int synced = 0;
        do
            synced = ::fdatasync(fd);
        while (synced != 0 && errno == EINTR);
        int error = synced != 0 ? errno : 0;
        if (::close(fd) != 0 && error == 0)
            error = errno;
        return error;
    }

    void Finish() {
        {
            const std::lock_guard lock(mutex);
            ending = true;
        }
        wake.notify_all();
        for (std::thread& thread : threads)
            if (thread.joinable())
                thread.join();
    }
};

FolderSync::FolderSync(const QString& folder) : folder_(folder) {
    const QByteArray name = QFile::encodeName(folder.isEmpty() ? QStringLiteral(".") : folder);
    fd_ = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd_ < 0)
        openError_ = errno;
}

FolderSync::~FolderSync() {
    syncer_.reset();
    if (fd_ >= 0)
        ::close(fd_);
}

void FolderSync::Adopt(int fd, const QString& path) {
    {
        const std::lock_guard lock(starting_);
        if (!syncer_)
            syncer_ = std::make_unique<Syncer>();
    }
    syncer_->Add(fd, path);
}

Status FolderSync::Sync() {
    QString failure;
    if (syncer_) {
        syncer_->Finish();
        failure = syncer_->failure;
        syncer_.reset();
    }
    if (!failure.isEmpty())
        return Failure(failure);
    if (fd_ < 0)
        return Failure(QStringLiteral("Cannot open %1: %2").arg(folder_, ErrnoText(openError_)));
    // The files' own syncs made their bytes durable; the folder's makes their names so.
    if (::fsync(fd_) != 0)
        return Failure(QStringLiteral("Cannot store the files of %1 on disk: %2")
                           .arg(folder_, ErrnoText(errno)));
    return Success();
}

Status CopyToNewFile(const QString& from, const QString& to) {
    if (QFileInfo::exists(to))
        return Failure(QStringLiteral("Cannot copy to %1: the file already exists").arg(to));
    QFile source(from);
    if (from.isEmpty() || !source.open(QIODevice::ReadOnly))
        return Failure(QStringLiteral("Cannot open %1: %2").arg(from, source.errorString()));
    const QByteArray bytes = source.readAll();
    if (source.error() != QFileDevice::NoError)
        return Failure(QStringLiteral("Cannot read %1: %2").arg(from, source.errorString()));
    return WriteFileSafely(to, bytes);
}

Result<TextEncoding> WriteTextFile(const QString& path, const QStringList& lines,
                                   TextEncoding encoding, FolderSync& sync) {
    TextEncoding used = encoding;
    const Status written = WriteFileSafely(path, EncodeText(lines, encoding, &used), sync);
    if (!written)
        return Failure(written.error());
    return used;
}

Result<TextEncoding> WriteTextFile(const QString& path, const QStringList& lines,
                                   TextEncoding encoding, Durability durability) {
    TextEncoding used = encoding;
    const QByteArray bytes = EncodeText(lines, encoding, &used);
    Status written = WriteFileSafely(path, bytes, durability);
    if (!written)
        return Failure(written.error());
    return used;
}

} // namespace quorvel
