#include "ui/tools/manage_favourites.h"

#include "core/favourites.h"
#include "ui/main/checkable_list.h"
#include "ui/main/settings.h"
#include "ui/main/shared_commands.h"
#include "ui_manage_favourites.h"

#include <QFileInfo>
#include <QShowEvent>

#include <algorithm>

namespace quorvel {

namespace {
const QString kSeparator(39, QLatin1Char(' '));
} // namespace

TForm4::TForm4(Windows& windows, Services& services, Settings& settings, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TForm4>()), windows_(windows), services_(services),
      settings_(settings) {
    ui->setupUi(this);
    model_ = new CheckableListModel(this);
    ui->CheckListBox1->setModel(model_);
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
    connect(ui->CheckListBox1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
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
    QWidget* main = windows_.MainWindow();
    saveDialog_.startFolder = settings_.FavouritesFolder();
    if (main->isVisible()) {
        QRect frame = frameGeometry();
        frame.moveCenter(main->frameGeometry().center());
        move(frame.topLeft());
    }
    if (model_->Count() == 0)
        ShowMessage(services_, QStringLiteral("They are no favourites to manage"));
}

QStringList TForm4::Entries() const {
    return model_->Entries();
}

void TForm4::SetEntries(const QStringList& entries) {
    model_->SetEntries(entries);
}

int TForm4::SelectedRow() const {
    const QModelIndexList selected = ui->CheckListBox1->selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void TForm4::CheckListBox1Click() {
    const int row = SelectedRow();
    if (row < 0)
        return;
    const QString entry = model_->Entries().at(row);
    idPart_ = FavouriteIdPart(entry);
    ui->Edit1->setText(FavouriteTitle(entry));
}

void TForm4::Button1Click() {
    const Result<TextFile> file = LoadFavourites(FavouritesFilePath(settings_.FavouritesFolder()));
    if (!file)
        return;
    encoding_ = file->encoding;
    SetEntries(file->lines);
}

void TForm4::Button2Click() {
    const int selectedRow = SelectedRow();
    std::vector<bool> keep;
    int keptSelected = -1;
    for (int row = 0; row < model_->Count(); ++row) {
        keep.push_back(!model_->IsTicked(row));
        if (row == selectedRow && keep.back())
            keptSelected = int(std::count(keep.begin(), keep.end(), true)) - 1;
    }
    model_->Keep(keep);
    // A deleted selection is no selection at all: the list would hand it to a neighbour, which
    // Save would then take for a choice the user made.
    if (keptSelected >= 0)
        ui->CheckListBox1->selectionModel()->setCurrentIndex(model_->index(keptSelected),
                                                             QItemSelectionModel::ClearAndSelect);
    ui->Edit1->clear();
}

void TForm4::Button3Click() {
    model_->SetAllTicked(true);
}

void TForm4::Button4Click() {
    model_->SetAllTicked(false);
}

void TForm4::Button5Click() {
    if (SelectedRow() < 0)
        return;
    const QString folder = settings_.FavouritesFolder();
    if (SaveFavourites(FavouritesFilePath(folder), Entries(), encoding_))
        ShowMessage(services_, QStringLiteral("Favourites.lst is saved"));
    else
        ReportError(services_,
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
    if (!ConfirmOverwrite(services_, *chosen,
                          QFileInfo(*chosen).fileName() +
                              QStringLiteral(" exists, do you want to overwrite it?"),
                          MessageKind::Warning))
        return;
    const Status saved = SaveFavourites(*chosen, Entries(), encoding_);
    if (!saved)
        ReportError(services_, saved.error());
}

void TForm4::Button6Click() {
    const int row = SelectedRow();
    if (row < 0)
        return;
    model_->SetEntry(row, ui->Edit1->text() + kSeparator + idPart_);
}

void TForm4::Button7Click() {
    const QStringList entries = Entries();
    windows_.SetFavourites(entries);
    close();
}

void TForm4::Button8Click() {
    close();
}

} // namespace quorvel
