#pragma once
// Addresses of the outside pages the program hands to the default handler or its browser.

#include <QString>
#include <QStringView>

namespace quorvel {

// The site without its trailing "/"s, one "/", the path without its leading "/"s: how every
// address on a configured site is made, whether or not the user's site ends with "/".
QString JoinSiteAndPath(const QString& site, QStringView path);

// A query value: blanks become "+"; letters A-Z and a-z, digits and "-._~" stay; every other
// byte of the UTF-8 text becomes %XX, so the address passes a strict URL parser and the value
// decodes back whole. Fast & Furious -> Fast+%26+Furious, "Weird Al" -> %22Weird+Al%22.
QString PlusForBlanks(const QString& text);

QString GoogleSearchAddress(const QString& text); // https://www.google.com/#q=
QString
RottenTomatoesSearchAddress(const QString& text);  // http://www.rottentomatoes.com/search/?search=
QString YouTubeSearchAddress(const QString& text); // https://www.youtube.com/results?search_query=
QString YouTubeWatchPrefix();                      // https://www.youtube.com/watch?v=
QString YouTubeEmbedPrefix();                      // https://www.youtube.com/embed/
QString YouTubeHomeAddress();                      // https://www.youtube.com

// The same YouTube pages on another site, without a trailing "/": Options.ini can point the
// video tab elsewhere.
QString YouTubeHomeAddress(const QString& site);   // site
QString YouTubeResultsPrefix(const QString& site); // site + "/results?search_query="
QString YouTubeWatchPrefix(const QString& site);   // site + "/watch?v="
QString YouTubeEmbedPrefix(const QString& site);   // site + "/embed/"

QString ImdbTitleAddress(const QString& imdbId);       // http://www.imdb.com/title/ + id
QString OmdbHomeAddress();                             // http://www.omdbapi.com
QString HelpDocumentAddress(const QString& makerSite); // site + "/Quorvel%20Help.pdf"
QString VideoDownloadAddress(const QString& downloadSite, const QString& pageAddress);

// "mailto:" + recipient ("mail" when it trims empty) + "?subject=" + subject, then
// "&body=" + body when the body does not trim empty; subject and body percent-encoded per
// RFC 6068 (line breaks as %0D%0A, "&" as %26).
QString MailtoLink(const QString& recipient, const QString& subject, const QString& body);

} // namespace quorvel
