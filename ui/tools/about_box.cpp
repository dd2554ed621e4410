#include "ui/tools/about_box.h"

#include "online/addresses.h"
#include "online/update.h"
#include "ui/main/shared_commands.h"
#include "ui/tools/link_label.h"
#include "ui_about_box.h"

#include <QCoreApplication>
#include <QPainter>
#include <QScreen>
#include <QStyle>

namespace quorvel {

namespace {

// The program's own picture, drawn rather than shipped: a badge with the product's initial.
QPixmap ProductPicture(int side) {
    QPixmap picture(side, side);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1d, 0x35, 0x57));
    painter.drawRoundedRect(QRectF(0, 0, side, side), side / 6.0, side / 6.0);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(side * 2 / 3);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 0, side, side), Qt::AlignCenter, QStringLiteral("Q"));
    return picture;
}

} // namespace

TAboutBox::TAboutBox(Windows& windows, Services& services, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TAboutBox>()), windows_(windows),
      services_(services) {
    ui->setupUi(this);
    ui->ProgramIcon->setPixmap(ProductPicture(48));
    ui->Image1->setPixmap(style()->standardIcon(QStyle::SP_MediaPlay).pixmap(48, 48));
    connect(ui->Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(ui->Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(ui->OKButton, &QPushButton::clicked, this, [this] { OKButtonClick(); });
    MakeLinkLabel(
        ui->Label2, [this] { Label2Click(); }, this);
}

TAboutBox::~TAboutBox() = default;

void TAboutBox::FormCreate() {
    // An executable without a version shows "Version " alone.
    ui->Version->setText(QStringLiteral("Version ") +
                         ReadFileVersion(QCoreApplication::applicationFilePath()));
    ui->Label3->setText(QString::number(Edition()) + QStringLiteral("bits Edition"));
}

void TAboutBox::Open() {
    if (!placed_) {
        placed_ = true;
        if (QScreen* desktop = screen())
            CentreWindow(*this, desktop->availableGeometry());
    }
    ShowWindow(*this);
}

void TAboutBox::Label2Click() {
    OpenAddress(services_, OmdbHomeAddress());
}

void TAboutBox::Button1Click() {
    windows_.Show(WindowId::Contact);
}

void TAboutBox::Button2Click() {
    windows_.Show(WindowId::Thanks);
}

void TAboutBox::OKButtonClick() {
    close();
}

} // namespace quorvel
