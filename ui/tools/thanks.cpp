#include "ui/tools/thanks.h"

#include "ui_thanks.h"

namespace quorvel {

TForm10::TForm10(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TForm10>()) {
    ui->setupUi(this);
    connect(ui->Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

TForm10::~TForm10() = default;

void TForm10::Open() {
    if (QWidget* opener = parentWidget(); opener && opener->isVisible() && !isVisible()) {
        QRect frame = frameGeometry();
        frame.moveCenter(opener->frameGeometry().center());
        move(frame.topLeft());
    }
    show();
    raise();
    activateWindow();
}

void TForm10::Button1Click() {
    close();
}

} // namespace quorvel
