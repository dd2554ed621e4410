#include "ui/tools/album_name_request.h"

#include "core/textfile.h"
#include "ui/main/main_window.h"
#include "ui/tools/album_creator.h"
#include "ui_album_name_request.h"

namespace quorvel {

TForm13::TForm13(Windows& windows, Services& services, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TForm13>()), windows_(windows), services_(services) {
    ui->setupUi(this);
    connect(ui->Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(ui->Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(ui->Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
}

TForm13::~TForm13() = default;

void TForm13::FormCreate() {
    if (windows_.form7)
        ui->Edit2->setText(windows_.form7->AlbumFolder());
}

void TForm13::Open() {
    if (TForm1* main = windows_.form1; main && main->isVisible()) {
        QRect frame = frameGeometry();
        frame.moveCenter(main->frameGeometry().center());
        move(frame.topLeft());
    }
    show();
    raise();
    activateWindow();
}

QString TForm13::AlbumName() const {
    return TrimBlanksAndControls(ui->Edit1->text());
}

void TForm13::Button1Click() {
    ui->Edit1->clear();
}

void TForm13::Button2Click() {
    accept();
}

void TForm13::Button3Click() {
    const std::optional<QString> folder =
        services_.dialogs->chooseFolder(QString(), ui->Edit2->text());
    if (folder && !folder->isEmpty())
        ui->Edit2->setText(*folder);
}

} // namespace quorvel
