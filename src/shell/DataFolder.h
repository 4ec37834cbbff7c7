// Where the program keeps its data, and what the command line may ask for.
// Built, the program works in its own folder; installed, in a data folder of
// the user (or one the user names), made ready on first start.
#pragma once

#include <QString>
#include <QStringList>

// What the command line asks for. Help and version win over everything else, so
// that they answer even beside arguments meant for Qt.
struct StartRequest {
    enum class Action { Run, Version, Help, Wrong };
    Action action = Action::Run;
    QString folder;  // --folder DIR, else KAEDEMARU_FOLDER; empty when none was named
    QString problem; // what is wrong with the command line (Action::Wrong)
};
StartRequest readCommandLine(const QStringList& arguments, const QString& folderVariable);
QString helpText();
QString versionText();

// The program folder: the one named, else the executable's own folder when it is
// writable and not an installed program's (the build, ./run), else dataHome/kaedemaru.
QString chooseProgramFolder(const QString& named, const QString& executableFolder, const QString& dataHome);

// Makes a new or empty program folder ready: an empty database, Picture/ and a copy of
// the shipped template from shareFolder. A folder that holds anything is left as it is:
// its data is the user's, whatever version made it. ownerOnly keeps other accounts out
// (the default data folder; a named folder may be meant to be shared).
bool prepareProgramFolder(const QString& folder, const QString& shareFolder, bool ownerOnly, QString* reason);
