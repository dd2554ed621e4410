#include "core/textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cerrno>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {
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
        return QString::fromLocal8Bit(std::strerror(savedErrno));
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
        QStringDecoder decoder("windows-1252");
        text = decoder(bytes);
    }
    file.lines = SplitLines(text);
    return file;
}

QByteArray EncodeText(const QStringList& lines, TextEncoding encoding, TextEncoding* used) {
    const QString text = JoinWithCrLf(lines);
    QByteArray bytes;
    if (encoding == TextEncoding::Ansi) {
        QStringEncoder encoder("windows-1252");
        bytes = encoder(text);
        // A character the code page lacks would land on disk as "?", and code-page bytes that
        // start like a byte-order mark or form multi-byte UTF-8 ("Ã©") would be read back as
        // other text: keep such a text in UTF-8 with its mark, which reads back as written.
        if (encoder.hasError() || StartsWithMark(bytes) || LooksLikeUtf8(bytes))
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
    const auto reason = [](int error) { return QString::fromLocal8Bit(std::strerror(error)); };
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty() || name.contains('\0'))
        return Failure(QStringLiteral("Cannot open %1: %2").arg(path, reason(ENOENT)));
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Failure(QStringLiteral("Cannot open %1: %2").arg(path, reason(errno)));
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISDIR(status.st_mode)) {
        ::close(fd);
        return Failure(QStringLiteral("Cannot open %1: %2").arg(path, reason(EISDIR)));
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
            return Failure(QStringLiteral("Cannot read %1: %2").arg(path, reason(error)));
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

Status WriteFileSafely(const QString& path, const QByteArray& bytes) {
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
                                   TextEncoding encoding) {
    TextEncoding used = encoding;
    const QByteArray bytes = EncodeText(lines, encoding, &used);
    Status written = WriteFileSafely(path, bytes);
    if (!written)
        return Failure(written.error());
    return used;
}

} // namespace quorvel
