#include "ui/main/options_tab.h"

#include "core/options.h"
#include "ui_options_tab.h"

namespace quorvel {

namespace {
const QString kPortableOff = QStringLiteral("Portable mode off");
} // namespace

OptionsTab::OptionsTab(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::OptionsTab>()) {
    ui->setupUi(this);
    connect(ui->Edit7, &QLineEdit::textChanged, this, &OptionsTab::Edit7Change);
    connect(ui->Edit8, &QLineEdit::textChanged, this, &OptionsTab::Edit8Change);
    connect(ui->Edit2, &QLineEdit::textChanged, this, &OptionsTab::CollectionFolderChanged);
    connect(ui->Button36, &QPushButton::clicked, this, &OptionsTab::Button36Click);
    connect(ui->Button39, &QPushButton::clicked, this, &OptionsTab::Button39Click);
    connect(ui->Button51, &QPushButton::clicked, this, &OptionsTab::Button51Click);
    connect(ui->Button53, &QPushButton::clicked, this, &OptionsTab::Button53Click);
    connect(ui->Button34, &QPushButton::clicked, this, &OptionsTab::Button34Click);
}

OptionsTab::~OptionsTab() = default;

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

void OptionsTab::ShowStored(const StoredOptions& stored) {
    ui->Edit2->setText(stored.savingPath);
    ui->Edit6->setText(stored.savingFavPath);
    // Each box runs its own action when its state changes, as a click would.
    ui->CheckBox4->setChecked(stored.tab1Save);
    ui->CheckBox6->setChecked(stored.tab3AutoPlay);
    ui->CheckBox7->setChecked(stored.tab3VideoOnly);
    ui->CheckBox8->setChecked(stored.backgroundImage);
    ui->CheckBox9->setChecked(stored.bckTab1Used);
    ui->CheckBox10->setChecked(stored.bckTab2Used);
    SelectTheme(stored.theme);
    pictures_ = {stored.bckTab1, stored.bckTab2, stored.bckTab1P, stored.bckTab2P};
    if (stored.portableMode)
        ShowPicturePaths(stored.bckTab1P, stored.bckTab2P);
    else
        ShowPicturePaths(stored.bckTab1, stored.bckTab2);
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

} // namespace quorvel
