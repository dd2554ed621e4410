#include "core/collection_check.h"

#include "core/collection.h"
#include "core/infotext.h"
#include "core/textfile.h"

#include <QFile>
#include <QHash>
#include <QStringDecoder>

#include <algorithm>
#include <map>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {

namespace {

QString Quoted(const QString& text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

bool DecodesWithoutError(QStringDecoder::Encoding encoding, QByteArrayView bytes) {
    QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
    const QString text = decoder(bytes);
    return !decoder.hasError();
}

bool IsReservedDeviceName(const QString& name) {
    // Windows refuses these whatever extension follows.
    const QString stem = AsciiUpper(name.section(QLatin1Char('.'), 0, 0)).trimmed();
    static const QStringList plain = {"CON", "PRN", "AUX", "NUL"};
    if (plain.contains(stem))
        return true;
    return stem.size() == 4 &&
           (stem.startsWith(QLatin1String("COM")) || stem.startsWith(QLatin1String("LPT"))) &&
           stem.at(3) >= QLatin1Char('1') && stem.at(3) <= QLatin1Char('9');
}

// A byte of a name that is not part of valid UTF-8 becomes U+DC00 + byte, a lone low surrogate
// that valid UTF-8 never gives: the name keeps every byte, and still pairs, sorts and
// compares as text.
constexpr char16_t kRawByteBase = 0xDC00;

int Utf8SequenceLength(QByteArrayView bytes, qsizetype at) {
    const auto byteAt = [&bytes](qsizetype i) { return static_cast<unsigned char>(bytes.at(i)); };
    const unsigned char lead = byteAt(at);
    const int length = lead < 0x80                    ? 1
                       : lead >= 0xC2 && lead <= 0xDF ? 2
                       : lead >= 0xE0 && lead <= 0xEF ? 3
                       : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                      : 0;
    if (length == 0 || at + length > bytes.size())
        return 0;
    for (int i = 1; i < length; ++i) {
        if ((byteAt(at + i) & 0xC0) != 0x80)
            return 0;
    }
    // Overlong forms, surrogates and code points past U+10FFFF.
    const unsigned char second = length > 1 ? byteAt(at + 1) : 0;
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90))
        return 0;
    return length;
}

QString DecodeNameBytes(QByteArrayView bytes) {
    QString name;
    for (qsizetype at = 0; at < bytes.size();) {
        if (const int length = Utf8SequenceLength(bytes, at); length > 0) {
            name += QString::fromUtf8(bytes.sliced(at, length));
            at += length;
        } else {
            name += QChar(char16_t(kRawByteBase + static_cast<unsigned char>(bytes.at(at++))));
        }
    }
    return name;
}

bool IsRawByte(QStringView name, qsizetype at) {
    const char16_t c = name.at(at).unicode();
    return c >= kRawByteBase + 0x80 && c <= kRawByteBase + 0xFF &&
           (at == 0 || !name.at(at - 1).isHighSurrogate());
}

bool HoldsRawBytes(QStringView name) {
    for (qsizetype at = 0; at < name.size(); ++at) {
        if (IsRawByte(name, at))
            return true;
    }
    return false;
}

// The name as a report shows it: a byte that is not UTF-8 as "\xff".
QString ShownName(const QString& name) {
    if (!HoldsRawBytes(name))
        return name;
    QString shown;
    for (qsizetype at = 0; at < name.size(); ++at) {
        if (IsRawByte(name, at))
            shown += QStringLiteral("\\x%1").arg(name.at(at).unicode() - kRawByteBase, 2, 16);
        else
            shown += name.at(at);
    }
    return shown;
}

struct FolderEntry {
    QByteArray bytes; // the name as the folder gives it
    QString name;     // DecodeNameBytes of it
};

// The regular files (symbolic links followed) that pass the extension test, in the order of
// ListCollection.
Result<std::vector<FolderEntry>> ListFolderEntries(const QByteArray& folder) {
    DIR* dir = ::opendir(folder.constData());
    if (!dir)
        return Failure(qt_error_string(errno));
    std::vector<FolderEntry> entries;
    while (const dirent* entry = ::readdir(dir)) {
        FolderEntry listed{QByteArray(entry->d_name), DecodeNameBytes(entry->d_name)};
        if (!IsCollectionEntry(listed.name))
            continue;
        struct stat info {};
        if (entry->d_type == DT_REG ||
            ((entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) &&
             ::fstatat(::dirfd(dir), entry->d_name, &info, 0) == 0 && S_ISREG(info.st_mode)))
            entries.push_back(std::move(listed));
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) {
        const int byCase = a.name.compare(b.name, Qt::CaseInsensitive);
        return byCase != 0 ? byCase < 0 : a.name < b.name;
    });
    return entries;
}

