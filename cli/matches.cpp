#include "cli/batch.h"

#include "online/omdb.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace quorvel::cli {

namespace {

QJsonObject JsonPage(const OmdbSearchPage& page) {
    QJsonArray matches;
    for (const OmdbMatch& match : page.matches)
        matches.append(QJsonObject{{QStringLiteral("imdbID"), match.imdbId},
                                   {QStringLiteral("Title"), match.title},
                                   {QStringLiteral("Year"), match.year},
                                   {QStringLiteral("Type"), match.type}});
    QJsonObject object{{QStringLiteral("totalResults"), double(page.totalResults)},
                       {QStringLiteral("Search"), matches}};
    if (page.empty() && !page.status.serviceError().isEmpty())
        object.insert(QStringLiteral("Error"), page.status.serviceError());
    return object;
}

int Problem(Console& console, const QString& text, int status) {
    *console.err << "quorvel: " << EscapedControls(text) << "\n";
    console.err->flush();
    return status;
}

} // namespace

int RunMatches(const MatchesRequest& request, const ServiceSettings& services, Console& console) {
    QString asked = request.title;
    if (!request.year.isEmpty())
        asked = SplitTitleYear(asked).title + QStringLiteral(" (") + request.year + u')';
    const Result<OmdbSearchPage> page = FetchOmdbSearch(
        BuildOmdbSearchQuery(services.omdbAddress, services.omdbApiKey, asked, request.page));
    if (!page)
        return Problem(console, asked + QStringLiteral(": ") + page.error(), kSomeFailed);
    QTextStream& out = *console.out;
    if (request.json && !page->status.refused()) {
        out << QJsonDocument(JsonPage(*page)).toJson(QJsonDocument::Compact) << "\n";
        out.flush();
    }
    if (page->status.refused())
        return Problem(console,
                       QStringLiteral("the OMDb service answered \"%1\"; nothing was listed.")
                           .arg(page->status.serviceError()),
                       kLimitReached);
    if (page->empty())
        return Problem(console, NoMatchText(*page, asked, request.page), kSomeFailed);
    if (!request.json) {
        // Identifier first: a script cuts it off the line it picks and adds it.
        for (const OmdbMatch& match : page->matches)
            out << match.imdbId << '\t' << match.year << '\t' << match.type << '\t' << match.title
                << "\n";
        out.flush();
    }
    const int pages = OmdbSearchPages(page->totalResults);
    QString summary = QStringLiteral("Page %1 of %2 (%3 results).")
                          .arg(request.page)
                          .arg(pages)
                          .arg(page->totalResults);
    if (request.page < pages)
        summary += QStringLiteral(" --page %1 gives the next.").arg(request.page + 1);
    *console.err << summary << "\n";
    console.err->flush();
    return kAllDone;
}

} // namespace quorvel::cli
