#include "ui/tools/reader.h"

#include "ui/main/hints.h"
#include "ui_reader.h"

#include <QShowEvent>

namespace quorvel {

TForm6::TForm6(Windows& windows, Services& services, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TForm6>()), windows_(windows), services_(services) {
    ui->setupUi(this);
    // A form can give a font only in points; the reading text is sized in pixels.
    QFont readingFont = ui->Memo1->font();
    readingFont.setPixelSize(16);
    ui->Memo1->setFont(readingFont);
    connect(ui->BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
}

TForm6::~TForm6() = default;

bool TForm6::event(QEvent* event) {
    if (ShowHintEvent(event, ui->Panel2))
        return true;
    return QDialog::event(event);
}

void TForm6::Fill(const QString& text, const QImage& picture) {
    ui->Memo1->setPlainText(text);
    picture_ = picture;
    ui->Image1->setPicture(picture);
}

void TForm6::Open() {
    show();
    raise();
    activateWindow();
}

void TForm6::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A window system's restore is no new opening.
    if (!event->spontaneous())
        FormShow();
}

// Every showing shows the picture its opener handed over last.
void TForm6::FormShow() {
    ui->Image1->setPicture(picture_);
    QWidget* main = windows_.MainWindow();
    if (main && main->isVisible()) {
        QRect frame = frameGeometry();
        frame.moveCenter(main->frameGeometry().center());
        move(frame.topLeft());
    }
}

void TForm6::BitBtn1Click() {
    close();
}

} // namespace quorvel
