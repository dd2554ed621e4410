#pragma once
// Options.ini beside the executable: every read and every write goes to the file at once.

#include "core/result.h"

#include <QString>

#include <functional>

namespace quorvel {

namespace opt {
inline constexpr const char* kSettings = "Settings";
inline constexpr const char* kHtml = "HTML";

inline constexpr const char* kSavingPath = "SavingPath"; // also HTML / SavingPath
inline constexpr const char* kSavingFavPath = "SavingFavPath";
inline constexpr const char* kTab1Save = "Tab1_Save";
inline constexpr const char* kTab1ReadOnly = "Tab1_ReadOnly";
inline constexpr const char* kTab2ReadOnly = "Tab2_ReadOnly";
inline constexpr const char* kTab3AutoPlay = "Tab3_AutoPlay";
inline constexpr const char* kTab3VideoOnly = "Tab3_VideoOnly";
inline constexpr const char* kPortableMode = "Portable Mode";
inline constexpr const char* kBackgroundImage = "Background Image";
inline constexpr const char* kTheme = "Theme";
inline constexpr const char* kBckTab1 = "BckTab1";
inline constexpr const char* kBckTab1P = "BckTab1P";
inline constexpr const char* kBckTab2 = "BckTab2";
inline constexpr const char* kBckTab2P = "BckTab2P";
inline constexpr const char* kBckTab1Used = "BckTab1Used";
inline constexpr const char* kBckTab2Used = "BckTab2Used";

// Our own keys in "Settings": where the outside services live.
inline constexpr const char* kOmdbAddress = "OmdbAddress";
inline constexpr const char* kOmdbApiKey = "OmdbApiKey";
inline constexpr const char* kUpdateSite = "UpdateSite";
inline constexpr const char* kVideoDownloadSite = "VideoDownloadSite";
inline constexpr const char* kIpInfoAddress = "IpInfoAddress";
inline constexpr const char* kYouTubeSite = "YouTubeSite";

inline constexpr const char* kDefaultOmdbAddress = "http://www.omdbapi.com";
inline constexpr const char* kDefaultUpdateSite = "http://www.quorvel.org";
inline constexpr const char* kDefaultVideoDownloadSite = "http://www.savevideo.me";
inline constexpr const char* kDefaultIpInfoAddress = "http://ipinfo.io/json";
inline constexpr const char* kDefaultYouTubeSite = "https://www.youtube.com";
inline constexpr int kDefaultTheme = 3;
} // namespace opt

// Where Options.ini, and by default the collection, live, ending with "/": the executable's
// folder when it can be written to and is not under /usr (a personal copy, a portable drive),
// otherwise
// $XDG_DATA_HOME/Quorvel/ (~/.local/share/Quorvel/ by default), made when missing. A folder
// that cannot be made is still returned: the first save reports it.
QString ChooseApplicationFolder(const QString& executableFolder, const QString& xdgDataHome,
                                const QString& homeFolder);
// ChooseApplicationFolder for the running executable and this user's environment.
QString ApplicationFolder();
// appFolder + "Options.ini"
QString OptionsFilePath(const QString& appFolder);

// One INI file, read through SimpleIni's CSimpleIniA. Sections and keys ignore letter case.
// Nothing is cached: each read loads the file; each write replaces the value of the one key
// (or adds "key=value" after its section's last key, or a new section at the end) and keeps
// every other byte as it was, line ends included, then saves through QSaveFile. A value reads
// back exactly as written, blanks at either end included (no quotes are added to the file).
//
// An absent file or key gives the default and is no error. A read fails (the start-up's
// "corrupted" case) only when the file exists but cannot be read or parsed.
class OptionsFile {
public:
    explicit OptionsFile(QString path);
    const QString& path() const { return path_; }

    Result<QString> readString(const char* section, const char* key, const QString& def) const;
    // An integer, 0 false, any other true; anything else gives the default.
    Result<bool> readBool(const char* section, const char* key, bool def) const;
    // Decimal, or hexadecimal after "0x"/"0X"; anything else gives the default.
    Result<int> readInt(const char* section, const char* key, int def) const;

    Status writeString(const char* section, const char* key, const QString& value);
    Status writeBool(const char* section, const char* key, bool value); // "1" / "0"
    Status writeInt(const char* section, const char* key, int value);

private:
    QString path_;
};

// Every stored option with its default, as start-up reads them.
struct StoredOptions {
    QString savingPath;    // absent or empty: the application folder
    QString savingFavPath; // absent or empty: the application folder
    bool tab1Save = false;
    bool tab1ReadOnly = true;
    bool tab2ReadOnly = true;
    bool tab3AutoPlay = true;
    bool tab3VideoOnly = true;
    bool backgroundImage = true;
    bool bckTab1Used = false;
    bool bckTab2Used = false;
    int theme = opt::kDefaultTheme;
    QString bckTab1, bckTab2, bckTab1P, bckTab2P;
    bool portableMode = false;
    QString htmlSavingPath; // absent or empty: the application folder
    QString omdbApiKey;     // our own key, as the file holds it
};
StoredOptions DefaultOptions(const QString& appFolder);
// Fails at the first key that cannot be read; the caller asks the recreate question.
Result<StoredOptions> ReadStoredOptions(const OptionsFile& file, const QString& appFolder);

// What the Options tab's Save writes, in its order.
struct OptionValues {
    QString savingPath;       // Edit2
    QString savingFavPath;    // Edit6
    bool tab1Save = false;    // CheckBox4
    bool tab1ReadOnly = true; // CheckBox3
    bool tab2ReadOnly = true; // CheckBox5
    bool tab3AutoPlay = true;
    bool tab3VideoOnly = true;
    bool portableMode = false; // the portable window's CheckBox1
    bool backgroundImage = true;
    int theme = opt::kDefaultTheme; // -1 when nothing is selected
    QString htmlSavingPath;         // the album window's Edit1
    QString bckTab1, bckTab1P, bckTab2, bckTab2P;
    bool bckTab1Used = false;
    bool bckTab2Used = false;
    QString omdbApiKey; // our own key, written last
};
// Writes in the fixed order and stops at the first failing write (those before stay written).
// `afterWrite` (optional) is called with each key just written, so the caller can refresh
// what depends on it.
Status SaveAllOptions(OptionsFile& file, const OptionValues& values,
                      const std::function<void(const char* key)>& afterWrite = {});

// Writes the defaults into "Settings" (SavingFavPath, Portable Mode and "HTML" keep their
// values), then reads them back.
Result<StoredOptions> RecreateOptionsFile(OptionsFile& file, const QString& appFolder);

// appFolder + the text after the last separator of `stored`.
QString RebasedPicturePath(const QString& appFolder, const QString& stored);

struct ServiceSettings {
    QString omdbAddress;
    QString omdbApiKey;
    QString updateSite;
    QString videoDownloadSite;
    QString ipInfoAddress;
    QString youTubeSite; // the video tab's home, search, watch and embed pages
};
// Unreadable keys fall back to the defaults; blanks around a value are dropped.
ServiceSettings ReadServiceSettings(const OptionsFile& file);

} // namespace quorvel
