#pragma once
// quorvel add|scan|refresh|matches|check: batch work on the collection without a window or a display.

#include <QString>
#include <QStringList>

#include <functional>

class QIODevice;
class QTextStream;

namespace quorvel::cli {

enum ExitStatus {
    kAllDone = 0,      // everything asked was done (a check that found nothing)
    kSomeFailed = 1,   // some titles failed (a check that found problems)
    kBadArguments = 2, // bad arguments, an unreadable input, options or collection folder
    kLimitReached = 3, // the service refused to answer (daily limit, key): the run stopped
};

struct Console {
    QIODevice* in = nullptr; // what "add -" reads
    QTextStream* out = nullptr;
    QTextStream* err = nullptr;
    bool terminal = false; // out is a terminal: a progress line instead of plain lines
};

// Whether the program's arguments ask for a command rather than the windows: a first argument
// that is a word or a long option (or -h, -v, -?). Qt's own one-dash options ("-platform",
// "-style") still start the windows.
bool IsCommandLine(int argc, char** argv);

// Parses `arguments` (the program name first) and runs the command with the collection folder,
// service address and key of the Options.ini in the folder `appFolder` gives. That folder is
// asked for only by a command that works on the collection (finding it may create it), never
// for --help, --version or arguments in error. Returns the exit status.
int RunCommandLine(const QStringList& arguments, const std::function<QString()>& appFolder,
                   Console& console);

// For main(): a QCoreApplication, the standard streams, the executable's folder.
int RunFromMain(int argc, char** argv);

} // namespace quorvel::cli
