#include "ui/tools/manage_favourites.h"

#include "core/favourites.h"
#include "ui/main/main_window.h"
#include "ui/main/shared_commands.h"
#include "ui/main/video_tab.h"
#include "ui/tools/add_favourite.h"
#include "ui_manage_favourites.h"

#include <QFileInfo>
#include <QShowEvent>

namespace quorvel {

namespace {
const QString kSeparator(39, QLatin1Char(' '));
} // namespace

TForm4::TForm4(Windows& windows, Services& services, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TForm4>()), windows_(windows), services_(services) {
    ui->setupUi(this);
    saveDialog_.proposedName = QStringLiteral("Favourites");
    saveDialog_.defaultSuffix = QStringLiteral("lst");
    saveDialog_.filters = {{QStringLiteral("Favourite List (*.lst)"), QStringLiteral("*.lst")},
                           {QStringLiteral("Text File (*.txt)"), QStringLiteral("*.txt")}};
    ConnectHandlers();
}

TForm4::~TForm4() = default;

void TForm4::ConnectHandlers() {
    const std::pair<QPushButton*, void (TForm4::*)()> clicks[] = {
        {ui->Button1, &TForm4::Button1Click}, {ui->Button2, &TForm4::Button2Click},
        {ui->Button3, &TForm4::Button3Click}, {ui->Button4, &TForm4::Button4Click},
        {ui->Button5, &TForm4::Button5Click}, {ui->Button9, &TForm4::Button9Click},
        {ui->Button6, &TForm4::Button6Click}, {ui->Button7, &TForm4::Button7Click},
        {ui->Button8, &TForm4::Button8Click},
    };
    for (const auto& [button, handler] : clicks)
        connect(button, &QPushButton::clicked, this,
                [this, handler = handler] { (this->*handler)(); });
    // Mouse and keyboard alike move the selection.
    connect(ui->CheckListBox1, &QListWidget::itemSelectionChanged, this,
            [this] { CheckListBox1Click(); });
}

void TForm4::FormCreate() {
    Button1Click();
}

void TForm4::Open() {
    ShowWindow(*this);
}

void TForm4::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TForm4::FormShow() {
    TForm1* main = windows_.form1;
    saveDialog_.startFolder = main->FavouritesFolder();
    if (main->isVisible()) {
        QRect frame = frameGeometry();
        frame.moveCenter(main->frameGeometry().center());
        move(frame.topLeft());
    }
    if (ui->CheckListBox1->count() == 0)
        ShowMessage(services_, QStringLiteral("They are no favourites to manage"));
}

QStringList TForm4::Entries() const {
    QStringList entries;
    for (int i = 0; i < ui->CheckListBox1->count(); ++i)
        entries << ui->CheckListBox1->item(i)->text();
    return entries;
}

void TForm4::SetEntries(const QStringList& entries) {
    ui->CheckListBox1->clear();
    for (const QString& entry : entries) {
        auto* item = new QListWidgetItem(entry, ui->CheckListBox1);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

int TForm4::SelectedRow() const {
    const QList<QListWidgetItem*> selected = ui->CheckListBox1->selectedItems();
    return selected.isEmpty() ? -1 : ui->CheckListBox1->row(selected.first());
}

void TForm4::CheckListBox1Click() {
    const int row = SelectedRow();
    if (row < 0)
        return;
    const QString entry = ui->CheckListBox1->item(row)->text();
    idPart_ = FavouriteIdPart(entry);
    ui->Edit1->setText(FavouriteTitle(entry));
}

void TForm4::Button1Click() {
    const Result<TextFile> file =
        LoadFavourites(FavouritesFilePath(windows_.form1->FavouritesFolder()));
    if (!file)
        return;
    encoding_ = file->encoding;
    SetEntries(file->lines);
}

void TForm4::Button2Click() {
    QListWidget* list = ui->CheckListBox1;
    const int selectedRow = SelectedRow();
    const QListWidgetItem* selected = selectedRow < 0 ? nullptr : list->item(selectedRow);
    bool selectedGone = false;
    for (int row = list->count() - 1; row >= 0; --row) {
        if (list->item(row)->checkState() != Qt::Checked)
            continue;
        selectedGone = selectedGone || list->item(row) == selected;
        delete list->takeItem(row);
    }
    // The list would hand the selection to a neighbour, which Save would then take for a
    // choice the user made.
    if (selectedGone) {
        list->clearSelection();
        list->setCurrentItem(nullptr);
    }
    ui->Edit1->clear();
}

void TForm4::TickAll(bool ticked) {
    for (int row = 0; row < ui->CheckListBox1->count(); ++row)
        ui->CheckListBox1->item(row)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

void TForm4::Button3Click() {
    TickAll(true);
}

void TForm4::Button4Click() {
    TickAll(false);
}

void TForm4::Button5Click() {
    if (SelectedRow() < 0)
        return;
    const QString folder = windows_.form1->FavouritesFolder();
    if (SaveFavourites(FavouritesFilePath(folder), Entries(), encoding_))
        ShowMessage(services_, QStringLiteral("Favourites.lst is saved"));
    else
        services_.dialogs->ask(MessageKind::Error,
                               QStringLiteral("Error: Unable to save Favourite.lst in ") + folder +
                                   QLatin1Char('.'),
                               Buttons::Abort);
}

void TForm4::Button9Click() {
    if (SelectedRow() < 0)
        return;
    const std::optional<QString> chosen = services_.dialogs->saveFile(saveDialog_);
    if (!chosen)
        return;
    if (QFileInfo::exists(*chosen) &&
        services_.dialogs->ask(MessageKind::Warning,
                               QFileInfo(*chosen).fileName() +
                                   QStringLiteral(" exists, do you want to overwrite it?"),
                               Buttons::YesNo) != Button::Yes)
        return;
    const Status saved = SaveFavourites(*chosen, Entries(), encoding_);
    if (!saved)
        ReportError(services_, saved.error());
}

void TForm4::Button6Click() {
    const int row = SelectedRow();
    if (row < 0)
        return;
    ui->CheckListBox1->item(row)->setText(ui->Edit1->text() + kSeparator + idPart_);
}

void TForm4::Button7Click() {
    const QStringList entries = Entries();
    windows_.form1->VideoPage()->SetFavourites(entries);
    if (windows_.form3)
        windows_.form3->SetFavourites(entries);
    close();
}

void TForm4::Button8Click() {
    close();
}

} // namespace quorvel
