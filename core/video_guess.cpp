#include "core/video_guess.h"

#include "core/textfile.h"

#include <QDate>
#include <QFile>
#include <QHash>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {
namespace {

using Words = std::unordered_set<std::string_view>;

// ---- The vocabulary of video file names, lower case ----

const Words kVideoExtensions = {"mkv",  "mp4",  "m4v", "avi", "mov",  "wmv", "mpg", "mpeg", "ts",
                                "m2ts", "webm", "vob", "iso", "divx", "ogm", "flv", "3gp"};

// Release tags in any case: none of them is a word a title would hold.
const Words kTags = {
    "4k",       "8k",         "uhd",      "fhd",    "bluray",  "bdrip",   "brrip",  "bdremux",
    "webdl",    "webrip",     "hdtv",     "pdtv",   "sdtv",    "hdtvrip", "dvdrip", "dvdr",
    "dvd",      "dvd5",       "dvd9",     "dvdscr", "hdrip",   "remux",   "hdcam",  "camrip",
    "telesync", "hdts",       "screener", "amzn",   "dsnp",    "hmax",    "atvp",   "x264",
    "x265",     "h264",       "h265",     "hevc",   "avc",     "xvid",    "divx",   "av1",
    "vp9",      "hdr",        "hdr10",    "hdr10+", "dovi",    "multi",   "subbed", "dubbed",
    "vostfr",   "truefrench", "webdlrip", "nfo",    "readnfo",
};

// Tags only when written in capitals: otherwise they are words of titles ("Charlotte's Web",
// "The French Connection").
const Words kCapitalTags = {"web",    "hd",      "sd",      "dv",  "nf",   "dl",       "french",
                            "german", "italian", "spanish", "eng", "dual", "internal", "complete"};

// Audio formats, which carry their channels ("DDP5.1", "AAC2.0") or a "+".
const Words kAudioNames = {"dd",     "ddp",   "aac",  "ac",   "eac", "dts",
                           "truehd", "atmos", "flac", "lpcm", "mp",  "opus"};
// Those that are tags without channels too.
const Words kAudioAlone = {"ddp", "aac", "dts", "truehd", "atmos", "flac", "lpcm"};

// Editions in any case, and those only in capitals (as plain words they begin titles:
// "Limited Partnership", "Extended Family").
const std::unordered_map<std::string_view, const char*> kEditions = {
    {"unrated", "Unrated"}, {"remastered", "Remastered"}, {"repack", "Repack"},
    {"uncut", "Uncut"},     {"rerip", "Rerip"},           {"imax", "IMAX"},
};
const std::unordered_map<std::string_view, const char*> kCapitalEditions = {
    {"extended", "Extended"},
    {"limited", "Limited"},
    {"proper", "Proper"},
    {"theatrical", "Theatrical"},
};
// Words that make an edition of the "Cut", "Edition" or "Version" after them.
const std::unordered_map<std::string_view, const char*> kEditionQualifiers = {
    {"director's", "Director's"},
    {"directors", "Director's"},
    {"extended", "Extended"},
    {"theatrical", "Theatrical"},
    {"special", "Special"},
    {"ultimate", "Ultimate"},
    {"collector's", "Collector's"},
    {"collectors", "Collector's"},
    {"anniversary", "Anniversary"},
    {"unrated", "Unrated"},
    {"remastered", "Remastered"},
    {"criterion", "Criterion"},
    {"uncut", "Uncut"},
    {"imax", "IMAX"},
};
const std::unordered_map<std::string_view, const char*> kEditionNouns = {
    {"cut", "Cut"}, {"edition", "Edition"}, {"version", "Version"}};

// Names that say nothing of a film: what disc rippers and players call their files.
const Words kGenericFileWords = {"movie", "film", "video", "main",  "feature",
                                 "title", "vts",  "ts",    "index", "clip"};
// Folders that say nothing: disc structures and the folders collections are sorted into.
const Words kGenericFolderWords = {
    "video",  "ts",     "audio", "bdmv",   "stream", "certificate", "playlist",  "clipinf",
    "backup", "movies", "films", "videos", "tv",     "shows",       "downloads", "download",
    "media",  "my",     "new",   "folder", "series", "complete",
};

const Words kLeftOutWords = {"sample", "samples",    "trailer",    "trailers",
                             "extras", "featurette", "featurettes"};
const Words kLeftOutFolders = {"sample",
                               "samples",
                               "trailer",
                               "trailers",
                               "extra",
                               "extras",
                               "featurette",
                               "featurettes",
                               "behind the scenes",
                               "deleted scenes",
                               "behindthescenes",
                               "deletedscenes",
                               "interviews",
                               "bonus"};

const Words kSeasonWords = {"season", "series", "saison", "staffel", "temporada"};
const Words kEpisodeWords = {"episode", "ep"};
const Words kPartWords = {"cd", "disc", "disk", "dvd"};
const Words kArticles = {"the", "a", "an"};

// Where a file system or a NAS keeps what is not the user's.
const Words kSystemFolders = {"$recycle.bin", "recycler", "system volume information",
                              "@eadir",       "#recycle", "lost+found"};

int NextYear() {
    static const int next = QDate::currentDate().year() + 1;
    return next;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool AllDigits(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), IsDigit);
}

