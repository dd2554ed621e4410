#pragma once
// The way back from portable paths to the stored ones, which the Options tab, the album window
// and the portable window all take.

#include "platform/services.h"

#include <QString>

namespace quorvel {

class Settings;

// The Options tab's question; the album window asks its own.
extern const QString kPortableOffQuestion;

// True at once in fixed mode; in portable mode true only after the user agreed to `question`
// and the fixed paths are back in force.
bool ConfirmPortableOff(Settings& settings, Services& services, const QString& question);

// Portable mode off, the fixed picture paths shown again, and the collection, favourites and
// album folders back to their stored values (unsaved choices are undone). A folder that cannot
// be read from Options.ini is reported and stays as it is.
void SwitchToFixedPaths(Settings& settings, Services& services);

} // namespace quorvel
