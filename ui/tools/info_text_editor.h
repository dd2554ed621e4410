#pragma once
// TForm5, "Manage Info Text": the record editor of the collection, field by field.

#include "core/textfile.h"
#include "platform/services.h"
#include "ui/windows.h"

#include <QDialog>

#include <memory>

class QLineEdit;
class QStringListModel;

namespace Ui {
class TForm5;
}

namespace quorvel {

class Settings;

class ListWhenShown;
class OmdbAnswer;

class TForm5 : public QDialog {
    Q_OBJECT
public:
    TForm5(Windows& windows, Services& services, Settings& settings, QWidget* parent = nullptr);
    ~TForm5() override;

    // The creation handler; Application runs it right after construction.
    void FormCreate();
    // Shows the window without blocking its opener, or brings it to the front when open.
    void Open();
    // The Info List Creator's hand-over: the list holds exactly these entries, marked as a
    // filtered list; Edit and Delete wait for a new selection and the thumbnail goes.
    void ReceiveFilteredList(const QStringList& entries);

    void Button1Click(); // Refresh
    void MovieListEditClick();
    void MovieListEditDblClick();
    void Button2Click(); // Edit
    void Button3Click(); // New Info
    void DateTimePicker1Change();
    // Save; false when nothing was written (refused, aborted or failed, each already told).
    bool Button4Click();
    void Button5Click(); // Close
    void Button6Click(); // Delete
    void Button7Click(); // Search
    void Edit18Change(const QString& text);
    void Button8Click(); // Load filtered list
    void Button9Click(); // On line title update

    // The entries of the list, filled first if it never was.
    QStringList ListEntries();

protected:
    bool event(QEvent* event) override;

private:
    void ConnectHandlers();
    QString CollectionFolder() const;
    QString SelectedEntry() const;
    Result<QString> EntryPath(const QString& entry) const;
    Result<TextFile> ReadEntry(const QString& entry) const;
    void SetEntries(const QStringList& entries, const QString& countSuffix);
    void SelectByCode(int row); // the buttons keep their state
    void ShowThumbnail(const QString& entry);
    void ClearThumbnail();
    // Fills every field but the notes from the record, the release date by its own rule.
    void FillFields(const QStringList& lines);
    void ShowReleaseDate(const QString& value);
    // Edit17 shown with `text` in front of the picker: what Save writes as the release date.
    void ShowReleaseText(const QString& text);
    void ShowNotes(const QStringList& notes);
    QStringList ComposeEditorRecord();
    void ReportRecycling(const QString& entry, const QString& posterName, bool posterTrashed);
    // The update's steps once the identifier is known; the bar and label are shown meanwhile.
    void UpdateOnLine(const QString& entry, const QString& id, const QStringList& notes);
    void ApplyUpdate(const QString& entry, const QString& id, const QStringList& notes,
                     const OmdbAnswer& answer);

    std::unique_ptr<Ui::TForm5> ui;
    Windows& windows_;
    Services& services_;
    Settings& settings_;
    QList<QLineEdit*> edits_;                         // Edit2 to Edit15, for New Info
    TextEncoding memo2Encoding_ = TextEncoding::Ansi; // of the file last read, for Save
    bool selectingByCode_ = false;
    QStringListModel* movieModel_ = nullptr;
    ListWhenShown* lister_ = nullptr;
};

} // namespace quorvel
