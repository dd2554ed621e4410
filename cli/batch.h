#pragma once
// The commands that talk to the OMDb service, one title after another.

#include "cli/command_line.h"
#include "core/options.h"

#include <chrono>

namespace quorvel::cli {

struct Collection {
    QString folder;
    ServiceSettings services;
};

struct AddRequest {
    QString listPath; // "-": the console's input
    bool overwrite = false;
    std::chrono::milliseconds delay{0};
};
int RunAdd(const AddRequest& request, const Collection& collection, Console& console);

struct RefreshRequest {
    bool all = false;
    QString file; // a filtered list of entries, or one info text
    std::chrono::milliseconds delay{0};
};
int RunRefresh(const RefreshRequest& request, const Collection& collection, Console& console);

struct ScanRequest {
    QString folder; // of video files
    bool dryRun = false;
    bool json = false;
    std::chrono::milliseconds delay{0};
};
// Guesses the titles of the video files in the folder, a line each (or one JSON array), and
// unless it is a dry run adds those the collection does not hold, as `add` does.
int RunScan(const ScanRequest& request, const Collection& collection, Console& console);

struct MatchesRequest {
    QString title; // as typed, "Dune (1984)" included
    QString year;  // --year, which replaces a year the title ends with; empty for none
    int page = 1;
    bool json = false;
};
// One page of the service's titles matching the title: a line each, or one JSON object.
int RunMatches(const MatchesRequest& request, const ServiceSettings& services, Console& console);

// Writes nothing; --json for a machine.
int RunCheck(bool json, const Collection& collection, Console& console);

// The text with its control characters written out, a line break as \n and an escape as
// \u001b: a name may hold any character but "/" and NUL, and a line break or an escape
// sequence in it would break the output's lines or drive the terminal.
QString EscapedControls(const QString& text);

} // namespace quorvel::cli
