#include "cli/command_line.h"

#include "cli/batch.h"
#include "core/options.h"
#include "core/textfile.h"
#include "online/omdb.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

#include <cstring>

#include <dirent.h>
#include <unistd.h>

namespace quorvel::cli {

namespace {

const QString kProgram = QStringLiteral("quorvel");

const QString kCommands = QStringLiteral(
    "\nCommands:\n"
    "  add FILE|-            Look up each title or IMDb identifier of FILE (one a line; blank\n"
    "                        lines and lines starting with # are skipped; - reads the input)\n"
    "                        and save its info text and poster into the collection folder.\n"
    "  refresh --all|FILE    Bring records up to date from the OMDb service, keeping your\n"
    "                        notes: every record, or those of a filtered list or info text.\n"
    "  matches TITLE         List the titles the OMDb service finds for TITLE, ten a page:\n"
    "                        identifier, year, type and title, one a line, for picking the\n"
    "                        one to add by its identifier. TITLE may end with its year, as in\n"
    "                        \"Dune (1984)\".\n"
    "  scan FOLDER           Guess the film or series of each video file in FOLDER from\n"
    "                        its file and folder names, one line each (guess  <-  path;\n"
    "                        doubtful guesses marked), then add those the collection does\n"
    "                        not hold yet, as add does.\n"
    "  check                 List what is broken in the collection folder; writes nothing.\n"
    "\n"
    "Run 'quorvel COMMAND --help' for a command's options.\n"
    "\n"
    "Exit status: 0 everything asked was done, 1 some titles failed (check: problems found;\n"
    "matches: none found), 2 bad arguments or an unreadable input, 3 the OMDb service's daily\n"
    "limit (or a refused key) stopped the run; run the same command again to go on.\n");

int BadArguments(Console& console, const QString& message) {
    *console.err << kProgram << ": " << message << "\n"
                 << "Run 'quorvel --help' for the commands.\n";
    console.err->flush();
    return kBadArguments;
}

QString CommandHelp(const QCommandLineParser& parser, const QString& command) {
    QString text = parser.helpText();
    // The parser knows the program, not the command it serves.
    text.replace(QRegularExpression(QStringLiteral("^Usage: \\S+")),
                 command.isEmpty() ? QStringLiteral("Usage: quorvel")
                                   : QStringLiteral("Usage: quorvel ") + command);
    return text;
}

std::optional<std::chrono::milliseconds> ParseDelay(const QString& text) {
    bool ok = false;
    const qlonglong ms = text.toLongLong(&ok);
    if (!ok || ms < 0 || ms > 24LL * 3600 * 1000)
        return std::nullopt;
    return std::chrono::milliseconds(ms);
}

std::optional<int> ParsePage(const QString& text) {
    bool ok = false;
    const int page = text.toInt(&ok);
    if (!ok || page < 1 || page > kOmdbLastSearchPage)
        return std::nullopt;
    return page;
}

// `folderNeeded`: the command works on the collection folder, which must then be readable.
Result<Collection> ReadCollection(const QString& appFolder, bool folderNeeded) {
    const OptionsFile options(OptionsFilePath(appFolder));
    const Result<StoredOptions> stored = ReadStoredOptions(options, appFolder);
    if (!stored) {
        return Failure(QStringLiteral("the settings in %1 cannot be read: %2")
                           .arg(options.path(), stored.error()));
    }
    Collection collection{stored->savingPath, ReadServiceSettings(options)};
    if (!folderNeeded)
        return collection;
    if (!QFileInfo(collection.folder).isDir()) {
        return Failure(
            QStringLiteral("the collection folder \"%1\" does not exist or is not a folder")
                .arg(collection.folder));
    }
    // A folder the user may not list would look like an empty collection.
    DIR* listing = ::opendir(QFile::encodeName(collection.folder).constData());
    if (!listing) {
        return Failure(QStringLiteral("the collection folder \"%1\" cannot be read: %2")
                           .arg(collection.folder, qt_error_string(errno)));
    }
    ::closedir(listing);
    return collection;
}

struct CommandParser {
    QCommandLineParser parser;
    QCommandLineOption help = parser.addHelpOption();
    QCommandLineOption delay{QStringLiteral("delay"),
                             QStringLiteral("Wait at least MS milliseconds between two requests "
                                            "(default 0)."),
                             QStringLiteral("MS"), QStringLiteral("0")};
    QCommandLineOption overwrite{QStringLiteral("overwrite"),
                                 QStringLiteral("Look up and save titles already in the "
                                                "collection too, replacing their files.")};
    QCommandLineOption all{QStringLiteral("all"),
                           QStringLiteral("Refresh every record of the collection folder.")};
    QCommandLineOption json{QStringLiteral("json"),
                            QStringLiteral("Write the report as JSON for other programs.")};
    QCommandLineOption year{QStringLiteral("year"),
                            QStringLiteral("Only titles of this year (from 1870 to next year)."),
                            QStringLiteral("YYYY")};
    QCommandLineOption dryRun{QStringLiteral("dry-run"),
                              QStringLiteral("Only list the guesses; ask the service nothing.")};
    QCommandLineOption page{QStringLiteral("page"),
                            QStringLiteral("The page of ten titles to list (default 1, at most "
                                           "100)."),
                            QStringLiteral("N"), QStringLiteral("1")};

