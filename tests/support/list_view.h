#pragma once
// What a test reads and does in a list view, as a user would: its rows, ticks and selection.

#include <QAbstractItemView>
#include <QItemSelectionModel>
#include <QStringList>

namespace quorvel::test {

inline QStringList RowTexts(const QAbstractItemView* view) {
    QStringList texts;
    const QAbstractItemModel* model = view->model();
    for (int row = 0; row < model->rowCount(); ++row)
        texts << model->index(row, 0).data().toString();
    return texts;
}

inline int RowCount(const QAbstractItemView* view) {
    return view->model()->rowCount();
}

inline int RowOf(const QAbstractItemView* view, const QString& text) {
    return int(RowTexts(view).indexOf(text));
}

inline bool IsTicked(const QAbstractItemView* view, int row) {
    return view->model()->index(row, 0).data(Qt::CheckStateRole) == Qt::Checked;
}

inline QStringList TickedTexts(const QAbstractItemView* view) {
    QStringList texts;
    for (int row = 0; row < RowCount(view); ++row) {
        if (IsTicked(view, row))
            texts << view->model()->index(row, 0).data().toString();
    }
    return texts;
}

// What a click on the row's check box does.
inline void SetTicked(QAbstractItemView* view, int row, bool ticked) {
    view->model()->setData(view->model()->index(row, 0), ticked ? Qt::Checked : Qt::Unchecked,
                           Qt::CheckStateRole);
}

// What a click on the row does; -1 clears the selection.
inline void SelectRow(QAbstractItemView* view, int row) {
    if (row < 0) {
        view->selectionModel()->clear();
        return;
    }
    view->selectionModel()->setCurrentIndex(view->model()->index(row, 0),
                                            QItemSelectionModel::ClearAndSelect);
}

inline int CurrentRow(const QAbstractItemView* view) {
    return view->currentIndex().row();
}

inline QStringList SelectedTexts(const QAbstractItemView* view) {
    QStringList texts;
    for (const QModelIndex& index : view->selectionModel()->selectedIndexes())
        texts << index.data().toString();
    return texts;
}

} // namespace quorvel::test
