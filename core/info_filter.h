#pragma once
// The Info List Creator's filters as one walk over the listed info texts.

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace quorvel {

// A filter's test of one text's lines (InfoTextHasGenre, InfoTextContains).
using InfoTextTest = bool (*)(const QStringList& lines, QStringView word);

// What the walk tells its caller; both may be left empty. Both are called on the caller's
// thread, in the middle of the walk, so the caller may let its window live or ask the user.
struct FilterWalk {
    std::function<void(int row)> reaching;                // before the entry of `row` is read
    std::function<void(const QString& entry)> unreadable; // the entry's text cannot be read
};

// Which of `entries` (names of info texts in `folder`) stay, one flag per entry: those whose
// text passes `test` with `word`, those ticked when `protectTicked` (`ticks` has one flag per
// entry, or is shorter for none), and those whose text cannot be read, which are told about as
// they are met. An entry that names no file of the folder itself (a loaded list's path) counts
// as unreadable and is never read.
std::vector<bool> FilterInfoTexts(const QString& folder, const QStringList& entries,
                                  const std::vector<bool>& ticks, bool protectTicked,
                                  const QString& word, InfoTextTest test,
                                  const FilterWalk& walk = {});

} // namespace quorvel