    explicit CommandParser(const QString& command) {
        if (command == QLatin1String("add")) {
            parser.setApplicationDescription(
                QStringLiteral("Add the titles or IMDb identifiers of FILE (one a line) to the "
                               "collection; titles already there are skipped."));
            parser.addOptions({overwrite, delay});
            parser.addPositionalArgument(QStringLiteral("FILE"),
                                         QStringLiteral("The list, or - for the input."));
        } else if (command == QLatin1String("refresh")) {
            parser.setApplicationDescription(
                QStringLiteral("Refresh records from the OMDb service by their IMDb identifier, "
                               "keeping your notes; records longest unchanged go first."));
            parser.addOptions({all, delay});
            parser.addPositionalArgument(
                QStringLiteral("FILE"),
                QStringLiteral("A filtered list of entries (*.list) or one info text (*.txt)."),
                QStringLiteral("[FILE]"));
        } else if (command == QLatin1String("scan")) {
            parser.setApplicationDescription(
                QStringLiteral("Guess the film or series of every video file in FOLDER (and the "
                               "folders in it) from the names, list the guesses in the order of "
                               "the folder walk, then add the titles the collection does not "
                               "hold yet, as add does."));
            parser.addOptions({dryRun, json, delay});
            parser.addPositionalArgument(QStringLiteral("FOLDER"),
                                         QStringLiteral("The folder of video files."));
        } else if (command == QLatin1String("matches")) {
            parser.setApplicationDescription(
                QStringLiteral("List the titles the OMDb service finds for TITLE, ten a page: "
                               "identifier, year, type and title, one a line, with tabs between "
                               "them. A TITLE ending with a year in parentheses, \"Dune "
                               "(1984)\", asks for that year; so does --year."));
            parser.addOptions({year, page, json});
            parser.addPositionalArgument(QStringLiteral("TITLE"),
                                         QStringLiteral("The title (its words may be given "
                                                        "unquoted)."),
                                         QStringLiteral("TITLE..."));
        } else {
            parser.setApplicationDescription(
                QStringLiteral("List what is broken in the collection folder, with a count per "
                               "kind. Writes nothing."));
            parser.addOption(json);
        }
    }
};

// What is wrong with a command's own arguments, empty when nothing is; `delay` receives the
// parsed --delay.
QString ArgumentsProblem(const QString& command, const CommandParser& sub, const QStringList& files,
                         std::chrono::milliseconds& delay) {
    if (command == QLatin1String("add") || command == QLatin1String("refresh") ||
        command == QLatin1String("scan")) {
        const std::optional<std::chrono::milliseconds> parsed =
            ParseDelay(sub.parser.value(sub.delay));
        if (!parsed)
            return QStringLiteral("--delay wants a number of milliseconds, not \"%1\"")
                .arg(sub.parser.value(sub.delay));
        delay = *parsed;
    }
    if (command == QLatin1String("add") && files.size() != 1)
        return QStringLiteral("add wants one FILE, or - for the input");
    if (command == QLatin1String("scan") && files.size() != 1)
        return QStringLiteral("scan wants one FOLDER");
    if (command == QLatin1String("refresh") &&
        (files.size() > 1 || sub.parser.isSet(sub.all) == (files.size() == 1)))
        return QStringLiteral("refresh wants either --all or one FILE");
    if (command == QLatin1String("check") && !files.isEmpty())
        return QStringLiteral("check takes no FILE");
    if (command == QLatin1String("matches")) {
        if (TrimBlanksAndControls(files.join(u' ')).isEmpty())
            return QStringLiteral("matches wants a TITLE");
        const QString year = sub.parser.value(sub.year);
        // The year form's own rule, so --year takes what "Title (Year)" takes.
        if (sub.parser.isSet(sub.year) &&
            SplitTitleYear(QStringLiteral("x (") + year + u')').year != year)
            return QStringLiteral("--year wants a year from 1870 to next year, not \"%1\"")
                .arg(year);
        if (!ParsePage(sub.parser.value(sub.page)))
            return QStringLiteral("--page wants a number from 1 to %1, not \"%2\"")
                .arg(kOmdbLastSearchPage)
                .arg(sub.parser.value(sub.page));
    }
    return {};
}

} // namespace

bool IsCommandLine(int argc, char** argv) {
    if (argc < 2 || !argv[1] || !argv[1][0])
        return false;
    const char* first = argv[1];
    if (first[0] != '-' || std::strncmp(first, "--", 2) == 0)
        return true;
    return std::strcmp(first, "-h") == 0 || std::strcmp(first, "-v") == 0 ||
           std::strcmp(first, "-?") == 0;
}

namespace {

// A command whose arguments are right, run on the collection of the Options.ini found.
int RunParsedCommand(const QString& command, const CommandParser& sub, const QStringList& files,
                     std::chrono::milliseconds delay, const std::function<QString()>& appFolder,
                     Console& console) {
    const bool matches = command == QLatin1String("matches");
    const Result<Collection> collection = ReadCollection(appFolder(), !matches);
    if (!collection) {
        // The arguments were right: the help would not help.
        *console.err << kProgram << ": " << collection.error() << "\n";
        console.err->flush();
        return kBadArguments;
    }
    if (matches)
        return RunMatches({TrimBlanksAndControls(files.join(u' ')), sub.parser.value(sub.year),
                           ParsePage(sub.parser.value(sub.page)).value_or(1),
                           sub.parser.isSet(sub.json)},
                          collection->services, console);
    if (command == QLatin1String("add"))
        return RunAdd({files.first(), sub.parser.isSet(sub.overwrite), delay}, *collection,
                      console);
    if (command == QLatin1String("scan"))
        return RunScan(
            {files.first(), sub.parser.isSet(sub.dryRun), sub.parser.isSet(sub.json), delay},
            *collection, console);
    if (command == QLatin1String("refresh"))
        return RunRefresh({sub.parser.isSet(sub.all), files.value(0), delay}, *collection, console);
    return RunCheck(sub.parser.isSet(sub.json), *collection, console);
}

} // namespace

int RunCommandLine(const QStringList& arguments, const std::function<QString()>& appFolder,
                   Console& console) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Quorvel keeps a collection of movie and series records. Started "
                       "without arguments it opens its window; with a command it works on the "
                       "collection folder of its Options.ini without one."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("command"),
                                 QStringLiteral("add, scan, refresh, matches or check"),
                                 QStringLiteral("command [options]"));
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    if (!parser.parse(arguments))
        return BadArguments(console, parser.errorText());
    if (parser.isSet(version)) {
        *console.out << "Quorvel " << QUORVEL_VERSION_TEXT << "\n";
        console.out->flush();
        return kAllDone;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        if (!parser.isSet(help))
            return BadArguments(console, QStringLiteral("no command given"));
        *console.out << CommandHelp(parser, QString()) << kCommands;
        console.out->flush();
        return kAllDone;
    }
    const QString command = positional.first();
    static const QStringList kCommandNames{QStringLiteral("add"), QStringLiteral("scan"),
                                           QStringLiteral("refresh"), QStringLiteral("matches"),
                                           QStringLiteral("check")};
    if (!kCommandNames.contains(command))
        return BadArguments(console, QStringLiteral("unknown command \"%1\"").arg(command));

    CommandParser sub(command);
    if (!sub.parser.parse(QStringList{arguments.value(0, kProgram)} + positional.mid(1)))
        return BadArguments(console, sub.parser.errorText());
    if (sub.parser.isSet(sub.help) || parser.isSet(help)) {
        *console.out << CommandHelp(sub.parser, command);
        console.out->flush();
        return kAllDone;
    }
    const QStringList files = sub.parser.positionalArguments();
    std::chrono::milliseconds delay{0};
    if (const QString problem = ArgumentsProblem(command, sub, files, delay); !problem.isEmpty())
        return BadArguments(console, problem);

    return RunParsedCommand(command, sub, files, delay, appFolder, console);
}

int RunFromMain(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Quorvel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUORVEL_VERSION_TEXT));
    QFile in;
    (void)in.open(stdin, QIODevice::ReadOnly);
    QTextStream out(stdout);
    QTextStream err(stderr);
    Console console{&in, &out, &err, ::isatty(STDOUT_FILENO) == 1};
    return RunCommandLine(QCoreApplication::arguments(), ApplicationFolder, console);
}

} // namespace quorvel::cli
