#pragma once
// Scripted desktop services for window tests: every question is recorded, answers come from
// queues. An empty queue answers "cancelled" (None / no path), so a test that forgot to script
// an answer sees the window's cancel path, never a real dialog.

#include "platform/services.h"

#include <QDateTime>
#include <QImage>
#include <QStringList>

#include <deque>
#include <optional>
#include <vector>

namespace quorvel::test {

struct AskedMessage {
    MessageKind kind;
    QString text;
    Buttons buttons;
    QString title;
};

class ScriptedDialogs final : public Dialogs {
public:
    std::deque<Button> answers;
    std::deque<std::optional<QString>> openAnswers;
    std::deque<std::optional<QString>> saveAnswers;
    std::deque<std::optional<QString>> folderAnswers;

    std::vector<AskedMessage> messages;
    std::vector<FileDialogRequest> openRequests;
    std::vector<FileDialogRequest> saveRequests;
    QStringList folderRequests;

    Button ask(MessageKind kind, const QString& text, Buttons buttons,
               const QString& title = {}) override {
        messages.push_back({kind, text, buttons, title});
        return pop(answers, Button::None);
    }
    std::optional<QString> openFile(const FileDialogRequest& request) override {
        openRequests.push_back(request);
        return pop(openAnswers, std::optional<QString>{});
    }
    std::optional<QString> saveFile(const FileDialogRequest& request) override {
        saveRequests.push_back(request);
        return pop(saveAnswers, std::optional<QString>{});
    }
    std::optional<QString> chooseFolder(const QString& title, const QString& start) override {
        folderRequests << title + QLatin1Char('|') + start;
        return pop(folderAnswers, std::optional<QString>{});
    }

    QStringList messageTexts() const {
        QStringList out;
        for (const auto& m : messages)
            out << m.text;
        return out;
    }

private:
    template <typename T> static T pop(std::deque<T>& queue, T fallback) {
        if (!queue.empty()) {
            fallback = std::move(queue.front());
            queue.pop_front();
        }
        return fallback;
    }
};

class RecordingShell final : public Shell {
public:
    QStringList opened;
    QStringList foldersOpened;
    bool result = true;
    bool OpenWithDefaultHandler(const QString& address) override {
        opened << address;
        return result;
    }
    bool OpenFolder(const QString& folder) override {
        foldersOpened << folder;
        return result;
    }
    // A real trash, in a folder of the test's choosing; without one nothing is ever moved.
    QString trashFolder;
    QStringList recycled;
    bool RecycleFile(const QString& path) override {
        recycled << path;
        return !trashFolder.isEmpty() &&
               MoveToTrash(path, trashFolder, QDateTime(QDate(2016, 3, 7), QTime(14, 25, 9))).ok();
    }
    // Every target asked for; the answer is `shortcutResult` (a failure when it holds one),
    // or with a `desktopFolder` the real launcher written there.
    QStringList shortcuts;
    Result<bool> shortcutResult = true;
    QString desktopFolder;
    Result<bool> CreateDesktopShortcut(const QString& target) override {
        shortcuts << target;
        return desktopFolder.isEmpty() ? shortcutResult : WriteDesktopEntry(target, desktopFolder);
    }
};

class RecordingPrinter final : public Printer {
public:
    std::vector<QStringList> printedLines;
    std::vector<QImage> printedPosters;
    bool failDevice = false;
    Status PrintLines(const QStringList& lines) override {
        if (failDevice)
            return Failure(QString::fromLatin1(kPrintErrorText));
        printedLines.push_back(lines);
        return Success();
    }
    Status PrintPoster(const QImage& picture, int, int) override {
        if (failDevice)
            return Failure(QString::fromLatin1(kPrintErrorText));
        printedPosters.push_back(picture);
        return Success();
    }
    int linesPerPage = 70;
    int LinesPerPage() const override { return linesPerPage; }
    int setups = 0;
    bool Setup(QWidget*) override {
        ++setups;
        return true;
    }
    // Every range a print dialog was preset to; the dialog is confirmed unless told otherwise.
    std::vector<PrintPageRange> printDialogs;
    bool confirmPrint = true;
    bool ConfirmPrint(QWidget*, const PrintPageRange& range) override {
        printDialogs.push_back(range);
        return confirmPrint;
    }
    QString CurrentPrinterName() const override { return QStringLiteral("Test printer"); }
};

class ScriptedConnection final : public Connection {
public:
    bool online = true;
    int asked = 0;
    bool IsOnline() override {
        ++asked;
        return online;
    }
};

class FixedClock final : public Clock {
public:
    QDateTime now = QDateTime(QDate(2016, 3, 7), QTime(14, 25, 9));
    QDateTime Now() override { return now; }
    QString dateFormat = QStringLiteral("M/d/yyyy");
    QString timeFormat = QStringLiteral("h:mm:ss AP");
    QString ShortDateFormat() override { return dateFormat; }
    QString LongTimeFormat() override { return timeFormat; }
};

// One of each, wired into a Services value.
struct ScriptedServices {
    ScriptedDialogs dialogs;
    RecordingShell shell;
    RecordingPrinter printer;
    ScriptedConnection connection;
    FixedClock clock;
    Services services() { return Services{&dialogs, &shell, &printer, &connection, &clock}; }
};

} // namespace quorvel::test
