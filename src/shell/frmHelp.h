// The user guide in a window of the program. The guide is HTML kept under the
// name kaedemaru.chm, which desktops take for a compiled help file they cannot show.
#pragma once

#include <QDialog>

class QPushButton;
class QTextBrowser;

inline const QString kHelpFileName = QStringLiteral("kaedemaru.chm");

class frmHelp : public QDialog {
public:
    // html: the guide as read from its file; path: where it lies, for its pictures and links.
    frmHelp(const QByteArray& html, const QString& path, QWidget* parent = nullptr);

private:
    QTextBrowser* txtHelp = nullptr;
    QPushButton* cmdEnd = nullptr;
};

// Shows the guide of the program folder; a guide that is missing or cannot be read is told.
void subShowHelp(QWidget* owner);
