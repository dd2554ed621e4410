#include "core/collection.h"

#include "core/textfile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <string_view>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>

namespace quorvel {
namespace {

// The last four characters upper-cased as AsciiUpper does, compared in place: counting a list
// of a hundred thousand entries should not build a string for each.
bool HasExtension(const QString& name, const char (&upperExtension)[5]) {
    if (name.size() < 4)
        return false;
    const QChar* last = name.constData() + name.size() - 4;
    for (int i = 0; i < 4; ++i) {
        const char16_t c = last[i].unicode();
        const char16_t upper = c >= 'a' && c <= 'z' ? char16_t(c - 'a' + 'A') : c;
        if (upper != char16_t(upperExtension[i]))
            return false;
    }
    return true;
}

// On this platform's case-sensitive file systems "Heat.txt" does not find "Heat.TXT", which
// the Windows file system the collections come from would: look for the extension in any
// letter case when the exact name is missing. A few stats of the candidate names cost
// microseconds where reading the folder once more cost as much as the refresh that follows.
QString ResolveExtensionCase(const QString& path, int extensionLength,
                             const QSet<QString>* names = nullptr) {
    const qsizetype nameStart = path.lastIndexOf(QLatin1Char('/')) + 1;
    const auto exists = [&](const QString& candidate) {
        if (names)
            return names->contains(candidate.mid(nameStart));
        struct stat info {};
        return ::stat(QFile::encodeName(candidate).constData(), &info) == 0;
    };
    if (names ? exists(path) : QFileInfo::exists(path))
        return path;
    if (path.size() - nameStart < extensionLength)
        return path;
    const qsizetype extensionStart = path.size() - extensionLength;
    QList<qsizetype> letters;
    for (qsizetype i = extensionStart; i < path.size(); ++i) {
        const QChar c = path.at(i);
        if ((c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
            (c >= QLatin1Char('A') && c <= QLatin1Char('Z')))
            letters << i;
    }
    // Four letters make sixteen names; longer extensions are not ours to guess.
    if (letters.isEmpty() || letters.size() > 4)
        return path;
    // All upper case first (the other common spelling), then every mix in a fixed order, so
    // that the same folder always leads to the same file.
    QString candidate =
        path.left(extensionStart) + AsciiUpper(QStringView(path).mid(extensionStart));
    const int mixes = 1 << letters.size();
    for (int mix = 0; mix < mixes; ++mix) {
        for (qsizetype bit = 0; bit < letters.size(); ++bit) {
            QChar& letter = candidate[letters.at(bit)];
            const char16_t upper = letter.unicode() & ~char16_t(0x20);
            letter = QChar(mix & (1 << bit) ? char16_t(upper | 0x20) : upper);
        }
        if (candidate != path && exists(candidate))
            return candidate;
    }
    return path;
}

bool IsRegularFile(DIR* dir, const dirent* entry) {
    if (entry->d_type == DT_REG)
        return true;
    if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK)
        return false;
    struct stat info {};
    return ::fstatat(::dirfd(dir), entry->d_name, &info, 0) == 0 && S_ISREG(info.st_mode);
}

// The extension test on the name as the folder gives it: an ASCII byte always decodes to
// itself and nothing else decodes to ASCII, so the last four bytes say what the last four
// characters would.
bool HasCollectionExtension(const char* raw, size_t length) {
    if (length < 4 || raw[length - 4] != '.')
        return false;
    const char a = char(raw[length - 3] | 0x20);
    const char b = char(raw[length - 2] | 0x20);
    const char c = char(raw[length - 1] | 0x20);
    return (a == 't' && b == 'x' && c == 't') || (a == 'j' && b == 'p' && c == 'g');
}

// The list's order is QString::compare(a, b, Qt::CaseInsensitive), the exact name breaking
// ties. That comparison case-folds both names character by character on every call; folding
// each name once and comparing the folded keys code unit by code unit gives the same order.
// The fold is Unicode's simple case folding (to lower case), exactly as that comparison does
// it: an upper-case fold would put "_" and "[" after the letters instead of before them.
//
// One name while listing. The decoded names and their keys sit one after another in two
// buffers, and the strings of the list are made only once the order is known: a list whose
// strings lie in memory in list order is compared, counted and drawn without cache misses.
struct ListedName {
    // Eight key units after the prefix all keys share, packed for comparing as integers: most
    // comparisons end here, without a look at the key itself.
    quint64 head[2];
    qsizetype keyStart;
    qsizetype nameStart;
    quint32 keyLength;
    quint32 nameLength;
};

// Zero after the key's end: no file name holds U+0000, so a shorter key packs lower.
void PackHeads(std::vector<ListedName>& listed, const std::vector<char16_t>& keys) {
    if (listed.empty())
        return;
    const char16_t* first = keys.data() + listed.front().keyStart;
    qsizetype shared = listed.front().keyLength;
    for (const ListedName& item : listed) {
        const char16_t* key = keys.data() + item.keyStart;
        qsizetype same = 0;
        const qsizetype most = std::min(shared, qsizetype(item.keyLength));
        while (same < most && key[same] == first[same])
            ++same;
        shared = same;
    }
    for (ListedName& item : listed) {
        const char16_t* key = keys.data() + item.keyStart;
        for (int half = 0; half < 2; ++half) {
            quint64 packed = 0;
            for (qsizetype i = shared + 4 * half; i < shared + 4 * half + 4; ++i)
                packed = packed << 16 | (i < item.keyLength ? key[i] : 0u);
            item.head[half] = packed;
        }
        const qsizetype packedUnits = std::min(qsizetype(item.keyLength), shared + 8);
        item.keyStart += packedUnits;
        item.keyLength -= quint32(packedUnits);
    }
}

// Appends the folded `name` to `keys`. Returns false when a code unit of the key could not
// stand for the comparison's folded character (a lone surrogate, or a character whose fold
// leaves its surrogate block); decoding a file name never yields one.
bool AppendFoldedKey(QStringView name, std::vector<char16_t>& keys) {
    const qsizetype start = qsizetype(keys.size());
    keys.resize(keys.size() + size_t(name.size()));
    char16_t* key = keys.data() + start;
    const char16_t* units = name.utf16();
    const qsizetype length = name.size();
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t unit = units[i];
        if (unit < 0x80) {
            key[i] = unit >= 'A' && unit <= 'Z' ? char16_t(unit | 0x20) : unit;
        } else if (QChar::isHighSurrogate(unit)) {
            if (i + 1 == length || !QChar::isLowSurrogate(units[i + 1]))
                return false;
            const char32_t folded = QChar::toCaseFolded(QChar::surrogateToUcs4(unit, units[i + 1]));
            if (QChar::highSurrogate(folded) != unit)
                return false;
            key[i] = unit;
            key[++i] = QChar::lowSurrogate(folded);
        } else if (QChar::isLowSurrogate(unit)) {
            return false;
        } else {
            key[i] = QChar(unit).toCaseFolded().unicode();
        }
    }
    return true;
}

} // namespace

