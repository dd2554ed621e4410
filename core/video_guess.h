#pragma once
// What the names of a folder of video files say about the films and series in it: a guess of
// each title from the file's and its folders' names alone, without the network, as a reader of
// such names would make it.

#include "core/result.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace quorvel {

// Whether the name ends in one of the extensions video files are given (mkv, mp4, avi, vob,
// iso ...), in any case.
bool IsVideoFileName(QByteArrayView name);

struct VideoGuess {
    QString path;  // relative to the folder chosen, "/" between names
    QString title; // as the names write it, blanks for dots and underscores; never empty
    std::optional<int> year;
    QString imdbId; // "tt" and its digits, or empty
    bool series = false;
    // An identifier, or a title with its year read from the file's own name and longer than one
    // short word: safe to look up without asking the user first.
    bool sure = false;
    bool leftOut = false; // a sample, trailer or extra: no title of its own
    QStringList editions; // "Extended", "Director's Cut" ...: known, but not part of the title
    // Equal for the parts of one film, the episodes of one series, and copies of one title.
    QString key;
};

// The guess for one video file from its path relative to the folder chosen, as the file
// system gives it: raw bytes, "/" between names, each name UTF-8 or else the 8-bit code page.
VideoGuess GuessVideo(QByteArrayView relativePath);

struct VideoWalk {
    // One guess per title (parts, episodes and copies together), in the order of the walk,
    // with the path of the title's first file; samples, trailers and extras left out.
    std::vector<VideoGuess> titles;
    int videoFiles = 0;            // every video file met, left-out ones included
    QStringList unreadableFolders; // relative paths of folders that could not be opened
};

// Walks the folder and guesses every video file in it. Names are taken in the order of their
// letters, ignoring case, in each folder; a folder's files and sub-folders come in that one
// order. No symbolic link is followed (what one points to inside the folder is walked where
// it is); hidden files and folders and the system's recycle and index folders are left out.
// Fails only when the folder itself cannot be opened.
Result<VideoWalk> WalkVideos(const QString& folder);

} // namespace quorvel
