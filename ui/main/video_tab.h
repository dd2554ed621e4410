#pragma once
// TabSheet3, "Search Video On Line": for now the list of favourite trailers.

#include <QStringList>
#include <QWidget>

class QComboBox;

namespace quorvel {

class VideoTab : public QWidget {
    Q_OBJECT
public:
    explicit VideoTab(QWidget* parent = nullptr);

    QComboBox* FavouritesList() const { return ComboBox1; } // ComboBox1
    // Replaces the favourites by `entries`, sorted alphabetically ignoring case.
    void SetFavourites(const QStringList& entries);
    QStringList Favourites() const; // in the list's order

private:
    QComboBox* ComboBox1 = nullptr;
};

} // namespace quorvel
