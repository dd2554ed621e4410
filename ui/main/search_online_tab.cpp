#include "ui/main/search_online_tab.h"

#include <QCheckBox>
#include <QLineEdit>

namespace quorvel {

// Placeholder until the tab's controls land.
SearchOnlineTab::SearchOnlineTab(Windows& windows, Services& services, QWidget* parent)
    : QWidget(parent), windows_(windows), services_(services) {
    setObjectName(QStringLiteral("TabSheet1"));
    auto* edit = new QLineEdit(QStringLiteral("The Machine"), this);
    edit->setObjectName(QStringLiteral("Edit1"));
    auto* box = new QCheckBox(QStringLiteral("Read Only Info"), this);
    box->setObjectName(QStringLiteral("CheckBox2"));
}

void SearchOnlineTab::Button1Click() {}
QLineEdit* SearchOnlineTab::TitleEdit() const { return findChild<QLineEdit*>("Edit1"); }
QCheckBox* SearchOnlineTab::ReadOnlyBox() const { return findChild<QCheckBox*>("CheckBox2"); }
void SearchOnlineTab::ClearImdbId() {}

} // namespace quorvel
