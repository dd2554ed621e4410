#include "ui/tools/update_check.h"

#include "online/update.h"
#include "ui/main/network_wait.h"
#include "ui/main/settings.h"
#include "ui/main/shared_commands.h"
#include "ui/tools/link_label.h"
#include "ui_update_check.h"

#include <QCoreApplication>
#include <QScopedValueRollback>
#include <QStyle>

namespace quorvel {

namespace {

const QString kNoConnection = QStringLiteral(
    "No Internet connection found. Please, connect to the Internet before attemping an update.");
const QString kProcessingVersion = QStringLiteral("Web version is: processing on line...");
const QString kProcessingStatus = QStringLiteral("Version status: processing on line...");
const QString kUnknownVersion = QStringLiteral("Web version is: Unknown");
const QString kUnknownStatus = QStringLiteral("Version status: Unknown");

// The window system hands the activation back a moment after a box closes; one that comes
// later than this is the user's own return to the window.
constexpr qint64 kReturnFromBoxMs = 1000;

} // namespace

TForm8::TForm8(Windows& windows, Services& services, Settings& settings, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TForm8>()), windows_(windows), services_(services),
      settings_(settings) {
    ui->setupUi(this);
    ui->Image1->setPixmap(style()->standardIcon(QStyle::SP_BrowserReload).pixmap(64, 64));
    ui->Image2->setPixmap(style()->standardIcon(QStyle::SP_ArrowDown).pixmap(64, 64));
    connect(ui->Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(ui->Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(ui->Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(ui->Button4, &QPushButton::clicked, this, [this] { Button4Click(); });
    connect(ui->Button5, &QPushButton::clicked, this, [this] { Button5Click(); });
    MakeLinkLabel(ui->Label6, [this] { Label6Click(); });
}

TForm8::~TForm8() = default;

void TForm8::FormCreate() {
    edition_ = Edition();
    ui->Label1->setText(QStringLiteral("Quorvel binary is: ") + QString::number(edition_) +
                        QStringLiteral("Bits"));
    QCoreApplication::processEvents();
    currentVersion_ = ReadFileVersion(QCoreApplication::applicationFilePath());
    ui->Label2->setText(QStringLiteral("Current version is: ") + currentVersion_);
}

void TForm8::Open() {
    ShowWindow(*this, windows_.MainWindow());
}

bool TForm8::event(QEvent* event) {
    if (event->type() == QEvent::WindowDeactivate) {
        leftForOwnBox_ = inOwnBox_;
    } else if (event->type() == QEvent::WindowActivate) {
        const bool backFromOwnBox =
            leftForOwnBox_ && sinceOwnBox_.isValid() && sinceOwnBox_.elapsed() < kReturnFromBoxMs;
        leftForOwnBox_ = false;
        if (!backFromOwnBox && !inOwnBox_ && !activating_ && !waiting_)
            FormActivate();
    }
    return QDialog::event(event);
}

Button TForm8::AskOwn(MessageKind kind, const QString& text, Buttons buttons) {
    Button answer;
    {
        const QScopedValueRollback inBox(inOwnBox_, true);
        answer = services_.dialogs->ask(kind, text, buttons);
    }
    sinceOwnBox_.start();
    return answer;
}

QString TForm8::Site() const {
    return settings_.Service().updateSite;
}

void TForm8::FormActivate() {
    const QScopedValueRollback activating(activating_, true);
    if (services_.connection->IsOnline()) {
        ui->Button2->setEnabled(true);
        Button2Click();
        QCoreApplication::processEvents();
        ui->Button4->setEnabled(true);
        return;
    }
    AskOwn(MessageKind::Warning, kNoConnection, Buttons::Cancel);
    ui->Button2->setEnabled(false);
    ui->Button4->setEnabled(false);
}

void TForm8::ShowUnknownVersion() {
    ui->Label3->setText(kUnknownVersion);
    ui->Label4->setText(kUnknownStatus);
    ui->Label5->hide();
    ui->Button5->hide();
}

void TForm8::Button2Click() {
    if (waiting_)
        return;
    ui->Memo1->clear();
    webVersion_.clear();
    ui->Label3->setText(kProcessingVersion);
    ui->Label4->setText(kProcessingStatus);
    QCoreApplication::processEvents();

    const QString site = Site();
    std::optional<QString> page;
    {
        const QScopedValueRollback waiting(waiting_, true);
        page = WaitForNetwork(this, [site](const CancelFlag& cancel) {
            HttpSettings http;
            http.cancel = &cancel;
            return FetchWebVersion(site, http);
        });
    }
    ui->Memo1->setPlainText(page.value_or(QString()));
    // Without a page, a marker or a whole version line there is no web version to compare.
    const std::optional<QString> version = page ? ParseWebVersion(*page) : std::nullopt;
    if (!version) {
        ShowUnknownVersion();
        return;
    }
    webVersion_ = *version;
    ui->Label3->setText(QStringLiteral("Web version is: ") + webVersion_);
    const bool upToDate = webVersion_ == currentVersion_;
    ui->Label4->setText(upToDate ? QStringLiteral("Version status: up to date")
                                 : QStringLiteral("Version status: out of date"));
    ui->Label5->setVisible(!upToDate);
    ui->Button5->setVisible(!upToDate);
}

void TForm8::Button3Click() {
    if (waiting_)
        return;
    if (services_.connection->IsOnline()) {
        ui->Button2->setEnabled(true);
        const QString service = settings_.Service().ipInfoAddress;
        std::optional<QString> address;
        {
            const QScopedValueRollback waiting(waiting_, true);
            address = WaitForNetwork(this, [service](const CancelFlag& cancel) {
                HttpSettings http;
                http.cancel = &cancel;
                return WanIpAddress(service, http);
            });
        }
        if (!address)
            return;
        AskOwn(MessageKind::Information,
               QStringLiteral("Internet connection found.\r\nYour WAN IP Addres is: ") + *address,
               Buttons::Ok);
        return;
    }
    // Resolving the host's own name may wait on a name server too.
    std::optional<QString> lan;
    {
        const QScopedValueRollback waiting(waiting_, true);
        lan = WaitForNetwork(this, [](const CancelFlag&) { return LanIpAddressText(); });
    }
    if (!lan)
        return;
    AskOwn(MessageKind::Warning, kNoConnection + QStringLiteral("\r\n") + *lan, Buttons::Cancel);
    ui->Button2->setEnabled(false);
}

void TForm8::OpenOwnAddress(const QString& address) {
    // A desktop without a handler answers with a box of ours.
    {
        const QScopedValueRollback inBox(inOwnBox_, true);
        OpenAddress(services_, address);
    }
    sinceOwnBox_.start();
}

void TForm8::Button4Click() {
    OpenOwnAddress(DownloadArchiveAddress(Site(), edition_));
}

void TForm8::Button5Click() {
    windows_.Show(WindowId::WhatsNew);
}

void TForm8::Label6Click() {
    OpenOwnAddress(UpdateLogAddress(Site()));
}

void TForm8::Button1Click() {
    close();
}

} // namespace quorvel
