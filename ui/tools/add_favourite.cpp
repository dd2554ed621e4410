#include "ui/tools/add_favourite.h"

#include "core/favourites.h"
#include "ui/main/settings.h"
#include "ui/main/shared_commands.h"
#include "ui_add_favourite.h"

#include <QFileInfo>
#include <QShowEvent>

namespace quorvel {

TForm3::TForm3(Windows& windows, Services& services, Settings& settings, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TForm3>()), windows_(windows), services_(services),
      settings_(settings) {
    ui->setupUi(this);
    connect(ui->Edit2, &QLineEdit::textChanged, this, &TForm3::Edit2Change);
    connect(ui->Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(ui->Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

TForm3::~TForm3() = default;

void TForm3::FormCreate() {
    const QString path = FavouritesFilePath(settings_.FavouritesFolder());
    if (!QFileInfo::exists(path))
        return;
    const Result<TextFile> file = LoadFavourites(path);
    if (!file)
        return;
    encoding_ = file->encoding;
    SetFavourites(file->lines);
}

void TForm3::SetVideoId(const QString& id) {
    ui->Edit1->setText(id);
}

void TForm3::Open() {
    ShowWindow(*this);
}

void TForm3::SetFavourites(const QStringList& entries) {
    entries_ = SortedFavourites(entries);
    ShowEntries();
}

void TForm3::ShowEntries() {
    ui->ListBox1->clear();
    ui->ListBox1->addItems(entries_);
}

void TForm3::Edit2Change(const QString& text) {
    ui->Button1->setEnabled(!text.isEmpty());
}

void TForm3::Button1Click() {
    const QString title = ui->Edit2->text();
    if (title.isEmpty())
        return;
    const QString entry = MakeFavouriteEntry(title, ui->Edit1->text());
    if (IsDuplicateFavourite(entries_, entry)) {
        QString shown = title;
        shown.remove(QLatin1Char('='));
        services_.dialogs->ask(MessageKind::Information, shown + QStringLiteral(" already exists."),
                               Buttons::Abort);
        return;
    }
    // This window's list and the video tab's take the new entry together.
    windows_.SetFavourites(entries_ + QStringList{entry});
    // Saved before the user is told it is added: a file that cannot be written is not
    // announced as a success first.
    const QString path = FavouritesFilePath(settings_.FavouritesFolder());
    if (SaveFavourites(path, entries_, encoding_))
        services_.dialogs->ask(MessageKind::Information,
                               QStringLiteral("Favourite trailer added to the list"), Buttons::Ok);
    else
        ReportError(services_, path + QStringLiteral(" cannot be save."), Buttons::Abort);
    close();
}

void TForm3::Button2Click() {
    close();
}

void TForm3::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    QWidget* main = windows_.MainWindow();
    if (!event->spontaneous() && main && main->isVisible()) {
        QRect frame = frameGeometry();
        frame.moveCenter(main->frameGeometry().center());
        move(frame.topLeft());
    }
}

void TForm3::hideEvent(QHideEvent* event) {
    // However the window goes (Close, Escape, its close box), the next bookmark starts untitled.
    if (!event->spontaneous())
        ui->Edit2->clear();
    QDialog::hideEvent(event);
}

} // namespace quorvel
