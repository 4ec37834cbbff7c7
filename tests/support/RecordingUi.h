// A stand-in for the UI services in tests: every message is recorded, answers
// come from a script, and ending the program throws ProgramEnded.
#pragma once

#include "UiServices.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

// Thrown where the real program would end. Not a std::exception, so no handler
// of the program catches it on its way to the test.
struct ProgramEnded {
    int exitCode;
};

struct RecordedMessage {
    QString text;
    QString title;
    MsgIcon icon;
    MsgButtons buttons;
    bool busyPointer;   // the hourglass was the pointer while the box was up
};

class RecordingUi final : public UiServices {
public:
    MsgAnswer message(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title) override;
    QString openFileName(QWidget* parent, const FileDialogRequest& request) override;
    QString saveFileName(QWidget* parent, const FileDialogRequest& request) override;
    QString folderName(QWidget* parent, const FileDialogRequest& request) override;
    bool printDialog(QWidget* parent, QPrinter& printer) override;
    bool openDocument(const QString& path) override;
    [[noreturn]] void endProgram(int exitCode) override;
    void progressWindow(const QString& label, int total, bool cancellable) override;
    void progressStep(const QString& step) override;
    bool progressCancelled() override;
    void serverWaitBegin() override;
    bool serverWaiting(int waitedMs) override;
    void serverWaitEnd() override;
    std::optional<QString> askPassword(const QString& text, const QString& title) override;

    // Answers given to the next questions in order; when none is left, Yes/Ok.
    std::deque<MsgAnswer> answers;
    // Paths returned by the next file dialogs; when none is left, the dialog is cancelled.
    std::deque<QString> openFileAnswers;
    std::deque<QString> saveFileAnswers;
    std::deque<QString> folderAnswers;
    // The print dialog prints into this PDF file; cancelled when it is "".
    QString printTo;
    int printDialogs = 0;
    bool openDocumentResult = true;
    // The server waits: the longest time waited in each, and how many ended.
    std::vector<int> serverWaits;
    int serverWaitsEnded = 0;
    // The user presses キャンセル once a wait has lasted this long (ms); never when negative.
    int cancelServerWaitAfter = -1;
    // Passwords typed into the next password dialogs (nullopt: cancelled); when none
    // is left, an empty password is typed.
    std::deque<std::optional<QString>> passwordAnswers;
    QStringList passwordRequests;
    // Runs while a file dialog would be open.
    std::function<void()> onFileDialog;
    // Runs while a message box would be open (for example to check the window state).
    std::function<void(const RecordedMessage&)> onMessage;

    // The progress windows shown ("label" and then "  step" lines, "[キャンセル可]" after a
    // label that offered it), and the step at which the user presses キャンセル (1 the first; never when 0).
    QStringList progress;
    int cancelProgressAtStep = 0;

    std::vector<RecordedMessage> messages;
    std::vector<FileDialogRequest> openFileRequests;
    std::vector<FileDialogRequest> saveFileRequests;
    std::vector<FileDialogRequest> folderRequests;
    QStringList openedDocuments;

    QStringList texts() const;
    QString lastText() const { return messages.empty() ? QString() : messages.back().text; }
    void clear();

private:
    int m_progressSteps = 0;
};

// Installs a new RecordingUi for the lifetime of the guard and gives access to it.
class UiRecorder {
public:
    UiRecorder();
    ~UiRecorder();
    RecordingUi* operator->() const { return m_ui; }
    RecordingUi& operator*() const { return *m_ui; }

private:
    RecordingUi* m_ui; // owned by the UI services registry
};
