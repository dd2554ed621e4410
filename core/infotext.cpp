#include "core/infotext.h"

#include <QLocale>

namespace quorvel {

QStringList ComposeInfoText(const QString& title, const QStringList& values) {
    QStringList lines;
    lines.reserve(kInfoTextLineCount);
    lines << title << QString();
    for (std::size_t i = 0; i + 1 < kInfoSections.size(); ++i) {
        const auto index = static_cast<qsizetype>(i);
        lines << QString::fromLatin1(kInfoSections[i].label)
              << (index < values.size() ? values.at(index) : QString()) << QString();
    }
    lines << QString::fromLatin1(kInfoSections.back().label) << QString();
    return lines;
}

std::optional<QString> InfoTextImdbId(const QStringList& lines) {
    std::optional<QString> id;
    const QString label = QStringLiteral("IMDB ID");
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines.at(i) == label)
            id = i + 1 < lines.size() ? lines.at(i + 1) : QString();
    }
    return id;
}

QString InfoFieldValue(const QStringList& lines, const QString& label) {
    QString value;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines.at(i) != label)
            continue;
        for (qsizetype j = i + 1; j < lines.size() && !lines.at(j).isEmpty(); ++j)
            value += lines.at(j);
    }
    return value.isEmpty() ? QString::fromLatin1(kNotAvailable) : value;
}

QStringList InfoTextNotes(const QStringList& lines) {
    // The first label that starts a section: a note may itself read "ANY".
    const QString any = QString::fromLatin1(kInfoSections.back().label);
    qsizetype label = -1;
    for (qsizetype i = 2; i < lines.size() && label < 0; ++i) {
        if (lines.at(i) == any && lines.at(i - 1).isEmpty())
            label = i;
    }
    if (label < 0)
        return {};
    QStringList notes = lines.mid(label + 1);
    while (!notes.isEmpty() && notes.last().isEmpty())
        notes.removeLast();
    return notes;
}

QStringList RefreshedInfoText(const QString& title, const QStringList& values,
                              const QString& storedId, const QStringList& notes) {
    QStringList fields = values;
    constexpr qsizetype kIdIndex = 15; // "IMDB ID" in kInfoSections
    while (fields.size() <= kIdIndex)
        fields << QString();
    fields[kIdIndex] = storedId;
    QStringList lines = ComposeInfoText(title, fields);
    lines.removeLast(); // the closing empty line goes after the notes
    lines << notes << QString();
    return lines;
}

std::optional<QDate> ParseReleaseDate(const QString& text, const QLocale& locale) {
    const QString trimmed = text.trimmed();
    for (const QLocale& names : {QLocale::c(), locale}) {
        for (const char* format : {"dd MMM yyyy", "d MMM yyyy"}) {
            const QDate date = names.toDate(trimmed, QString::fromLatin1(format));
            if (date.isValid())
                return date;
        }
    }
    return std::nullopt;
}

QString FormatReleaseDate(const QDate& date, const QLocale& locale) {
    return locale.toString(date, QStringLiteral("dd MMM yyyy"));
}

Result<TextFile> LoadInfoText(const QString& path) {
    return ReadTextFile(path);
}

Result<TextEncoding> SaveInfoText(const QString& path, const QStringList& lines,
                                  TextEncoding encoding) {
    return WriteTextFile(path, lines, encoding);
}

} // namespace quorvel
