#include "core/infotext.h"

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

Result<TextFile> LoadInfoText(const QString& path) {
    return ReadTextFile(path);
}

Result<TextEncoding> SaveInfoText(const QString& path, const QStringList& lines,
                                  TextEncoding encoding) {
    return WriteTextFile(path, lines, encoding);
}

} // namespace quorvel
