#pragma once
// Message boxes and file pickers, behind one seam so tests can answer them from a script.

#include <QList>
#include <QString>

#include <optional>

class QWidget;

namespace quorvel {

enum class MessageKind { Plain, Information, Warning, Error, Confirmation };
enum class Buttons { Ok, Abort, Cancel, YesAbort, YesCancel, YesNo };
enum class Button { None, Ok, Abort, Cancel, Yes, No }; // None: the box was closed

struct FileFilter {
    QString name;    // "Text File (*.txt)"
    QString pattern; // "*.txt"
};

struct FileDialogRequest {
    QString title; // empty: the platform's
    QList<FileFilter> filters;
    QString defaultSuffix; // "txt"
    QString proposedName;
    QString startFolder;
    bool picture = false; // open/save picture dialog with a preview
};

class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual Button ask(MessageKind kind, const QString& text, Buttons buttons,
                       const QString& title = {}) = 0;
    // The chosen path, or nothing when cancelled.
    virtual std::optional<QString> openFile(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> saveFile(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> chooseFolder(const QString& title,
                                                const QString& startFolder) = 0;
};

// Qt's message boxes and file dialogs, owned by `parent` (may be null).
class QtDialogs final : public Dialogs {
public:
    explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }
    Button ask(MessageKind kind, const QString& text, Buttons buttons,
               const QString& title = {}) override;
    std::optional<QString> openFile(const FileDialogRequest& request) override;
    std::optional<QString> saveFile(const FileDialogRequest& request) override;
    std::optional<QString> chooseFolder(const QString& title, const QString& startFolder) override;

private:
    QWidget* parent_;
};

} // namespace quorvel