bool IsInfoTextEntry(const QString& name) {
    return HasExtension(name, ".TXT");
}
bool IsPosterEntry(const QString& name) {
    return HasExtension(name, ".JPG");
}
bool IsCollectionEntry(const QString& name) {
    return IsInfoTextEntry(name) || IsPosterEntry(name);
}

namespace {

// The listed names in the collection's order, made into strings only now so that they sit in
// memory in list order. Without exact keys the old comparison does the sorting itself.
QStringList SortedEntries(std::vector<ListedName>& listed, const std::vector<char16_t>& names,
                          const std::vector<char16_t>& keys, bool keysExact) {
    const char16_t* nameData = names.data();
    const auto nameOf = [nameData](const ListedName& item) {
        return QStringView(nameData + item.nameStart, item.nameLength);
    };
    if (keysExact) {
        PackHeads(listed, keys);
        const char16_t* keyData = keys.data();
        std::sort(listed.begin(), listed.end(),
                  [keyData, nameOf](const ListedName& a, const ListedName& b) {
                      if (a.head[0] != b.head[0])
                          return a.head[0] < b.head[0];
                      if (a.head[1] != b.head[1])
                          return a.head[1] < b.head[1];
                      // Equal heads: both keys go on past them, or both end at the same place.
                      const std::u16string_view restA(keyData + a.keyStart, a.keyLength);
                      const std::u16string_view restB(keyData + b.keyStart, b.keyLength);
                      const int byFold = restA.compare(restB);
                      return byFold != 0 ? byFold < 0 : nameOf(a) < nameOf(b);
                  });
    } else {
        std::sort(listed.begin(), listed.end(), [nameOf](const ListedName& a, const ListedName& b) {
            const int byCase = nameOf(a).compare(nameOf(b), Qt::CaseInsensitive);
            return byCase != 0 ? byCase < 0 : nameOf(a) < nameOf(b);
        });
    }
    QStringList entries;
    entries.reserve(qsizetype(listed.size()));
    for (const ListedName& item : listed)
        entries.append(nameOf(item).toString());
    return entries;
}

// The listing of an open folder. `askedTypes` tells whether an entry's type had to be asked
// of the file system (a symbolic link, or a file system that gives no types).
QStringList ListOpenFolder(DIR* dir, bool& askedTypes) {
    askedTypes = false;
    std::vector<ListedName> listed;
    std::vector<char16_t> names;
    std::vector<char16_t> keys;
    // Room from the folder's own size, which most file systems grow with the names it holds:
    // growing the buffers step by step copied them over and over. Room not used costs no
    // memory until it is touched.
    struct stat folderInfo {};
    if (::fstat(::dirfd(dir), &folderInfo) == 0 && folderInfo.st_size > 0) {
        const size_t bytes = std::min<size_t>(size_t(folderInfo.st_size), size_t(1) << 26);
        names.reserve(bytes / 2);
        keys.reserve(bytes / 2);
        listed.reserve(bytes / 24);
    }
    bool keysExact = true;
    // readdir with the entry's type avoids a stat per file, and the extension test on the raw
    // name spares decoding the folder's other files.
    while (dirent* entry = ::readdir(dir)) {
        const char* raw = entry->d_name;
        const size_t length = std::char_traits<char>::length(raw);
        if (!HasCollectionExtension(raw, length))
            continue;
        askedTypes = askedTypes || entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK;
        if (!IsRegularFile(dir, entry))
            continue;
        const qsizetype nameStart = qsizetype(names.size());
        const QByteArrayView bytes(raw, qsizetype(length));
        if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) < 0x80; })) {
            names.insert(names.end(), bytes.begin(), bytes.end());
        } else {
            // The same text QFile::decodeName gives.
            const QString decoded = QString::fromLocal8Bit(bytes);
            names.insert(names.end(), decoded.utf16(), decoded.utf16() + decoded.size());
        }
        const qsizetype nameLength = qsizetype(names.size()) - nameStart;
        const qsizetype keyStart = qsizetype(keys.size());
        keysExact =
            AppendFoldedKey(QStringView(names.data() + nameStart, nameLength), keys) && keysExact;
        listed.push_back({{}, keyStart, nameStart, quint32(nameLength), quint32(nameLength)});
    }

    return SortedEntries(listed, names, keys, keysExact);
}

