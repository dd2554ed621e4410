#include "ui/tools/album_name_request.h"

#include "core/textfile.h"
#include "ui/main/settings.h"
#include "ui_album_name_request.h"

#include <QEventLoop>

namespace quorvel {

TForm13::TForm13(Windows& windows, Services& services, Settings& settings, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TForm13>()), windows_(windows), services_(services),
      settings_(settings) {
    ui->setupUi(this);
    connect(ui->Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(ui->Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(ui->Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
}

TForm13::~TForm13() = default;

void TForm13::FormCreate() {
    ui->Edit2->setText(settings_.AlbumFolder());
}

void TForm13::Open() {
    if (QWidget* main = windows_.MainWindow(); main && main->isVisible()) {
        QRect frame = frameGeometry();
        frame.moveCenter(main->frameGeometry().center());
        move(frame.topLeft());
    }
    show();
    raise();
    activateWindow();
}

std::optional<QString> TForm13::Ask() {
    QEventLoop wait;
    bool named = false;
    const QMetaObject::Connection answered =
        connect(this, &QDialog::finished, &wait, [&](int result) {
            named = result == QDialog::Accepted;
            wait.quit();
        });
    Open();
    if (isVisible())
        wait.exec();
    disconnect(answered);
    if (!named)
        return std::nullopt;
    return AlbumName();
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
