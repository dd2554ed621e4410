#include "core/info_filter.h"

#include "core/collection.h"
#include "core/result.h"
#include "core/textfile.h"

namespace quorvel {

// A text whose bytes cannot hold the word is not decoded into lines at all: most texts of a
// collection are like that, and the decoding would cost more than the reading.
std::vector<bool> FilterInfoTexts(const QString& folder, const QStringList& entries,
                                  const std::vector<bool>& ticks, bool protectTicked,
                                  const QString& word, InfoTextTest test, const FilterWalk& walk) {
    std::vector<bool> kept(std::size_t(entries.size()), true);
    for (qsizetype row = 0; row < entries.size(); ++row) {
        if (walk.reaching)
            walk.reaching(int(row));
        const QString& entry = entries.at(row);
        const Result<QByteArray> bytes = NamesFileOfFolder(entry)
                                             ? ReadFileContents(JoinPath(folder, entry))
                                             : Result<QByteArray>(Failure(entry));
        if (!bytes) {
            if (walk.unreadable)
                walk.unreadable(entry);
            continue;
        }
        if (BytesMayHoldUpperCased(*bytes, word) && test(DecodeText(*bytes).lines, word))
            continue;
        const std::size_t at = std::size_t(row);
        if (protectTicked && at < ticks.size() && ticks[at])
            continue;
        kept[at] = false;
    }
    return kept;
}

} // namespace quorvel