int DigitsValue(std::string_view s) {
    int value = 0;
    for (const char c : s)
        value = value * 10 + (c - '0');
    return value;
}

// The word's ASCII letters in lower case, for the tables; empty for a word holding anything
// beyond ASCII (no tag does) or longer than any tag.
class Folded {
public:
    explicit Folded(QStringView word) {
        if (word.size() > qsizetype(sizeof(text_)))
            return;
        for (const QChar qc : word) {
            const char16_t c = qc.unicode();
            if (c >= 0x80) {
                size_ = 0;
                return;
            }
            text_[size_] = char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            ++size_;
        }
    }
    std::string_view view() const { return {text_, size_}; }

private:
    char text_[24] = {};
    size_t size_ = 0;
};

bool IsPlausibleYear(std::string_view s) {
    if (s.size() != 4 || !AllDigits(s))
        return false;
    const int year = DigitsValue(s);
    return year >= 1870 && year <= NextYear();
}

// "tt" and 7 or 8 digits.
bool IsImdbId(std::string_view s) {
    return (s.size() == 9 || s.size() == 10) && s.substr(0, 2) == "tt" && AllDigits(s.substr(2));
}

// Digits from `at`, between `least` and `most` of them; npos when not.
size_t SkipDigits(std::string_view s, size_t at, size_t least, size_t most) {
    size_t end = at;
    while (end < s.size() && IsDigit(s[end]))
        ++end;
    const size_t count = end - at;
    return count >= least && count <= most ? end : std::string_view::npos;
}

// S01E02, s1e2, S01E02E03, 1x02, and a season alone (S01).
bool IsEpisodeMarker(std::string_view s) {
    if (s.size() >= 2 && s[0] == 's') {
        size_t at = SkipDigits(s, 1, 1, 2);
        if (at == std::string_view::npos)
            return false;
        if (at == s.size())
            return true;
        while (at < s.size()) {
            if (s[at] != 'e')
                return false;
            at = SkipDigits(s, at + 1, 1, 3);
            if (at == std::string_view::npos)
                return false;
        }
        return true;
    }
    const size_t x = s.find('x');
    return x != std::string_view::npos && x > 0 && SkipDigits(s, 0, 1, 2) == x &&
           SkipDigits(s, x + 1, 2, 3) == s.size();
}

bool HasNumberAfterPrefix(std::string_view s, std::string_view prefix) {
    return s.size() > prefix.size() && s.substr(0, prefix.size()) == prefix &&
           SkipDigits(s, prefix.size(), 1, 2) == s.size();
}

// CD1, disc2, part1, pt2, dvd1 (DVD5 and DVD9 are disc kinds).
bool IsJoinedPart(std::string_view s) {
    for (const std::string_view prefix : {"cd", "disc", "disk", "part", "pt"})
        if (HasNumberAfterPrefix(s, prefix))
            return true;
    return s.size() == 4 && s.substr(0, 3) == "dvd" && s[3] >= '1' && s[3] <= '4';
}

bool IsAudioTag(std::string_view s) {
    size_t end = s.size();
    while (end > 0 && (IsDigit(s[end - 1]) || s[end - 1] == '+'))
        --end;
    const std::string_view base = s.substr(0, end);
    return kAudioNames.contains(base) && (end < s.size() || kAudioAlone.contains(base));
}

bool IsTag(std::string_view s, bool capitals) {
    if (kTags.contains(s) || (capitals && kCapitalTags.contains(s)) || IsAudioTag(s))
        return true;
    // 720p, 1080i; 10bit.
    if (s.size() >= 4 && (s.back() == 'p' || s.back() == 'i') &&
        SkipDigits(s, 0, 3, 4) == s.size() - 1)
        return true;
    return s.size() > 3 && s.substr(s.size() - 3) == "bit" &&
           SkipDigits(s, 0, 1, 2) == s.size() - 3;
}