// The bytes of a file that may be a record; a file that cannot be read or is larger than a
// record can be fails with the reason it is not one.
Result<QByteArray> ReadRecordBytes(const QByteArray& path) {
    QFile file;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        return Failure(QStringLiteral("it cannot be read: ") + qt_error_string(error));
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return Failure(QStringLiteral("it cannot be read: ") + file.errorString());
    }
    // One byte more than a record may have tells a larger file, however large it is.
    const QByteArray bytes = file.read(std::min<qint64>(info.st_size, kLargestRecordBytes) + 1);
    if (file.error() != QFileDevice::NoError)
        return Failure(QStringLiteral("it cannot be read: ") + file.errorString());
    if (bytes.size() > kLargestRecordBytes)
        return Failure(QStringLiteral("it is larger than a record can be (more than %1 MiB)")
                           .arg(kLargestRecordBytes >> 20));
    return bytes;
}

} // namespace

QString ProblemKindId(ProblemKind kind) {
    switch (kind) {
    case ProblemKind::NotARecord:
        return QStringLiteral("not-a-record");
    case ProblemKind::PosterAlone:
        return QStringLiteral("poster-without-text");
    case ProblemKind::TextAlone:
        return QStringLiteral("text-without-poster");
    case ProblemKind::SameImdbId:
        return QStringLiteral("same-imdb-id");
    case ProblemKind::UnportableName:
        return QStringLiteral("unportable-name");
    case ProblemKind::UnknownEncoding:
        return QStringLiteral("unknown-encoding");
    }
    return {};
}

QString ProblemKindHeading(ProblemKind kind) {
    switch (kind) {
    case ProblemKind::NotARecord:
        return QStringLiteral("Info texts that are not a record");
    case ProblemKind::PosterAlone:
        return QStringLiteral("Posters without an info text");
    case ProblemKind::TextAlone:
        return QStringLiteral("Info texts without a poster");
    case ProblemKind::SameImdbId:
        return QStringLiteral("Records with the same IMDb identifier");
    case ProblemKind::UnportableName:
        return QStringLiteral("Names another file system could not hold");
    case ProblemKind::UnknownEncoding:
        return QStringLiteral("Files neither in the 8-bit code page nor in UTF-8");
    }
    return {};
}

int CollectionReport::count(ProblemKind kind) const {
    int n = 0;
    for (const Problem& problem : problems)
        n += problem.kind == kind ? 1 : 0;
    return n;
}

QString RecordShapeProblem(const QStringList& lines) {
    if (lines.isEmpty())
        return QStringLiteral("the file is empty");
    if (lines.size() < 2 || !lines.at(1).isEmpty())
        return QStringLiteral("line 2 should be empty, after the title");
    qsizetype i = 2;
    for (const InfoSection& section : kInfoSections) {
        const QString label = QString::fromLatin1(section.label);
        while (i < lines.size() && lines.at(i).isEmpty())
            ++i;
        if (i >= lines.size())
            return QStringLiteral("the record ends before ") + Quoted(label);
        if (lines.at(i) != label) {
            return QStringLiteral("line %1 is %2 where %3 belongs")
                .arg(i + 1)
                .arg(Quoted(lines.at(i)), Quoted(label));
        }
        if (!section.omdbKey)
            return {}; // "ANY": the notes are free text to the end
        ++i;
        while (i < lines.size() && !lines.at(i).isEmpty())
            ++i;
    }
    return {};
}

QString EncodingProblem(const QByteArray& bytes) {
    struct Mark {
        QByteArrayView bytes;
        QStringDecoder::Encoding encoding;
        const char* name;
    };
    const Mark marks[] = {
        {"\xEF\xBB\xBF", QStringDecoder::Utf8, "UTF-8"},
        {"\xFF\xFE", QStringDecoder::Utf16LE, "UTF-16"},
        {"\xFE\xFF", QStringDecoder::Utf16BE, "UTF-16"},
    };
    for (const Mark& mark : marks) {
        if (!bytes.startsWith(mark.bytes))
            continue;
        const QByteArrayView rest = QByteArrayView(bytes).sliced(mark.bytes.size());
        const bool odd = mark.encoding != QStringDecoder::Utf8 && rest.size() % 2 != 0;
        if (odd || !DecodesWithoutError(mark.encoding, rest))
            return QStringLiteral("its byte-order mark says %1, but the text is not valid %1")
                .arg(QLatin1String(mark.name));
        return {};
    }
    const bool hasNul = bytes.contains('\0');
    if (!hasNul && DecodesWithoutError(QStringDecoder::Utf8, bytes))
        return {};
    // The bytes Windows-1252 leaves undefined, and NUL, which no text of ours holds.
    for (qsizetype at = 0; at < bytes.size(); ++at) {
        const auto byte = static_cast<unsigned char>(bytes.at(at));
        if (byte == 0x00 || byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 ||
            byte == 0x9D) {
            return QStringLiteral("byte 0x%1 at offset %2 is not in the 8-bit code page, and the "
                                  "file is not valid UTF-8")
                .arg(byte, 2, 16, QLatin1Char('0'))
                .arg(at);
        }
    }
    return {};
}

