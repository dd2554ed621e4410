#include "platform/dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QImageReader>
#include <QLabel>
#include <QMessageBox>
#include <QPixmap>

namespace quorvel {

namespace {

QMessageBox::Icon IconFor(MessageKind kind) {
    switch (kind) {
    case MessageKind::Plain:
        return QMessageBox::NoIcon;
    case MessageKind::Information:
        return QMessageBox::Information;
    case MessageKind::Warning:
        return QMessageBox::Warning;
    case MessageKind::Error:
        return QMessageBox::Critical;
    case MessageKind::Confirmation:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ButtonsFor(Buttons buttons) {
    switch (buttons) {
    case Buttons::Ok:
        return QMessageBox::Ok;
    case Buttons::Abort:
        return QMessageBox::Abort;
    case Buttons::Cancel:
        return QMessageBox::Cancel;
    case Buttons::YesAbort:
        return QMessageBox::Yes | QMessageBox::Abort;
    case Buttons::YesCancel:
        return QMessageBox::Yes | QMessageBox::Cancel;
    case Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    }
    return QMessageBox::Ok;
}

Button ButtonFrom(QMessageBox::StandardButton button) {
    switch (button) {
    case QMessageBox::Ok:
        return Button::Ok;
    case QMessageBox::Abort:
        return Button::Abort;
    case QMessageBox::Cancel:
        return Button::Cancel;
    case QMessageBox::Yes:
        return Button::Yes;
    case QMessageBox::No:
        return Button::No;
    default:
        return Button::None;
    }
}

// Qt reads the patterns from the last parentheses of a filter. Names such as
// "Text File (*.txt)" already end with theirs; "TIFF Images (*.tif)" shown for "*.tif *.tiff"
// or "Any File (*.*)" shown for "*" need the real patterns after them.
QString QtNameFilter(const FileFilter& filter) {
    const QString pattern = filter.pattern.trimmed();
    if (pattern.isEmpty())
        return filter.name;
    if (filter.name.trimmed().endsWith(QLatin1Char('(') + pattern + QLatin1Char(')')))
        return filter.name;
    if (filter.name.isEmpty())
        return pattern;
    return filter.name + QStringLiteral(" (") + pattern + QLatin1Char(')');
}

QString CleanSuffix(QString suffix) {
    // "*.txt", ".txt" and "txt" all mean the same default extension.
    while (suffix.startsWith(QLatin1Char('*')) || suffix.startsWith(QLatin1Char('.')))
        suffix.remove(0, 1);
    return suffix;
}

constexpr int kPreviewSize = 180;

// A label beside the file list showing the file under the cursor, for the picture dialogs.
void AddPicturePreview(QFileDialog& dialog) {
    auto* grid = qobject_cast<QGridLayout*>(dialog.layout());
    if (!grid)
        return; // a layout we do not know: the dialog works without its preview
    auto* preview = new QLabel(&dialog);
    preview->setObjectName(QStringLiteral("picturePreview"));
    preview->setAlignment(Qt::AlignCenter);
    preview->setFixedSize(kPreviewSize, kPreviewSize);
    preview->setFrameShape(QFrame::StyledPanel);
    grid->addWidget(preview, 0, grid->columnCount(), grid->rowCount(), 1);

    QObject::connect(
        &dialog, &QFileDialog::currentChanged, preview, [preview](const QString& path) {
            preview->clear();
            if (!QFileInfo(path).isFile())
                return;
            QImageReader reader(path);
            reader.setAutoTransform(true);
            const QSize size = reader.size();
            if (size.isValid())
                reader.setScaledSize(size.scaled(kPreviewSize, kPreviewSize, Qt::KeepAspectRatio)
                                         .expandedTo(QSize(1, 1)));
            const QImage image = reader.read();
            if (image.isNull()) {
                preview->setText(QObject::tr("No preview"));
                return;
            }
            preview->setPixmap(QPixmap::fromImage(image.scaled(
                kPreviewSize, kPreviewSize, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
        });
}

std::optional<QString> RunFileDialog(QWidget* parent, const FileDialogRequest& request,
                                     QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent);
    // Qt's own dialog everywhere: the same behaviour on every desktop, and a preview we can add.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    // The callers ask about overwriting themselves, in the program's own words.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    if (!request.title.isEmpty())
        dialog.setWindowTitle(request.title);

    QStringList filters;
    for (const FileFilter& filter : request.filters)
        filters << QtNameFilter(filter);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(CleanSuffix(request.defaultSuffix));

    if (!request.startFolder.isEmpty() && QFileInfo(request.startFolder).isDir())
        dialog.setDirectory(request.startFolder);
    if (!request.proposedName.isEmpty())
        dialog.selectFile(request.proposedName);
    if (request.picture)
        AddPicturePreview(dialog);

    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return std::nullopt;
    return chosen.first();
}

} // namespace

Button QtDialogs::ask(MessageKind kind, const QString& text, Buttons buttons,
                      const QString& title) {
    QMessageBox box(parent_);
    box.setIcon(IconFor(kind));
    box.setWindowTitle(title.isEmpty() ? QStringLiteral("Quorvel") : title);
    // Messages quote titles and paths; "<" in them is text, not markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setStandardButtons(ButtonsFor(buttons));
    box.exec();
    // No button clicked: the box was closed some other way.
    QAbstractButton* clicked = box.clickedButton();
    if (!clicked)
        return Button::None;
    return ButtonFrom(box.standardButton(clicked));
}

std::optional<QString> QtDialogs::openFile(const FileDialogRequest& request) {
    return RunFileDialog(parent_, request, QFileDialog::AcceptOpen);
}

std::optional<QString> QtDialogs::saveFile(const FileDialogRequest& request) {
    return RunFileDialog(parent_, request, QFileDialog::AcceptSave);
}

std::optional<QString> QtDialogs::chooseFolder(const QString& title, const QString& startFolder) {
    const QString folder = QFileDialog::getExistingDirectory(
        parent_, title, startFolder, QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    if (folder.isEmpty())
        return std::nullopt;
    return folder;
}

} // namespace quorvel
