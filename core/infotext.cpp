#include "core/infotext.h"

#include <QLocale>

namespace quorvel {

namespace {

// The 17 values, in table order, under their labels; a missing value is one empty line.
QHash<QString, QStringList> ValuesByLabel(const QStringList& values) {
    QHash<QString, QStringList> byLabel;
    for (std::size_t i = 0; i + 1 < kInfoSections.size(); ++i)
        byLabel.insert(QString::fromLatin1(kInfoSections[i].label),
                       {values.value(static_cast<qsizetype>(i))});
    return byLabel;
}

bool BlankOrControl(QChar c) {
    return c.unicode() <= 0x20 || c.unicode() == 0x7F;
}

// The line is the genre label once what surrounds it is gone; looked at without copying, as
// the filters ask it of every line of every text.
bool IsGenreLabel(QStringView line) {
    while (!line.isEmpty() && BlankOrControl(line.front()))
        line = line.sliced(1);
    while (!line.isEmpty() && BlankOrControl(line.back()))
        line.chop(1);
    return line == u"GENRE";
}

} // namespace

QStringList ComposeRecord(const QString& title, const QHash<QString, QStringList>& values) {
    QStringList lines;
    lines.reserve(kInfoTextLineCount);
    lines << title << QString();
    for (const InfoSection& section : kInfoSections) {
        const QString label = QString::fromLatin1(section.label);
        lines << label << values.value(label) << QString();
    }
    return lines;
}

QStringList ComposeInfoText(const QString& title, const QStringList& values) {
    return ComposeRecord(title, ValuesByLabel(values));
}

qsizetype ComposedLabelLine(QAnyStringView label) {
    // The title and its empty line come first; every section before takes three lines.
    for (std::size_t i = 0; i < kInfoSections.size(); ++i) {
        if (QAnyStringView::compare(label, QLatin1String(kInfoSections[i].label)) == 0)
            return 2 + 3 * static_cast<qsizetype>(i);
    }
    return -1;
}

bool InfoTextHasGenre(const QStringList& lines, QStringView genre) {
    if (genre.isEmpty())
        return false;
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        if (IsGenreLabel(lines.at(i)) && AsciiUpper(lines.at(i + 1)).contains(genre))
            return true;
    }
    return false;
}

bool InfoTextContains(const QStringList& lines, QStringView query) {
    if (query.isEmpty())
        return false;
    for (const QString& line : lines) {
        if (line.size() >= query.size() && AsciiUpper(line).contains(query))
            return true;
    }
    return false;
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
    QHash<QString, QStringList> byLabel = ValuesByLabel(values);
    byLabel.insert(QStringLiteral("IMDB ID"), {storedId});
    byLabel.insert(QString::fromLatin1(kInfoSections.back().label), notes);
    return ComposeRecord(title, byLabel);
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
