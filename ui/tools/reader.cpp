#include "ui/tools/reader.h"

#include "ui/main/main_window.h"
#include "ui/main/search_offline_tab.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

namespace quorvel {

TForm6::TForm6(Windows& windows, Services& services, QWidget* parent)
    : QDialog(parent), windows_(windows), services_(services) {
    setObjectName(QStringLiteral("TForm6"));
    setWindowTitle(QStringLiteral("Quorvel Reader"));
    setModal(false);
    setSizeGripEnabled(false);
    setFixedSize(803, 606);

    auto* picturePane = new QFrame(this);
    picturePane->setObjectName(QStringLiteral("Panel1"));
    picturePane->setFrameShape(QFrame::StyledPanel);
    picturePane->setFixedSize(385, 554);
    Image1 = new PictureBox(picturePane);
    Image1->setObjectName(QStringLiteral("Image1"));
    auto* pictureLayout = new QVBoxLayout(picturePane);
    pictureLayout->setContentsMargins(2, 2, 2, 2);
    pictureLayout->addWidget(Image1);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setFixedSize(417, 554);
    QFont memoFont = Memo1->font();
    memoFont.setPixelSize(16);
    Memo1->setFont(memoFont);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    BitBtn1 = new QPushButton(QStringLiteral("Close"), this);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setFixedHeight(26);

    Panel2 = new QLabel(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel2->setFixedHeight(22);

    auto* panes = new QHBoxLayout;
    panes->setSpacing(1);
    panes->addWidget(picturePane);
    panes->addWidget(Memo1);
    auto* root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(2);
    root->addLayout(panes);
    root->addWidget(BitBtn1);
    root->addWidget(Panel2);

    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
}

void TForm6::Fill(const QString& text, const QImage& picture) {
    Memo1->setPlainText(text);
    Image1->setPicture(picture);
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

void TForm6::FormShow() {
    TForm1* main = windows_.form1;
    if (!main)
        return;
    if (main->ReaderPictureFromListCreator()) {
        Image1->setPicture(ListCreatorPicture());
    } else if (SearchOfflineTab* tab = main->OfflineTab()) {
        Image1->setPicture(tab->PosterShown() ? tab->ShownPoster().image : QImage());
    }
    if (main->isVisible()) {
        QRect frame = frameGeometry();
        frame.moveCenter(main->frameGeometry().center());
        move(frame.topLeft());
    }
}

void TForm6::BitBtn1Click() {
    close();
}

} // namespace quorvel
