// A search answer: any text is parsed without harm; a parsed page holds only matches that can
// be looked up, with texts free of control characters, and counts at least the matches it holds.

#include "fuzz/fuzz_support.h"
#include "online/omdb.h"

using namespace quorvel;
using namespace quorvel::fuzz;

namespace {

bool HasControl(const QString& text) {
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return true;
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Begin(data, size);
    const QString text = Text(data, size);
    // The year form takes its title apart and puts nothing of it away.
    const TitleAndYear asked = SplitTitleYear(text, 2030);
    if (asked.year.isEmpty())
        Check(asked.title == text, "a title without a year is kept as typed", asked.title, text);
    else
        Check(asked.year.size() == 4 && asked.year >= QLatin1String("1870") &&
                  asked.year <= QLatin1String("2030") && text.contains(asked.title) &&
                  !asked.title.trimmed().isEmpty(),
              "a year is one from 1870 on, after a title", asked.title + u'|' + asked.year);

    const Result<OmdbSearchPage> page = ParseOmdbSearch(text);
    if (!page.ok())
        return 0;
    Check(!(page->status.found() && page->status.notFound()), "found and not found at once");
    Check(page->totalResults >= page->matches.size(), "the total counts the page's matches",
          QString::number(page->totalResults), QString::number(page->matches.size()));
    Check(page->matches.isEmpty() || page->status.found(), "matches only in a found answer");
    for (const OmdbMatch& match : page->matches) {
        Check(match.imdbId.size() > 2 && IsImdbId(match.imdbId), "a match has an identifier",
              match.imdbId);
        for (const QString& value :
             {match.imdbId, match.title, match.year, match.type, match.poster})
            Check(!HasControl(value), "a text of a match holds no control character", value);
    }
    // What the service's fetch lets through: found, not found, or an error in its words.
    const bool tells = page->status.found() || page->status.notFound() ||
                       !page->status.serviceError().trimmed().isEmpty();
    if (page->empty() && tells)
        Check(!NoMatchText(*page, text.left(40), 1).isEmpty(), "a page without matches says why");
    return 0;
}