QString UnportableNameReason(const QString& name) {
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return QStringLiteral("it holds a control character");
        if (QStringView(u"\"*:<>?\\|").contains(c))
            return QStringLiteral("it holds ") + Quoted(QString(c));
    }
    if (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')))
        return QStringLiteral("it ends with a dot or a blank");
    if (IsReservedDeviceName(name))
        return QStringLiteral("it is a reserved device name");
    return {};
}

namespace {

// Reads one info text and tells `add` what is wrong with it; gives its IMDb identifier,
// upper-cased, when it holds one.
template <typename Add>
QString CheckRecord(const QByteArray& path, const QString& entry, const Add& add) {
    const Result<QByteArray> read = ReadRecordBytes(path);
    if (!read) {
        add(ProblemKind::NotARecord, {entry}, read.error());
        return {};
    }
    if (const QString reason = EncodingProblem(*read); !reason.isEmpty())
        add(ProblemKind::UnknownEncoding, {entry}, reason);
    const QStringList lines = DecodeText(*read).lines;
    if (const QString reason = RecordShapeProblem(lines); !reason.isEmpty())
        add(ProblemKind::NotARecord, {entry}, reason);
    const QString id = InfoTextImdbId(lines).value_or(QString());
    if (id.size() > 2 && AsciiUpper(id.left(2)) == QLatin1String("TT"))
        return AsciiUpper(id);
    return {};
}

} // namespace

Result<CollectionReport> CheckCollection(const QString& folder) {
    const QByteArray folderBytes = QFile::encodeName(folder);
    Result<std::vector<FolderEntry>> listed = ListFolderEntries(folderBytes);
    if (!listed)
        return Failure(QStringLiteral("the collection folder \"%1\" cannot be read: %2")
                           .arg(folder, listed.error()));
    const std::vector<FolderEntry>& entries = *listed;
    CollectionReport report;
    std::map<ProblemKind, std::vector<Problem>> found;
    const auto add = [&found](ProblemKind kind, const QStringList& files, QString reason = {}) {
        QStringList shown;
        for (const QString& file : files)
            shown << ShownName(file);
        found[kind].push_back(Problem{kind, shown, std::move(reason)});
    };

    // Base names with the extension in any letter case, as the windows pair them.
    QHash<QString, bool> hasText, hasPoster;
    for (const FolderEntry& entry : entries)
        (IsInfoTextEntry(entry.name) ? hasText : hasPoster).insert(EntryBaseName(entry.name), true);

    QHash<QString, QStringList> byName;  // upper-cased name -> entries
    std::map<QString, QStringList> byId; // upper-cased identifier -> records
    for (const auto& [bytes, entry] : entries) {
        byName[AsciiUpper(entry)] << entry;
        const QString reason = HoldsRawBytes(entry)
                                   ? QStringLiteral("its name holds bytes that are not UTF-8")
                                   : UnportableNameReason(entry);
        if (!reason.isEmpty())
            add(ProblemKind::UnportableName, {entry}, reason);
        if (IsPosterEntry(entry)) {
            ++report.posters;
            if (!hasText.contains(EntryBaseName(entry)))
                add(ProblemKind::PosterAlone, {entry});
            continue;
        }
        ++report.texts;
        if (!hasPoster.contains(EntryBaseName(entry)))
            add(ProblemKind::TextAlone, {entry});
        if (const QString id = CheckRecord(folderBytes + '/' + bytes, entry, add); !id.isEmpty())
            byId[id] << entry;
    }
    for (const auto& [id, records] : byId) {
        if (records.size() > 1)
            add(ProblemKind::SameImdbId, records, QStringLiteral("they share ") + id.toLower());
    }
    // Names that differ only in letter case cannot live side by side on a case-blind system.
    for (const FolderEntry& entry : entries) {
        const QStringList& same = byName.value(AsciiUpper(entry.name));
        if (same.size() > 1 && same.first() == entry.name)
            add(ProblemKind::UnportableName, same,
                QStringLiteral("they differ only in letter case"));
    }
    for (const ProblemKind kind : kProblemKinds) {
        for (Problem& problem : found[kind])
            report.problems.push_back(std::move(problem));
    }
    return report;
}

} // namespace quorvel
