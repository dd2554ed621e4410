#include "ui/main/options_tab.h"

#include "core/options.h"
#include "core/textfile.h"
#include "online/addresses.h"
#include "platform/pictures.h"
#include "ui/main/background_picture.h"
#include "ui/main/portable_switch.h"
#include "ui/main/settings.h"
#include "ui/main/shared_commands.h"
#include "ui/main/shared_dialogs.h"
#include "ui/main/themes.h"
#include "ui_options_tab.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLayout>

#include <cstring>

namespace quorvel {

namespace {
const QString kSaved = QStringLiteral("Options are saved.");
const QString kCannotSave = QStringLiteral(
    "Cannot save option to disk or media. Quorvel save its options in an ini file inside the "
    "software (Quorvel.exe) folder. Please, verify if your media is not read only (CD, DVD, "
    "Locked USB Thumdrive, etc...), or full.");
const QString kPictureGone = QStringLiteral(
    "This picture does not exist anymore. No custom  background picture is yet defined, do you "
    "want to browse for a picture backgound?");
const QString kCannotCopy =
    QStringLiteral("Unable to copy the backgound picture to media. Operation aborted");
const QString kLinkCreated = QStringLiteral("Link has been created ...");
const QString kHelpOffLine =
    QStringLiteral("This PC is not connected to the Internet. Help is available on line only");

QString LoadFailure(int tab, const QString& path) {
    return QStringLiteral("Unable to load tab%1 background picture. ").arg(tab) + path +
           QStringLiteral(" does not exist or is corrupted. Go to the options tab and browse for "
                          "another background picture and/or save the options again to correct "
                          "this error.");
}

QString CopyQuestion(int tab) {
    return tab == 1 ? QStringLiteral("You are in Portable Mode. Do you want to copy the picture to "
                                     "the portable path and use this path instead?")
                    : QStringLiteral("You are in Portable Mode. Do you want to copy the picture to "
                                     "the portable path and use this path?");
}

// Through the one atomic write: a failed copy never leaves half a picture under the name.
Status CopyPicture(const QString& from, const QString& to) {
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return Failure(source.errorString());
    const QByteArray bytes = source.readAll();
    if (source.error() != QFileDevice::NoError)
        return Failure(source.errorString());
    return WriteFileSafely(to, bytes);
}

} // namespace

OptionsTab::OptionsTab(Services& services, Settings& settings, SharedDialogs& dialogs,
                       BackgroundPicture* tab1, BackgroundPicture* tab2, QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::OptionsTab>()), services_(services),
      settings_(settings), dialogs_(dialogs), tab1_(tab1), tab2_(tab2) {
    ui->setupUi(this);
    FollowSettings();
    ConnectHandlers();
    connect(ui->Button36, &QPushButton::clicked, this, &OptionsTab::Button36Click);
    connect(ui->Button39, &QPushButton::clicked, this, &OptionsTab::Button39Click);
    connect(ui->Button51, &QPushButton::clicked, this, &OptionsTab::Button51Click);
    connect(ui->Button53, &QPushButton::clicked, this, &OptionsTab::Button53Click);
    connect(ui->Button57, &QPushButton::clicked, this, &OptionsTab::Button57Click);
    connect(ui->Button34, &QPushButton::clicked, this, &OptionsTab::Button34Click);
    connect(ui->Button43, &QPushButton::clicked, this, &OptionsTab::Button43Click);
    connect(ui->Button42, &QPushButton::clicked, this, &OptionsTab::Button42Click);
    connect(ui->Button11, &QPushButton::clicked, this, &OptionsTab::Button11Click);
}

OptionsTab::~OptionsTab() = default;

QSize OptionsTab::sizeHint() const {
    const int frame = 2 * ui->scroll->frameWidth();
    const QMargins margins = layout()->contentsMargins();
    // A tab not shown yet keeps the measures its rows took before the look was applied: they
    // are taken afresh. A box whose minimum outgrows its preferred size (a two-line button)
    // lifts the whole.
    QLayout* column = ui->page->layout();
    column->invalidate();
    column->activate();
    const QSize page = ui->page->sizeHint().expandedTo(ui->page->minimumSizeHint());
    return page + QSize(frame + margins.left() + margins.right(),
                        frame + margins.top() + margins.bottom());
}

void OptionsTab::ConnectHandlers() {
    // The form's caption fits the designer; the button shows it on two lines.
    ui->Button46->setText(QStringLiteral("On Line\n   Help"));
    ui->I7->setPicture(ThemePreview(opt::kDefaultTheme));
    const std::pair<QPushButton*, void (OptionsTab::*)()> clicks[] = {
        {ui->Button14, &OptionsTab::Button14Click}, {ui->Button15, &OptionsTab::Button15Click},
        {ui->Button22, &OptionsTab::Button22Click}, {ui->Button33, &OptionsTab::Button33Click},
        {ui->Button29, &OptionsTab::Button29Click}, {ui->Button30, &OptionsTab::Button30Click},
        {ui->Button31, &OptionsTab::Button31Click}, {ui->Button41, &OptionsTab::Button41Click},
        {ui->Button16, &OptionsTab::Button16Click}, {ui->Button38, &OptionsTab::Button38Click},
        {ui->Button47, &OptionsTab::Button47Click}, {ui->Button48, &OptionsTab::Button48Click},
        {ui->Button49, &OptionsTab::Button49Click}, {ui->Button50, &OptionsTab::Button50Click},
        {ui->Button35, &OptionsTab::Button35Click}, {ui->Button21, &OptionsTab::Button21Click},
        {ui->Button46, &OptionsTab::Button46Click},
    };
    for (const auto& [button, handler] : clicks)
        connect(button, &QPushButton::clicked, this, handler);
    // A box set from the stored options runs its action as a click would.
    connect(ui->CheckBox8, &QCheckBox::toggled, this, &OptionsTab::CheckBox8Click);
    connect(ui->CheckBox9, &QCheckBox::toggled, this, &OptionsTab::CheckBox9Click);
    connect(ui->CheckBox10, &QCheckBox::toggled, this, &OptionsTab::CheckBox10Click);
    // Only the user's pick changes the preview, not the stored index selected at start-up.
    connect(ui->ComboBox2, &QComboBox::activated, this, &OptionsTab::ComboBox2Change);
}

// Each control shows its value and hands the user's changes on; a box set from a value runs
// its action as a click would (CheckBox8 to 10, connected after this).
void OptionsTab::FollowSettings() {
    Settings& s = settings_;
    ShowPortableModeIn(ui->Label23, s);
    ShowPortableModeIn(ui->Label22, s);

    struct Text {
        QLineEdit* box;
        const QString& (Settings::*get)() const;
        void (Settings::*set)(const QString&);
        void (Settings::*changed)(const QString&);
    };
    const Text texts[] = {
        {ui->Edit2, &Settings::CollectionFolder, &Settings::SetCollectionFolder,
         &Settings::CollectionFolderChanged},
        {ui->Edit6, &Settings::FavouritesFolder, &Settings::SetFavouritesFolder,
         &Settings::FavouritesFolderChanged},
        {ui->EditApiKey, &Settings::OmdbApiKey, &Settings::SetOmdbApiKey,
         &Settings::OmdbApiKeyChanged},
    };
    for (const Text& t : texts) {
        connect(t.box, &QLineEdit::textChanged, &s, t.set);
        connect(&s, t.changed, t.box, &QLineEdit::setText);
        t.box->setText((s.*t.get)());
    }
    connect(ui->Edit7, &QLineEdit::textChanged, &s,
            [&s](const QString& path) { s.SetTabPicture(1, path); });
    connect(ui->Edit8, &QLineEdit::textChanged, &s,
            [&s](const QString& path) { s.SetTabPicture(2, path); });
    connect(&s, &Settings::TabPictureChanged, this, [this](int tab, const QString& path) {
        (tab == 1 ? ui->Edit7 : ui->Edit8)->setText(path);
    });
    FollowCheckBoxes();

    connect(ui->ComboBox2, &QComboBox::currentIndexChanged, &s, &Settings::SetTheme);
    connect(&s, &Settings::ThemeChanged, this, [this](int index) {
        ui->ComboBox2->setCurrentIndex(index >= 0 && index < ui->ComboBox2->count() ? index : -1);
        // An index outside the list selects nothing, and nothing is what Save stores.
        settings_.SetTheme(ui->ComboBox2->currentIndex());
    });
}

void OptionsTab::FollowCheckBoxes() {
    Settings& s = settings_;
    struct Box {
        QCheckBox* box;
        bool (Settings::*get)() const;
        void (Settings::*set)(bool);
        void (Settings::*changed)(bool);
    };
    const Box boxes[] = {
        {ui->CheckBox4, &Settings::Tab1Save, &Settings::SetTab1Save, &Settings::Tab1SaveChanged},
        {ui->CheckBox3, &Settings::Tab1ReadOnly, &Settings::SetTab1ReadOnly,
         &Settings::Tab1ReadOnlyChanged},
        {ui->CheckBox5, &Settings::Tab2ReadOnly, &Settings::SetTab2ReadOnly,
         &Settings::Tab2ReadOnlyChanged},
        {ui->CheckBox6, &Settings::Tab3AutoPlay, &Settings::SetTab3AutoPlay,
         &Settings::Tab3AutoPlayChanged},
        {ui->CheckBox7, &Settings::Tab3VideoOnly, &Settings::SetTab3VideoOnly,
         &Settings::Tab3VideoOnlyChanged},
        {ui->CheckBox8, &Settings::BackgroundImage, &Settings::SetBackgroundImage,
         &Settings::BackgroundImageChanged},
        {ui->CheckBox9, &Settings::BckTab1Used, &Settings::SetBckTab1Used,
         &Settings::BckTab1UsedChanged},
        {ui->CheckBox10, &Settings::BckTab2Used, &Settings::SetBckTab2Used,
         &Settings::BckTab2UsedChanged},
    };
    for (const Box& b : boxes) {
        b.box->setChecked((s.*b.get)());
        connect(b.box, &QCheckBox::toggled, &s, b.set);
        connect(&s, b.changed, b.box, &QCheckBox::setChecked);
    }
}

QString OptionsTab::PortableCaption() const {
    return ui->Label23->text();
}

void OptionsTab::ShowStored(const StoredOptions& stored) {
    if (stored.portableMode)
        LoadTabBackgrounds(stored.bckTab1P, stored.bckTab2P);
    else
        LoadTabBackgrounds(stored.bckTab1, stored.bckTab2);
}

bool OptionsTab::ConfirmPortableOff() {
    // On Yes every window is back on the stored paths before the command goes on.
    return quorvel::ConfirmPortableOff(settings_, services_, kPortableOffQuestion);
}

// ---- Collection and favourites folders ----

void OptionsTab::SelectFolder(const QString& (Settings::*get)() const,
                              void (Settings::*set)(const QString&)) {
    if (!ConfirmPortableOff())
        return;
    const QString previous = (settings_.*get)();
    const std::optional<QString> folder = services_.dialogs->chooseFolder(QString(), previous);
    if (!folder)
        return;
    (settings_.*set)(folder->isEmpty() ? previous : *folder);
}

void OptionsTab::LoadSavedPath(Result<QString> (Settings::*stored)() const,
                               void (Settings::*set)(const QString&)) {
    if (!ConfirmPortableOff())
        return;
    const Result<QString> folder = (settings_.*stored)();
    if (!folder) {
        ReportError(services_, folder.error());
        return;
    }
    (settings_.*set)(*folder);
}

void OptionsTab::Button14Click() {
    SelectFolder(&Settings::CollectionFolder, &Settings::SetCollectionFolder);
}

void OptionsTab::Button15Click() {
    if (ConfirmPortableOff())
        settings_.SetCollectionFolder(settings_.AppFolder());
}

void OptionsTab::Button22Click() {
    LoadSavedPath(&Settings::StoredCollectionFolder, &Settings::SetCollectionFolder);
}

void OptionsTab::Button33Click() {
    services_.shell->OpenFolder(ui->Edit2->text());
}

void OptionsTab::Button29Click() {
    SelectFolder(&Settings::FavouritesFolder, &Settings::SetFavouritesFolder);
}

void OptionsTab::Button30Click() {
    // In portable mode the application folder is the favourites folder already: no question.
    settings_.SetFavouritesFolder(settings_.AppFolder());
}

void OptionsTab::Button31Click() {
    LoadSavedPath(&Settings::StoredFavouritesFolder, &Settings::SetFavouritesFolder);
}

void OptionsTab::Button41Click() {
    services_.shell->OpenFolder(ui->Edit6->text());
}

// ---- Save ----

void OptionsTab::Button16Click() {
    if (!ConfirmPortableOff())
        return;
    SaveOptions();
}

void OptionsTab::SaveOptions() {
    const Status saved = settings_.Save([this](const char* key) {
        if (std::strcmp(key, opt::kTab1Save) == 0 || std::strcmp(key, opt::kBackgroundImage) == 0)
            Q_EMIT CollectionListStale();
    });
    if (saved)
        ShowMessage(services_, kSaved);
    else
        ReportError(services_, kCannotSave);
}

// ---- Themes ----

void OptionsTab::ComboBox2Change(int index) {
    ui->I7->setPicture(ThemePreview(index));
}

void OptionsTab::Button38Click() {
    const QString style = ThemeStyle(settings_.Theme());
    if (style.isEmpty())
        return;
    ApplyStyle(style);
    // A look with larger paddings needs more room than the window has.
    Q_EMIT LookApplied();
}

// ---- Background pictures ----

OptionsTab::BackgroundControls OptionsTab::Tab1Controls() {
    return {1, ui->CheckBox9, tab1_, &builtIn1_};
}

OptionsTab::BackgroundControls OptionsTab::Tab2Controls() {
    return {2, ui->CheckBox10, tab2_, &builtIn2_};
}

void OptionsTab::KeepBuiltInBackgrounds() {
    if (BackgroundPicture* picture = tab1_)
        builtIn1_ = picture->picture();
    if (BackgroundPicture* picture = tab2_)
        builtIn2_ = picture->picture();
}

void OptionsTab::LoadTabBackgrounds(const QString& tab1, const QString& tab2) {
    settings_.ShowTabPicture(1, tab1);
    settings_.ShowTabPicture(2, tab2);
    for (const BackgroundControls& tab : {Tab1Controls(), Tab2Controls()}) {
        const QString path = settings_.TabPicture(tab.tab);
        if (path.isEmpty() || !tab.use->isChecked())
            continue;
        const Result<Poster> loaded = LoadPosterFile(path);
        BackgroundPicture* picture = tab.picture;
        if (loaded) {
            if (picture)
                picture->setPicture(loaded->image);
            continue;
        }
        ReportError(services_, LoadFailure(tab.tab, path));
        settings_.SetTabPicture(tab.tab, QString()); // and the entry of the mode in force
        tab.use->setChecked(false);
        tab.use->setEnabled(false);
    }
}

void OptionsTab::CheckBox8Click() {
    const bool shown = ui->CheckBox8->isChecked();
    for (BackgroundPicture* picture : {tab1_, tab2_}) {
        if (picture)
            picture->setVisible(shown);
    }
}

void OptionsTab::CheckBox9Click() {
    UseBoxClick(Tab1Controls());
}

void OptionsTab::CheckBox10Click() {
    UseBoxClick(Tab2Controls());
}

void OptionsTab::UseBoxClick(const BackgroundControls& tab) {
    BackgroundPicture* picture = tab.picture;
    if (!tab.use->isChecked()) {
        if (picture)
            picture->setPicture(*tab.builtIn);
        return;
    }
    const QString path = settings_.TabPicture(tab.tab);
    if (path.isEmpty())
        return;
    if (QFileInfo::exists(path)) {
        ShowCustomPicture(tab);
        return;
    }
    if (services_.dialogs->ask(MessageKind::Error, kPictureGone, Buttons::YesNo) == Button::Yes) {
        Browse(tab);
        return;
    }
    settings_.SetTabPicture(tab.tab, QString());
    tab.use->setChecked(false);
}

void OptionsTab::ShowCustomPicture(const BackgroundControls& tab) {
    const Result<Poster> loaded = LoadPosterFile(settings_.TabPicture(tab.tab));
    if (!loaded) {
        ReportError(services_, loaded.error());
        return;
    }
    if (BackgroundPicture* picture = tab.picture)
        picture->setPicture(loaded->image);
}

void OptionsTab::Button47Click() {
    Browse(Tab1Controls());
}

void OptionsTab::Button48Click() {
    Browse(Tab2Controls());
}

void OptionsTab::Browse(const BackgroundControls& tab) {
    const std::optional<QString> chosen = services_.dialogs->openFile(dialogs_.openPicture);
    if (!chosen)
        return;
    const QFileInfo picked(*chosen);
    QString newPath = picked.absoluteFilePath();
    const bool noPathYet = settings_.TabPicture(tab.tab).isEmpty();
    if (settings_.PortableMode() &&
        services_.dialogs->ask(MessageKind::Warning, CopyQuestion(tab.tab), Buttons::YesCancel) ==
            Button::Yes) {
        const QString target = settings_.AppFolder() + picked.fileName();
        const QFileInfo existing(target);
        bool copy = true;
        if (existing.exists()) {
            if (services_.dialogs->ask(
                    MessageKind::Warning,
                    target + QStringLiteral(" already exist. Do you want to overwrite the file?"),
                    Buttons::YesCancel) != Button::Yes) {
                if (noPathYet)
                    tab.use->setEnabled(false);
                return;
            }
            // A picture chosen from the application folder itself is already there.
            copy = existing.canonicalFilePath() != picked.canonicalFilePath();
        }
        if (copy && !CopyPicture(picked.absoluteFilePath(), target)) {
            ReportError(services_, kCannotCopy, Buttons::Cancel);
            if (noPathYet)
                tab.use->setEnabled(false);
            return;
        }
        newPath = target;
    }
    settings_.SetTabPicture(tab.tab, newPath);
    tab.use->setEnabled(true);
    if (tab.use->isChecked())
        ShowCustomPicture(tab);
}

void OptionsTab::Button49Click() {
    Clear(Tab1Controls());
}

void OptionsTab::Button50Click() {
    Clear(Tab2Controls());
}

void OptionsTab::Clear(const BackgroundControls& tab) {
    settings_.SetTabPicture(tab.tab, QString());
    tab.use->setChecked(false);
    if (BackgroundPicture* picture = tab.picture)
        picture->setPicture(*tab.builtIn);
}

// ---- Desktop, printer and help ----

void OptionsTab::Button35Click() {
    const Result<bool> made =
        services_.shell->CreateDesktopShortcut(QCoreApplication::applicationFilePath());
    if (!made)
        ReportError(services_, made.error());
    else if (*made)
        services_.dialogs->ask(MessageKind::Information, kLinkCreated, Buttons::Ok);
}

void OptionsTab::Button21Click() {
    services_.printer->Setup(window());
}

void OptionsTab::Button46Click() {
    if (!services_.connection->IsOnline()) {
        services_.dialogs->ask(MessageKind::Information, kHelpOffLine, Buttons::Ok);
        return;
    }
    OpenAddress(services_, HelpDocumentAddress(settings_.Service().updateSite));
}

} // namespace quorvel
