#include "ui/main/options_tab.h"

#include "core/options.h"
#include "core/textfile.h"
#include "online/addresses.h"
#include "platform/pictures.h"
#include "ui/main/background_picture.h"
#include "ui/main/main_window.h"
#include "ui/main/search_offline_tab.h"
#include "ui/main/search_online_tab.h"
#include "ui/main/shared_commands.h"
#include "ui/main/themes.h"
#include "ui/tools/album_creator.h"
#include "ui/tools/portable_mode.h"
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

BackgroundPicture* Tab1Picture(const Windows& windows) {
    return windows.form1 ? windows.form1->OnlineTab()->Background() : nullptr;
}

BackgroundPicture* Tab2Picture(const Windows& windows) {
    return windows.form1 ? windows.form1->OfflineTab()->Background() : nullptr;
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

OptionsTab::OptionsTab(Windows& windows, Services& services, QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::OptionsTab>()), windows_(windows),
      services_(services) {
    ui->setupUi(this);
    ConnectHandlers();
    connect(ui->Edit7, &QLineEdit::textChanged, this, &OptionsTab::Edit7Change);
    connect(ui->Edit8, &QLineEdit::textChanged, this, &OptionsTab::Edit8Change);
    connect(ui->Edit2, &QLineEdit::textChanged, this, &OptionsTab::CollectionFolderChanged);
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

QString OptionsTab::PortableIndicator() const {
    return ui->Label23->text();
}

QString OptionsTab::CollectionFolder() const {
    return ui->Edit2->text();
}

QString OptionsTab::FavouritesFolder() const {
    return ui->Edit6->text();
}

bool OptionsTab::SaveInfoAndPosterTogether() const {
    return ui->CheckBox4->isChecked();
}

QString OptionsTab::OmdbApiKey() const {
    return TrimBlanksAndControls(ui->EditApiKey->text());
}

void OptionsTab::ShowStored(const StoredOptions& stored) {
    ui->Edit2->setText(stored.savingPath);
    ui->Edit6->setText(stored.savingFavPath);
    // The picture boxes are empty while the use boxes are set, so ticking loads nothing yet.
    ShowPicturePaths(QString(), QString());
    // Each box runs its own action when its state changes, as a click would.
    ui->CheckBox4->setChecked(stored.tab1Save);
    ui->CheckBox6->setChecked(stored.tab3AutoPlay);
    ui->CheckBox7->setChecked(stored.tab3VideoOnly);
    ui->CheckBox8->setChecked(stored.backgroundImage);
    ui->CheckBox9->setChecked(stored.bckTab1Used);
    ui->CheckBox10->setChecked(stored.bckTab2Used);
    SelectTheme(stored.theme);
    ui->EditApiKey->setText(stored.omdbApiKey);
    pictures_ = {stored.bckTab1, stored.bckTab2, stored.bckTab1P, stored.bckTab2P};
    if (stored.portableMode)
        LoadTabBackgrounds(stored.bckTab1P, stored.bckTab2P);
    else
        LoadTabBackgrounds(stored.bckTab1, stored.bckTab2);
}

bool OptionsTab::PortableModeOff() const {
    return PortableIndicator() == kPortableOff;
}

void OptionsTab::ShowPicturePaths(const QString& tab1, const QString& tab2) {
    fillingPicturePaths_ = true;
    ui->Edit7->setText(tab1);
    ui->Edit8->setText(tab2);
    fillingPicturePaths_ = false;
}

void OptionsTab::SelectTheme(int index) {
    ui->ComboBox2->setCurrentIndex(index >= 0 && index < ui->ComboBox2->count() ? index : -1);
}

int OptionsTab::ThemeIndex() const {
    return ui->ComboBox2->currentIndex();
}

void OptionsTab::Edit7Change(const QString& text) {
    if (fillingPicturePaths_)
        return;
    (PortableModeOff() ? pictures_.bckTab1 : pictures_.bckTab1P) = text;
}

void OptionsTab::Edit8Change(const QString& text) {
    if (fillingPicturePaths_)
        return;
    (PortableModeOff() ? pictures_.bckTab2 : pictures_.bckTab2P) = text;
}

void OptionsTab::SetCollectionFolder(const QString& folder) {
    ui->Edit2->setText(folder);
}

void OptionsTab::SetFavouritesFolder(const QString& folder) {
    ui->Edit6->setText(folder);
}

void OptionsTab::SetPortableIndicator(const QString& caption) {
    ui->Label23->setText(caption);
    ui->Label22->setText(caption);
}

void OptionsTab::SetTab1PicturePath(const QString& path) {
    ui->Edit7->setText(path);
}

void OptionsTab::SetTab2PicturePath(const QString& path) {
    ui->Edit8->setText(path);
}

QString OptionsTab::Tab1PicturePath() const {
    return ui->Edit7->text();
}

QString OptionsTab::Tab2PicturePath() const {
    return ui->Edit8->text();
}

bool OptionsTab::ConfirmPortableOff() {
    // The portable window asks and, on Yes, switches every window back to the stored paths.
    return !windows_.form9 || windows_.form9->ConfirmPortableOff();
}

// ---- Collection and favourites folders ----

void OptionsTab::SelectFolder(QLineEdit* box) {
    if (!ConfirmPortableOff())
        return;
    const QString previous = box->text();
    const std::optional<QString> folder = services_.dialogs->chooseFolder(QString(), previous);
    if (!folder)
        return;
    box->setText(folder->isEmpty() ? previous : *folder);
}

void OptionsTab::LoadSavedPath(QLineEdit* box, const char* key) {
    if (!ConfirmPortableOff() || !windows_.form1)
        return;
    const QString appFolder = windows_.form1->AppFolder();
    const Result<QString> stored =
        windows_.form1->Options().readString(opt::kSettings, key, appFolder);
    if (!stored) {
        ReportError(services_, stored.error());
        return;
    }
    // An empty stored folder means the application folder, as it does at start-up.
    box->setText(stored->isEmpty() ? appFolder : *stored);
}

void OptionsTab::Button14Click() {
    SelectFolder(ui->Edit2);
}

void OptionsTab::Button15Click() {
    if (ConfirmPortableOff() && windows_.form1)
        ui->Edit2->setText(windows_.form1->AppFolder());
}

void OptionsTab::Button22Click() {
    LoadSavedPath(ui->Edit2, opt::kSavingPath);
}

void OptionsTab::Button33Click() {
    services_.shell->OpenFolder(ui->Edit2->text());
}

void OptionsTab::Button29Click() {
    SelectFolder(ui->Edit6);
}

void OptionsTab::Button30Click() {
    // In portable mode the application folder is the favourites folder already: no question.
    if (windows_.form1)
        ui->Edit6->setText(windows_.form1->AppFolder());
}

void OptionsTab::Button31Click() {
    LoadSavedPath(ui->Edit6, opt::kSavingFavPath);
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
    TForm1* form1 = windows_.form1;
    if (!form1)
        return;
    OptionsFile& file = form1->Options();
    OptionValues v;
    v.savingPath = ui->Edit2->text();
    v.savingFavPath = ui->Edit6->text();
    v.tab1Save = ui->CheckBox4->isChecked();
    v.tab1ReadOnly = ui->CheckBox3->isChecked();
    v.tab2ReadOnly = ui->CheckBox5->isChecked();
    v.tab3AutoPlay = ui->CheckBox6->isChecked();
    v.tab3VideoOnly = ui->CheckBox7->isChecked();
    v.portableMode = windows_.form9 && windows_.form9->PortableAtStart();
    v.backgroundImage = ui->CheckBox8->isChecked();
    v.theme = ThemeIndex();
    v.htmlSavingPath = windows_.form7 ? windows_.form7->AlbumFolder() : form1->AppFolder();
    v.bckTab1 = pictures_.bckTab1;
    v.bckTab1P = pictures_.bckTab1P;
    v.bckTab2 = pictures_.bckTab2;
    v.bckTab2P = pictures_.bckTab2P;
    v.bckTab1Used = ui->CheckBox9->isChecked();
    v.bckTab2Used = ui->CheckBox10->isChecked();
    v.omdbApiKey = OmdbApiKey();
    const Status saved = SaveAllOptions(file, v, [form1](const char* key) {
        if (std::strcmp(key, opt::kTab1Save) == 0 || std::strcmp(key, opt::kBackgroundImage) == 0)
            form1->OfflineTab()->CollectionFolderMoved();
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
    const QString style = ThemeStyle(ThemeIndex());
    if (style.isEmpty())
        return;
    ApplyStyle(style);
    // A look with larger paddings needs more room than the window has.
    if (windows_.form1)
        windows_.form1->FitToContents();
}

// ---- Background pictures ----

OptionsTab::BackgroundControls OptionsTab::Tab1Controls() {
    return {1, ui->CheckBox9, ui->Edit7, &Tab1Picture, &builtIn1_};
}

OptionsTab::BackgroundControls OptionsTab::Tab2Controls() {
    return {2, ui->CheckBox10, ui->Edit8, &Tab2Picture, &builtIn2_};
}

void OptionsTab::KeepBuiltInBackgrounds() {
    if (BackgroundPicture* picture = Tab1Picture(windows_))
        builtIn1_ = picture->picture();
    if (BackgroundPicture* picture = Tab2Picture(windows_))
        builtIn2_ = picture->picture();
}

void OptionsTab::LoadTabBackgrounds(const QString& tab1, const QString& tab2) {
    ShowPicturePaths(tab1, tab2);
    for (const BackgroundControls& tab : {Tab1Controls(), Tab2Controls()}) {
        const QString path = tab.path->text();
        if (path.isEmpty() || !tab.use->isChecked())
            continue;
        const Result<Poster> loaded = LoadPosterFile(path);
        BackgroundPicture* picture = tab.picture(windows_);
        if (loaded) {
            if (picture)
                picture->setPicture(loaded->image);
            continue;
        }
        ReportError(services_, LoadFailure(tab.tab, path));
        tab.path->clear(); // the change rule empties the entry of the mode in force
        tab.use->setChecked(false);
        tab.use->setEnabled(false);
    }
}

void OptionsTab::CheckBox8Click() {
    const bool shown = ui->CheckBox8->isChecked();
    for (BackgroundPicture* picture : {Tab1Picture(windows_), Tab2Picture(windows_)}) {
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
    BackgroundPicture* picture = tab.picture(windows_);
    if (!tab.use->isChecked()) {
        if (picture)
            picture->setPicture(*tab.builtIn);
        return;
    }
    const QString path = tab.path->text();
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
    tab.path->clear();
    tab.use->setChecked(false);
}

void OptionsTab::ShowCustomPicture(const BackgroundControls& tab) {
    const Result<Poster> loaded = LoadPosterFile(tab.path->text());
    if (!loaded) {
        ReportError(services_, loaded.error());
        return;
    }
    if (BackgroundPicture* picture = tab.picture(windows_))
        picture->setPicture(loaded->image);
}

void OptionsTab::Button47Click() {
    Browse(Tab1Controls());
}

void OptionsTab::Button48Click() {
    Browse(Tab2Controls());
}

void OptionsTab::Browse(const BackgroundControls& tab) {
    if (!windows_.form1)
        return;
    const std::optional<QString> chosen =
        services_.dialogs->openFile(windows_.form1->FileDialogs().openPicture);
    if (!chosen)
        return;
    const QFileInfo picked(*chosen);
    QString newPath = picked.absoluteFilePath();
    const bool noPathYet = tab.path->text().isEmpty();
    if (!PortableModeOff() && services_.dialogs->ask(MessageKind::Warning, CopyQuestion(tab.tab),
                                                     Buttons::YesCancel) == Button::Yes) {
        const QString target = windows_.form1->AppFolder() + picked.fileName();
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
    tab.path->setText(newPath);
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
    tab.path->clear();
    tab.use->setChecked(false);
    if (BackgroundPicture* picture = tab.picture(windows_))
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
    if (windows_.form1)
        OpenAddress(services_, HelpDocumentAddress(windows_.form1->Settings().updateSite));
}

} // namespace quorvel
