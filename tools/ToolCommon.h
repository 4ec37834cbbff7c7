// What the command-line tools share: UI services that write to stderr, and
// opening the database named on the command line (a file, or a server through
// its connection file).
#pragma once

#include "UiServices.h"

#include <QString>
#include <QTextStream>

// A tool has no windows: what the program would show in a message goes to
// stderr; questions are answered "いいえ"; where the program would end, the tool
// ends with status 2.
class ConsoleUi final : public UiServices {
public:
    MsgAnswer message(const QString& text, MsgButtons buttons, MsgIcon icon, const QString& title) override;
    QString openFileName(QWidget*, const FileDialogRequest&) override { return {}; }
    QString saveFileName(QWidget*, const FileDialogRequest&) override { return {}; }
    bool openDocument(const QString&) override { return false; }
    [[noreturn]] void endProgram(int) override;
};

// Opens the database file, or (server) the server named by the connection file;
// false after telling why on err.
bool funcOpenToolDatabase(const QString& database, bool server, QTextStream& err);