qint64 Nanoseconds(const timespec& time) {
    return qint64(time.tv_sec) * 1000000000 + time.tv_nsec;
}

FolderStamp StampOf(const struct stat& info) {
    return {quint64(info.st_dev),      quint64(info.st_ino), Nanoseconds(info.st_mtim),
            Nanoseconds(info.st_ctim), qint64(info.st_size), quint64(info.st_nlink)};
}

} // namespace

QStringList ListCollection(const QString& folder) {
    if (folder.isEmpty())
        return {};
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return {};
    bool askedTypes = false;
    QStringList entries = ListOpenFolder(dir, askedTypes);
    ::closedir(dir);
    return entries;
}

QStringList InfoTextEntries(const QStringList& entries) {
    QStringList texts;
    for (const QString& entry : entries) {
        if (IsInfoTextEntry(entry))
            texts << entry;
    }
    return texts;
}

QStringList ListInfoTexts(const QString& folder) {
    return InfoTextEntries(ListCollection(folder));
}

QStringList CollectionListing::List(const QString& folder) {
    reused_ = false;
    if (folder.isEmpty()) {
        Forget();
        return {};
    }
    const QByteArray encoded = QFile::encodeName(folder);
    struct stat info {};
    if (kept_ && folder == folder_ && ::stat(encoded.constData(), &info) == 0 &&
        StampOf(info) == stamp_) {
        reused_ = true;
        return entries_;
    }
    Forget();
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    DIR* dir = ::opendir(encoded.constData());
    if (!dir)
        return {};
    // The stamp before the reading: a change made while reading shows at the next listing.
    const bool stamped = ::fstat(::dirfd(dir), &info) == 0;
    bool askedTypes = false;
    QStringList entries = ListOpenFolder(dir, askedTypes);
    ::closedir(dir);
    // A change in the same tick of the file system's clock as the last one leaves the times as
    // they were: only a folder left alone for a while before this listing can vouch for the
    // next. (Its status-change time moves with any touch of the times, so it only has to match.)
    constexpr qint64 kQuietNs = 2'000'000'000;
    const FolderStamp stamp = StampOf(info);
    if (stamped && !askedTypes && stamp.modified < Nanoseconds(now) - kQuietNs) {
        kept_ = true;
        folder_ = folder;
        stamp_ = stamp;
        entries_ = entries;
    }
    return entries;
}

