#include "core/options.h"

#include "core/textfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <SimpleIni.h>

#include <unistd.h>

#include <optional>
#include <vector>

namespace quorvel {
namespace {

// What counts as a corrupt Options.ini: a file that exists but cannot be read, one holding a
// NUL byte (no text file of ours does; a truncated or overwritten binary does), or one the INI
// parser refuses. A missing file is not corrupt: the defaults apply.
struct LoadedIni {
    CSimpleIniA ini;
    LoadedIni() {
        ini.SetUnicode(false); // values are bytes; paths go through unchanged
        ini.SetMultiKey(false);
        ini.SetMultiLine(false);
    }
};

// SimpleIni trims blanks and tabs at both ends of every value when it loads a file, so a folder
// "/home/u/My Movies " would come back as another folder. Before the parser sees the bytes,
// each blank at either end of a value is shielded as \x01\x03 (a tab as \x01\x04) and every
// \x01 already there as \x01\x02; what the parser hands back is unshielded. Writes never go
// through the parser: they change the bytes of the one line they set (WithIniValue).
constexpr char kShield = '\x01';

bool IsIniBlank(char c) {
    return c == ' ' || c == '\t';
}

void AppendShielded(QByteArray& out, QByteArrayView text) {
    for (const char c : text) {
        out += c;
        if (c == kShield)
            out += '\x02';
    }
}

void AppendShieldedValue(QByteArray& out, QByteArrayView value) {
    qsizetype first = 0;
    qsizetype last = value.size();
    while (first < last && IsIniBlank(value[first]))
        ++first;
    while (last > first && IsIniBlank(value[last - 1]))
        --last;
    auto blanks = [&](QByteArrayView run) {
        for (const char c : run)
            out.append(c == ' ' ? QByteArrayView("\x01\x03") : QByteArrayView("\x01\x04"));
    };
    blanks(value.first(first));
    AppendShielded(out, value.sliced(first, last - first));
    blanks(value.sliced(last));
}

// One line of the file as SimpleIni sees it. A key line is one whose first non-blank
// character is none of ";", "#" and "[" and that holds a "=" after that character: its value
// is everything after the first "=". A section line starts with "[" and holds a "]".
struct IniLine {
    enum class Kind { Other, Section, Key };
    Kind kind = Kind::Other;
    qsizetype start = 0;      // the line's first byte
    qsizetype end = 0;        // where its line break begins
    qsizetype next = 0;       // the first byte after its line break
    qsizetype valueStart = 0; // key lines: just after the first "="
    QByteArrayView name;      // the section's or the key's name, blanks around it dropped
};

QByteArrayView TrimIniBlanks(QByteArrayView text) {
    while (!text.isEmpty() && IsIniBlank(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && IsIniBlank(text.back()))
        text.chop(1);
    return text;
}

// A line break is CR LF, LF or a lone CR, as SimpleIni takes them.
std::vector<IniLine> SplitIniLines(QByteArrayView all) {
    std::vector<IniLine> lines;
    qsizetype start = 0;
    while (start < all.size()) {
        IniLine line;
        line.start = start;
        line.end = start;
        while (line.end < all.size() && all[line.end] != '\r' && all[line.end] != '\n')
            ++line.end;
        line.next = line.end;
        if (line.next < all.size())
            line.next += all.sliced(line.next).startsWith("\r\n") ? 2 : 1;
        const QByteArrayView text = all.sliced(start, line.end - start);
        qsizetype first = 0;
        while (first < text.size() && IsIniBlank(text[first]))
            ++first;
        const char lead = first < text.size() ? text[first] : ';';
        if (lead == '[') {
            const qsizetype close = text.indexOf(']', first);
            if (close > first) {
                line.kind = IniLine::Kind::Section;
                line.name = TrimIniBlanks(text.sliced(first + 1, close - first - 1));
            }
        } else if (lead != ';' && lead != '#') {
            const qsizetype equals = text.indexOf('=', first);
            if (equals > first) {
                line.kind = IniLine::Kind::Key;
                line.name = TrimIniBlanks(text.sliced(first, equals - first));
                line.valueStart = start + equals + 1;
            }
        }
        lines.push_back(line);
        start = line.next;
    }
    return lines;
}

QByteArray ShieldFile(const QByteArray& bytes) {
    QByteArray out;
    out.reserve(bytes.size() + bytes.size() / 8);
    const QByteArrayView all(bytes);
    for (const IniLine& line : SplitIniLines(all)) {
        if (line.kind == IniLine::Kind::Key) {
            AppendShielded(out, all.sliced(line.start, line.valueStart - line.start));
            AppendShieldedValue(out, all.sliced(line.valueStart, line.end - line.valueStart));
        } else {
            AppendShielded(out, all.sliced(line.start, line.end - line.start));
        }
        out.append(all.sliced(line.end, line.next - line.end));
    }
    return out;
}

bool SameIniName(QByteArrayView a, QByteArrayView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The file with `key` of `section` set to `value`, everything else byte for byte as it was:
// its line breaks, comments, blank lines and the spelling of its names. Every line SimpleIni
// would read as that key takes the value; a key the section lacks goes after the section's
// last key, a missing section at the end after a blank line. New lines end as the file's
// first line does (LF in a new file).
QByteArray WithIniValue(const QByteArray& bytes, QByteArrayView section, QByteArrayView key,
                        QByteArrayView value) {
    const QByteArrayView all(bytes);
    const std::vector<IniLine> lines = SplitIniLines(all);
    QByteArray lineBreak("\n");
    if (!lines.empty() && lines.front().next > lines.front().end)
        lineBreak =
            all.sliced(lines.front().end, lines.front().next - lines.front().end).toByteArray();
    const QByteArray keyLine = key.toByteArray() + '=' + value.toByteArray();

    QByteArray out;
    out.reserve(bytes.size() + keyLine.size() + section.size() + 8);
    bool inSection = false;
    bool found = false;
    qsizetype insertAt = -1; // in `out`: after the section's last key, or its header
    bool lastLine = false;   // the line there has no line break of its own
    for (const IniLine& line : lines) {
        if (line.kind == IniLine::Kind::Section)
            inSection = SameIniName(line.name, section);
        if (inSection && line.kind == IniLine::Kind::Key && SameIniName(line.name, key)) {
            found = true;
            out.append(all.sliced(line.start, line.valueStart - line.start));
            out.append(value);
            out.append(all.sliced(line.end, line.next - line.end));
        } else {
            out.append(all.sliced(line.start, line.next - line.start));
        }
        if (inSection && line.kind != IniLine::Kind::Other) {
            insertAt = out.size();
            lastLine = line.next == line.end;
        }
    }
    if (found)
        return out;
    if (insertAt >= 0) {
        out.insert(insertAt, lastLine ? lineBreak + keyLine : keyLine + lineBreak);
        return out;
    }
    if (!lines.empty()) {
        if (lines.back().next == lines.back().end)
            out.append(lineBreak);
        if (lines.back().end > lines.back().start)
            out.append(lineBreak);
    }
    out.append('[' + section.toByteArray() + ']' + lineBreak + keyLine + lineBreak);
    return out;
}

QByteArray Unshield(QByteArrayView text) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != kShield || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char code = text[++i];
        out += code == '\x03' ? ' ' : code == '\x04' ? '\t' : kShield;
    }
    return out;
}

// The file's bytes, empty when there is no file; a failure when it exists and cannot be read,
// or holds a NUL byte (no text file of ours does; a truncated or overwritten binary does).
Result<QByteArray> ReadIniBytes(const QString& path) {
    QFile file(path);
    if (!file.exists())
        return QByteArray();
    if (!file.open(QIODevice::ReadOnly))
        return Failure(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Failure(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    if (bytes.contains('\0'))
        return Failure(QStringLiteral("%1 is not a text file").arg(path));
    return bytes;
}

Status Parse(const QString& path, const QByteArray& bytes, CSimpleIniA& ini) {
    const QByteArray shielded = ShieldFile(bytes);
    if (ini.LoadData(shielded.constData(), static_cast<size_t>(shielded.size())) < 0)
        return Failure(QStringLiteral("%1 cannot be parsed").arg(path));
    return Success();
}

Status Load(const QString& path, CSimpleIniA& ini) {
    const Result<QByteArray> bytes = ReadIniBytes(path);
    if (!bytes)
        return Failure(bytes.error());
    return Parse(path, *bytes, ini);
}

// The value exactly as the file holds it, std::nullopt when the key is absent; a failure only
// when the file exists and cannot be read or parsed.
Result<std::optional<QString>> ReadRaw(const QString& path, const char* section, const char* key) {
    LoadedIni loaded;
    Status status = Load(path, loaded.ini);
    if (!status)
        return Failure(status.error());
    const char* value = loaded.ini.GetValue(section, key, nullptr);
    if (!value)
        return std::optional<QString>();
    return std::optional<QString>(QString::fromUtf8(Unshield(value)));
}

// Decimal with an optional "-", or hexadecimal after "0x"/"0X"; the whole text must be a number.
std::optional<int> ParseInteger(const QString& text) {
    bool ok = false;
    int value = 0;
    const QString trimmed = text.trimmed();
    if (trimmed.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        value = trimmed.mid(2).toInt(&ok, 16);
    else
        value = trimmed.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace

QString ChooseApplicationFolder(const QString& executableFolder, const QString& xdgDataHome,
                                const QString& homeFolder) {
    QString exe = executableFolder;
    if (!exe.endsWith(QLatin1Char('/')))
        exe += QLatin1Char('/');
    // access() rather than the permission bits: a read-only mount (a CD, a locked-down /usr)
    // refuses writes even to root, and root may write where the bits say no. /usr itself is the
    // system's, read-only in use even where root could write: a program started there by root
    // must not leave its settings among the system's programs.
    const bool systemFolder = exe.startsWith(QLatin1String("/usr/"));
    if (!systemFolder && ::access(QFile::encodeName(exe).constData(), W_OK) == 0)
        return exe;
    // The XDG base directory rule: a relative XDG_DATA_HOME is invalid and is ignored.
    QString data = xdgDataHome;
    if (data.isEmpty() || !QDir::isAbsolutePath(data))
        data = homeFolder + QStringLiteral("/.local/share");
    QString folder = QDir::cleanPath(data + QStringLiteral("/Quorvel")) + QLatin1Char('/');
    QDir().mkpath(folder);
    return folder;
}

QString ApplicationFolder() {
    QString exe;
    if (QCoreApplication::instance())
        exe = QCoreApplication::applicationDirPath();
    else
        exe = QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
    return ChooseApplicationFolder(exe, qEnvironmentVariable("XDG_DATA_HOME"), QDir::homePath());
}

QString OptionsFilePath(const QString& appFolder) {
    return appFolder + QStringLiteral("Options.ini");
}

OptionsFile::OptionsFile(QString path) : path_(std::move(path)) {}

Result<QString> OptionsFile::readString(const char* section, const char* key,
                                        const QString& def) const {
    Result<std::optional<QString>> raw = ReadRaw(path_, section, key);
    if (!raw)
        return Failure(raw.error());
    return raw->value_or(def);
}

Result<bool> OptionsFile::readBool(const char* section, const char* key, bool def) const {
    Result<QString> raw = readString(section, key, QString());
    if (!raw)
        return Failure(raw.error());
    const std::optional<int> value = ParseInteger(raw.value());
    return value ? *value != 0 : def;
}

Result<int> OptionsFile::readInt(const char* section, const char* key, int def) const {
    Result<QString> raw = readString(section, key, QString());
    if (!raw)
        return Failure(raw.error());
    const std::optional<int> value = ParseInteger(raw.value());
    return value ? *value : def;
}

Status OptionsFile::writeString(const char* section, const char* key, const QString& value) {
    // A line break (legal in a Linux folder name) would end the value early and turn the rest
    // into lines of their own: a stray line, or a key or section the user never set. Refuse
    // it before the file is touched.
    if (value.contains(QChar(0)))
        return Failure(QStringLiteral("Cannot store %1 in %2: the value holds a NUL character")
                           .arg(QLatin1String(key), path_));
    if (value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r')))
        return Failure(QStringLiteral("Cannot store %1 in %2: the value holds a line break")
                           .arg(QLatin1String(key), path_));
    QByteArray bytes;
    const Result<QByteArray> current = ReadIniBytes(path_);
    if (current) {
        // A file the parser refuses is rewritten from scratch, as a corrupt one is.
        LoadedIni parsed;
        if (Parse(path_, *current, parsed.ini))
            bytes = *current;
    } else if (!QFileInfo(path_).isReadable()) {
        // A file we cannot read is not one we may replace; a corrupt one is rewritten from
        // scratch, which is what recreating it after the start-up question asks for.
        return Failure(current.error());
    }
    return WriteFileSafely(path_, WithIniValue(bytes, section, key, value.toUtf8()));
}

Status OptionsFile::writeBool(const char* section, const char* key, bool value) {
    return writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

Status OptionsFile::writeInt(const char* section, const char* key, int value) {
    return writeString(section, key, QString::number(value));
}

StoredOptions DefaultOptions(const QString& appFolder) {
    StoredOptions o;
    o.savingPath = appFolder;
    o.savingFavPath = appFolder;
    o.htmlSavingPath = appFolder;
    return o;
}

Result<StoredOptions> ReadStoredOptions(const OptionsFile& file, const QString& appFolder) {
    StoredOptions o = DefaultOptions(appFolder);
    const char* s = opt::kSettings;
    QString failure;
    auto str = [&](const char* section, const char* key, QString& into) {
        if (!failure.isEmpty())
            return;
        Result<QString> r = file.readString(section, key, into);
        r ? void(into = r.value()) : void(failure = r.error());
    };
    auto boolean = [&](const char* key, bool& into) {
        if (!failure.isEmpty())
            return;
        Result<bool> r = file.readBool(s, key, into);
        r ? void(into = r.value()) : void(failure = r.error());
    };
    str(s, opt::kSavingPath, o.savingPath);
    str(s, opt::kSavingFavPath, o.savingFavPath);
    boolean(opt::kTab1Save, o.tab1Save);
    boolean(opt::kTab1ReadOnly, o.tab1ReadOnly);
    boolean(opt::kTab2ReadOnly, o.tab2ReadOnly);
    boolean(opt::kTab3AutoPlay, o.tab3AutoPlay);
    boolean(opt::kTab3VideoOnly, o.tab3VideoOnly);
    boolean(opt::kBackgroundImage, o.backgroundImage);
    boolean(opt::kBckTab1Used, o.bckTab1Used);
    boolean(opt::kBckTab2Used, o.bckTab2Used);
    if (failure.isEmpty()) {
        Result<int> theme = file.readInt(s, opt::kTheme, o.theme);
        theme ? void(o.theme = theme.value()) : void(failure = theme.error());
    }
    str(s, opt::kBckTab1, o.bckTab1);
    str(s, opt::kBckTab2, o.bckTab2);
    str(s, opt::kBckTab1P, o.bckTab1P);
    str(s, opt::kBckTab2P, o.bckTab2P);
    boolean(opt::kPortableMode, o.portableMode);
    str(opt::kHtml, opt::kSavingPath, o.htmlSavingPath);
    str(s, opt::kOmdbApiKey, o.omdbApiKey);
    if (!failure.isEmpty())
        return Failure(failure);
    // An empty folder would be taken relative to wherever the program was started: it means
    // the application folder, as an absent one does.
    for (QString* folder : {&o.savingPath, &o.savingFavPath, &o.htmlSavingPath}) {
        if (folder->isEmpty())
            *folder = appFolder;
    }
    return o;
}

Status SaveAllOptions(OptionsFile& file, const OptionValues& v,
                      const std::function<void(const char* key)>& afterWrite) {
    const char* s = opt::kSettings;
    struct Write {
        const char* section;
        const char* key;
        QString value;
    };
    auto b = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
    const Write writes[] = {
        {s, opt::kSavingPath, v.savingPath},
        {s, opt::kSavingFavPath, v.savingFavPath},
        {s, opt::kTab1Save, b(v.tab1Save)},
        {s, opt::kTab1ReadOnly, b(v.tab1ReadOnly)},
        {s, opt::kTab2ReadOnly, b(v.tab2ReadOnly)},
        {s, opt::kTab3AutoPlay, b(v.tab3AutoPlay)},
        {s, opt::kTab3VideoOnly, b(v.tab3VideoOnly)},
        {s, opt::kPortableMode, b(v.portableMode)},
        {s, opt::kBackgroundImage, b(v.backgroundImage)},
        {s, opt::kTheme, QString::number(v.theme)},
        {opt::kHtml, opt::kSavingPath, v.htmlSavingPath},
        {s, opt::kBckTab1, v.bckTab1},
        {s, opt::kBckTab1P, v.bckTab1P},
        {s, opt::kBckTab2, v.bckTab2},
        {s, opt::kBckTab2P, v.bckTab2P},
        {s, opt::kBckTab1Used, b(v.bckTab1Used)},
        {s, opt::kBckTab2Used, b(v.bckTab2Used)},
        {s, opt::kOmdbApiKey, v.omdbApiKey},
    };
    for (const Write& w : writes) {
        Status status = file.writeString(w.section, w.key, w.value);
        if (!status)
            return status;
        if (afterWrite)
            afterWrite(w.key);
    }
    return Success();
}

Result<StoredOptions> RecreateOptionsFile(OptionsFile& file, const QString& appFolder) {
    const char* s = opt::kSettings;
    struct Write {
        const char* key;
        QString value;
    };
    const Write writes[] = {
        {opt::kSavingPath, appFolder},
        {opt::kTab1Save, QStringLiteral("0")},
        {opt::kTab1ReadOnly, QStringLiteral("1")},
        {opt::kTab2ReadOnly, QStringLiteral("1")},
        {opt::kTab3AutoPlay, QStringLiteral("1")},
        {opt::kTab3VideoOnly, QStringLiteral("1")},
        {opt::kBackgroundImage, QStringLiteral("1")},
        {opt::kTheme, QStringLiteral("3")},
        {opt::kBckTab1, QString()},
        {opt::kBckTab1P, QString()},
        {opt::kBckTab2, QString()},
        {opt::kBckTab2P, QString()},
        {opt::kBckTab1Used, QStringLiteral("0")},
        {opt::kBckTab2Used, QStringLiteral("0")},
    };
    for (const Write& w : writes) {
        Status status = file.writeString(s, w.key, w.value);
        if (!status)
            return Failure(status.error());
    }
    return ReadStoredOptions(file, appFolder);
}

QString RebasedPicturePath(const QString& appFolder, const QString& stored) {
    const qsizetype slash =
        std::max(stored.lastIndexOf(QLatin1Char('/')), stored.lastIndexOf(QLatin1Char('\\')));
    return appFolder + stored.mid(slash + 1);
}

ServiceSettings ReadServiceSettings(const OptionsFile& file) {
    auto read = [&](const char* key, const char* def) {
        Result<QString> r = file.readString(opt::kSettings, key, QString::fromLatin1(def));
        // Values keep their blanks now; an address or a key never has any at its ends, and a
        // hand-edited "OmdbApiKey = abc" must still work.
        return r ? TrimBlanksAndControls(r.value()) : QString::fromLatin1(def);
    };
    ServiceSettings settings;
    settings.omdbAddress = read(opt::kOmdbAddress, opt::kDefaultOmdbAddress);
    settings.omdbApiKey = read(opt::kOmdbApiKey, "");
    settings.updateSite = read(opt::kUpdateSite, opt::kDefaultUpdateSite);
    settings.videoDownloadSite = read(opt::kVideoDownloadSite, opt::kDefaultVideoDownloadSite);
    settings.ipInfoAddress = read(opt::kIpInfoAddress, opt::kDefaultIpInfoAddress);
    settings.youTubeSite = read(opt::kYouTubeSite, opt::kDefaultYouTubeSite);
    return settings;
}

} // namespace quorvel
