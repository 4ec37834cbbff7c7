// The version information: the program's title, the version it was built as, and
// the data folder with a button that opens it.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

class frmAbout : public QDialog {
public:
    explicit frmAbout(QWidget* parent = nullptr);

    // The version text as shown, e.g. "バージョン 1.0.0".
    static QString funcVersionText();

private:
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblFolder = nullptr;
    QPushButton* cmdFolder = nullptr;
    QPushButton* cmdEnd = nullptr;
};
