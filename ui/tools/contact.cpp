#include "ui/tools/contact.h"

#include "online/addresses.h"
#include "online/update.h"
#include "ui/main/shared_commands.h"
#include "ui_contact.h"

#include <QCoreApplication>
#include <QTextBlock>

#include <cerrno>

namespace quorvel {

namespace {

const QString kNoSubject =
    QStringLiteral("This email does not have a subject. Do you want to send it anyway?");
const QString kNoBody = QStringLiteral("This email does not have a body. No email was sent.");
const QString kCannotPass =
    QStringLiteral("Cannot pass email contents to default Email Client , error code = ");

} // namespace

TForm2::TForm2(Windows& windows, Services& services, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TForm2>()), windows_(windows), services_(services) {
    ui->setupUi(this);
    connect(ui->Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(ui->Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

TForm2::~TForm2() = default;

void TForm2::FormCreate() {
    const QString today =
        services_.clock->Now().date().toString(services_.clock->ShortDateFormat());
    ui->Body->setPlainText(QStringLiteral("Date: ") + today +
                           QStringLiteral("\n\nReason/Object of this email: \n"));
    ui->Edit1->setText(QStringLiteral("Quorvel V") +
                       ReadFileVersion(QCoreApplication::applicationFilePath()));
}

void TForm2::Open() {
    ShowWindow(*this, windows_.MainWindow());
}

void TForm2::Button1Click() {
    if (ui->Edit1->text().isEmpty() &&
        services_.dialogs->ask(MessageKind::Warning, kNoSubject, Buttons::YesNo) != Button::Yes)
        return;
    const QTextDocument* body = ui->Body->document();
    if (body->firstBlock().text().isEmpty()) {
        services_.dialogs->ask(MessageKind::Warning, kNoBody, Buttons::Ok);
        return;
    }
    QString text;
    for (QTextBlock line = body->firstBlock(); line.isValid(); line = line.next())
        text += line.text() + QStringLiteral("\r\n");
    errno = 0;
    if (services_.shell->OpenWithDefaultHandler(
            MailtoLink(QString::fromLatin1(kAuthorAddress), ui->Edit1->text(), text)))
        return;
    const int code = errno;
    ReportError(services_, kCannotPass + QString::number(code));
}

void TForm2::Button2Click() {
    close();
}

} // namespace quorvel
