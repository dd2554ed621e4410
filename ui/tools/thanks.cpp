#include "ui/tools/thanks.h"

#include "ui/main/shared_commands.h"
#include "ui_thanks.h"

namespace quorvel {

TForm10::TForm10(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TForm10>()) {
    ui->setupUi(this);
    connect(ui->Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
}

TForm10::~TForm10() = default;

void TForm10::Open() {
    ShowWindow(*this, parentWidget());
}

void TForm10::Button1Click() {
    close();
}

} // namespace quorvel
