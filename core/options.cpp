#include "core/options.h"

#include "core/textfile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <SimpleIni.h>

#include <string>

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
        ini.SetSpaces(false);
    }
};

Status Load(const QString& path, CSimpleIniA& ini) {
    QFile file(path);
    if (!file.exists())
        return Success();
    if (!file.open(QIODevice::ReadOnly))
        return Failure(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return Failure(QStringLiteral("Cannot read %1: %2").arg(path, file.errorString()));
    if (bytes.contains('\0'))
        return Failure(QStringLiteral("%1 is not a text file").arg(path));
    if (ini.LoadData(bytes.constData(), static_cast<size_t>(bytes.size())) < 0)
        return Failure(QStringLiteral("%1 cannot be parsed").arg(path));
    return Success();
}

Result<QString> ReadRaw(const QString& path, const char* section, const char* key) {
    LoadedIni loaded;
    Status status = Load(path, loaded.ini);
    if (!status)
        return Failure(status.error());
    const char* value = loaded.ini.GetValue(section, key, nullptr);
    if (!value)
        return Error{}; // absent: told apart from a failure by an empty message
    return QString::fromUtf8(value);
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

QString ApplicationFolder() {
    QString folder;
    if (QCoreApplication::instance())
        folder = QCoreApplication::applicationDirPath();
    else
        folder = QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

QString OptionsFilePath(const QString& appFolder) {
    return appFolder + QStringLiteral("Options.ini");
}

OptionsFile::OptionsFile(QString path) : path_(std::move(path)) {}

Result<QString> OptionsFile::readString(const char* section, const char* key,
                                        const QString& def) const {
    Result<QString> raw = ReadRaw(path_, section, key);
    if (raw)
        return raw;
    if (!raw.error().isEmpty())
        return raw;
    return def;
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
    if (value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r')))
        return Failure(QStringLiteral("Cannot store %1 in %2: the value holds a line break")
                           .arg(QLatin1String(key), path_));
    LoadedIni loaded;
    Status status = Load(path_, loaded.ini);
    if (!status) {
        // A file we cannot read is not one we may replace; a corrupt one is rewritten from
        // scratch, which is what recreating it after the start-up question asks for.
        if (QFileInfo(path_).isReadable() == false)
            return status;
        loaded.ini.Reset();
    }
    const QByteArray bytes = value.toUtf8();
    if (loaded.ini.SetValue(section, key, bytes.constData()) < 0)
        return Failure(QStringLiteral("Cannot set %1 in %2").arg(QLatin1String(key), path_));
    std::string out;
    if (loaded.ini.Save(out, false) < 0)
        return Failure(QStringLiteral("Cannot write %1").arg(path_));
    return WriteFileSafely(path_, QByteArray(out.data(), static_cast<qsizetype>(out.size())));
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
    if (!failure.isEmpty())
        return Failure(failure);
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
        {opt::kSavingPath, appFolder},        {opt::kTab1Save, QStringLiteral("0")},
        {opt::kTab1ReadOnly, QStringLiteral("1")}, {opt::kTab2ReadOnly, QStringLiteral("1")},
        {opt::kTab3AutoPlay, QStringLiteral("1")}, {opt::kTab3VideoOnly, QStringLiteral("1")},
        {opt::kBackgroundImage, QStringLiteral("1")}, {opt::kTheme, QStringLiteral("3")},
        {opt::kBckTab1, QString()},           {opt::kBckTab1P, QString()},
        {opt::kBckTab2, QString()},           {opt::kBckTab2P, QString()},
        {opt::kBckTab1Used, QStringLiteral("0")}, {opt::kBckTab2Used, QStringLiteral("0")},
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
        return r ? r.value() : QString::fromLatin1(def);
    };
    ServiceSettings settings;
    settings.omdbAddress = read(opt::kOmdbAddress, opt::kDefaultOmdbAddress);
    settings.omdbApiKey = read(opt::kOmdbApiKey, "");
    settings.updateSite = read(opt::kUpdateSite, opt::kDefaultUpdateSite);
    settings.videoDownloadSite = read(opt::kVideoDownloadSite, opt::kDefaultVideoDownloadSite);
    settings.ipInfoAddress = read(opt::kIpInfoAddress, opt::kDefaultIpInfoAddress);
    return settings;
}

} // namespace quorvel
