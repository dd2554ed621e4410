#include "core/collection_check.h"

#include "core/collection.h"
#include "core/infotext.h"
#include "core/textfile.h"

#include <QFile>
#include <QHash>
#include <QStringDecoder>

#include <map>

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

CollectionReport CheckCollection(const QString& folder) {
    CollectionReport report;
    const QStringList entries = ListCollection(folder);
    std::map<ProblemKind, std::vector<Problem>> found;
    const auto add = [&found](ProblemKind kind, QStringList files, QString reason = {}) {
        found[kind].push_back(Problem{kind, std::move(files), std::move(reason)});
    };

    // Base names with the extension in any letter case, as the windows pair them.
    QHash<QString, bool> hasText, hasPoster;
    for (const QString& entry : entries)
        (IsInfoTextEntry(entry) ? hasText : hasPoster).insert(EntryBaseName(entry), true);

    QHash<QString, QStringList> byName;  // upper-cased name -> entries
    std::map<QString, QStringList> byId; // upper-cased identifier -> records
    for (const QString& entry : entries) {
        byName[AsciiUpper(entry)] << entry;
        if (const QString reason = UnportableNameReason(entry); !reason.isEmpty())
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
        QFile file(JoinPath(folder, entry));
        if (!file.open(QIODevice::ReadOnly)) {
            add(ProblemKind::NotARecord, {entry},
                QStringLiteral("it cannot be read: ") + file.errorString());
            continue;
        }
        const QByteArray bytes = file.readAll();
        if (const QString reason = EncodingProblem(bytes); !reason.isEmpty())
            add(ProblemKind::UnknownEncoding, {entry}, reason);
        const QStringList lines = DecodeText(bytes).lines;
        if (const QString reason = RecordShapeProblem(lines); !reason.isEmpty())
            add(ProblemKind::NotARecord, {entry}, reason);
        const QString id = InfoTextImdbId(lines).value_or(QString());
        if (id.size() > 2 && AsciiUpper(id.left(2)) == QLatin1String("TT"))
            byId[AsciiUpper(id)] << entry;
    }
    for (const auto& [id, records] : byId) {
        if (records.size() > 1)
            add(ProblemKind::SameImdbId, records, QStringLiteral("they share ") + id.toLower());
    }
    // Names that differ only in letter case cannot live side by side on a case-blind system.
    for (const QString& entry : entries) {
        const QStringList& same = byName.value(AsciiUpper(entry));
        if (same.size() > 1 && same.first() == entry)
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
