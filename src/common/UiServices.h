// Everything that would block a test or leave the process goes through here:
// message boxes, file dialogs, opening a document, ending the program.
#pragma once

#include <QString>
#include <memory>
#include <optional>

class QPrinter;
class QWidget;

// The caption of every message box of the program.
inline const QString kTitle = QStringLiteral("塾管理システム - 楓丸くん -");

enum class MsgIcon { None, Information, Warning, Question, Critical };
// YesNoDefaultNo: a question whose "はい" deletes or replaces data, so a stray Enter answers "いいえ".
enum class MsgButtons { Ok, OkCancel, YesNo, YesNoCancel, YesNoDefaultNo };
enum class MsgAnswer { Ok, Cancel, Yes, No };

struct FileDialogRequest {
    QString title;
    QString folder;      // starting folder
    QString fileName;    // proposed file name (save dialog)
    QString filter;      // "Access (*.mdb)" style, several separated by ";;"
};

class UiServices {
public:
    virtual ~UiServices() = default;
    virtual MsgAnswer message(const QString& text, MsgButtons buttons, MsgIcon icon,
                              const QString& title) = 0;
    // Both return the chosen path, or an empty text when the user cancelled.
    virtual QString openFileName(QWidget* parent, const FileDialogRequest& request) = 0;
    virtual QString saveFileName(QWidget* parent, const FileDialogRequest& request) = 0;
    // A folder chosen in a dialog (request.folder the starting one), "" when cancelled.
    virtual QString folderName(QWidget* parent, const FileDialogRequest& request)
    {
        (void)parent, (void)request;
        return {};
    }
    // The system's print dialog over the printer: true when the user chose to print
    // (the whole document: no page range is offered).
    virtual bool printDialog(QWidget* parent, QPrinter& printer)
    {
        (void)parent, (void)printer;
        return false;
    }
    // Opens a document with the program associated with it; false when none could.
    virtual bool openDocument(const QString& path) = 0;
    // Long work: the busy pointer from begin to end and, with a total above 0, a
    // bar of done out of total. Begins may nest; only the outermost shows a bar.
    virtual void progressBegin(const QString& label, int total) { (void)label, (void)total; }
    virtual void progressValue(int done) { (void)done; }
    virtual void progressEnd() {}
    // Long work shown in a small window at once (a moving bar when total is 0), with
    // キャンセル when the work can stop safely; ends with progressEnd. Steps name what
    // is being done; progressCancelled is true once キャンセル was pressed.
    virtual void progressWindow(const QString& label, int total, bool cancellable)
    {
        (void)cancellable;
        progressBegin(label, total);
    }
    virtual void progressStep(const QString& step) { (void)step; }
    virtual bool progressCancelled() { return false; }
    // A wait for the database server longer than a moment: the busy pointer from
    // begin to end. serverWaiting is called several times a second with the time
    // waited so far; past 2 s it shows a small window with キャンセル, and answers
    // true once the user pressed it.
    virtual void serverWaitBegin() {}
    virtual bool serverWaiting(int waitedMs) { (void)waitedMs; return false; }
    virtual void serverWaitEnd() {}
    // A password typed into a dialog, never shown nor kept; nullopt when cancelled.
    virtual std::optional<QString> askPassword(const QString& text, const QString& title)
    {
        (void)text, (void)title;
        return std::nullopt;
    }
    // Ends the program at once; does not return.
    [[noreturn]] virtual void endProgram(int exitCode) = 0;
};

UiServices& ui();
// Installs the services (the real ones at start, a recording double in tests).
void setUiServices(std::unique_ptr<UiServices> services);

// Long work the user sees for as long as the object lives (see progressWindow).
class LongTask {
public:
    explicit LongTask(const QString& label, int total = 0, bool cancellable = false);
    ~LongTask();
    LongTask(const LongTask&) = delete;
    LongTask& operator=(const LongTask&) = delete;

    void step(const QString& text) { ui().progressStep(text); }
    void setValue(int done) { ui().progressValue(done); }
    bool cancelled() { return ui().progressCancelled(); }
};

// Short form for the common case. While the box is up the pointer is the normal
// arrow, whatever busy pointer the work that led to the message had set.
MsgAnswer MsgBox(const QString& text, MsgButtons buttons = MsgButtons::Ok,
                 MsgIcon icon = MsgIcon::None, const QString& title = kTitle);

