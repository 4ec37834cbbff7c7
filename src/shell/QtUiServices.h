// The real UI services: Qt's message boxes and file dialogs, the desktop's
// document opening, and the immediate end of the process.
#pragma once

#include "UiServices.h"

#include <memory>

class QProgressDialog;

class QtUiServices final : public UiServices {
public:
    QtUiServices();
    ~QtUiServices() override;
    void progressBegin(const QString& label, int total) override;
    void progressValue(int done) override;
    void progressEnd() override;
    void progressWindow(const QString& label, int total, bool cancellable) override;
    void progressStep(const QString& step) override;
    bool progressCancelled() override;
    MsgAnswer message(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title) override;
    QString openFileName(QWidget* parent, const FileDialogRequest& request) override;
    QString saveFileName(QWidget* parent, const FileDialogRequest& request) override;
    QString folderName(QWidget* parent, const FileDialogRequest& request) override;
    bool printDialog(QWidget* parent, QPrinter& printer) override;
    bool openDocument(const QString& path) override;
    [[noreturn]] void endProgram(int exitCode) override;
    void serverWaitBegin() override;
    bool serverWaiting(int waitedMs) override;
    void serverWaitEnd() override;
    std::optional<QString> askPassword(const QString& text, const QString& title) override;

private:
    void subMakeProgress(const QString& label, int total, bool cancellable);
    std::unique_ptr<QProgressDialog> m_serverWait;
    bool m_serverWaitCancelled = false;
    int m_busy = 0;
    std::unique_ptr<QProgressDialog> m_progress;
    QString m_progressLabel;
};
