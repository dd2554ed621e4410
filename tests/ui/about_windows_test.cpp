// The about, contact and thanks windows: their texts, the OMDb link and the e-mail hand-over.

#include "tests/support/window_fixture.h"
#include "ui/tools/about_box.h"
#include "ui/tools/contact.h"
#include "ui/tools/link_label.h"
#include "ui/tools/thanks.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>

namespace quorvel::test {
namespace {

class AboutTest : public WindowFixture {
protected:
    void Start() {
        scripted.connection.online = false;
        WindowFixture::Start();
        ForgetStartup();
        about = app->windows().aboutBox;
        contact = app->windows().form2;
        ASSERT_NE(about, nullptr);
        ASSERT_NE(contact, nullptr);
    }
    void Send(QWidget* target, QEvent::Type type) const {
        if (type == QEvent::MouseButtonRelease) {
            QMouseEvent click(type, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::NoButton,
                              Qt::NoModifier);
            QApplication::sendEvent(target, &click);
            return;
        }
        QEvent event(type);
        QApplication::sendEvent(target, &event);
    }

    TAboutBox* about = nullptr;
    TForm2* contact = nullptr;
};

TEST_F(AboutTest, TheAboutWindowTellsVersionCreditAndOpensTheOmdbHomePage) {
    Start();
    EXPECT_EQ(Find<QLabel>(about, "ProductName")->text(), "Quorvel");
    EXPECT_EQ(Find<QLabel>(about, "Version")->text(), "Version 1.7.1.1");
    EXPECT_EQ(Find<QLabel>(about, "Label3")->text(), "64bits Edition");
    EXPECT_EQ(Find<QLabel>(about, "Label1")->text().split('\n'),
              (QStringList{"Quorvel uses OMDb API.", "", "The Open Movie Database.", "",
                           "The OMDb API is a free web service to obtain movie ",
                           "information, all content and images on the site are ",
                           "contributed and maintained by their users.", "",
                           "If you are a developer, or want to contribute or make ",
                           "a donation to OMDb API author just click the link below."}));
    EXPECT_FALSE(Find<QPlainTextEdit>(about, "Memo1")->toPlainText().isEmpty());

    QLabel* link = Find<QLabel>(about, "Label2");
    EXPECT_EQ(link->text(), "Click here to visit the home page of OMDb API ");
    EXPECT_EQ(LinkColour(link), QColor(Qt::blue));
    Send(link, QEvent::Enter);
    EXPECT_EQ(LinkColour(link), QColor(Qt::green));
    EXPECT_EQ(about->cursor().shape(), Qt::PointingHandCursor);
    Send(link, QEvent::Leave);
    EXPECT_EQ(LinkColour(link), QColor(Qt::blue));
    EXPECT_EQ(about->cursor().shape(), Qt::ArrowCursor);
    Send(link, QEvent::MouseButtonRelease);
    EXPECT_EQ(scripted.shell.opened, QStringList{"http://www.omdbapi.com"});

    about->Open();
    Find<QPushButton>(about, "Button1")->click();
    Find<QPushButton>(about, "Button2")->click();
    EXPECT_TRUE(contact->isVisible());
    EXPECT_TRUE(app->windows().form10->isVisible());
    Find<QPushButton>(about, "OKButton")->click();
    EXPECT_FALSE(about->isVisible());
}

// The contact window is filled once at start-up; Send checks subject and first body line, and
// hands the mail to the desktop.
TEST_F(AboutTest, SendChecksSubjectAndBodyBeforeHandingTheMailOver) {
    Start();
    QLineEdit* subject = Find<QLineEdit>(contact, "Edit1");
    QPlainTextEdit* body = Find<QPlainTextEdit>(contact, "Body");
    EXPECT_EQ(subject->text(), "Quorvel V1.7.1.1");
    EXPECT_EQ(body->toPlainText().split('\n'),
              (QStringList{"Date: 3/7/2016", "", "Reason/Object of this email: ", ""}));

    const QString noSubject = "This email does not have a subject. Do you want to send it anyway?";
    const QString noBody = "This email does not have a body. No email was sent.";
    struct Row {
        const char* name;
        QString subject;
        QString body;
        std::deque<Button> answers;
        bool handlerWorks;
        QStringList asked;
        QString link; // empty: nothing handed over
    };
    const Row rows[] = {
        {"empty subject, Yes",
         "",
         "Hi\nthere",
         {Button::Yes},
         true,
         {noSubject},
         "mailto:author@quorvel.org?subject=&body=Hi%0D%0Athere%0D%0A"},
        {"empty subject, No", "", "Hi", {Button::No}, true, {noSubject}, ""},
        {"first line deleted", "Bug", "\nBut text below", {}, true, {noBody}, ""},
        {"blank lines only",
         "Bug",
         "  \n \n",
         {},
         true,
         {},
         "mailto:author@quorvel.org?subject=Bug"},
        {"no mail program",
         "Bug",
         "Hi",
         {},
         false,
         {"Cannot pass email contents to default Email Client , error code = "},
         "mailto:author@quorvel.org?subject=Bug&body=Hi%0D%0A"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ForgetStartup();
        scripted.shell.opened.clear();
        scripted.shell.result = row.handlerWorks;
        scripted.dialogs.answers = row.answers;
        subject->setText(row.subject);
        body->setPlainText(row.body);
        Find<QPushButton>(contact, "Button1")->click();
        const QStringList asked = scripted.dialogs.messageTexts();
        ASSERT_EQ(asked.size(), row.asked.size()) << Messages().toStdString();
        for (int i = 0; i < asked.size(); ++i)
            EXPECT_TRUE(asked[i].startsWith(row.asked[i])) << asked[i].toStdString();
        EXPECT_EQ(scripted.shell.opened,
                  row.link.isEmpty() ? QStringList() : QStringList{row.link});
        EXPECT_EQ(body->toPlainText(), row.body); // the window keeps what was typed
    }
}

} // namespace
} // namespace quorvel::test