bool IsGenericWord(std::string_view s, bool folder) {
    if (folder)
        return kGenericFolderWords.contains(s);
    return kGenericFileWords.contains(s) || HasNumberAfterPrefix(s, "t") ||
           HasNumberAfterPrefix(s, "title");
}

// ---- Names as tokens ----

enum class Piece : quint8 { Word, Dash, Paren, Bracket };

enum class Kind : quint8 {
    Title,   // a word of a title, as far as the tables know
    Number,  // digits
    Year,    // a plausible year
    Tag,     // resolution, source, codec, audio, language, release group
    Edition, // Extended, Director's Cut ...
    Episode, // an episode or a season
    Part,    // CD1, disc 2, part1
    Id,      // an IMDb identifier
    Generic, // movie, title_t00, VIDEO_TS
    LeftOut, // sample, trailer, extras
};

struct Token {
    QStringView text; // a word, or what the brackets hold
    Piece piece = Piece::Word;
    bool joined = false;   // glued to the word before by a "-": "Spider-Man", "x264-GROUP"
    bool dotAfter = false; // a "." right after it: initials such as "E.T."
    Kind kind = Kind::Title;
};

// Blanks between words: dots and underscores are blanks in these names.
bool IsSeparator(QChar c) {
    switch (c.unicode()) {
    case ' ':
    case '.':
    case '_':
    case '\t':
    case ')':
    case ']':
    case '}':
        return true;
    default:
        return false;
    }
}

bool IsOpening(QChar c) {
    return c == u'(' || c == u'[' || c == u'{';
}

bool EndsWord(QChar c) {
    return IsSeparator(c) || IsOpening(c) || c == u'-';
}

std::vector<Token> Tokenize(QStringView name) {
    std::vector<Token> tokens;
    const qsizetype n = name.size();
    bool joinNext = false;
    for (qsizetype i = 0; i < n;) {
        const QChar c = name[i];
        if (IsOpening(c)) {
            const QChar closing = c == u'(' ? u')' : c == u'[' ? u']' : u'}';
            const qsizetype end = name.indexOf(closing, i + 1);
            if (end < 0) {
                ++i;
                continue;
            }
            tokens.push_back(
                {name.mid(i + 1, end - i - 1), c == u'(' ? Piece::Paren : Piece::Bracket});
            joinNext = false;
            i = end + 1;
            continue;
        }
        if (IsSeparator(c)) {
            joinNext = false;
            ++i;
            continue;
        }
        if (c == u'-') {
            const bool afterWord = i > 0 && !EndsWord(name[i - 1]) && !tokens.empty() &&
                                   tokens.back().piece == Piece::Word;
            const bool beforeWord = i + 1 < n && !EndsWord(name[i + 1]);
            if (afterWord && beforeWord)
                joinNext = true;
            else if (tokens.empty() || tokens.back().piece != Piece::Dash)
                tokens.push_back({{}, Piece::Dash});
            ++i;
            continue;
        }
        const qsizetype start = i;
        while (i < n && !EndsWord(name[i]))
            ++i;
        tokens.push_back(
            {name.mid(start, i - start), Piece::Word, joinNext, i < n && name[i] == u'.'});
        joinNext = false;
    }
    return tokens;
}

bool IsCapitals(QStringView word) {
    return std::none_of(word.begin(), word.end(), [](QChar c) { return c.isLower(); });
}

bool IsLowerCase(QStringView word) {
    return std::none_of(word.begin(), word.end(), [](QChar c) { return c.isUpper(); });
}

Token* NextWord(std::vector<Token>& tokens, size_t i) {
    return i + 1 < tokens.size() && tokens[i + 1].piece == Piece::Word ? &tokens[i + 1] : nullptr;
}

