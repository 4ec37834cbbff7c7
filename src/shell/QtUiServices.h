// The real UI services: Qt's message boxes and file dialogs, the desktop's
// document opening, and the immediate end of the process.
#pragma once

#include "UiServices.h"

class QtUiServices final : public UiServices {
public:
    MsgAnswer message(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title) override;
    QString openFileName(QWidget* parent, const FileDialogRequest& request) override;
    QString saveFileName(QWidget* parent, const FileDialogRequest& request) override;
    bool openDocument(const QString& path) override;
    [[noreturn]] void endProgram(int exitCode) override;
};
