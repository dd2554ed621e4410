#include "core/collection.h"

#include "core/textfile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

#include <dirent.h>
#include <sys/stat.h>

namespace quorvel {
namespace {

bool HasExtension(const QString& name, QLatin1String upperExtension) {
    return name.size() >= 4 && AsciiUpper(QStringView(name).right(4)) == upperExtension;
}

// On this platform's case-sensitive file systems "Heat.txt" does not find "Heat.TXT", which
// the Windows file system the collections come from would: look for the extension in any
// letter case when the exact name is missing.
QString ResolveExtensionCase(const QString& path, int extensionLength) {
    if (QFileInfo::exists(path))
        return path;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    // A bare name lives in the current folder; the prefix stays empty so the answer is a bare
    // name too.
    const QString folder = path.left(slash + 1);
    const QString name = path.mid(slash + 1);
    if (name.size() < extensionLength)
        return path;
    const QString base = name.left(name.size() - extensionLength);
    const QString upperExtension = AsciiUpper(QStringView(name).right(extensionLength));

    const QString upperGuess = folder + base + upperExtension;
    if (QFileInfo::exists(upperGuess))
        return upperGuess;

    DIR* dir = ::opendir(folder.isEmpty() ? "." : QFile::encodeName(folder).constData());
    if (!dir)
        return path;
    QString found;
    const QByteArray baseBytes = QFile::encodeName(base);
    while (dirent* entry = ::readdir(dir)) {
        const QByteArray candidate(entry->d_name);
        if (candidate.size() != baseBytes.size() + extensionLength ||
            !candidate.startsWith(baseBytes))
            continue;
        const QString candidateName = QFile::decodeName(candidate);
        if (AsciiUpper(QStringView(candidateName).right(extensionLength)) == upperExtension) {
            found = folder + candidateName;
            break;
        }
    }
    ::closedir(dir);
    return found.isEmpty() ? path : found;
}

bool IsRegularFile(const QByteArray& folder, const dirent* entry) {
    if (entry->d_type == DT_REG)
        return true;
    if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK)
        return false;
    struct stat info {};
    const QByteArray full = folder + '/' + entry->d_name;
    return ::stat(full.constData(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

bool IsInfoTextEntry(const QString& name) { return HasExtension(name, QLatin1String(".TXT")); }
bool IsPosterEntry(const QString& name) { return HasExtension(name, QLatin1String(".JPG")); }
bool IsCollectionEntry(const QString& name) {
    return IsInfoTextEntry(name) || IsPosterEntry(name);
}

QStringList ListCollection(const QString& folder) {
    QStringList entries;
    if (folder.isEmpty())
        return entries;
    const QByteArray encoded = QFile::encodeName(folder);
    DIR* dir = ::opendir(encoded.constData());
    if (!dir)
        return entries;
    // readdir with the entry's type avoids a stat per file: tens of thousands of titles list
    // in a few milliseconds.
    while (dirent* entry = ::readdir(dir)) {
        const char* raw = entry->d_name;
        const size_t length = std::char_traits<char>::length(raw);
        if (length < 4)
            continue;
        const QString name = QFile::decodeName(QByteArray(raw, static_cast<qsizetype>(length)));
        if (IsCollectionEntry(name) && IsRegularFile(encoded, entry))
            entries << name;
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(), [](const QString& a, const QString& b) {
        const int byCase = QString::compare(a, b, Qt::CaseInsensitive);
        return byCase != 0 ? byCase < 0 : a < b;
    });
    return entries;
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

QString JoinPath(const QString& folder, const QString& name) {
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

QString EntryBaseName(const QString& entry) { return entry.left(std::max<qsizetype>(0, entry.size() - 4)); }

QString EntryFilePath(const QString& folder, const QString& entry, const QString& extension) {
    const QString path = JoinPath(folder, EntryBaseName(entry) + extension);
    return ResolveExtensionCase(path, static_cast<int>(extension.size()));
}

QString CompanionFilePath(const QString& path, const QString& extension3) {
    const QString companion = path.left(std::max<qsizetype>(0, path.size() - 3)) + extension3;
    return ResolveExtensionCase(companion, static_cast<int>(extension3.size()));
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
    return out;
}

bool StaysInFolder(const QString& name) {
    return !name.contains(QLatin1Char('/')) && !name.contains(QChar(u'\0')) &&
           name != QLatin1String(".") && name != QLatin1String("..");
}

QString OverwriteQuestionText(const QString& path) {
    return path + QStringLiteral(" exists. Do you want to overwrite it?");
}

Status WritePosterBytes(const QString& path, const QByteArray& bytes) {
    return WriteFileSafely(path, bytes);
}

} // namespace quorvel