bool IsSmallNumber(const Token* token) {
    return token && token->text.size() <= 3 &&
           std::all_of(token->text.begin(), token->text.end(),
                       [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// "Part 2" with a capital is a title's own ("Friday the 13th Part 2") unless it is the whole
// name, or stands after a " - " or after the release tags.
bool PartMarkApart(const std::vector<Token>& tokens, size_t i) {
    return IsLowerCase(tokens[i].text) || tokens.size() == 2 ||
           (i > 0 && (tokens[i - 1].piece == Piece::Dash || tokens[i - 1].kind != Kind::Title));
}

// "WEB-DL", "WEB-Rip", "Blu-ray" (written joined) and "H.264", "H 265".
bool IsTwoWordTag(std::string_view s, std::string_view n, bool joined) {
    return (joined && ((s == "web" && (n == "dl" || n == "rip")) || (s == "blu" && n == "ray"))) ||
           (s == "h" && (n == "264" || n == "265"));
}

// Gives every word its kind; two-word marks ("Season 1", "Director's Cut", "H.264", "WEB-DL")
// mark both. Editions found are added to `editions`.
// Inside brackets (`bracketed`) an edition needs no capitals: "[Extended]" can be nothing else.
void Classify(std::vector<Token>& tokens, bool folder, bool bracketed, QStringList& editions) {
    for (size_t i = 0; i < tokens.size(); ++i) {
        Token& t = tokens[i];
        if (t.piece != Piece::Word)
            continue;
        const Folded folded(t.text);
        const std::string_view s = folded.view();
        if (s.empty())
            continue;
        Token* next = NextWord(tokens, i);
        const Folded nextFolded(next ? next->text : QStringView());
        const std::string_view n = nextFolded.view();
        auto both = [&](Kind kind) {
            t.kind = kind;
            next->kind = kind;
            ++i;
        };
        const bool capitals = IsCapitals(t.text);
        if (IsImdbId(s)) {
            t.kind = Kind::Id;
        } else if (IsPlausibleYear(s)) {
            t.kind = Kind::Year;
        } else if (AllDigits(s)) {
            t.kind = Kind::Number;
        } else if (IsEpisodeMarker(s) || (folder && s == "specials" && tokens.size() == 1)) {
            t.kind = Kind::Episode;
            // "S01 E02" and "S01.E02" written apart.
            if (next && n.size() >= 2 && n[0] == 'e' && SkipDigits(n, 1, 1, 3) == n.size())
                both(Kind::Episode);
        } else if ((kSeasonWords.contains(s) || kEpisodeWords.contains(s)) && IsSmallNumber(next)) {
            both(Kind::Episode);
        } else if (IsJoinedPart(s)) {
            t.kind = Kind::Part;
        } else if (kPartWords.contains(s) && IsSmallNumber(next)) {
            both(Kind::Part);
        } else if ((s == "part" || s == "pt") && IsSmallNumber(next) && PartMarkApart(tokens, i)) {
            both(Kind::Part);
        } else if (next && kEditionQualifiers.contains(s) && kEditionNouns.contains(n)) {
            editions << QString::fromLatin1(kEditionQualifiers.at(s)) + u' ' +
                            QString::fromLatin1(kEditionNouns.at(n));
            both(Kind::Edition);
        } else if (kEditions.contains(s) ||
                   ((capitals || bracketed) && kCapitalEditions.contains(s))) {
            editions << QString::fromLatin1(kEditions.contains(s) ? kEditions.at(s)
                                                                  : kCapitalEditions.at(s));
            t.kind = Kind::Edition;
        } else if (IsTag(s, capitals)) {
            t.kind = Kind::Tag;
        } else if (next && IsTwoWordTag(s, n, next->joined)) {
            both(Kind::Tag);
        } else if (kLeftOutWords.contains(s)) {
            t.kind = Kind::LeftOut;
        } else if (IsGenericWord(s, folder)) {
            t.kind = Kind::Generic;
        }
    }
}

bool IsWordOf(const Token& t, std::initializer_list<Kind> kinds) {
    return t.piece == Piece::Word && std::find(kinds.begin(), kinds.end(), t.kind) != kinds.end();
}

// The release group after the last "-" ("x264-GROUP"), and an anime episode number after a
// " - " ("Show - 01 [1080p]"), told by what stands around them.
void MarkByPlace(std::vector<Token>& tokens) {
    size_t lastWord = tokens.size();
    for (size_t i = 0; i < tokens.size(); ++i)
        if (tokens[i].piece == Piece::Word)
            lastWord = i;
    if (lastWord == tokens.size())
        return;
    Token& last = tokens[lastWord];
    if (last.kind == Kind::Title && last.joined && lastWord > 0 &&
        IsWordOf(tokens[lastWord - 1], {Kind::Tag, Kind::Edition, Kind::Year, Kind::Part}))
        last.kind = Kind::Tag;
    if (last.kind == Kind::Number && lastWord >= 2 && tokens[lastWord - 1].piece == Piece::Dash &&
        tokens[lastWord - 2].piece == Piece::Word)
        last.kind = Kind::Episode;
}

// What one name (a file's without its extension, or a folder's) says.
struct NameReading {
    QString title; // empty when the name holds none
    std::optional<int> year;
    QString imdbId;
    QStringList editions;
    bool episode = false;     // an episode or season mark
    bool saysNothing = false; // generic, only tags, a bare number, a season, a disc
    bool leftOut = false;     // a sample, trailer or extra
};

// The first "tt" and 7 or 8 digits standing apart from other letters and digits.
QString FindImdbId(QStringView name) {
    for (qsizetype at = name.indexOf(u"tt", 0, Qt::CaseInsensitive); at >= 0;
         at = name.indexOf(u"tt", at + 1, Qt::CaseInsensitive)) {
        if (at > 0 && name[at - 1].isLetterOrNumber())
            continue;
        qsizetype end = at + 2;
        while (end < name.size() && name[end] >= u'0' && name[end] <= u'9')
            ++end;
        const qsizetype digits = end - at - 2;
        if ((digits == 7 || digits == 8) && (end == name.size() || !name[end].isLetterOrNumber()))
            return QStringLiteral("tt") + name.mid(at + 2, digits).toString();
    }
    return {};
}

std::optional<int> YearInBrackets(QStringView inside) {
    const Folded folded(inside.trimmed());
    if (IsPlausibleYear(folded.view()))
        return DigitsValue(folded.view());
    return std::nullopt;
}

bool IsInitial(const Token& t) {
    return t.piece == Piece::Word && t.dotAfter && t.text.size() == 1 && t.text[0].isLetter();
}

// The words from `from` to `to` as a title: blanks between words, "-" kept inside words and
// " - " between parts, initials written "E.T.".
QString BuildTitle(const std::vector<Token>& tokens, size_t from, size_t to) {
    QString title;
    bool dash = false;
    bool afterInitial = false;
    for (size_t i = from; i < to; ++i) {
        const Token& t = tokens[i];
        if (t.piece == Piece::Dash) {
            dash = !title.isEmpty();
            continue;
        }
        if (t.piece != Piece::Word)
            continue;
        const bool initial = IsInitial(t) && ((i + 1 < to && IsInitial(tokens[i + 1])) ||
                                              (i > from && IsInitial(tokens[i - 1])));
        if (!title.isEmpty()) {
            if (dash)
                title += QLatin1String(" - ");
            else if (t.joined)
                title += u'-';
            else if (!(initial && afterInitial))
                title += u' ';
        }
        title += t.text;
        if (initial)
            title += u'.';
        afterInitial = initial;
        dash = false;
    }
    return title;
}

QString FoldedWords(QStringView text) {
    QString words;
    bool blank = false;
    for (const QChar c : text) {
        if (c.isLetterOrNumber()) {
            if (blank && !words.isEmpty())
                words += u' ';
            words += c.toLower();
            blank = false;
        } else if (c != u'\'' && c != u'.') {
            blank = true;
        }
    }
    return words;
}

// The first word of the title: the name's first word `first`, or the one after a site's name
// ("www.site.com - Title").
size_t TitleStart(const std::vector<Token>& tokens, size_t first) {
    size_t start = first;
    if (Folded(tokens[start].text).view() != "www")
        return start;
    size_t dash = start;
    while (dash < tokens.size() && tokens[dash].piece != Piece::Dash)
        ++dash;
    start = dash < tokens.size() ? dash + 1 : std::min(start + 3, tokens.size());
    while (start < tokens.size() && tokens[start].piece != Piece::Word)
        ++start;
    return start;
}

// Where the title ends: the first tag, edition, episode, part or identifier after its first
// word; a name of tags alone has none.
size_t TitleEnd(const std::vector<Token>& tokens, size_t start, bool titleWords) {
    for (size_t i = start; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (IsWordOf(t, {Kind::Episode, Kind::Part, Kind::Id}) ||
            (IsWordOf(t, {Kind::Tag, Kind::Edition}) && (i > start || !titleWords)))
            return i;
    }
    return tokens.size();
}

// The year: the last plausible one before an episode mark, never the title's first word
// ("2001 A Space Odyssey 1968", "1917 (2019)"). Gives where it stands, or the end of the tokens.
size_t FindYear(const std::vector<Token>& tokens, size_t start, size_t episodeAt,
                std::optional<int>& year) {
    size_t yearAt = tokens.size();
    for (size_t i = 0; i < episodeAt; ++i) {
        const Token& t = tokens[i];
        std::optional<int> found;
        if (t.piece == Piece::Word && t.kind == Kind::Year && i > start)
            found = DigitsValue(Folded(t.text).view());
        else if (t.piece == Piece::Paren || t.piece == Piece::Bracket)
            found = YearInBrackets(t.text);
        if (found) {
            year = found;
            yearAt = i;
        }
    }
    return yearAt;
}

// Editions in brackets ("(Director's Cut)", Plex's "{edition-Extended}").
void AddBracketedEditions(const std::vector<Token>& tokens, bool folder, QStringList& editions) {
    for (const Token& t : tokens) {
        if (t.piece != Piece::Paren && t.piece != Piece::Bracket)
            continue;
        if (t.text.startsWith(u"edition-", Qt::CaseInsensitive)) {
            editions << t.text.mid(8).trimmed().toString();
            continue;
        }
        std::vector<Token> inside = Tokenize(t.text);
        Classify(inside, folder, true, editions);
    }
}

// Generic words with numbers ("VTS_01_1", "title_t00"), or a bare number, tell no title.
bool TitleSaysNothing(const std::vector<Token>& tokens, size_t start, size_t end,
                      const NameReading& reading, bool titleWords) {
    bool genericOrNumbers = true;
    bool onlyNumbers = true;
    for (size_t i = start; i < end; ++i) {
        const Token& t = tokens[i];
        if (t.piece != Piece::Word)
            continue;
        genericOrNumbers = genericOrNumbers && (t.kind == Kind::Generic || t.kind == Kind::Number ||
                                                t.kind == Kind::Year);
        onlyNumbers = onlyNumbers && (t.kind == Kind::Number || t.kind == Kind::Year);
    }
    return reading.title.isEmpty() || (genericOrNumbers && !onlyNumbers) ||
           (onlyNumbers && !reading.year) || !titleWords;
}

// "sample", "trailer" ... leave the file out, except as a capitalised word inside a title
// ("Trailer Park Boys", "Extras"): after the title, lower-case, as the whole name, or as a
// "-trailer" ending.
bool FileLeftOut(const std::vector<Token>& tokens, size_t start, size_t end,
                 const NameReading& reading) {
    size_t lastTitleWord = tokens.size();
    for (size_t i = start; i < end; ++i)
        if (tokens[i].piece == Piece::Word)
            lastTitleWord = i;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (!IsWordOf(t, {Kind::LeftOut}))
            continue;
        const bool inTitle = i >= start && i < end;
        if (!inTitle || IsLowerCase(t.text.left(1)) || (i == lastTitleWord && t.joined) ||
            (!reading.episode && reading.title == t.text))
            return true;
    }
    return false;
}

NameReading ReadName(QStringView name, bool folder) {
    NameReading reading;
    reading.imdbId = FindImdbId(name);
    std::vector<Token> tokens = Tokenize(name);
    Classify(tokens, folder, false, reading.editions);
    MarkByPlace(tokens);

    size_t first = 0;
    while (first < tokens.size() && tokens[first].piece != Piece::Word)
        ++first;
    if (first == tokens.size()) {
        reading.saysNothing = true;
        return reading;
    }
    const size_t start = TitleStart(tokens, first);
    bool titleWords = false;
    for (size_t i = start; i < tokens.size(); ++i)
        titleWords = titleWords ||
                     IsWordOf(tokens[i], {Kind::Title, Kind::LeftOut, Kind::Number, Kind::Year});
    size_t end = TitleEnd(tokens, start, titleWords);
    size_t episodeAt = start;
    while (episodeAt < tokens.size() && !IsWordOf(tokens[episodeAt], {Kind::Episode}))
        ++episodeAt;
    reading.episode = episodeAt < tokens.size();
    if (const size_t yearAt = FindYear(tokens, start, episodeAt, reading.year); yearAt > start)
        end = std::min(end, yearAt);
    AddBracketedEditions(tokens, folder, reading.editions);

    reading.title = BuildTitle(tokens, start, end);
    reading.saysNothing = TitleSaysNothing(tokens, start, end, reading, titleWords);
    if (folder) {
        reading.leftOut = kLeftOutFolders.contains(
            FoldedWords(name).toLatin1().toStdString()); // ASCII words only match anyway
        return reading;
    }
    reading.leftOut = FileLeftOut(tokens, start, end, reading);
    return reading;
}

// ---- One guess from the readings of a file and its folders ----

// Title words for comparing a file's title with its folder's: letters and digits in lower
// case, leading article dropped.
QString ComparableTitle(QStringView title) {
    QString words = FoldedWords(title);
    for (const std::string_view article : kArticles) {
        const QString prefix =
            QString::fromLatin1(article.data(), qsizetype(article.size())) + u' ';
        if (words.startsWith(prefix))
            return words.mid(prefix.size());
    }
    return words;
}

bool IsOneShortWord(QStringView title) {
    qsizetype letters = 0;
    for (const QChar c : title) {
        if (c.isSpace())
            return false;
        letters += c.isLetterOrNumber();
    }
    return letters <= 4;
}

QString KeyOf(const VideoGuess& guess) {
    if (!guess.imdbId.isEmpty())
        return guess.imdbId;
    QString key = guess.series ? QStringLiteral("series ") : QStringLiteral("film ");
    for (const QChar c : guess.title)
        if (c.isLetterOrNumber())
            key += c.toLower();
    if (guess.year)
        key += u' ' + QString::number(*guess.year);
    return key;
}

// `folders` from the outermost to the file's own.
VideoGuess Decide(const NameReading& file, std::span<const NameReading> folders, QStringView stem) {
    VideoGuess guess;
    guess.leftOut = file.leftOut;
    guess.imdbId = file.imdbId;
    guess.series = file.episode;
    const NameReading* named = nullptr; // the nearest folder that names something
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
        // The folder of a series called "Extras" holds its episodes, not extras.
        const bool leftOut = it->leftOut && !(file.episode && ComparableTitle(file.title) ==
                                                                  ComparableTitle(it->title));
        guess.leftOut = guess.leftOut || leftOut;
        guess.series = guess.series || it->episode;
        if (guess.imdbId.isEmpty())
            guess.imdbId = it->imdbId;
        if (!named && !it->saysNothing && !leftOut)
            named = &*it;
    }
    // In a season's folder a file without an episode mark is named for its episode.
    const bool fileNames = !file.saysNothing && (file.episode || !guess.series);
    bool guessed = false;
    const NameReading* used = nullptr;
    const auto takeFolder = [&] {
        guess.title = named->title;
        guess.year = named->year;
        used = named;
    };
    if (fileNames) {
        guess.title = file.title;
        guess.year = file.year;
        // The folder's own spelling of the same title, or what a release's file named with a
        // short cut ("pf-720p.mkv") stands for.
        if (!guess.year && named && named->year) {
            const bool same = ComparableTitle(file.title) == ComparableTitle(named->title);
            if (same || IsOneShortWord(file.title)) {
                takeFolder();
                guessed = !same;
            }
        }
    } else if (named) {
        takeFolder();
        guessed = true;
    } else {
        guess.title = file.title;
        guess.year = file.year;
        guessed = true;
    }
    if (guess.title.isEmpty()) {
        const std::vector<Token> tokens = Tokenize(stem);
        guess.title = BuildTitle(tokens, 0, tokens.size());
    }
    if (guess.title.isEmpty())
        guess.title = stem.toString();
    guess.editions = file.editions;
    if (used)
        for (const QString& edition : used->editions)
            if (!guess.editions.contains(edition))
                guess.editions << edition;
    guess.editions.removeDuplicates();
    guess.sure =
        !guess.imdbId.isEmpty() || (guess.year && !guessed && !IsOneShortWord(guess.title));
    guess.key = KeyOf(guess);
    return guess;
}

QStringView WithoutVideoExtension(QStringView name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= 0)
        return name;
    const Folded extension(name.mid(dot + 1));
    return kVideoExtensions.contains(extension.view()) ? name.left(dot) : name;
}

