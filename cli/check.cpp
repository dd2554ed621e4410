#include "cli/batch.h"

#include "core/collection_check.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace quorvel::cli {

namespace {

QJsonObject JsonReport(const QString& folder, const CollectionReport& report) {
    QJsonArray kinds;
    for (const ProblemKind kind : kProblemKinds) {
        QJsonArray items;
        for (const Problem& problem : report.problems) {
            if (problem.kind != kind)
                continue;
            QJsonObject item{{QStringLiteral("files"), QJsonArray::fromStringList(problem.files)}};
            if (!problem.reason.isEmpty())
                item.insert(QStringLiteral("reason"), problem.reason);
            items.append(item);
        }
        kinds.append(QJsonObject{{QStringLiteral("kind"), ProblemKindId(kind)},
                                 {QStringLiteral("title"), ProblemKindHeading(kind)},
                                 {QStringLiteral("count"), report.count(kind)},
                                 {QStringLiteral("items"), items}});
    }
    return QJsonObject{{QStringLiteral("folder"), folder},
                       {QStringLiteral("texts"), report.texts},
                       {QStringLiteral("posters"), report.posters},
                       {QStringLiteral("problems"), int(report.problems.size())},
                       {QStringLiteral("kinds"), kinds}};
}

void TextReport(QTextStream& out, const QString& folder, const CollectionReport& report) {
    out << "Collection folder " << EscapedControls(folder) << ": " << report.texts
        << " info texts, " << report.posters << " posters.\n";
    for (const ProblemKind kind : kProblemKinds) {
        out << ProblemKindHeading(kind) << ": " << report.count(kind) << "\n";
        for (const Problem& problem : report.problems) {
            if (problem.kind != kind)
                continue;
            out << "  " << EscapedControls(problem.files.join(QStringLiteral(", ")));
            if (!problem.reason.isEmpty())
                out << ": " << EscapedControls(problem.reason);
            out << "\n";
        }
    }
    out << (report.problems.empty()
                ? QStringLiteral("No problem found.\n")
                : QStringLiteral("%1 found.\n")
                      .arg(report.problems.size() == 1
                               ? QStringLiteral("1 problem")
                               : QStringLiteral("%1 problems").arg(report.problems.size())));
}

} // namespace

QString EscapedControls(const QString& text) {
    QString shown;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '\n')
            shown += QLatin1String("\\n");
        else if (u == '\r')
            shown += QLatin1String("\\r");
        else if (u == '\t')
            shown += QLatin1String("\\t");
        else if (u < 0x20 || (u >= 0x7F && u <= 0x9F))
            shown += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}

int RunCheck(bool json, const Collection& collection, Console& console) {
    const Result<CollectionReport> report = CheckCollection(collection.folder);
    if (!report) {
        *console.err << "quorvel: " << EscapedControls(report.error()) << "\n";
        console.err->flush();
        return kBadArguments;
    }
    if (json)
        *console.out << QJsonDocument(JsonReport(collection.folder, *report)).toJson();
    else
        TextReport(*console.out, collection.folder, *report);
    console.out->flush();
    return report->problems.empty() ? kAllDone : kSomeFailed;
}

} // namespace quorvel::cli