void CollectionListing::Forget() {
    kept_ = false;
    folder_.clear();
    entries_.clear();
}

int TypedSearchRow(const QStringList& entries, const QString& text) {
    for (qsizetype i = 1; i < entries.size(); ++i) {
        if (entries.at(i).startsWith(text, Qt::CaseInsensitive))
            return int(i);
    }
    return !entries.isEmpty() && entries.first().startsWith(text, Qt::CaseInsensitive) ? 0 : -1;
}

CollectionCount CountCollection(const QStringList& entries) {
    CollectionCount count;
    for (const QString& entry : entries) {
        if (IsInfoTextEntry(entry))
            ++count.texts;
        else if (IsPosterEntry(entry))
            ++count.posters;
    }
    return count;
}

QString CountLabelText(const CollectionCount& count) {
    return QStringLiteral("Collection count: %1 Text Info and %2 Poster")
        .arg(count.texts)
        .arg(count.posters);
}

QString CountLabelText(qsizetype texts, const QString& suffix) {
    return QStringLiteral("Collection count: ") + QString::number(texts) + QStringLiteral(" Text") +
           suffix;
}

ListMatches SearchList(const QStringList& entries, const QString& text,
                       const QStringList& extensions, bool typedExtension) {
    ListMatches matches;
    const QString wanted = AsciiUpper(text);
    if (wanted.isEmpty())
        return matches;
    QStringList upper;
    upper.reserve(entries.size());
    for (const QString& entry : entries)
        upper << AsciiUpper(entry);
    for (const QString& extension : extensions) {
        const QString ext = AsciiUpper(extension);
        const QString name = typedExtension && wanted.endsWith(ext) ? wanted : wanted + ext;
        matches.whole = int(upper.indexOf(name));
        if (matches.whole >= 0)
            return matches;
    }
    for (qsizetype row = 0; row < upper.size(); ++row) {
        if (upper.at(row).contains(wanted))
            matches.partial << int(row);
    }
    return matches;
}

QString JoinPath(const QString& folder, const QString& name) {
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

QString EntryBaseName(const QString& entry) {
    return entry.left(std::max<qsizetype>(0, entry.size() - 4));
}

QString EntryFilePath(const QString& folder, const QString& entry, const QString& extension,
                      const QSet<QString>* names) {
    const QString path = JoinPath(folder, EntryBaseName(entry) + extension);
    return ResolveExtensionCase(path, static_cast<int>(extension.size()), names);
}

QString CompanionName(const QString& name, const QString& extension3) {
    return name.left(std::max<qsizetype>(0, name.size() - 3)) + extension3;
}

QString CompanionFilePath(const QString& path, const QString& extension3) {
    return ResolveExtensionCase(CompanionName(path, extension3),
                                static_cast<int>(extension3.size()));
}

QString SanitiseFileName(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '"':
        case '*':
        case '/':
        case ':':
        case '<':
        case '>':
        case '?':
        case '\\':
        case '|':
            break;
        default:
            if (c.unicode() >= 0x20 && c.unicode() != 0x7F)
                out += c;
        }
    }
    // A name starting with a dot is hidden from every file list, and ".." leaves the folder.
    qsizetype dots = 0;
    while (dots < out.size() && out.at(dots) == QLatin1Char('.'))
        ++dots;
    return out.mid(dots);
}

bool StaysInFolder(const QString& name) {
    return !name.contains(QLatin1Char('/')) && !name.contains(QChar(u'\0')) &&
           name != QLatin1String(".") && name != QLatin1String("..");
}

bool NamesFileOfFolder(const QString& name) {
    return !name.isEmpty() && !name.contains(QLatin1Char('\\')) && StaysInFolder(name);
}

Result<QString> CollectionFilePath(const QString& folder, const QString& name) {
    const QString path = JoinPath(folder, name);
    if (!NamesFileOfFolder(name))
        return Failure(QStringLiteral("Cannot open %1: not the name of a file in the collection "
                                      "folder")
                           .arg(path));
    return path;
}

QString OverwriteQuestionText(const QString& path) {
    return path + QStringLiteral(" exists. Do you want to overwrite it?");
}

Status WritePosterBytes(const QString& path, const QByteArray& bytes) {
    return WriteFileSafely(path, bytes);
}

} // namespace quorvel