// ---- The walk ----

struct WalkState {
    VideoWalk walk;
    QHash<QString, qsizetype> titleOfKey;
    std::vector<NameReading> folders; // outermost first
    std::vector<std::pair<dev_t, ino_t>> open;
};

struct Entry {
    size_t offset;
    size_t length;
    bool folder;
};

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool IsSystemFolder(std::string_view name) {
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(), LowerAscii);
    return kSystemFolders.contains(lower);
}

void GuessFile(QByteArrayView raw, const QString& prefix, WalkState& state) {
    ++state.walk.videoFiles;
    const QString name = DecodeFileName(raw);
    const QStringView stem = WithoutVideoExtension(name);
    VideoGuess guess = Decide(ReadName(stem, false), state.folders, stem);
    if (guess.leftOut || state.titleOfKey.contains(guess.key))
        return;
    guess.path = prefix + name;
    state.titleOfKey.insert(guess.key, qsizetype(state.walk.titles.size()));
    state.walk.titles.push_back(std::move(guess));
}

// Takes the descriptor of an open folder and closes it.
void WalkFolder(int fd, const QString& prefix, WalkState& state) {
    struct stat self {};
    if (::fstat(fd, &self) != 0 ||
        std::find(state.open.begin(), state.open.end(), std::pair(self.st_dev, self.st_ino)) !=
            state.open.end()) {
        ::close(fd); // a folder mounted inside itself
        return;
    }
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        if (!prefix.isEmpty())
            state.walk.unreadableFolders << prefix.chopped(1);
        return;
    }
    state.open.emplace_back(self.st_dev, self.st_ino);
    std::string names;
    std::vector<Entry> entries;
    while (const dirent* entry = ::readdir(dir)) {
        const char* raw = entry->d_name;
        if (raw[0] == '.') // ".", ".." and hidden names
            continue;
        const size_t length = std::strlen(raw);
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN) {
            struct stat info {};
            if (::fstatat(::dirfd(dir), raw, &info, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISREG(info.st_mode) ? DT_REG : DT_LNK;
        }
        if ((type == DT_REG && IsVideoFileName(QByteArrayView(raw, qsizetype(length)))) ||
            (type == DT_DIR && !IsSystemFolder({raw, length}))) {
            entries.push_back({names.size(), length, type == DT_DIR});
            names.append(raw, length);
        }
    }
    std::sort(entries.begin(), entries.end(), [&names](const Entry& a, const Entry& b) {
        const std::string_view x(names.data() + a.offset, a.length);
        const std::string_view y(names.data() + b.offset, b.length);
        const auto folded =
            std::mismatch(x.begin(), x.end(), y.begin(), y.end(),
                          [](char p, char q) { return LowerAscii(p) == LowerAscii(q); });
        if (folded.first != x.end() && folded.second != y.end())
            return LowerAscii(*folded.first) < LowerAscii(*folded.second);
        if (x.size() != y.size())
            return x.size() < y.size();
        return x < y;
    });
    for (const Entry& entry : entries) {
        const QByteArrayView raw(names.data() + entry.offset, qsizetype(entry.length));
        if (!entry.folder) {
            GuessFile(raw, prefix, state);
            continue;
        }
        const QString name = DecodeFileName(raw);
        const QByteArray terminated = raw.toByteArray();
        const int child = ::openat(::dirfd(dir), terminated.constData(),
                                   O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (child < 0) {
            state.walk.unreadableFolders << prefix + name;
            continue;
        }
        state.folders.push_back(ReadName(name, true));
        WalkFolder(child, prefix + name + u'/', state);
        state.folders.pop_back();
    }
    state.open.pop_back();
    ::closedir(dir);
}

} // namespace

