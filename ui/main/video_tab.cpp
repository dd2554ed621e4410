#include "ui/main/video_tab.h"

#include <QCollator>
#include <QComboBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include <algorithm>

namespace quorvel {

VideoTab::VideoTab(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("TabSheet3"));
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->setEditable(false);
    ComboBox1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    ComboBox1->setMinimumContentsLength(40);

    auto* row = new QHBoxLayout;
    row->addWidget(ComboBox1, 1);
    auto* column = new QVBoxLayout(this);
    column->addLayout(row);
    column->addStretch(1);
}

void VideoTab::SetFavourites(const QStringList& entries) {
    QStringList sorted = entries;
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(sorted.begin(), sorted.end(), [&collator](const QString& a, const QString& b) {
        return collator.compare(a, b) < 0;
    });
    ComboBox1->clear();
    ComboBox1->addItems(sorted);
}

QStringList VideoTab::Favourites() const {
    QStringList entries;
    for (int i = 0; i < ComboBox1->count(); ++i)
        entries << ComboBox1->itemText(i);
    return entries;
}

} // namespace quorvel