bool IsVideoFileName(QByteArrayView name) {
    const qsizetype dot = name.lastIndexOf('.');
    if (dot <= 0 || name.size() - dot - 1 > 4)
        return false;
    char lower[4];
    const QByteArrayView extension = name.sliced(dot + 1);
    // Bounded by the array as well: g++ 12 cannot tell from the test above that it is enough.
    for (qsizetype i = 0; i < extension.size() && i < qsizetype(sizeof lower); ++i)
        lower[i] = LowerAscii(extension[i]);
    return kVideoExtensions.contains(std::string_view(lower, size_t(extension.size())));
}

VideoGuess GuessVideo(QByteArrayView relativePath) {
    std::vector<QString> names;
    for (qsizetype start = 0; start <= relativePath.size();) {
        qsizetype slash = relativePath.indexOf('/', start);
        if (slash < 0)
            slash = relativePath.size();
        const QByteArrayView raw = relativePath.sliced(start, slash - start);
        if (!raw.isEmpty() && raw != ".")
            names.push_back(DecodeFileName(raw));
        start = slash + 1;
    }
    if (names.empty())
        return {};
    std::vector<NameReading> folders;
    for (size_t i = 0; i + 1 < names.size(); ++i)
        folders.push_back(ReadName(names[i], true));
    const QStringView stem = WithoutVideoExtension(names.back());
    VideoGuess guess = Decide(ReadName(stem, false), folders, stem);
    for (const QString& name : names)
        guess.path += (guess.path.isEmpty() ? QString() : QStringLiteral("/")) + name;
    return guess;
}

Result<VideoWalk> WalkVideos(const QString& folder) {
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return Failure(QStringLiteral("Cannot read the folder %1: %2")
                           .arg(folder, ErrnoText(errno)));
    WalkState state;
    WalkFolder(fd, QString(), state);
    return std::move(state.walk);
}

} // namespace quorvel
